#pragma once

#include <QString>
#include <opencv2/core.hpp>

#include <vector>

#include "documents/tiff_writer.h"

namespace orbisk {

// Black-and-white TIFF files (1 bit, CCITT group 4). Every added page rewrites
// the whole file with all pages so far; the file is replaced only once it has
// been written completely.
class CBilevelTiffWriter {
  public:
    void SetPath(const QString& path) { path_ = path; }
    // Stores both when both are at least 1; otherwise false and nothing changes.
    bool SetResolution(int x, int y);
    // 0 written; 1 empty page (nothing added); 2 the file could not be written
    // (the page stays in the list).
    int AddPage(const cv::Mat& page);

  private:
    QString path_;
    std::vector<BilevelPage> pages_;
    int xResolution_ = 96;
    int yResolution_ = 96;
};

}  // namespace orbisk
