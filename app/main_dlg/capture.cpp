// The capture command, and what every capture command shares: one at a time
// through the window's gate, the grab from the current camera, and the hand-on
// of the written files to the thumbnail strip, the merge dialog or the page
// collection. The road between grab and files is documents/capture_road.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "documents/capture_names.h"
#include "documents/capture_road.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/page_combine.h"
#include "documents/dialogs/show_image_dlg.h"
#include "platform/language_text.h"
#include "platform/program_folders.h"

#include <QCheckBox>
#include <QFile>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

// The capture's files that could not be written.
constexpr platform::LanguageText kNotSaved{"图像无法保存：", "圖像無法儲存：",
                                           "The image could not be saved:"};

// The save pipeline's messages as the window's message boxes.
class SaverMessages : public ISaverNotifier {
  public:
    explicit SaverMessages(const MessageSink& sink) : sink_(sink) {}
    void ShowMessage(const QString& text, SaverIcon icon) override {
        if (!sink_) return;
        const QMessageBox::Icon shown = icon == SaverIcon::Stop          ? QMessageBox::Critical
                                        : icon == SaverIcon::Information ? QMessageBox::Information
                                                                         : QMessageBox::NoIcon;
        sink_(text, shown);
    }
    void ReportWriteFailure(const QString&) override {}

  private:
    const MessageSink& sink_;
};

}  // namespace

CShowImageDlg* COrbiskDlg::MergeDlg() const { return m_pMergeDlg.data(); }

void COrbiskDlg::OnAccelCapture() { OnCapture(); }

qintptr COrbiskDlg::OnCameraButton(qintptr, qintptr) {
    OnCapture();
    return 0;
}

qintptr COrbiskDlg::OnShootRequest(qintptr wParam, qintptr) {
    PullFromControls();
    SyncNamingSettings();
    if (!m_pShootDlg) return 0;
    if (wParam == 0) {
        OnCapture();
    } else if (wParam == 1) {
        DeleteShootDialog();
        PushToControls();
    }
    return 0;
}

void COrbiskDlg::SyncNamingSettings() {
    m_settings.INDEX = m_nIndexEdit;
    m_settings.TypeofImageName = m_nNamingRule;
    m_settings.PREFIX = m_strCurrentPrefix;
}

void COrbiskDlg::RemoveTempFiles() {
    QFile::remove(QStringLiteral("tmp.bmp"));
    QFile::remove(QStringLiteral("tmp.jpg"));
}

void COrbiskDlg::PlayShutterSound() {
    const QString path = platform::ResourcePath(QStringLiteral("paizhao.wav"));
    if (env_.playSound) {
        env_.playSound(path);
    } else {
        m_shutterSound.PlayAsync(path);
    }
}

void COrbiskDlg::RunCaptureCommand(void (COrbiskDlg::*command)()) {
    m_captureGate.Run([this, command] { (this->*command)(); });
}

void COrbiskDlg::OnCapture() { RunCaptureCommand(&COrbiskDlg::Capture); }

void COrbiskDlg::Capture() {
    PullFromControls();
    SyncNamingSettings();
    if (!m_pDocCamera) return;
    if (m_settings.Play) PlayShutterSound();

    const auto checked = [this](int id) { return ControlAs<QCheckBox>(id)->isChecked(); };
    const bool merge = checked(IDC_MERGE);
    const bool onePdf = checked(IDC_ONE_PDF);
    const bool multiTif = checked(IDC_MULTI_PAGE_TIF);
    const QString baseName = merge || onePdf || multiTif
                                 ? m_settings.MakeTempFileName()
                                 : m_settings.MakeFileName(env_.askFileName);
    if (baseName.isEmpty()) return;

    const CaptureFrames frames = GrabFrames();
    PullFromControls();
    const CaptureResult result = SaveGrab(frames, baseName);
    if (result.pages == 0) return;
    // Otherwise a full disk would look like a capture that worked.
    ShowWriteFailures(result.failures);

    const QStringList& written = result.written;
    if (merge && !written.isEmpty() && !HandToMergeDialog(written, result.barcodeNames)) return;
    if (onePdf && !HandToCollection(written, result.barcodeNames, kCombineToPdf)) return;
    if (multiTif && !HandToCollection(written, result.barcodeNames, kCombineToTiff)) return;
    if (!m_settings.Merge && m_settings.PDFORTIF == int(CollectionMode::None)) {
        for (const QString& file : written) AddThumbnail(file, m_tiles, kThumbnailPicture);
    }

    m_settings.INDEX += 1;
    m_nIndexEdit += 1;
    PushToControls();
    RemoveTempFiles();
}

