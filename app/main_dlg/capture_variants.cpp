// Capture to PDF and photocopy: the capture road with another end, one PDF
// per image or a printed page.

#include "documents/capture_variants.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "documents/dialogs/image_printer.h"
#include "documents/dialogs/page_combine.h"
#include "documents/image_files.h"
#include "platform/language_text.h"

#include <QCheckBox>
#include <QFile>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

constexpr platform::LanguageText kPdfNotWritten{"无法生成PDF文件，图像已保留：",
                                                "無法產生PDF檔案，圖像已保留：",
                                                "The PDF could not be written; the image is kept:"};

}  // namespace

void COrbiskDlg::OnCaptureToPdf() { RunCaptureCommand(&COrbiskDlg::CaptureToPdf); }

void COrbiskDlg::OnAccelCaptureToPdf() { OnCaptureToPdf(); }

void COrbiskDlg::CaptureToPdf() {
    if (!m_pDocCamera) return;
    PullFromControls();
    SyncNamingSettings();

    const auto checked = [this](int id) { return ControlAs<QCheckBox>(id)->isChecked(); };
    const bool onePdf = checked(IDC_ONE_PDF);
    const QString baseName = checked(IDC_MERGE) || onePdf || checked(IDC_MULTI_PAGE_TIF)
                                 ? m_settings.MakeTempFileName()
                                 : m_settings.MakeFileName(env_.askFileName);
    if (baseName.isEmpty()) return;
    if (m_settings.Play) PlayShutterSound();

    const CaptureFrames frames = GrabFrames();
    PullFromControls();
    const CaptureResult result = SaveGrab(frames, baseName);
    if (result.pages == 0) return;
    PullFromControls();
    ShowWriteFailures(result.failures);

    if (!result.written.isEmpty()) {
        if (onePdf) {
            if (!HandToCollection(result.written, result.barcodeNames, kCombineToPdf)) return;
        } else {
            WritePdfsBeside(result.written);
        }
    }
    m_settings.INDEX += 1;
    m_nIndexEdit += 1;
    PushToControls();
}

void COrbiskDlg::WritePdfsBeside(const QStringList& written) {
    CImagePrinter printer(m_settings.Language);
    QStringList kept;
    for (const QString& image : written) {
        const QString pdf = PdfNameBeside(image);
        // Without its PDF the image is the capture: it stays.
        if (printer.SaveAsPdf(image) && QFile::exists(pdf)) {
            AddThumbnail(pdf, m_tiles, kThumbnailPicture, image);
            QFile::remove(image);
        } else {
            AddThumbnail(image, m_tiles, kThumbnailPicture);
            kept.append(image);
        }
    }
    if (!kept.isEmpty() && env_.messages) {
        env_.messages(kPdfNotWritten.In(m_settings.Language) + '\n' + kept.join('\n'),
                      QMessageBox::Critical);
    }
}

void COrbiskDlg::OnPhotocopy() { RunCaptureCommand(&COrbiskDlg::Photocopy); }

void COrbiskDlg::OnAccelPhotocopy() { OnPhotocopy(); }

void COrbiskDlg::Photocopy() {
    if (!m_pDocCamera) return;
    PullFromControls();
    SyncNamingSettings();
    if (m_settings.Play) PlayShutterSound();

    const std::vector<cv::Mat> images = GrabAndProcessFrames();
    if (images.empty()) return;
    PullFromControls();

    CImagePrinter printer(m_settings.Language);
    printer.Settings = m_settings;
    if (env_.printSetup) printer.SetPrintSetup(env_.printSetup);
    const MessageSink sink = env_.messages;
    if (sink)
        printer.SetMessageSink([sink](const QString& text) { sink(text, QMessageBox::Critical); });

    // One scratch file for every page, gone after each print.
    const QString scratch = m_settings.MakeTempFileName() + QStringLiteral(".bmp");
    for (const cv::Mat& image : images) {
        if (WriteImageFile(scratch, image)) {
            printer.Print(scratch);
        } else if (sink) {
            sink(printer.FailureText(), QMessageBox::Critical);
        }
        QFile::remove(scratch);
    }
}

}  // namespace orbisk
