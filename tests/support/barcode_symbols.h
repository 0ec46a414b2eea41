#pragma once

#include <opencv2/imgproc.hpp>

#include <zint.h>

#include <string>

namespace orbisk::test {

// A barcode or QR code drawn by libzint, black on white, one channel, without
// human-readable text and without a quiet zone; empty when libzint refuses the
// data. At scale 1 a module is two pixels wide.
inline cv::Mat ZintSymbol(int symbology, const std::string& data, float scale) {
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = symbology;
    symbol->scale = scale;
    symbol->show_hrt = 0;
    cv::Mat grey;
    if (ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(data.data()),
                                   static_cast<int>(data.size()), 0) < ZINT_ERROR) {
        const cv::Mat rgb(symbol->bitmap_height, symbol->bitmap_width, CV_8UC3, symbol->bitmap);
        cv::cvtColor(rgb, grey, cv::COLOR_RGB2GRAY);
    }
    ZBarcode_Delete(symbol);
    return grey;
}

// A white colour page of `size` with the one-channel symbol in its middle.
inline cv::Mat OnWhitePage(const cv::Mat& symbol, cv::Size size) {
    cv::Mat code;
    cv::cvtColor(symbol, code, cv::COLOR_GRAY2BGR);
    cv::Mat page(size, CV_8UC3, cv::Scalar(255, 255, 255));
    code.copyTo(page(
        cv::Rect((page.cols - code.cols) / 2, (page.rows - code.rows) / 2, code.cols, code.rows)));
    return page;
}

}  // namespace orbisk::test