CaptureResult COrbiskDlg::SaveGrab(const CaptureFrames& frames, const QString& baseName) {
    SaverMessages notifier(env_.messages);
    return RunCaptureRoad(frames, m_settings, baseName, &notifier);
}

void COrbiskDlg::ShowWriteFailures(const QStringList& failures) {
    if (failures.isEmpty() || !env_.messages) return;
    env_.messages(kNotSaved.In(m_settings.Language) + '\n' + failures.join('\n'),
                  QMessageBox::Critical);
}

QString COrbiskDlg::CollectionName(const std::vector<std::string>& barcodes) {
    const QString ruleName = m_settings.MakeFileName(env_.askFileName);
    if (ruleName.isEmpty() || !m_settings.RECOGNIZE) return ruleName;
    if (const std::optional<QString> named = BarcodeCollectionName(ruleName, barcodes)) {
        return *named;
    }
    Message(kMsgBadBarcodeName, QMessageBox::Critical);
    return ruleName;
}

bool COrbiskDlg::HandToMergeDialog(const QStringList& written,
                                   const std::vector<std::string>& barcodes) {
    if (!m_pMergeDlg) {
        const QString name = CollectionName(barcodes);
        if (name.isEmpty()) return false;
        m_pMergeDlg = new CShowImageDlg(1, this, m_settings.Language);
        ConnectMergeDialog(m_pMergeDlg);
        m_pMergeDlg->SetSettings(m_settings);
        for (const QString& file : written) m_pMergeDlg->AddImage(file);
        m_pMergeDlg->SetSettings(m_settings);
        m_pMergeDlg->MergeBaseName = name;
        m_pMergeDlg->show();
        activateWindow();
        setFocus();
    } else {
        for (const QString& file : written) m_pMergeDlg->AddImage(file);
    }
    m_pMergeDlg->Redraw();
    return true;
}

bool COrbiskDlg::HandToCollection(const QStringList& written,
                                  const std::vector<std::string>& barcodes, int outputMode) {
    for (const QString& file : written) {
        if (!m_pPageDlg) {
            const QString name = CollectionName(barcodes);
            if (name.isEmpty()) return false;
            const QString target = name + (outputMode == kCombineToPdf ? QStringLiteral(".pdf")
                                                                       : QStringLiteral(".tif"));
            m_pPageDlg = std::make_unique<CMultiPageDlg>(this, outputMode, m_settings.Language);
            m_pPageDlg->Settings = m_settings;
            m_pPageDlg->TargetName = target;
            m_pPageDlg->show();
            // The collection's tile shows its first page and stands for the
            // document it will write.
            AddThumbnail(target, m_tiles, kThumbnailPicture, file);
        }
        m_pPageDlg->AddPage(file);
    }
    return true;
}

CaptureFrames COrbiskDlg::GrabFrames() {
    CameraPort* camera = m_settings.CurrentCamera == 0   ? m_pDocCamera.get()
                         : m_settings.CurrentCamera == 1 ? m_pPorCamera.get()
                                                         : nullptr;
    CaptureFrames frames;
    if (!camera) return frames;
    // The size first: the camera may go (unplugged) while the grab waits.
    camera->GetResolution(frames.cameraWidth, frames.cameraHeight);
    frames.cutOuts = camera->GetCroppedImages();
    if (frames.cutOuts.empty()) frames.cameraWidth = frames.cameraHeight = 0;
    return frames;
}

std::vector<cv::Mat> COrbiskDlg::GrabAndProcessFrames() {
    return ProcessCutOuts(GrabFrames(), m_settings);
}

}  // namespace orbisk
