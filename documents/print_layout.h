#pragma once

#include "core/int_rect.h"

namespace orbisk {

// What the printer needs to place one image on a page.
struct PrintPlacement {
    int imageWidth = 0;  // pixels
    int imageHeight = 0;
    int pageWidth = 0;  // printable area in device pixels
    int pageHeight = 0;
    int deviceDpiX = 0;  // the printer's resolution
    int deviceDpiY = 0;
    int imageDpiX = 0;  // the image's resolution from the settings
    int imageDpiY = 0;
    bool fitToPage = false;
};

// Whether an image is fitted to the page: print mode 1, or any picture of the
// portrait camera (its resolution says nothing about paper).
bool PrintsFittedToPage(int printMode, int currentCamera);

// The device rectangle the image is drawn into, centred on the printable area
// (left and top are negative when the image is larger than the page). Fitted:
// the largest size with the image's aspect ratio; otherwise true size by the
// two resolutions. Null for an image or page without area, or a resolution
// below 1: there is nothing sensible to print.
IntRect PrintTargetRect(const PrintPlacement& placement);

}  // namespace orbisk
