#include "video/show_video.h"

#include "video/log_categories.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <QtDebug>

#include <mutex>

namespace orbisk {
namespace {

std::mutex handlerLock;
PreviewMessageHandler& Handler() {
    static PreviewMessageHandler handler;
    return handler;
}

}  // namespace

QObject* WindowObject(QWidget* window) { return window; }

int PreviewCreationError() {
    const auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        return kPreviewNoGuiApplication;
    }
    return QThread::currentThread() == app->thread() ? 0 : kPreviewNotGuiThread;
}

QString PreviewCreationFailedText(int error) {
    return QString::fromUtf8("创建视频预览窗口失败，错误码：%1").arg(error);
}

void SetPreviewMessageHandler(PreviewMessageHandler handler) {
    std::lock_guard lock(handlerLock);
    Handler() = std::move(handler);
}

void ShowPreviewMessage(const QString& text) {
    PreviewMessageHandler handler;
    {
        std::lock_guard lock(handlerLock);
        handler = Handler();
    }
    if (handler) {
        handler(text);
        return;
    }
    // No window has taken the messages: the log keeps them.
    qCWarning(lcVideo).noquote() << text;
}

}  // namespace orbisk
