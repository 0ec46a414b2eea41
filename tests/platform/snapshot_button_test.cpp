#include "platform/snapshot_button.h"

#include "tests/support/log_capture.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace orbisk::platform {
namespace {

input_event Key(int code, int value) {
    input_event e{};
    e.type = EV_KEY;
    e.code = static_cast<uint16_t>(code);
    e.value = value;
    return e;
}

TEST(SnapshotButton, CountsKeyDownsOnly) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::atomic<int> presses{0};
    EvdevButtonReader reader(fds[0], [&] { ++presses; });
    input_event sync{};
    sync.type = EV_SYN;
    const input_event events[] = {Key(KEY_CAMERA, 1), sync, Key(KEY_CAMERA, 2), Key(KEY_CAMERA, 2),
                                  Key(KEY_CAMERA, 0), sync, Key(KEY_ENTER, 1),  Key(KEY_CAMERA, 1),
                                  Key(KEY_CAMERA, 0)};
    // Written in odd pieces, so that events arrive split across reads.
    const auto* bytes = reinterpret_cast<const uint8_t*>(events);
    size_t left = sizeof(events);
    while (left > 0) {
        const size_t n = std::min<size_t>(left, 17);
        ASSERT_EQ(::write(fds[1], bytes, n), static_cast<ssize_t>(n));
        bytes += n;
        left -= n;
    }
    ::close(fds[1]);  // the reader ends at the end of the stream
    ASSERT_TRUE(test::WaitUntil([&] { return reader.Finished(); }));
    EXPECT_EQ(presses, 2);
    reader.Stop();
}

TEST(SnapshotButton, StopsWhileWaiting) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EvdevButtonReader reader(fds[0], [] {});
    reader.Stop();
    reader.Stop();
    ::close(fds[1]);
}

TEST(SnapshotButton, ReadsTheKeyBitmap) {
    // KEY_CAMERA is 212: bit 20 of the fourth 64-bit word from the end.
    EXPECT_TRUE(KeyBitmapHas("100000 0 0 0", KEY_CAMERA));
    EXPECT_FALSE(KeyBitmapHas("0 0 0", KEY_CAMERA));
    EXPECT_FALSE(KeyBitmapHas("", KEY_CAMERA));
}

TEST(SnapshotButton, ANodeThatCantBeOpenedIsLoggedOnceWithTheRule) {
    ForgetLoggedButtonNodes();
    test::LogCapture log("orbisk.camera");
    const std::string node = "/dev/input/event-orbisk-test-missing";
    EXPECT_FALSE(OpenSnapshotButtonNode(node, [] {}));
    EXPECT_FALSE(OpenSnapshotButtonNode(node, [] {}));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(
        log.Has({node, "can't be opened", "70-orbisk-camera-button.rules", "docs/real-camera.md"}));
    EXPECT_NE(std::string(kSnapshotButtonRule).find("/udev/rules.d/"), std::string::npos);
}

}  // namespace
}  // namespace orbisk::platform
