#pragma once

#include "video/video_source.h"

#include <QString>

namespace orbisk {

class IShowHWnd;

inline constexpr HResult kSFalse = 1;

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
};

}  // namespace orbisk
