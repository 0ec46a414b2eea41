#pragma once

#include <QByteArray>

// Page files as another program of the desktop could leave them in a folder
// of ours: small files whose headers promise the decoder a great deal.
namespace orbisk::test {

// A 16 x 16 PNG of about 200 bytes whose text chunk claims 1.9 GB (the file
// ends long before).
QByteArray PngWithAHugeTextChunk();

// A valid, black RGB PNG of `width` x `height` pixels in a small file: its
// zero rows compress about a thousandfold.
QByteArray BlackPng(int width, int height);

}  // namespace orbisk::test
