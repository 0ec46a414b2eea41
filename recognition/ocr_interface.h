#pragma once

namespace orbisk {

// An isolated-character classifier loaded from a template file. A recognition input is
// width x height bytes, one per pixel, rows top-down, nonzero bytes are ink. The result is n
// candidates best first: two label bytes each in `labels` (2n + 1 bytes, NUL-terminated) and,
// when `distances` is not null, their distances (smaller is better).
class COCRInterface {
  public:
    virtual ~COCRInterface() = default;
    virtual bool Load(const char* path) = 0;
    // Frees everything loaded; the object can then be loaded again.
    virtual void Release() = 0;
    virtual bool Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                           double* distances) = 0;
};

}  // namespace orbisk
