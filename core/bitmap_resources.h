#pragma once

#include <QImage>

namespace orbisk {

// The program's bitmap resources, looked up by their numbers. The two
// placeholders of the picture tiles are drawn here on first use; the button
// faces are registered by the window that owns them.
inline constexpr int kEmptyPictureBitmap = 165;  // 129 x 146, an empty tile
inline constexpr int kTextPageBitmap = 194;      // 115 x 146, a tile showing a text file

// The bitmap with that number, 24 bits per pixel; null when there is none.
QImage LoadBitmapResource(int id);

// Makes `image` the bitmap with that number (a null image removes it).
void RegisterBitmapResource(int id, const QImage& image);

}  // namespace orbisk
