#pragma once

#include "video/video_source.h"

#include <QString>

namespace orbisk {

class IShowHWnd;

inline constexpr HResult kSFalse = 1;
// Stop's answer when a write error ended the recording early and what was
// written before it is kept.
inline constexpr HResult kSTruncated = 2;
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
// The file refused a write: a full disk or a size limit (ERROR_DISK_FULL),
// anything else such as a removed medium (ERROR_WRITE_FAULT).
inline constexpr HResult kEDiskFull = static_cast<HResult>(0x80070070u);
inline constexpr HResult kEWriteFault = static_cast<HResult>(0x8007001Du);

// A recording of what the preview shows: it asks the preview for each frame
// (IShowHWnd::RenderFrame) and writes them to a video file.
class IVideoRecorder {
  public:
    virtual ~IVideoRecorder() = default;
    // Builds and runs the recording; the first failing result otherwise,
    // with what was made so far left for Stop to release.
    virtual HResult Start(IShowHWnd* preview, const QString& path, int width, int height,
                          int framesPerSecond, int bitRate) = 0;
    // kSFalse when nothing runs; otherwise the result of stopping.
    virtual HResult Stop() = 0;
    // A recording is built (and maybe running) and needs a Stop.
    virtual bool IsBuilt() const = 0;
    // Any thread: kSOk while the recording runs as it should; the failure
    // that ended it early (the file refused a write) otherwise.
    virtual HResult Status() const { return kSOk; }
};

}  // namespace orbisk
