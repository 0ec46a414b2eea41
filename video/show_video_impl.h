#pragma once

#include "video/object_container.h"
#include "video/show_video_pro.h"

namespace orbisk {

// The preview that is itself the canvas, a child of the caller's window.
class CShowVideoImpl : public CObjectContainer, public CShowVideoPro {
  public:
    CShowVideoImpl();
    ~CShowVideoImpl() override;

    QWidget* GetHWnd() override { return this; }
    bool Create(QWidget* parent, int left, int top, int right, int bottom) override;
    bool Show(bool visible) override;
    void MoveWindow(int left, int top, int right, int bottom) override;

  protected:
    CObjectContainer* Canvas() override { return this; }
    bool event(QEvent* event) override;
};

}  // namespace orbisk
