#include "documents/bilevel_tiff_writer.h"

#include <tiffio.h>

#include "platform/atomic_file.h"

namespace orbisk {

bool CBilevelTiffWriter::SetResolution(int x, int y) {
    if (x < 1 || y < 1) {
        return false;
    }
    xResolution_ = x;
    yResolution_ = y;
    return true;
}

int CBilevelTiffWriter::AddPage(const cv::Mat& page) {
    if (page.empty()) {
        return 1;
    }
    BilevelPage packed = PackBilevelPage(page);
    if (packed.rows.empty()) {
        return 1;  // not an 8-bit image we can turn grey
    }
    pages_.push_back(std::move(packed));

    if (path_.isEmpty()) {
        return 2;
    }
    platform::AtomicFileTarget target(path_);
    if (!target.IsValid()) {
        return 2;
    }
    TIFF* handle = TIFFOpen(target.TempPathEncoded().constData(), "w");
    if (handle == nullptr) {
        return 2;
    }
    bool written = true;
    const int count = static_cast<int>(pages_.size());
    for (int index = 0; index < count && written; ++index) {
        if (index == 0) {
            TIFFSetField(handle, TIFFTAG_SUBFILETYPE, static_cast<uint32_t>(FILETYPE_PAGE));
        }
        TIFFSetField(handle, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(index),
                     static_cast<uint16_t>(count));
        written = WritePackedBilevelPage(pages_[index], xResolution_, yResolution_, handle);
    }
    TIFFClose(handle);
    return written && target.Commit() ? 0 : 2;
}

}  // namespace orbisk
