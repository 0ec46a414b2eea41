// The text watermark: drawn with QPainter on a key-grey bitmap, then blended
// into the page wherever the bitmap is not the key grey.

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <opencv2/imgproc.hpp>

#include <cmath>

#include "documents/image_saver.h"
#include "imaging/enhancement.h"

namespace orbisk {
namespace {

constexpr int kTextKind = 0;

// Liberation Sans at a pixel size whose cell (ascent + descent) is `cellHeight`.
QFont WatermarkFont(int cellHeight) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // Plain pixels only: an antialiased edge would blend as a colour of its own.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(cellHeight);
    const int measured = QFontMetrics(font).height();
    if (measured > 0 && measured != cellHeight) {
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(double(cellHeight) * cellHeight / measured))));
    }
    return font;
}

// The text in `colour` (0x00BBGGRR) on the key grey, as 8-bit BGR.
cv::Mat RenderText(const QString& text, const QFont& font, unsigned colour) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    if (width < 1 || height < 1) {
        return {};
    }
    const int key = CImageSaver::kWatermarkKeyGrey;
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(QColor(key, key, key));
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff));
        painter.drawText(0, metrics.ascent(), text);
    }
    // Format_RGB32 is stored B, G, R, 0xff per pixel.
    const cv::Mat bgra(height, width, CV_8UC4, canvas.bits(),
                       static_cast<size_t>(canvas.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

}  // namespace

bool CImageSaver::SetWatermarkText(const QString& text, int kind, int transparency, int position,
                                   int size, unsigned colour) {
    Watermark.text.clear();
    if (kind != kTextKind || position < kOverlayTopLeft || position > kOverlayCentre ||
        transparency < 0 || transparency > 100 || size < 1) {
        return false;
    }
    Watermark.text = text;
    Watermark.position = position;
    Watermark.colour = colour;
    Watermark.transparency = transparency;
    Watermark.size = size;
    return true;
}

void CImageSaver::DrawWatermark(cv::Mat& image, const SaverWatermark& watermark) {
    // Fonts need the application's font database; without one nothing is drawn.
    if (watermark.text.isEmpty() || image.empty() || watermark.size < 1 ||
        QGuiApplication::instance() == nullptr) {
        return;
    }
    if (image.depth() != CV_8U || (image.channels() != 1 && image.channels() != 3)) {
        return;
    }
    const cv::Mat text =
        RenderText(watermark.text, WatermarkFont(watermark.size), watermark.colour);
    if (text.empty()) {
        return;
    }
    const int key = kWatermarkKeyGrey;
    cv::Mat keyPixels;
    cv::inRange(text, cv::Scalar(key, key, key), cv::Scalar(key, key, key), keyPixels);
    const cv::Mat inked = keyPixels == 0;

    cv::Mat working;
    if (image.channels() == 1) {
        cv::cvtColor(image, working, cv::COLOR_GRAY2BGR);
    } else {
        working = image.clone();
    }
    // Opacity of the text is what the transparency leaves.
    CImageProcess().PlaceOverlay(working, text, watermark.position, 100 - watermark.transparency,
                                 inked);
    if (image.channels() == 1) {
        cv::cvtColor(working, image, cv::COLOR_RGB2GRAY);
    } else {
        image = working;
    }
}

}  // namespace orbisk
