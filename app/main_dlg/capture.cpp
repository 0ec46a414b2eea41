// The capture command: the one road from the current camera to saved files,
// the thumbnail strip, the merge dialog and the page collection.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/main_dlg/capture_names.h"
#include "app/main_dlg/capture_rescale.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"
#include "documents/image_saver.h"
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

// The save pipeline's messages as the window's message boxes; the files it
// could not write are kept for one message after the save.
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
    void ReportWriteFailure(const QString& path) override { failed_.append(path); }

    // Tells the operator which files are missing; nothing when none is.
    void ShowWriteFailures(int language) {
        if (failed_.isEmpty() || !sink_) return;
        sink_(kNotSaved.In(language) + '\n' + failed_.join('\n'), QMessageBox::Critical);
        failed_.clear();
    }

  private:
    const MessageSink& sink_;
    QStringList failed_;
};

// Clears the busy flag however the capture ends.
class BusyGuard {
  public:
    explicit BusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyGuard() { busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    bool& busy_;
};

// Rescales a cut-out when the camera's actual size differs from the
// configured one, then runs the saver's chain on it.
cv::Mat FinishCutOut(const cv::Mat& cutOut, const std::optional<RescaleFactors>& factors,
                     CImageSaver& saver) {
    return saver.ProcessImage(factors ? RescaleCutOut(cutOut, *factors) : cutOut);
}

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

void COrbiskDlg::OnCapture() {
    // A modal loop of a running capture delivers queued presses and shots.
    if (m_bCapturing) return;
    const BusyGuard busy(m_bCapturing);

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

    const std::vector<cv::Mat> images = GrabAndProcessFrames();
    if (images.empty()) return;

    PullFromControls();
    SaverMessages notifier(env_.messages);
    CImageSaver saver(m_settings.Language, &notifier);
    saver.SetSettings(m_settings);
    QStringList written;
    saver.SaveImages(images, baseName, written);
    // Otherwise a full disk would look like a capture that worked.
    notifier.ShowWriteFailures(m_settings.Language);

    if (merge && !written.isEmpty() && !HandToMergeDialog(written, saver.BarcodeNames)) return;
    if (onePdf && !HandToCollection(written, saver.BarcodeNames, 0)) return;
    if (multiTif && !HandToCollection(written, saver.BarcodeNames, 1)) return;
    if (!m_settings.Merge && !m_settings.PDFORTIF) {
        for (const QString& file : written) AddThumbnail(file, m_tiles, kThumbnailPicture);
    }

    m_settings.INDEX += 1;
    m_nIndexEdit += 1;
    PushToControls();
    RemoveTempFiles();
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
            const QString target =
                name + (outputMode == 0 ? QStringLiteral(".pdf") : QStringLiteral(".tif"));
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

std::vector<cv::Mat> COrbiskDlg::GrabAndProcessFrames() {
    SaverMessages notifier(env_.messages);
    CImageSaver saver(m_settings.Language, &notifier);
    std::vector<cv::Mat> result;
    if (m_settings.CurrentCamera == 0 && m_pDocCamera) {
        std::vector<cv::Mat> cutOuts = m_pDocCamera->GetCroppedImages();
        if (cutOuts.empty()) return result;
        int w = 0, h = 0;
        m_pDocCamera->GetResolution(w, h);
        const auto factors = CaptureRescale(m_settings.DocCamWidth, m_settings.DocCamHeight, w, h);
        for (cv::Mat& cutOut : cutOuts) {
            saver.SetSettings(m_settings);
            cutOut = FinishCutOut(cutOut, factors, saver);
        }
        return cutOuts;
    }
    if (m_settings.CurrentCamera == 1 && m_pPorCamera) {
        const std::vector<cv::Mat> cutOuts = m_pPorCamera->GetCroppedImages();
        if (cutOuts.empty()) return result;
        // No shadow removal on the portrait camera's picture.
        SysSettings settings = m_settings;
        settings.SHADOW = 0;
        saver.SetSettings(settings);
        int w = 0, h = 0;
        m_pPorCamera->GetResolution(w, h);
        const auto factors = CaptureRescale(m_settings.PorCamWidth, m_settings.PorCamHeight, w, h);
        result.push_back(FinishCutOut(cutOuts.front(), factors, saver));
    }
    return result;
}

}  // namespace orbisk
