#include "video/camera_pages.h"

#include <atomic>

namespace orbisk {
namespace {
std::atomic<ICameraPages*> installed{nullptr};
}  // namespace

void InstallCameraPages(ICameraPages* pages) { installed.store(pages); }

ICameraPages* InstalledCameraPages() { return installed.load(); }

}  // namespace orbisk
