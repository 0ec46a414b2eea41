#pragma once

#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace orbisk {

// Decoded symbols as a flat list: for each symbol its type name ("QR-Code",
// "EAN-13", ...) and then its data, byte for byte (UTF-8 text for QR codes).
using BarcodeResults = std::vector<std::string>;

// Reads barcodes and QR codes with zbar's image scanner.
class CBarcodeReader {
  public:
    CBarcodeReader() = default;

    // Empties `results`, then scans the page: unchanged when `raw`, otherwise
    // an adaptively binarised copy. True when the page was scanned, with or
    // without findings; false for an empty page or when scanning failed.
    bool Decode(const cv::Mat& page, BarcodeResults& results, bool raw);

    // Appends what zbar finds on the image (turned grey first) to `results`,
    // in zbar's order, skipping partial symbols. True on failure (scanner not
    // set up, image of an unusable type), false when the image was scanned.
    bool ScanImage(BarcodeResults& results, const cv::Mat& image);

  private:
    // The adaptive binarisation before decoding.
    int blockSize_ = 131;
    int constant_ = 30;
};

}  // namespace orbisk
