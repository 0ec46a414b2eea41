#include "documents/barcode_reader.h"

#include <zbar.h>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <memory>

#include "imaging/binarization.h"

namespace orbisk {

// zbar.h puts its C interface into namespace zbar when compiled as C++.
using namespace zbar;

namespace {

// The symbologies whose names the barcode results can carry.
constexpr zbar_symbol_type_t kSymbologies[] = {
    ZBAR_EAN2,   ZBAR_EAN5,   ZBAR_EAN8,    ZBAR_UPCE,    ZBAR_ISBN10,      ZBAR_UPCA,
    ZBAR_EAN13,  ZBAR_ISBN13, ZBAR_I25,     ZBAR_DATABAR, ZBAR_DATABAR_EXP, ZBAR_CODABAR,
    ZBAR_CODE39, ZBAR_CODE93, ZBAR_CODE128, ZBAR_PDF417,  ZBAR_QRCODE,
};

struct ScannerDeleter {
    void operator()(zbar_image_scanner_t* scanner) const { zbar_image_scanner_destroy(scanner); }
};
struct ImageDeleter {
    void operator()(zbar_image_t* image) const { zbar_image_destroy(image); }
};

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
    for (const zbar_symbol_type_t symbology : kSymbologies) {
        zbar_image_scanner_set_config(scanner.get(), symbology, ZBAR_CFG_ENABLE, 1);
    }

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
        results.emplace_back(zbar_get_symbol_name(type));
        results.emplace_back(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
    }
    return false;
}

}  // namespace orbisk
