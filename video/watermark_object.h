#pragma once

#include "video/crop_box.h"
#include "video/watermark_settings.h"

#include <QDateTime>
#include <QFont>
#include <QString>
#include <opencv2/core.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace orbisk {

// The extent of a caption in the watermark font of a pixel height.
using TextMeasurer = std::function<cv::Size(const QString& text, int fontHeight)>;
// The local time of the time-stamp captions.
using WaterMarkClock = std::function<QDateTime()>;

// Liberation Sans at the pixel height (a non-positive height takes its
// magnitude; 0 the font's default size), not antialiased, so the caption's
// mask is its glyphs exactly.
QFont WaterMarkFont(int fontHeight);
// The caption's width and height in WaterMarkFont (QFontMetrics).
cv::Size MeasureCaption(const QString& text, int fontHeight);
// Mode 0 the text, 2 the time as "yyyy/mm/dd-hh:mm:ss", 3 the time, two
// blanks and the text; anything else none.
QString CaptionFor(const WaterMarkSettings& settings, const QDateTime& now);

// Renderings larger than this on a side are not made (the box then shows
// nothing): a huge font or picture must not take gigabytes.
inline constexpr int kMaxWaterMarkSide = 8192;

// A watermark box: a caption (text, time stamp or both) or a picture file,
// drawn semi-transparently over the picture, turned by the settings' angle,
// moved by dragging its inside and turned by dragging a corner. The canvas
// burns it into captures with the same drawing at scale 1.
//
// The turned and scaled rendering is kept while scale, angle (both within
// 0.01) and caption stay the same. Used only on the canvas's thread.
class CWaterMarkObject : public CTrackRectangle {
  public:
    explicit CWaterMarkObject(TextMeasurer measurer = MeasureCaption,
                              WaterMarkClock clock = &QDateTime::currentDateTime);

    bool OnLButtonDown(cv::Point point, float scale) override;
    void OnMouseMove(cv::Point point, float scale) override;
    void Draw(cv::Mat& picture, const IntRect& visible, float scale) override;
    bool OnSetCursor(cv::Point point, float scale) override;

    // Takes the settings and places the box: the content's size (plus 20 for
    // captions) centred on the region's centre, turned by the angle. Content
    // without width or height leaves the box as it was.
    void Configure(const WaterMarkSettings& settings);
    // The settings with the region replaced by the box's bounding rectangle.
    WaterMarkSettings GetSettings() const;

    // A copy for another thread: no owner, not selected. The renderings are
    // shared until either side renders anew (a rendering is never written
    // into once made).
    std::unique_ptr<CWaterMarkObject> Snapshot() const;

    // For tests: the caption of the last drawing and the renderings.
    const QString& Caption() const { return caption_; }
    const cv::Mat& Mask() const { return mask_; }
    const cv::Mat& Rendered() const { return rendered_; }
    // The number of renderings made so far.
    long Renderings() const { return renderings_; }

  protected:
    // The closed polygon through the corners and a round handle on each.
    void DrawOutline(cv::Mat& picture, const IntRect& box, cv::Point shift) override;
    // Inside: moves the box. A corner: turns it about its centre by the
    // angle the mouse swept, which the settings' angle gains.
    void DragHandle(cv::Point last, cv::Point current, float scale, int handle) override;

  private:
    bool IsCaption() const;
    void BuildCaption();
    cv::Size GetContentSize();
    void UpdateRenderedImage(float scale);
    // The corners as zoomed integer points.
    void UpdateHandlePoints(float scale);
    int HandleAt(cv::Point point, float scale) const;
    bool OverCorner(cv::Point point) const;

    TextMeasurer measurer_;
    WaterMarkClock clock_;
    WaterMarkSettings settings_;
    float lastZoom_ = -1;
    float lastAngle_ = 0;
    QString lastCaption_;
    QString caption_;
    cv::Mat rendered_;  // mode 1: the picture turned and scaled
    cv::Mat mask_;      // where the watermark covers, turned and scaled
    cv::Mat source_;    // mode 1: the picture as loaded
    long renderings_ = 0;
};

// Even-odd rule over an integer polygon.
bool PtInPolygon(const std::vector<cv::Point>& polygon, cv::Point point);

// Per channel, where the mask is not 0 (placed with its top-left corner at
// `at`, clipped to the picture): trunc(t * pixel + (1 - t) * colour), the
// colour in the picture's BGR order.
void BlendMask(cv::Mat& picture, const cv::Mat& mask, cv::Point at, const cv::Scalar& colour,
               double t);
// Where the mask is exactly 255: trunc(t * pixel + (1 - t) * overlay), the
// overlay placed with the mask; clipped to the picture.
void BlendOverlay(cv::Mat& picture, const cv::Mat& overlay, const cv::Mat& mask, cv::Point at,
                  double t);

}  // namespace orbisk
