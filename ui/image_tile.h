#pragma once

#include <QImage>
#include <QString>

#include "core/int_rect.h"

class QPainter;
class QWidget;

namespace orbisk {

// A clickable picture that an owner window draws in its own client area: the
// thumbnails of the last captured files, the logo box, the tiles of the batch
// dialogs. A tile is not a widget: the owner calls Paint from its paint event
// and forwards its mouse events. A click is posted to the owner as `message`
// (wParam the tile's index, lParam 1 left, 2 right); a left click also opens
// the tile's file.
class CImageTile {
  public:
    explicit CImageTile(int index);
    virtual ~CImageTile() = default;

    // Stores everything; always true. An index of -1 makes the tile ignore the mouse.
    bool Init(int message, int index, int left, int top, int right, int bottom, QWidget* owner,
              bool framed);

    IntRect GetRect() const { return rect_; }
    void SetRect(int left, int top, int right, int bottom) { rect_ = {left, top, right, bottom}; }
    QString GetPath() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }
    const QImage& Picture() const { return picture_; }
    bool IsHover() const { return hover_; }
    bool IsPressed() const { return pressed_; }

    // Replaces the picture by the file scaled to fit the rectangle and sets the
    // path. On failure (unreadable file, rectangle without area) the tile is
    // left empty: no picture and no path.
    bool LoadImageFile(const QString& path);
    // Replaces the picture by the bitmap resource at its own size; the path
    // stays. False, with no picture, when there is no such bitmap.
    bool SetBitmap(int resourceId);
    // No picture, no path, no number.
    void Clear();

    void Paint(QPainter& painter);
    // Repaints `rect` grown by 3 pixels on every side in the owner, so the
    // outline on the rectangle's edges is always covered.
    void Invalidate(const IntRect& rect);
    void Redraw() { Invalidate(rect_); }
    void ClearHighlight();

    // Mouse input in the owner's coordinates.
    void OnMouseMove(int flags, int x, int y);
    bool OnLButtonDown(int flags, int x, int y);
    bool OnLButtonUp(int flags, int x, int y);
    bool OnRButtonDown(int flags, int x, int y);
    // Inside the rectangle: shows the hand cursor over the owner; true.
    bool OnSetCursor(int flags, int x, int y);
    // Inside the rectangle: opens the branding record's link; true.
    bool OpenLinkIfHit(int flags, int x, int y);

    // Where a W x H file's picture goes in a tile of `rect`: the file's aspect
    // ratio kept, 4 pixels shorter than the rectangle on the fitted axis, never
    // smaller than 1 x 1. Null for a rectangle without area or an empty file.
    static IntRect FitPicture(const IntRect& rect, int fileWidth, int fileHeight);

    // Page number label: -1 none, n >= 0 writes n + 1 into the picture's corner.
    int m_nNumber = -1;

  private:
    bool Hit(int x, int y) const;
    bool IgnoresMouse() const { return index_ == -1 || picture_.isNull(); }

    QImage picture_;
    QString path_;
    int message_ = 0;
    int index_ = -1;
    IntRect rect_;
    QWidget* owner_ = nullptr;
    bool hover_ = false;
    bool pressed_ = false;
    bool framed_ = false;
};

// The main window's logo box: a tile that ignores hover and clicks; only its
// picture, its hand cursor and its link are used.
class CLogoTile : public CImageTile {
  public:
    CLogoTile() : CImageTile(-1) {}
};

}  // namespace orbisk
