// Writing the pages of one capture: barcode naming, numbering and formats.
// Every writer fills a temporary file in the target folder and renames it into
// place, so a final name never holds a half-written file.

#include <QFile>

#include <algorithm>
#include <cstdint>

#include "core/text_conversion.h"
#include "documents/barcode_file_name.h"
#include "documents/barcode_reader.h"
#include "documents/barcode_text.h"
#include "documents/bilevel_tiff_writer.h"
#include "documents/image_files.h"
#include "documents/image_saver.h"
#include "platform/atomic_file.h"

namespace orbisk {
namespace {

constexpr int kBlackAndWhite = int(ColourMode::BlackAndWhite);

std::uint16_t Density(int dpi) { return static_cast<std::uint16_t>(std::clamp(dpi, 1, 65535)); }

// The (type, data) pairs of every page, in page order.
BarcodeResults ReadBarcodes(const std::vector<cv::Mat>& pages, bool raw) {
    BarcodeResults pooled;
    CBarcodeReader reader;
    for (const cv::Mat& page : pages) {
        BarcodeResults found;
        if (reader.Decode(page, found, raw)) {
            pooled.insert(pooled.end(), found.begin(), found.end());
        }
    }
    return pooled;
}

}  // namespace

int CImageSaver::SaveImages(const std::vector<cv::Mat>& pages, const QString& baseName,
                            QStringList& written) {
    const QString base = settings_.RECOGNIZE ? ApplyBarcodes(pages, baseName) : baseName;
    const bool numbered = pages.size() > 1;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QString name =
            numbered ? base + '_' + QString::asprintf("%02d", static_cast<int>(i)) : base;
        const QString path = WritePage(pages[i], name);
        if (!path.isEmpty()) {
            written.append(path);
        }
    }
    return 0;
}

QString CImageSaver::ApplyBarcodes(const std::vector<cv::Mat>& pages, const QString& baseName) {
    const BarcodeResults pairs = ReadBarcodes(pages, settings_.COLOR == kBlackAndWhite);

    if (settings_.PDFORTIF != int(CollectionMode::None) || settings_.Merge != 0) {
        // Collected for the name of the collected or merged file.
        for (size_t i = 1; i < pairs.size(); i += 2) {
            if (IsUsableBarcodeName(QByteArray::fromStdString(pairs[i]))) {
                BarcodeNames.push_back(pairs[i]);
            }
        }
        return baseName;
    }

    if (pairs.size() < 2) {
        Show(notRecognisedText_, SaverIcon::None);
        return baseName;
    }

    if (!settings_.BARCODETOFILE) {
        const QByteArray data = QByteArray::fromStdString(pairs[1]);
        if (!IsUsableBarcodeName(data)) {
            Show(specialCharactersText_, SaverIcon::Stop);
            return baseName;
        }
        return BarcodeBaseName(baseName, data);
    }

    QByteArray json;
    const QString textPath = baseName + QStringLiteral(".txt");
    if (BarcodesToJson(pairs, &json, nullptr) == 1 &&
        platform::WriteFileAtomically(textPath, Utf8ToAnsi(json))) {
        Show(savedInText_ + ' ' + textPath + QStringLiteral(" !"), SaverIcon::Information);
    } else {
        Show(notSavedInText_ + ' ' + textPath + QStringLiteral(" !"), SaverIcon::Stop);
    }
    return baseName;
}

QString CImageSaver::WritePage(const cv::Mat& page, const QString& name) {
    const bool bilevel = settings_.COLOR == kBlackAndWhite;
    QString path;
    bool ok = false;
    switch (settings_.IMG_FORMAT) {
        case int(ImageFormat::Default):
            path = name + (bilevel ? QStringLiteral(".tif") : QStringLiteral(".jpg"));
            ok = !(bilevel ? SaveTiff(page, name) : SaveJpeg(page, name)).isEmpty();
            break;
        case int(ImageFormat::Bmp):
            path = name + QStringLiteral(".BMP");
            ok = WriteImageFile(path, page);
            break;
        case int(ImageFormat::Jpg):
            path = name + QStringLiteral(".jpg");
            ok = !SaveJpeg(page, name).isEmpty();
            break;
        case int(ImageFormat::Png):
            path = name + QStringLiteral(".PNG");
            ok = WriteImageFile(path, page);
            break;
        case int(ImageFormat::Tif):
            if (bilevel) {
                path = name + QStringLiteral(".tif");
                ok = !SaveTiff(page, name).isEmpty();
            } else {
                path = name + QStringLiteral(".TIF");
                ok = WriteImageFile(path, page);
            }
            break;
        case int(ImageFormat::Gif): {
            // JPEG data under a ".GIF" name, as readers of these files expect.
            // Written straight to that name: the rename replaces an older file
            // and no ".jpg" is left behind.
            path = name + QStringLiteral(".GIF");
            QByteArray writtenPath;
            ok = !name.isEmpty() && WriteJpegFile(path, page, writtenPath, Density(settings_.XDPI),
                                                  Density(settings_.YDPI), settings_.JPGQuality);
            break;
        }
        default:
            path = name;
            break;
    }
    if (!ok) {
        if (notifier_ != nullptr) {
            notifier_->ReportWriteFailure(path);
        }
        return QString();
    }
    return path;
}

QString CImageSaver::SaveJpeg(const cv::Mat& page, const QString& name) {
    if (name.isNull()) {
        return QString();
    }
    QByteArray writtenPath;
    if (!WriteJpegFile(name + QStringLiteral(".jpg"), page, writtenPath, Density(settings_.XDPI),
                       Density(settings_.YDPI), settings_.JPGQuality)) {
        return QString();
    }
    return QFile::decodeName(writtenPath);
}

QString CImageSaver::SaveTiff(const cv::Mat& page, const QString& name) {
    if (name.isNull() || page.empty()) {
        return QString();
    }
    CBilevelTiffWriter writer;
    writer.SetResolution(settings_.XDPI, settings_.YDPI);
    const QString path = name + QStringLiteral(".tif");
    writer.SetPath(path);
    return writer.AddPage(page) == 0 ? path : QString();
}

}  // namespace orbisk
