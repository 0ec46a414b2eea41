#include "app/main_dlg/background_work.h"

#include "platform/worker_thread.h"

#include <QEventLoop>
#include <QProgressDialog>

namespace orbisk {

void RunBehindProgress(QWidget* owner, const QString& label, const std::function<void()>& work) {
    QProgressDialog progress(label, QString(), 0, 0, owner);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.show();

    QEventLoop loop;
    platform::WorkerThread worker;
    // The quit is queued, so an end before exec() still ends it.
    worker.Start([&work, &loop](platform::WorkerThread::Context&) {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.Stop();
}

}  // namespace orbisk
