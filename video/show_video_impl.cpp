#include "video/show_video_impl.h"

#include "platform/window_messages.h"

namespace orbisk {

CShowVideoImpl::CShowVideoImpl() : CObjectContainer(nullptr) {
    SetOverlayBurnIn(BurnInForOtherThreads());
}

CShowVideoImpl::~CShowVideoImpl() {
    // The frame thread ends before the canvas part goes.
    StopFrameThread();
    ForgetWindow();
}

bool CShowVideoImpl::Create(QWidget* parent, int left, int top, int right, int bottom) {
    if (const int error = PreviewCreationError()) {
        ShowPreviewMessage(PreviewCreationFailedText(error));
        return false;
    }
    StopFrameThread();
    setParent(parent);
    setGeometry(left, top, right - left, bottom - top);
    show();
    StartFrameThread(this, {left, top, right, bottom});
    return true;
}

bool CShowVideoImpl::Show(bool visible) {
    setVisible(visible);
    return true;
}

void CShowVideoImpl::MoveWindow(int left, int top, int right, int bottom) {
    setGeometry(left, top, right - left, bottom - top);
    update();
}

bool CShowVideoImpl::event(QEvent* event) {
    if (event->type() == platform::WindowMessageEvent::Type()) {
        const auto* m = static_cast<platform::WindowMessageEvent*>(event);
        if (CShowVideoPro::IsPreviewMessage(m->Message())) {
            CShowVideoPro::HandleMessage(m->Message(), m->WParam(), m->LParam());
            return true;
        }
    }
    return CObjectContainer::event(event);
}

}  // namespace orbisk
