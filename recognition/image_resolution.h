#pragma once

#include <string>
#include <vector>

namespace orbisk {

// The resolution each page of an image file declares, in dots per inch (the
// horizontal one; 0 where the file declares none or an unusable one): every
// directory of a TIFF file, the one page of a BMP, PNG or JPEG file. Empty
// when the file cannot be read or is none of these.
std::vector<int> PageResolutions(const std::string& path);

}  // namespace orbisk
