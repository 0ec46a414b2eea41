#include "documents/capture_variants.h"

#include "documents/image_saver.h"
#include "platform/atomic_file.h"

namespace orbisk {

QString PdfNameBeside(const QString& image) {
    const int dot = image.lastIndexOf(QLatin1Char('.'));
    const int slash = image.lastIndexOf(QLatin1Char('/'));
    const QString stem = dot > slash ? image.left(dot) : image;
    return stem + QStringLiteral(".pdf");
}

SysSettings RecognitionSettings(const SysSettings& settings,
                                const std::optional<IntRect>& customCrop) {
    SysSettings used = settings;
    if (customCrop) used.CaptureCropRect = *customCrop;
    used.SHADOW = 0;
    used.DEFORMATION = 0;
    used.COLOR = 0;
    used.DateMark = 0;
    used.Custom = 0;
    used.ISMUTICUTPAGE = false;
    return used;
}

int LargestPageIndex(const std::vector<cv::Mat>& pages) {
    int best = -1;
    long long bestArea = -1;
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        const long long area = static_cast<long long>(pages[i].rows) * pages[i].cols;
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

cv::Mat RecognitionPage(const cv::Mat& frame, const SysSettings& settings) {
    CImageSaver saver(settings.Language);
    saver.SetSettings(settings);
    std::vector<cv::Mat> pages;
    if (saver.ProcessCapture(frame, pages) != 0) return {};
    const int largest = LargestPageIndex(pages);
    return largest < 0 ? cv::Mat() : pages[largest];
}

bool WriteRecognizedText(const QString& path, const QByteArray& utf8) {
    return platform::WriteFileAtomically(path, QString::fromUtf8(utf8).toUtf8());
}

}  // namespace orbisk
