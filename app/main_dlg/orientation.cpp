// The page-orientation thread: its start, its stop and its results.

#include "app/main_dlg/orbisk_dlg.h"
#include "platform/program_folders.h"

#include <QFile>

namespace orbisk {

void COrbiskDlg::StartOrientation() {
    if (!m_settings.DOCCHECK || m_orientationThread.Running() || !m_pDocCamera) return;
    // A thread that ended by itself is joined before another is made.
    StopOrientation();
    if (env_.orientationBody) {
        m_orientationThread.Start(env_.orientationBody);
        return;
    }
    auto camera = std::make_shared<OrientationCamera>(m_pDocCamera.get());
    m_orientationCamera = camera;
    const QString path = env_.orientationTemplate.isEmpty()
                             ? platform::ResourcePath(QString::fromLatin1(kOrientationTemplateName))
                             : env_.orientationTemplate;
    m_orientationThread.Start([camera, path = QFile::encodeName(path).toStdString(),
                               detector = env_.orientationDetector
                                              ? env_.orientationDetector
                                              : OrientationDetectorFactory(MakeDocOcrDetector),
                               window = this](platform::WorkerThread::Context& context) {
        RunOrientation(context, *camera, detector, path, window);
    });
}

void COrbiskDlg::StopOrientation() {
    m_orientationThread.Stop();
    if (m_orientationCamera) m_orientationCamera->Clear();
    m_orientationCamera.reset();
}

qintptr COrbiskDlg::OnOrientationResult(qintptr wParam, qintptr lParam) {
    if (wParam == 0) {
        // The thread ended by itself: joined, so that a later start makes a
        // new one. The end of an earlier run leaves a later one alone.
        if (m_orientationCamera && m_orientationCamera->endedByItself) StopOrientation();
        return 0;
    }
    // A result that arrives after the document camera went turns nothing.
    if (!m_pDocCamera) return 0;
    const int rotation = RotationAfterOrientation(m_nDocRotation, lParam);
    // An upright page (0) leaves the picture as it is.
    if (rotation < 0 || rotation == m_nDocRotation) return 0;
    // The running picture only: the stored rotation stays the operator's.
    m_nDocRotation = rotation;
    m_pDocCamera->SetRotation(m_nDocRotation);
    return 0;
}

}  // namespace orbisk
