#pragma once

#include <hpdf.h>
#include <QString>

namespace orbisk {

// libharu's smallest and largest page side, in user units.
inline constexpr double kPdfMinPageSide = HPDF_MIN_PAGE_SIZE;
inline constexpr double kPdfMaxPageSide = HPDF_MAX_PAGE_SIZE;

// Whether the file goes into a PDF unchanged: its name ends in ".jpg", in
// any case.
bool IsPassThroughJpeg(const QString& path);

// The image of one page by the page rules: a ".jpg" file as it is; a 1-bit
// image in a ".tif" file (any case) as a 1-bit grey image built from its pixel
// values (black is 0; the document needs compression on, libharu writes 1-bit
// images CCITT-encoded); any other image re-encoded as JPEG in memory. Null
// when the file is no sound page file (IsSoundPageFile: too large, or JPEG
// data cut short or corrupt), cannot be read, or libharu refuses it.
HPDF_Image LoadPageImage(HPDF_Doc pdf, const QString& path);

// Appends a page that shows `image` filling it, one user unit per pixel; a
// side beyond kPdfMaxPageSide makes the user unit larger instead, a side
// below kPdfMinPageSide smaller (PDF 1.6), so that every pixel stays. A
// strip that no unit brings within both bounds keeps a white margin beside it.
// False when libharu refuses anything.
bool AddImagePage(HPDF_Doc pdf, HPDF_Image image);

}  // namespace orbisk
