#pragma once

#include "platform/capture_device.h"

#include <QString>

#include <memory>
#include <vector>

namespace orbisk {

// Lists the YUYV sizes a camera offers without streaming from it: the node is
// opened, its formats and frame sizes are read, and nothing else is asked of
// it (no format is set, no buffer requested), so a preview that streams from
// the same camera runs on undisturbed. A stepwise size range counts as one
// size, its largest. UI thread only; a probe shares nothing with the cameras.
class CResolutionProbe {
  public:
    // The answers besides counts and 0.
    static constexpr int kNotBound = -1;        // no successful count before
    static constexpr int kCantOpen = -2;        // the device was found but can't be opened
    static constexpr int kNoDevice = -3;        // no such device
    static constexpr int kNoCapabilities = -4;  // the device offers no format at all
    static constexpr int kPastEnd = -5;         // the index is not below the number of formats
    static constexpr int kNoSuchSize = -6;      // fewer YUYV sizes than the index asks for

    CResolutionProbe() = default;
    ~CResolutionProbe() { Release(); }
    CResolutionProbe(const CResolutionProbe&) = delete;
    CResolutionProbe& operator=(const CResolutionProbe&) = delete;

    // The number of YUYV sizes of the `deviceIndex`-th device of that
    // identity (0 or more), or kCantOpen or kNoDevice. The device stays bound:
    // a count with the same identity reads it again, another identity or
    // index binds anew.
    int CountYuy2Sizes(const QString& vid, const QString& pid, int deviceIndex);

    // The `n`-th YUYV size of the last count: 0 with the size, else
    // kNotBound, kNoCapabilities, kPastEnd (n not below the number of every
    // format's sizes) or kNoSuchSize.
    int GetYuy2Size(int n, int& width, int& height) const;

    // The bound device, none before a successful count; for tests.
    const platform::CaptureDevice* BoundDevice() const { return device_.get(); }

  private:
    void Release();

    std::unique_ptr<platform::CaptureDevice> device_;
    QString vid_, pid_;
    int deviceIndex_ = 0;
    // Every size of every format, as the last count read them.
    std::vector<platform::CaptureFormat> capabilities_;
};

}  // namespace orbisk
