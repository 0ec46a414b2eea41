#pragma once

#include "platform/v4l2_io.h"
#include "platform/video_registry.h"
#include "tests/platform/fake_v4l2_node.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orbisk::test {

// V4L2 nodes without hardware for as long as it lives: the device list holds
// the nodes added, in order, and opening one gives a fake node of its camera.
// Restores the system's list and nodes when destroyed.
class FakeV4l2Rig {
  public:
    FakeV4l2Rig() {
        platform::SetVideoRegistryForTesting(std::make_shared<Registry>(state_));
        platform::SetV4l2NodeOpenerForTesting(
            [state = state_](const std::string& path,
                             int& error) -> std::unique_ptr<platform::V4l2Node> {
                std::lock_guard l(state->lock);
                state->opened.push_back(path);
                const auto it = state->cameras.find(path);
                if (it == state->cameras.end()) {
                    error = ENOENT;
                    return nullptr;
                }
                return std::make_unique<FakeV4l2Node>(it->second);
            });
    }
    ~FakeV4l2Rig() {
        platform::SetV4l2NodeOpenerForTesting(nullptr);
        platform::SetVideoRegistryForTesting(nullptr);
    }
    FakeV4l2Rig(const FakeV4l2Rig&) = delete;
    FakeV4l2Rig& operator=(const FakeV4l2Rig&) = delete;

    // Lists a node "/dev/videoN" of that identity and gives its camera.
    std::shared_ptr<FakeV4l2Camera> Add(const std::string& vid, const std::string& pid,
                                        std::vector<platform::CaptureFormat> formats = {}) {
        std::lock_guard l(state_->lock);
        platform::VideoDeviceInfo info;
        info.nodeNumber = static_cast<int>(state_->devices.size());
        info.node = "/dev/video" + std::to_string(info.nodeNumber);
        info.vendorId = vid;
        info.productId = pid;
        info.usbPort = "1-" + std::to_string(info.nodeNumber + 1);
        info.friendlyName = "Fake Camera " + std::to_string(info.nodeNumber);
        auto camera = std::make_shared<FakeV4l2Camera>();
        camera->formats = std::move(formats);
        state_->devices.push_back(info);
        state_->cameras[info.node] = camera;
        return camera;
    }

    // The nodes opened so far, in order.
    std::vector<std::string> Opened() const {
        std::lock_guard l(state_->lock);
        return state_->opened;
    }

  private:
    struct State {
        std::mutex lock;
        std::vector<platform::VideoDeviceInfo> devices;
        std::map<std::string, std::shared_ptr<FakeV4l2Camera>> cameras;
        std::vector<std::string> opened;
    };
    class Registry : public platform::VideoRegistry {
      public:
        explicit Registry(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::optional<std::vector<platform::VideoDeviceInfo>> CaptureDevices() override {
            std::lock_guard l(state_->lock);
            return state_->devices;
        }

      private:
        std::shared_ptr<State> state_;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace orbisk::test
