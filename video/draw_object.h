#pragma once

#include "core/int_rect.h"

#include <opencv2/core.hpp>

#include <vector>

namespace orbisk {

class CObjectContainer;

// A shape the preview canvas draws over the live picture and moves with the
// mouse. Its geometry is kept in frame pixels, so it stays on the same part of
// the document at any zoom; mouse points and drawing are in zoomed
// coordinates (frame pixel times the scale). Used only on the canvas's thread.
class CDrawObject {
  public:
    virtual ~CDrawObject() = default;

    // Mouse input at a zoomed point. OnLButtonDown answers whether the object
    // was hit.
    virtual bool OnLButtonDown(cv::Point point, float scale) = 0;
    virtual void OnMouseMove(cv::Point point, float scale) = 0;
    virtual void OnLButtonUp(cv::Point point, float scale) = 0;
    // Draws into `picture`, whose top-left pixel shows zoomed point
    // (visible.left, visible.top).
    virtual void Draw(cv::Mat& picture, const IntRect& visible, float scale) = 0;
    // True when the object sets the cursor at this point (the canvas then
    // neither shows its arrow nor pans).
    virtual bool OnSetCursor(cv::Point /*point*/, float /*scale*/) { return false; }
    // Sets the selection; answers the previous one.
    virtual bool Select(bool selected);

    // Turn the geometry with the frame; `frame` is the frame before the turn.
    // Quarter turns clockwise (90) and counter-clockwise (270), half turn.
    virtual void Rotate90(const IntRect& frame);
    virtual void Rotate270(const IntRect& frame);
    virtual void Rotate180(const IntRect& frame);

    // The object's rectangle in frame pixels.
    virtual IntRect GetRect() const = 0;
    virtual void SetRect(int left, int top, int right, int bottom, bool keepAspect) = 0;

    bool IsSelected() const { return selected_; }
    const std::vector<cv::Point2f>& Vertices() const { return vertices_; }
    // The canvas the object asks to repaint what it changes.
    void SetOwner(CObjectContainer* owner) { owner_ = owner; }

  protected:
    bool selected_ = false;
    int lineWidth_ = 9;
    cv::Scalar colour_{255, 0, 0};  // blue, in the pictures' BGR order
    int blendPercent_ = 50;
    std::vector<cv::Point2f> vertices_;  // frame pixels
    CObjectContainer* owner_ = nullptr;
};

// A zoomed point as a frame point. Below scale 1 a zoomed pixel covers several
// frame pixels; the point moves into that block by trunc(0.5 / scale).
cv::Point2f ZoomedToFrame(cv::Point point, float scale);

// The zoomed integer rectangle around the vertices (each coordinate times the
// scale, rounded half away from zero); empty without vertices.
IntRect ScaledBoundingRect(const std::vector<cv::Point2f>& vertices, float scale);

// The float extent of the vertices; all zero without vertices.
struct VertexBox {
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;
    friend bool operator==(const VertexBox&, const VertexBox&) = default;
};
VertexBox VertexBounds(const std::vector<cv::Point2f>& vertices);

}  // namespace orbisk
