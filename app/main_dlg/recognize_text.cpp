// Text recognition: the document camera's page as a text file of its words.

#include "app/main_dlg/background_work.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/temp_folder.h"
#include "documents/capture_variants.h"
#include "documents/image_files.h"
#include "platform/language_text.h"
#include "recognition/page_recognizer.h"

#include <QFile>
#include <QTemporaryFile>

namespace orbisk {

namespace {

constexpr platform::LanguageText kRecognizing{"正在识别文字……", "正在辨識文字……",
                                              "Recognising the text..."};
constexpr platform::LanguageText kRecognitionFailed{
    "文字识别失败，没有生成文本文件。", "文字辨識失敗，沒有產生文字檔。",
    "Text recognition failed; no text file was written."};
constexpr platform::LanguageText kTextNotSaved{"文本文件无法保存：", "文字檔無法儲存：",
                                               "The text file could not be saved:"};

constexpr int kDocumentCamera = 0;

}  // namespace

void COrbiskDlg::OnRecognizeText() { RunCaptureCommand(&COrbiskDlg::RecognizeText); }

void COrbiskDlg::RecognizeText() {
    if (!m_pDocCamera || m_settings.CurrentCamera != kDocumentCamera) return;
    PullFromControls();
    SyncNamingSettings();
    if (m_settings.Play) PlayShutterSound();
    const QString name = m_settings.MakeFileName(env_.askFileName);
    if (name.isEmpty()) return;

    const cv::Mat frame = m_pDocCamera->GetFrame();
    PullFromControls();
    IntRect crop;
    const std::optional<IntRect> customCrop =
        m_pDocCamera->GetCustomCropRect(crop) ? std::optional(crop) : std::nullopt;
    const cv::Mat page = RecognitionPage(frame, RecognitionSettings(m_settings, customCrop));
    if (page.empty()) return;

    const auto fail = [this](const QString& text) {
        if (env_.messages) env_.messages(text, QMessageBox::Critical);
    };
    // The page goes to the recogniser as a file, which goes afterwards.
    QTemporaryFile scratch(TempFolder() + QStringLiteral("recognize-XXXXXX.bmp"));
    if (!scratch.open()) return fail(kRecognitionFailed.In(m_settings.Language));
    scratch.close();
    if (!WriteImageFile(scratch.fileName(), page)) {
        return fail(kRecognitionFailed.In(m_settings.Language));
    }
    const std::optional<std::string> text = RecognizeFile(scratch.fileName());
    // A failure is no blank page: nothing is written and the index stays.
    if (!text) return fail(kRecognitionFailed.In(m_settings.Language));

    const QString textFile = name + QStringLiteral(".txt");
    if (!WriteRecognizedText(textFile, QByteArray::fromStdString(*text))) {
        return fail(kTextNotSaved.In(m_settings.Language) + '\n' + textFile);
    }
    AddThumbnail(textFile, m_tiles, kThumbnailText);
    m_settings.INDEX += 1;
    m_nIndexEdit += 1;
    PushToControls();
}

std::optional<std::string> COrbiskDlg::RecognizeFile(const QString& path) {
    const auto recognize = env_.recognizePage ? env_.recognizePage : MODIRecognizeFile;
    const std::string file = QFile::encodeName(path).toStdString();
    std::optional<std::string> text;
    RunBehindProgress(this, kRecognizing.In(m_settings.Language), [&] { text = recognize(file); });
    return text;
}

}  // namespace orbisk
