// Reading and writing images in any format that OpenCV's codecs know.

#include <QFileInfo>
#include <opencv2/imgcodecs.hpp>

#include <vector>

#include "core/image_header.h"
#include "core/text_conversion.h"
#include "documents/image_files.h"
#include "platform/atomic_file.h"

namespace orbisk {

bool IsSoundPageFile(const QString& path) {
    return PageImageSize(path).has_value() &&
           (!HasJpegSignature(path) || JpegFileDecodesWhole(path));
}

cv::Mat ReadImageFile(const QString& path) {
    if (!IsSoundPageFile(path)) {
        return {};
    }
    try {
        return cv::imread(WideToAnsi(path).toStdString(),
                          cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception&) {
        return {};
    }
}

bool WriteImageFile(const QString& path, const cv::Mat& image) {
    if (path.isEmpty() || image.empty()) {
        return false;
    }
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) {
        return false;
    }
    // Encode in memory first: the encoder follows the final name's extension,
    // while the bytes go to a temporary name that has none.
    std::vector<unsigned char> encoded;
    try {
        if (!cv::imencode("." + suffix.toStdString(), image, encoded)) {
            return false;
        }
    } catch (const cv::Exception&) {
        return false;  // no encoder for the extension, or a layout it refuses
    }
    return platform::WriteFileAtomically(
        path, QByteArray::fromRawData(reinterpret_cast<const char*>(encoded.data()),
                                      static_cast<qsizetype>(encoded.size())));
}

}  // namespace orbisk
