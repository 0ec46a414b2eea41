#include "video/show_video_thread.h"

#include "platform/window_messages.h"
#include "video/object_container.h"

#include <QResizeEvent>
#include <QWidget>

namespace orbisk {

// The raw window of the preview: it forwards the preview's private messages
// to its owner, keeps the canvas filling it and passes the canvas's double
// click on to its own parent.
class ShowVideoWindow : public QWidget {
  public:
    ShowVideoWindow(CShowVideoThread* owner, QWidget* parent)
        : QWidget(parent), owner_(owner), canvas_(new CObjectContainer(this)) {
        setObjectName(QStringLiteral("ShowVideoWindow"));
        setWindowTitle(QStringLiteral("ShowVideoWindow"));
        canvas_->setGeometry(rect());
    }
    ~ShowVideoWindow() override {
        // Deleted by the owner or with the parent: either way no frame is
        // posted here any more, and the canvas is gone for the owner.
        canvas_ = nullptr;
        if (owner_) {
            owner_->WindowGone();
        }
    }

    CObjectContainer* Canvas() const { return canvas_; }
    void Detach() { owner_ = nullptr; }

  protected:
    bool event(QEvent* event) override {
        if (event->type() == platform::WindowMessageEvent::Type()) {
            const auto* m = static_cast<platform::WindowMessageEvent*>(event);
            if (m->Message() == platform::WM_PREVIEW_DBLCLK) {
                platform::PostWindowMessage(parentWidget(), platform::WM_PREVIEW_DBLCLK);
            } else if (owner_ && CShowVideoPro::IsPreviewMessage(m->Message())) {
                owner_->HandleMessage(m->Message(), m->WParam(), m->LParam());
            }
            return true;
        }
        return QWidget::event(event);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (canvas_) {
            canvas_->setGeometry(rect());
        }
    }

  private:
    CShowVideoThread* owner_;
    CObjectContainer* canvas_;  // a child: deleted with the window
};

CShowVideoThread::CShowVideoThread() = default;

CShowVideoThread::~CShowVideoThread() {
    StopFrameThread();
    DestroyWindow();
}

QWidget* CShowVideoThread::GetHWnd() { return window_.data(); }

CObjectContainer* CShowVideoThread::Canvas() { return window_ ? window_->Canvas() : nullptr; }

bool CShowVideoThread::Create(QWidget* parent, int left, int top, int right, int bottom) {
    if (const int error = PreviewCreationError()) {
        ShowPreviewMessage(PreviewCreationFailedText(error));
        return false;
    }
    StopFrameThread();
    DestroyWindow();
    auto* window = new ShowVideoWindow(this, parent);
    window->setGeometry(left, top, right - left, bottom - top);
    window->show();
    window_ = window;
    SetOverlayBurnIn(window->Canvas()->BurnInForOtherThreads());
    StartFrameThread(window, {left, top, right, bottom});
    return true;
}

void CShowVideoThread::DestroyWindow() {
    if (ShowVideoWindow* window = window_.data()) {
        window->Detach();
        ForgetWindow();
        SetOverlayBurnIn(nullptr);
        delete window;
    }
    window_ = nullptr;
}

void CShowVideoThread::WindowGone() {
    ForgetWindow();
    SetOverlayBurnIn(nullptr);
    window_ = nullptr;
}

bool CShowVideoThread::Show(bool visible) {
    if (window_) {
        window_->setVisible(visible);
    }
    return true;
}

void CShowVideoThread::MoveWindow(int left, int top, int right, int bottom) {
    if (window_) {
        window_->setGeometry(left, top, right - left, bottom - top);
        window_->update();
    }
}

}  // namespace orbisk
