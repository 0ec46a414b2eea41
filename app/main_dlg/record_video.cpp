// Video: a recording of the current camera, with a still of the page as its
// tile.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "documents/image_files.h"
#include "video/dialogs/recording_camera.h"
#include "video/dialogs/video_to_file_dlg.h"

#include <QFile>
#include <QFileInfo>
#include <QRadioButton>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

constexpr std::uint16_t kStillDpi = 96;
constexpr int kStillQuality = 90;

}  // namespace

void COrbiskDlg::OnRecordVideo() { RunCaptureCommand(&COrbiskDlg::RecordVideo); }

void COrbiskDlg::RecordVideo() {
    if (!m_pDocCamera) return;
    PullFromControls();
    SyncNamingSettings();

    CCVideoToFile dialog(this, m_settings.Language);
    if (const QWidget* preview = Control(IDC_PREVIEW)) {
        dialog.SetPreviewRect(QRect(preview->mapToGlobal(QPoint(0, 0)), preview->size()));
    }
    if (env_.messages) {
        const MessageSink sink = env_.messages;
        dialog.SetMessageSink([sink](const QString& text) { sink(text, QMessageBox::Warning); });
    }
    const QString name = m_settings.MakeFileName(env_.askFileName);
    if (name.isEmpty()) return;

    // Without a picture there is no still, and nothing to record from.
    const std::vector<cv::Mat> images = GrabAndProcessFrames();
    if (images.empty()) return;
    const QString still = name + QStringLiteral(".jpg");
    QByteArray stillPath;
    const bool haveStill =
        WriteJpegFile(still, images.front(), stillPath, kStillDpi, kStillDpi, kStillQuality);

    const QString recording = name + QStringLiteral(".asf");
    dialog.SetFilePath(recording);
    const bool portrait = m_settings.CurrentCamera == 1 && m_pPorCamera;
    CameraPort* camera = m_settings.CurrentCamera == 0 ? m_pDocCamera.get()
                         : portrait                    ? m_pPorCamera.get()
                                                       : nullptr;
    const std::unique_ptr<IRecordingCamera> recorder = camera ? camera->Recorder() : nullptr;
    dialog.SetRecordingCamera(recorder.get());
    if (env_.runRecording) {
        env_.runRecording(dialog);
    } else {
        dialog.exec();
    }
    // The recording ran the portrait camera at the recording's size.
    if (portrait) m_pPorCamera->SetResolution(m_settings.PorCamWidth, m_settings.PorCamHeight);

    const QFileInfo recorded(recording);
    const bool kept = recorded.isFile() && recorded.size() > 0;
    if (kept) AddThumbnail(recording, m_tiles, kThumbnailPicture, haveStill ? still : QString());
    QFile::remove(still);
    RestorePreviewState();
    if (!kept) return;

    m_settings.INDEX += 1;
    m_nIndexEdit += 1;
    PushToControls();
}

void COrbiskDlg::RestorePreviewState() {
    const bool autoCrop = ControlAs<QRadioButton>(IDC_CROP_AUTO)->isChecked();
    if (autoCrop) m_settings.CUTPAGETYPE = int(CropMode::Automatic);
    if (m_pDocCamera) {
        m_pDocCamera->SetRotation(m_nDocRotation);
        if (autoCrop) {
            m_pDocCamera->SetAutoDetect(true, m_settings.ISMUTICUTPAGE ? 1 : 0, kDocumentThreshold);
        }
    }
    if (m_pPorCamera) {
        m_pPorCamera->SetRotation(m_nPorRotation);
        if (autoCrop) m_pPorCamera->SetAutoDetect(true, 0, kSingleObjectThreshold);
    }
}

}  // namespace orbisk
