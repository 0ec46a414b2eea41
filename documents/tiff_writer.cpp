#include "documents/tiff_writer.h"

#include <tiffio.h>
#include <opencv2/imgproc.hpp>

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "documents/image_files.h"
#include "platform/atomic_file.h"

namespace orbisk {
namespace {

// A one-channel 8-bit copy of `page` for grey and black-and-white pages; the
// multi-channel weights are OpenCV's RGB-to-grey ones applied to BGR data, as
// everywhere in the save pipeline. Empty when the page cannot be turned grey.
cv::Mat GreyOf(const cv::Mat& page) {
    if (page.empty() || page.depth() != CV_8U || page.dims != 2) {
        return {};
    }
    if (page.channels() == 1) {
        return page;
    }
    if (page.channels() != 3 && page.channels() != 4) {
        return {};
    }
    cv::Mat grey;
    cv::cvtColor(page, grey, page.channels() == 3 ? cv::COLOR_RGB2GRAY : cv::COLOR_RGBA2GRAY);
    return grey;
}

void SetCommonTags(tiff* handle, int width, int height, int bitsPerSample, int samples,
                   int compression, int photometric, int xResolution, int yResolution) {
    TIFFSetField(handle, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(handle, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(handle, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bitsPerSample));
    TIFFSetField(handle, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(samples));
    TIFFSetField(handle, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    TIFFSetField(handle, TIFFTAG_COMPRESSION, static_cast<uint16_t>(compression));
    TIFFSetField(handle, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(photometric));
    TIFFSetField(handle, TIFFTAG_FILLORDER, static_cast<uint16_t>(FILLORDER_MSB2LSB));
    TIFFSetField(handle, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(handle, TIFFTAG_XRESOLUTION, static_cast<double>(xResolution));
    TIFFSetField(handle, TIFFTAG_YRESOLUTION, static_cast<double>(yResolution));
    TIFFSetField(handle, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(RESUNIT_INCH));
}

void SetJpegTags(tiff* handle, int quality) {
    TIFFSetField(handle, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(handle, TIFFTAG_JPEGQUALITY, quality);
}

// Whether a page writer of `type` can write `page`; checked before a file or a
// directory is touched, so a refused page changes nothing.
bool PageFitsType(const cv::Mat& page, int type) {
    switch (type) {
        case kTiffColourPage:
            return !page.empty() && page.dims == 2 && page.depth() == CV_8U && page.channels() == 3;
        case kTiffGreyPage:
        case kTiffBilevelPage:
            return !GreyOf(page).empty();
        default:
            return false;
    }
}

// Strip 0 from a continuous buffer, then the directory.
bool WriteStripAndDirectory(tiff* handle, const void* data, std::size_t size) {
    if (TIFFWriteEncodedStrip(handle, 0, const_cast<void*>(data), static_cast<tmsize_t>(size)) <
        0) {
        return false;
    }
    return TIFFWriteDirectory(handle) != 0;
}

// Starts `target`'s temporary file as a copy of the file at its final path,
// or empty when there is none; false when the copy fails.
bool CopyOldFile(const platform::AtomicFileTarget& target) {
    QFile out(target.TempPath());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QFile in(target.FinalPath());
    if (!in.exists()) {
        return true;
    }
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            return false;
        }
    }
    return out.flush();
}

// Appends the page to the TIFF file at `path` through a handle of its own.
bool AppendThroughOwnHandle(const QByteArray& path, const cv::Mat& page, int type,
                            const TiffPageSettings& settings,
                            bool (*write)(const cv::Mat&, int, const TiffPageSettings&, tiff*)) {
    tiff* handle = TIFFOpen(path.constData(), "a");
    if (handle == nullptr) {
        return false;
    }
    const bool written = write(page, type, settings, handle) && TIFFFlush(handle) == 1;
    TIFFClose(handle);
    return written;
}

}  // namespace

BilevelPage PackBilevelPage(const cv::Mat& page) {
    BilevelPage packed;
    const cv::Mat grey = GreyOf(page);
    if (grey.empty()) {
        return packed;
    }
    packed.width = grey.cols;
    packed.height = grey.rows;
    packed.bytesPerRow = (grey.cols + 7) / 8;
    packed.rows.assign(static_cast<std::size_t>(packed.bytesPerRow) * grey.rows, 0);
    const int fullBytes = grey.cols / 8;
    for (int y = 0; y < grey.rows; ++y) {
        const std::uint8_t* in = grey.ptr<std::uint8_t>(y);
        std::uint8_t* out = packed.rows.data() + static_cast<std::size_t>(y) * packed.bytesPerRow;
        for (int j = 0; j < fullBytes; ++j, in += 8) {
            std::uint8_t byte = 0;
            for (int k = 0; k < 8; ++k) {
                byte |= static_cast<std::uint8_t>((in[k] < kBilevelBlackBelow) << (7 - k));
            }
            out[j] = byte;
        }
        if (fullBytes < packed.bytesPerRow) {
            std::uint8_t byte = 0;
            for (int k = 0; k < grey.cols - fullBytes * 8; ++k) {
                byte |= static_cast<std::uint8_t>((in[k] < kBilevelBlackBelow) << (7 - k));
            }
            out[fullBytes] = byte;
        }
    }
    return packed;
}

bool WritePackedBilevelPage(const BilevelPage& page, int xResolution, int yResolution,
                            tiff* handle) {
    if (page.rows.empty()) {
        return false;
    }
    // The stored width is the packed row's, so the padding bits read as white.
    SetCommonTags(handle, page.bytesPerRow * 8, page.height, 1, 1, COMPRESSION_CCITTFAX4,
                  PHOTOMETRIC_MINISWHITE, xResolution, yResolution);
    return WriteStripAndDirectory(handle, page.rows.data(), page.rows.size());
}

CTiffWriter::CTiffWriter() = default;

CTiffWriter::~CTiffWriter() { Close(); }

bool CTiffWriter::Open(const QString& path, int pageTotal) {
    if (handle_ != nullptr || path.isEmpty()) {
        return false;
    }
    auto target = std::make_unique<platform::AtomicFileTarget>(path);
    if (!target->IsValid()) {
        return false;
    }
    handle_ = TIFFOpen(target->TempPathEncoded().constData(), "w");
    if (handle_ == nullptr) {
        return false;
    }
    target_ = std::move(target);
    openPath_ = QFileInfo(path).absoluteFilePath();
    failed_ = false;
    pageTotal_ = pageTotal;
    pagesWritten_ = 0;
    return true;
}

bool CTiffWriter::WritePage(const cv::Mat& page, int type) {
    if (handle_ == nullptr || pagesWritten_ >= pageTotal_) {
        return false;
    }
    // Tags are set only for a page that will be written: a tag set on the
    // handle alone would make Close write an empty directory.
    if (!PageFitsType(page, type)) {
        return false;
    }
    if (pagesWritten_ == 0) {
        TIFFSetField(handle_, TIFFTAG_SUBFILETYPE, static_cast<uint32_t>(FILETYPE_PAGE));
    }
    TIFFSetField(handle_, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pagesWritten_),
                 static_cast<uint16_t>(pageTotal_));
    if (!WriteByType(page, type, settings_, handle_)) {
        failed_ = true;
        return false;
    }
    ++pagesWritten_;
    return true;
}

bool CTiffWriter::AddPageFromFile(const QString& path, int type) {
    const cv::Mat page = ReadImageFile(path);
    if (page.empty()) {
        return false;
    }
    return WritePage(page, type);
}

bool CTiffWriter::AppendPageToFile(const QString& path, const cv::Mat& page, int type) {
    if (path.isEmpty() || !PageFitsType(page, type)) {
        return false;
    }
    if (handle_ != nullptr && QFileInfo(path).absoluteFilePath() == openPath_) {
        if (failed_) {
            return false;  // the file being built is lost already
        }
        // Behind the pages the open handle has written, as on the final file.
        if (!AppendThroughOwnHandle(target_->TempPathEncoded(), page, type, settings_,
                                    WriteByType)) {
            failed_ = true;
            return false;
        }
        return true;
    }
    platform::AtomicFileTarget target(path);
    return target.IsValid() && CopyOldFile(target) &&
           AppendThroughOwnHandle(target.TempPathEncoded(), page, type, settings_, WriteByType) &&
           target.Commit();
}

void CTiffWriter::SetResolution(int x, int y) {
    settings_.xResolution = x;
    settings_.yResolution = y;
}

void CTiffWriter::SetJpegQuality(int quality) { settings_.jpegQuality = std::max(quality, 25); }

bool CTiffWriter::Close() {
    if (handle_ == nullptr) {
        return true;
    }
    const bool flushed = TIFFFlush(handle_) == 1;
    TIFFClose(handle_);
    handle_ = nullptr;
    const bool replaced = flushed && !failed_ && target_->Commit();
    target_.reset();  // without a commit: the temporary file goes, the old file stays
    openPath_.clear();
    return replaced;
}

bool CTiffWriter::WriteByType(const cv::Mat& page, int type, const TiffPageSettings& settings,
                              tiff* handle) {
    switch (type) {
        case kTiffColourPage:
            return WriteColorPage(page, settings, handle);
        case kTiffGreyPage:
            return WriteGrayPage(page, settings, handle);
        case kTiffBilevelPage:
            return WriteBilevelPage(page, settings, handle);
        default:
            return false;
    }
}

bool CTiffWriter::WriteColorPage(const cv::Mat& page, const TiffPageSettings& settings,
                                 tiff* handle) {
    if (page.empty() || page.depth() != CV_8U || page.channels() != 3 || page.dims != 2) {
        return false;
    }
    cv::Mat rgb;
    cv::cvtColor(page, rgb, cv::COLOR_BGR2RGB);
    SetCommonTags(handle, rgb.cols, rgb.rows, 8, 3, COMPRESSION_JPEG, PHOTOMETRIC_RGB,
                  settings.xResolution, settings.yResolution);
    SetJpegTags(handle, settings.jpegQuality);
    return WriteStripAndDirectory(handle, rgb.data, rgb.total() * rgb.elemSize());
}

bool CTiffWriter::WriteGrayPage(const cv::Mat& page, const TiffPageSettings& settings,
                                tiff* handle) {
    cv::Mat grey = GreyOf(page);
    if (grey.empty()) {
        return false;
    }
    if (!grey.isContinuous()) {
        grey = grey.clone();
    }
    SetCommonTags(handle, grey.cols, grey.rows, 8, 1, COMPRESSION_JPEG, PHOTOMETRIC_MINISBLACK,
                  settings.xResolution, settings.yResolution);
    SetJpegTags(handle, settings.jpegQuality);
    return WriteStripAndDirectory(handle, grey.data, grey.total());
}

bool CTiffWriter::WriteBilevelPage(const cv::Mat& page, const TiffPageSettings& settings,
                                   tiff* handle) {
    return WritePackedBilevelPage(PackBilevelPage(page), settings.xResolution, settings.yResolution,
                                  handle);
}

}  // namespace orbisk
