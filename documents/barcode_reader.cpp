#include "documents/barcode_reader.h"

#include <zbar.h>
#include <QByteArray>
#include <QString>
#include <opencv2/imgproc.hpp>
#include "platform/text_decoding.h"

#include <cstdio>
#include <memory>

#include "imaging/binarization.h"

namespace orbisk {

// zbar.h puts its C interface into namespace zbar when compiled as C++.
using namespace zbar;

namespace {

struct ScannerDeleter {
    void operator()(zbar_image_scanner_t* scanner) const { zbar_image_scanner_destroy(scanner); }
};
struct ImageDeleter {
    void operator()(zbar_image_t* image) const { zbar_image_destroy(image); }
};

// QR data as UTF-8 text. zbar hands over the raw bytes, as its own guess reads
// UTF-8 Chinese without an ECI marker as Shift-JIS; bytes that are not UTF-8
// come from programs of the Chinese code page (GB18030).
std::string QrText(const char* data, unsigned length) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(length));
    return platform::DecodeUtf8OrGb18030(bytes).toUtf8().toStdString();
}

}  // namespace

bool CBarcodeReader::Decode(const cv::Mat& page, BarcodeResults& results, bool raw) {
    results.clear();
    if (page.empty()) {
        return false;
    }
    if (raw) {
        return !ScanImage(results, page);
    }
    cv::Mat binary;
    AdaptiveBinarize(page, blockSize_, constant_, binary);
    if (binary.empty()) {
        return true;
    }
    return !ScanImage(results, binary);
}

bool CBarcodeReader::ScanImage(BarcodeResults& results, const cv::Mat& image) {
    if (image.empty() || image.depth() != CV_8U || image.dims != 2) {
        return true;
    }
    std::unique_ptr<zbar_image_scanner_t, ScannerDeleter> scanner(zbar_image_scanner_create());
    if (!scanner) {
        std::fprintf(stderr, "%s", "zbar: the image scanner could not be created\n");
        return true;
    }
    // zbar's own defaults: no EAN-2/EAN-5 add-ons (they read plain text as
    // digits), UPC-A and ISBN reported as EAN-13.
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, 1);

    // zbar reads 8-bit grey rows without padding; the copy outlives the image.
    cv::Mat grey;
    if (image.channels() == 1) {
        grey = image.isContinuous() ? image : image.clone();
    } else if (image.channels() == 3 || image.channels() == 4) {
        cv::cvtColor(image, grey, image.channels() == 3 ? cv::COLOR_RGB2GRAY : cv::COLOR_RGBA2GRAY);
    } else {
        return true;
    }

    std::unique_ptr<zbar_image_t, ImageDeleter> zimage(zbar_image_create());
    if (!zimage) {
        return true;
    }
    zbar_image_set_format(zimage.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(zimage.get(), static_cast<unsigned>(grey.cols),
                        static_cast<unsigned>(grey.rows));
    zbar_image_set_data(zimage.get(), grey.data, grey.total(), nullptr);
    if (zbar_scan_image(scanner.get(), zimage.get()) < 0) {
        return true;
    }
    for (const zbar_symbol_t* symbol = zbar_image_first_symbol(zimage.get()); symbol != nullptr;
         symbol = zbar_symbol_next(symbol)) {
        const zbar_symbol_type_t type = zbar_symbol_get_type(symbol);
        if (type == ZBAR_PARTIAL) {
            continue;
        }
        // Data may hold zero bytes (binary QR content): take it by length.
        const char* data = zbar_symbol_get_data(symbol);
        const unsigned length = zbar_symbol_get_data_length(symbol);
        results.emplace_back(zbar_get_symbol_name(type));
        if (type == ZBAR_QRCODE) {
            results.push_back(QrText(data, length));
        } else {
            results.emplace_back(data, length);
        }
    }
    return false;
}

}  // namespace orbisk
