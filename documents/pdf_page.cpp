// The page rules of PDF documents: how an image file becomes a page.

#include "documents/pdf_page.h"

#include <hpdf_doc.h>
#include <QImage>
#include <QImageReader>
#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/image_loader.h"
#include "core/text_conversion.h"
#include "documents/image_files.h"

namespace orbisk {
namespace {

// Quality of pages that are not JPEG files already.
constexpr int kReencodedJpegQuality = 75;

// Grey level from which a pixel of a 1-bit page is white.
constexpr int kBilevelWhiteFrom = 128;

// Rows of (width + 7) / 8 bytes, top row first, bit 7 the leftmost pixel;
// a set bit is white, as DeviceGray reads 1-bit samples. Built from the
// pixels' grey values, so the file's palette decides what is black.
std::vector<HPDF_BYTE> PackBilevelRows(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width();
    const std::size_t bytesPerRow = (static_cast<std::size_t>(width) + 7) / 8;
    std::vector<HPDF_BYTE> rows(bytesPerRow * grey.height(), 0);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        HPDF_BYTE* out = rows.data() + y * bytesPerRow;
        for (int x = 0; x < width; ++x) {
            if (in[x] >= kBilevelWhiteFrom) {
                out[x >> 3] |= static_cast<HPDF_BYTE>(0x80 >> (x & 7));
            }
        }
    }
    return rows;
}

HPDF_Image LoadBilevelImage(HPDF_Doc pdf, const QImage& image) {
    const std::vector<HPDF_BYTE> rows = PackBilevelRows(image);
    return HPDF_LoadRawImageFromMem(pdf, rows.data(), static_cast<HPDF_UINT>(image.width()),
                                    static_cast<HPDF_UINT>(image.height()), HPDF_CS_DEVICE_GRAY, 1);
}

HPDF_Image LoadReencodedImage(HPDF_Doc pdf, QImage image) {
    image = image.convertToFormat(image.isGrayscale() ? QImage::Format_Grayscale8
                                                      : QImage::Format_RGB888);
    const cv::Mat pixels = CImageLoader::ImageToMat(image);
    std::vector<unsigned char> jpeg;
    try {
        if (pixels.empty() || !cv::imencode(".jpg", pixels, jpeg,
                                            {cv::IMWRITE_JPEG_QUALITY, kReencodedJpegQuality})) {
            return nullptr;
        }
    } catch (const cv::Exception&) {
        return nullptr;
    }
    return HPDF_LoadJpegImageFromMem(pdf, jpeg.data(), static_cast<HPDF_UINT>(jpeg.size()));
}

}  // namespace

bool IsPassThroughJpeg(const QString& path) {
    return path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

HPDF_Image LoadPageImage(HPDF_Doc pdf, const QString& path) {
    // Checked before anything is embedded or decoded: a JPEG cut short would
    // go into the document as it is, and a hostile header would decide what
    // the decoder allocates.
    if (!IsSoundPageFile(path)) {
        return nullptr;
    }
    if (IsPassThroughJpeg(path)) {
        return HPDF_LoadJpegImageFromFile(pdf, WideToAnsi(path).constData());
    }
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        return nullptr;
    }
    if (image.depth() == 1 && path.endsWith(QLatin1String(".tif"), Qt::CaseInsensitive)) {
        return LoadBilevelImage(pdf, image);
    }
    return LoadReencodedImage(pdf, image);
}

bool AddImagePage(HPDF_Doc pdf, HPDF_Image image) {
    const double width = HPDF_Image_GetWidth(image);
    const double height = HPDF_Image_GetHeight(image);
    const double longest = std::max(width, height);
    const double shortest = std::min(width, height);
    // A side outside libharu's bounds changes the user unit instead of the
    // pixels: larger for a long side, smaller for a short one.
    double unit = 1.0;
    if (longest > kPdfMaxPageSide) {
        unit = longest / kPdfMaxPageSide;
    } else if (shortest < kPdfMinPageSide) {
        unit = std::max(shortest / kPdfMinPageSide, longest / kPdfMaxPageSide);
    }
    const auto drawn = [unit](double pixels) { return static_cast<HPDF_REAL>(pixels / unit); };
    // Rounding must not push a side past a bound; a strip too thin for any
    // unit (beyond 4800:1) gets a white margin beside it instead.
    const auto side = [&](double pixels) {
        return static_cast<HPDF_REAL>(std::clamp(pixels / unit, kPdfMinPageSide, kPdfMaxPageSide));
    };
    HPDF_Page page = HPDF_AddPage(pdf);
    if (page == nullptr || HPDF_Page_SetWidth(page, side(width)) != HPDF_OK ||
        HPDF_Page_SetHeight(page, side(height)) != HPDF_OK) {
        return false;
    }
    if (unit != 1.0) {
        // UserUnit came with PDF 1.6; libharu has no call for either.
        if (HPDF_Dict_AddReal(page, "UserUnit", static_cast<HPDF_REAL>(unit)) != HPDF_OK) {
            return false;
        }
        pdf->pdf_version = std::max(pdf->pdf_version, HPDF_VER_16);
    }
    // The image's top left corner is the page's.
    const HPDF_REAL bottom = side(height) - std::min(drawn(height), side(height));
    return HPDF_Page_DrawImage(page, image, 0, bottom, std::min(drawn(width), side(width)),
                               std::min(drawn(height), side(height))) == HPDF_OK;
}

}  // namespace orbisk
