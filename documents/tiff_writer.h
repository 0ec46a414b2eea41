#pragma once

#include <QString>
#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>
#include <vector>

struct tiff;  // libtiff's TIFF handle

namespace orbisk {
namespace platform {
class AtomicFileTarget;
}

// Page types of the TIFF writers; also the colour mode of a collected page.
inline constexpr int kTiffColourPage = 0;
inline constexpr int kTiffGreyPage = 1;
inline constexpr int kTiffBilevelPage = 2;

// Grey level below which a pixel of a black-and-white page is black.
inline constexpr int kBilevelBlackBelow = 125;

// One black-and-white page packed 1 bit per pixel: bit 7 of a byte is the
// leftmost pixel, a set bit is black, bits beyond the width are 0.
struct BilevelPage {
    int width = 0;
    int height = 0;
    int bytesPerRow = 0;
    std::vector<std::uint8_t> rows;
};

// Packs a one-channel 8-bit page (a multi-channel page is first turned grey
// with the RGB-to-grey weights): a value below 125 is black.
BilevelPage PackBilevelPage(const cv::Mat& page);

// Writes the packed page as the current directory's strip with the
// black-and-white tags (CCITT group 4, white is zero) and writes the directory.
bool WritePackedBilevelPage(const BilevelPage& page, int xResolution, int yResolution,
                            tiff* handle);

struct TiffPageSettings {
    int xResolution = 200;
    int yResolution = 200;
    int jpegQuality = 50;
};

// Multi-page TIFF files of colour (JPEG-compressed RGB), grey (JPEG) and
// black-and-white (CCITT group 4) pages. Files are built in a temporary file
// beside the target and replace it only when every write succeeded: on a full
// disk the old file stays as it was.
class CTiffWriter {
  public:
    CTiffWriter();
    ~CTiffWriter();
    CTiffWriter(const CTiffWriter&) = delete;
    CTiffWriter& operator=(const CTiffWriter&) = delete;

    // Starts the file for `pageTotal` pages; it replaces the file at `path`
    // on Close. False when a file is already open or the file cannot be
    // created.
    bool Open(const QString& path, int pageTotal);
    // The next page through the open file; false when none is open, the page
    // total is reached, the type is unknown or the page cannot be written.
    bool WritePage(const cv::Mat& page, int type);
    // Reads the file (as three channels) and writes it with WritePage; false
    // when it cannot be read.
    bool AddPageFromFile(const QString& path, int type);
    // Appends one page to the file at `path` through a handle of its own,
    // whether or not a file is open through Open: to the file being built
    // when `path` is the open one (a failure there fails the whole file),
    // else to a copy that replaces the file when the page is written.
    bool AppendPageToFile(const QString& path, const cv::Mat& page, int type);
    void SetResolution(int x, int y);
    // Values below 25 become 25.
    void SetJpegQuality(int quality);
    // Closes the open file and puts it in place of the old one; a file
    // through which no page was written gets no directory of its own. False
    // (with the old file intact) when a write through it failed. Nothing, and
    // true, when none is open.
    bool Close();

    // Page writers: each writes the page's tags and strip 0 and then the
    // directory. False for a page they cannot write (empty, not 8-bit, a colour
    // page without exactly three channels) or a failed write.
    static bool WriteColorPage(const cv::Mat& page, const TiffPageSettings& settings, tiff* handle);
    static bool WriteGrayPage(const cv::Mat& page, const TiffPageSettings& settings, tiff* handle);
    static bool WriteBilevelPage(const cv::Mat& page, const TiffPageSettings& settings,
                                 tiff* handle);

  private:
    static bool WriteByType(const cv::Mat& page, int type, const TiffPageSettings& settings,
                            tiff* handle);

    TiffPageSettings settings_;
    int pageTotal_ = 0;
    int pagesWritten_ = 0;
    tiff* handle_ = nullptr;
    std::unique_ptr<platform::AtomicFileTarget> target_;  // of the open file
    QString openPath_;                                    // its absolute path
    bool failed_ = false;                                 // a write to it failed
};

}  // namespace orbisk
