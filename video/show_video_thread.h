#pragma once

#include "video/show_video_pro.h"

#include <QPointer>

namespace orbisk {

class ShowVideoWindow;

// The preview as a window of its own ("ShowVideoWindow") that hosts the
// canvas as a child filling it. The window and the canvas live on the UI
// thread like every widget; the frame thread does the heavy work. The main
// window's camera controllers use this variant.
class CShowVideoThread : public CShowVideoPro {
  public:
    CShowVideoThread();
    ~CShowVideoThread() override;

    QWidget* GetHWnd() override;
    bool Create(QWidget* parent, int left, int top, int right, int bottom) override;
    bool Show(bool visible) override;
    void MoveWindow(int left, int top, int right, int bottom) override;

  protected:
    CObjectContainer* Canvas() override;
    // No rotation without a canvas to turn.
    bool CanTurn() override { return Canvas() != nullptr; }

  private:
    friend class ShowVideoWindow;
    void DestroyWindow();
    void WindowGone();

    QPointer<ShowVideoWindow> window_;
};

}  // namespace orbisk
