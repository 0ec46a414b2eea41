#include "video/usb_camera.h"

#include "platform/camera_controls.h"
#include "platform/frame_converter.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/v4l2_io.h"
#include "tests/platform/fake_v4l2_node.h"
#include "tests/support/log_capture.h"
#include "tests/support/message_log.h"
#include "tests/support/wait_until.h"
#include "video/dialogs/camera_property_dialog.h"

#include <gtest/gtest.h>
#include <linux/videodev2.h>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

namespace orbisk {
namespace {

using platform::CaptureFormat;
using platform::kFourCcMjpg;
using platform::kFourCcYuyv;
using platform::SimulatedCamera;
using platform::WM_CAMERA_SNAPSHOT;
using test::WaitUntil;

const QString kVid = platform::kSimulatedVendorId;
const QString kDocPid = platform::kSimulatedDocumentProductId;
const QString kPorPid = platform::kSimulatedPortraitProductId;
const std::string kDoc = platform::kSimulatedDocumentProductId;

// The camera on the simulated devices, whatever ORBISK_CAMERA says.
class UsbCameraTest : public testing::Test {
  protected:
    void SetUp() override {
        SimulatedCamera::Reset();
        SimulatedCamera::SetFrameRate(60);
        platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
            &SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
    }
    void TearDown() override {
        platform::SetVideoRegistryForTesting(nullptr);
        SimulatedCamera::Reset();
    }

    // Waits for a frame of the given size in the camera's grab filter.
    static bool FrameOfSize(CUSBCamra& camera, int width, int height) {
        cv::Mat m;
        return WaitUntil([&] {
            IGrabData* grab = camera.GetGrabData();
            return grab && !grab->GetFrameMat(m).empty() && m.cols == width && m.rows == height;
        });
    }
};

std::vector<CaptureFormat> Sizes(uint32_t fourcc, std::vector<std::pair<int, int>> sizes) {
    std::vector<CaptureFormat> out;
    for (auto [w, h] : sizes) out.push_back({fourcc, w, h});
    return out;
}

struct ChoiceCase {
    const char* name;
    std::vector<CaptureFormat> offered;
    int preference;
    int width, height;  // requested; -1 for none
    int sizeIndex;      // kept size index when none is requested
    CaptureFormat chosen;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class UsbCameraChoice : public UsbCameraTest, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(UsbCameraChoice, TakesTheNearestYuyvSizeAndThePreferredFormatAtIt) {
    const auto& c = GetParam();
    SimulatedCamera::SetFormats(kDoc, c.offered);
    CUSBCamra camera;
    camera.SetFormatPreference(c.preference);
    if (c.width < 0) {
        ASSERT_EQ(camera.SetResolutionIndex(c.sizeIndex), kSOk);  // kept for the open
    } else {
        ASSERT_EQ(camera.SetResolution(c.width, c.height), kSOk);
    }
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    EXPECT_EQ(camera.GetState(), kStateStopped);
    EXPECT_EQ(camera.ChosenFormat(), c.chosen);
    int w = 0, h = 0;
    camera.GetResolution(w, h);
    EXPECT_EQ(w, c.chosen.width);
    EXPECT_EQ(h, c.chosen.height);
}

const auto kYuyv3 = Sizes(kFourCcYuyv, {{640, 480}, {1280, 1024}, {2048, 1536}});

std::vector<CaptureFormat> Join(std::vector<CaptureFormat> a, const std::vector<CaptureFormat>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UsbCameraChoice,
    testing::Values(
        // Differences 1,612,800, 609,280 and 1,225,728.
        ChoiceCase{"NearestArea", kYuyv3, kFormatYuy2, 1600, 1200, 0, {kFourCcYuyv, 1280, 1024}},
        // 656 x 600 lies 86,400 from both; the earlier size wins.
        ChoiceCase{"TieTakesTheEarlier",
                   Sizes(kFourCcYuyv, {{800, 600}, {640, 480}}),
                   kFormatYuy2,
                   656,
                   600,
                   0,
                   {kFourCcYuyv, 800, 600}},
        ChoiceCase{
            "IndexBeyondTheListIsZero", kYuyv3, kFormatYuy2, -1, -1, 7, {kFourCcYuyv, 640, 480}},
        ChoiceCase{"KeptIndex", kYuyv3, kFormatYuy2, -1, -1, 2, {kFourCcYuyv, 2048, 1536}},
        // Every size is 100,000,000 or more away: the index stays at 0.
        ChoiceCase{
            "NothingNearEnough", kYuyv3, kFormatYuy2, 20000, 20000, 0, {kFourCcYuyv, 640, 480}},
        ChoiceCase{"MjpgPreferred",
                   Join(kYuyv3, Sizes(kFourCcMjpg, {{640, 480}, {1280, 1024}})),
                   kFormatMjpg,
                   1280,
                   1024,
                   0,
                   {kFourCcMjpg, 1280, 1024}},
        ChoiceCase{"MjpgAbsentAtThatSize",
                   Join(kYuyv3, Sizes(kFourCcMjpg, {{640, 480}, {1280, 1024}})),
                   kFormatMjpg,
                   2048,
                   1536,
                   0,
                   {kFourCcYuyv, 2048, 1536}},
        ChoiceCase{"MjpgOfferedButYuyvPreferred",
                   Join(Sizes(kFourCcMjpg, {{1280, 1024}}), kYuyv3),
                   kFormatYuy2,
                   1280,
                   1024,
                   0,
                   {kFourCcYuyv, 1280, 1024}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UsbCameraTest, OpenRefusesIncompleteOrAbsentIdentities) {
    CUSBCamra camera;
    EXPECT_EQ(camera.Open("", kDocPid, "", nullptr, false, 0), kEPointer);
    EXPECT_EQ(camera.Open(kVid, "0bad", "", nullptr, false, 0), 1);
    EXPECT_EQ(camera.GetState(), kStateClosed);
    EXPECT_FALSE(camera.Run());
    // A serial without ids is a friendly name.
    EXPECT_EQ(camera.Open("", "", "Orbisk Simulated Portrait Camera", nullptr, false, 0), kSOk);
    EXPECT_EQ(camera.Device()->Info().productId, std::string(kPorPid.toStdString()));
    EXPECT_EQ(camera.Open(kVid, kDocPid, "ORBSIM0001", nullptr, false, 0), kSOk);
    EXPECT_EQ(camera.Device()->Info().productId, kDoc);
    EXPECT_EQ(camera.Open(kVid, kDocPid, "ORBSIM0002", nullptr, false, 0), 1);
}

TEST_F(UsbCameraTest, SetResolutionReopensOnlyForAnotherSize) {
    CUSBCamra camera;
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    EXPECT_EQ(camera.GetState(), kStateRunning);
    ASSERT_TRUE(FrameOfSize(camera, 640, 480));

    IGrabData* grab = camera.GetGrabData();
    EXPECT_EQ(camera.SetResolution(640, 480), kSOk);
    EXPECT_EQ(camera.GetGrabData(), grab);
    EXPECT_EQ(camera.GetState(), kStateRunning);

    EXPECT_EQ(camera.SetResolution(1280, 720), kSOk);
    EXPECT_EQ(camera.GetState(), kStateStopped);  // reopened, not yet running
    int w = 0, h = 0;
    camera.GetResolution(w, h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 720);
    ASSERT_TRUE(camera.Run());
    EXPECT_TRUE(FrameOfSize(camera, 1280, 720));
}

TEST_F(UsbCameraTest, QueriesForAnotherCameraWhileBuiltChangeNothing) {
    CUSBCamra camera;
    // Not built: a query binds whichever device it names.
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, kPorPid, 0), 4);
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, kDocPid, 0), 10);
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, "0bad", 0), -3);
    EXPECT_EQ(camera.GetResolutionCount(), -1);

    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    ASSERT_TRUE(FrameOfSize(camera, 640, 480));
    IGrabData* grab = camera.GetGrabData();
    std::vector<int> formats{7};
    int w = 0, h = 0;
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, kPorPid, 0), -1);
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, kDocPid, 1), -1);
    EXPECT_EQ(camera.GetDeviceResolutionAt(kVid, kPorPid, 0, 0, w, h), -1);
    EXPECT_FALSE(camera.GetDeviceFormats(kVid, kPorPid, 0, formats));
    EXPECT_TRUE(formats.empty());
    EXPECT_EQ(camera.GetState(), kStateRunning);
    EXPECT_EQ(camera.GetGrabData(), grab);
    const long before = SimulatedCamera::FramesDelivered(kDoc);
    EXPECT_TRUE(WaitUntil([&] { return SimulatedCamera::FramesDelivered(kDoc) > before; }));

    // Its own identity is answered from the open device.
    EXPECT_EQ(camera.GetDeviceResolutionCount(kVid, kDocPid, 0), 10);
    EXPECT_EQ(camera.GetResolutionCount(), 10);
    ASSERT_TRUE(camera.GetFormats(formats));
    EXPECT_EQ(formats, (std::vector<int>{kFormatYuy2, kFormatMjpg}));
    EXPECT_EQ(camera.GetResolutionAt(9, w, h), 0);
    EXPECT_EQ(w, 3264);
    EXPECT_EQ(h, 2448);
    EXPECT_EQ(camera.GetResolutionAt(12, w, h), -6);  // beyond the YUYV sizes
    EXPECT_EQ(camera.GetResolutionAt(20, w, h), -5);  // beyond every format
    EXPECT_EQ(camera.GetState(), kStateRunning);
}

TEST_F(UsbCameraTest, UnplugEndsTheStreamAndIsReportedOnce) {
    CUSBCamra camera;
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    ASSERT_TRUE(FrameOfSize(camera, 640, 480));
    int kind = -1, code = -1;
    ASSERT_TRUE(camera.PollGraphEvent(kind, code));
    EXPECT_EQ(kind, kEventNone);

    SimulatedCamera::Unplug(kDoc);
    EXPECT_TRUE(WaitUntil([&] { return !camera.Device()->IsStreaming(); }));
    ASSERT_TRUE(camera.PollGraphEvent(kind, code));
    EXPECT_EQ(kind, kEventDeviceLost);
    EXPECT_EQ(code, kEventCodeDeviceLost);
    ASSERT_TRUE(camera.PollGraphEvent(kind, code));
    EXPECT_EQ(kind, kEventNone);
    EXPECT_EQ(camera.CountDevices(kVid, kDocPid), 0);
    EXPECT_TRUE(camera.Stop());
    EXPECT_FALSE(camera.Run());  // the device is gone

    SimulatedCamera::Plug(kDoc);
    EXPECT_EQ(camera.CountDevices(kVid, kDocPid), 1);
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    EXPECT_TRUE(FrameOfSize(camera, 640, 480));
}

input_event Key(int value) {
    input_event e{};
    e.type = EV_KEY;
    e.code = KEY_CAMERA;
    e.value = value;
    return e;
}

TEST_F(UsbCameraTest, EachButtonPressPostsOneSnapshot) {
    test::MessageLog window;
    CUSBCamra camera;
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", &window, true, 0), kSOk);
    // Repeats and releases post nothing (the reader's own test counts them
    // exactly); the two presses post one snapshot each.
    for (int value : {1, 2, 2, 0, 1, 0}) SimulatedCamera::SendButtonEvent(kDoc, Key(value));
    EXPECT_TRUE(WaitUntil([&] { return window.Count(WM_CAMERA_SNAPSHOT) >= 2; }));
    EXPECT_EQ(window.messages, (std::vector<int>{WM_CAMERA_SNAPSHOT, WM_CAMERA_SNAPSHOT}));

    // Without the still pin the camera does not watch the button at all.
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", &window, false, 0), kSOk);
    EXPECT_FALSE(SimulatedCamera::ButtonWatched(kDoc));
    window.messages.clear();
    SimulatedCamera::PressButton(kDoc);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(UsbCameraTest, CameraPropertiesGoThroughTheControls) {
    CUSBCamra camera;
    int value = 0, flags = 0, lo = 0, hi = 0, step = 0, def = 0;
    EXPECT_EQ(camera.SetCameraControl(platform::kCameraExposure, -5), kEPointer);
    EXPECT_EQ(camera.GetCameraControlRange(platform::kCameraExposure, lo, hi, step, def, flags),
              kEPointer);
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);

    ASSERT_EQ(camera.GetCameraControlRange(platform::kCameraExposure, lo, hi, step, def, flags),
              kSOk);
    EXPECT_EQ(lo, -13);
    EXPECT_EQ(hi, 0);
    EXPECT_EQ(step, 1);
    const struct {
        int property, set, value, flags;
    } cases[] = {
        {platform::kCameraExposure, -3, -3, platform::kPropertyManual},
        {platform::kCameraExposure, 10, -3, platform::kPropertyAuto},  // out of range: automatic
        {platform::kCameraFocus, 37, 35, platform::kPropertyManual},   // step 5
        {platform::kCameraFocus, 260, 35, platform::kPropertyAuto},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        ASSERT_EQ(camera.SetCameraControl(c.property, c.set), kSOk);
        ASSERT_EQ(camera.GetCameraControl(c.property, value, flags), kSOk);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(flags, c.flags);
    }
    int32_t raw = 0;
    ASSERT_TRUE(camera.Device()->GetControl(V4L2_CID_EXPOSURE_ABSOLUTE, raw));
    EXPECT_EQ(raw, 1250);  // 1/8 s in 100 microsecond units
    EXPECT_EQ(camera.SetCameraControl(platform::kCameraRoll, 0), kEFail);
}

// Chooses `label` in the format page about to open and presses OK.
void AnswerFormatPage(const QString& label) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, label] {
        auto* page = dynamic_cast<CameraFormatDialog*>(QApplication::activeModalWidget());
        if (!page) return;
        timer->stop();
        timer->deleteLater();
        auto* combo = page->findChild<QComboBox*>();
        const int index = combo->findText(label);
        EXPECT_GE(index, 0) << label.toStdString();
        combo->setCurrentIndex(index);
        page->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    timer->start(5);
}

TEST_F(UsbCameraTest, FormatPageAppliesItsChoiceAsItIsAndKeepsTheGrabFilter) {
    SimulatedCamera::SetFormats(kDoc,
                                Join(Sizes(kFourCcYuyv, {{640, 480}, {1280, 720}}),
                                     Sizes(kFourCcMjpg, {{640, 480}, {1280, 720}, {3264, 2448}})));
    CUSBCamra camera;
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    ASSERT_TRUE(FrameOfSize(camera, 640, 480));
    // The preview holds this pointer across the page.
    IGrabData* held = camera.GetGrabData();

    // Without installed pages the camera shows none and keeps streaming.
    camera.ShowFormatPropertyPage(nullptr);
    EXPECT_EQ(camera.GetState(), kStateRunning);

    CameraPropertyPages pages;
    InstallCameraPages(&pages);
    AnswerFormatPage("MJPG  3264 x 2448");
    camera.ShowFormatPropertyPage(nullptr);
    InstallCameraPages(nullptr);
    EXPECT_EQ(camera.ChosenFormat(), (CaptureFormat{kFourCcMjpg, 3264, 2448}));
    EXPECT_EQ(camera.GetState(), kStateRunning);
    EXPECT_EQ(camera.GetGrabData(), held);
    cv::Mat m;
    EXPECT_TRUE(WaitUntil([&] { return !held->GetFrameMat(m).empty() && m.cols == 3264; }));
    int w = 0, h = 0;
    camera.GetResolution(w, h);
    EXPECT_EQ(w, 3264);
    EXPECT_EQ(h, 2448);

    // The stored preference is still YUY2: another size reopens in YUYV.
    ASSERT_EQ(camera.SetResolution(1280, 720), kSOk);
    EXPECT_EQ(camera.ChosenFormat(), (CaptureFormat{kFourCcYuyv, 1280, 720}));
}

TEST_F(UsbCameraTest, ApplyFormatRestartsARunningStreamIntoTheSameGrabFilter) {
    CUSBCamra camera;
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    IGrabData* held = camera.GetGrabData();
    ASSERT_EQ(camera.ApplyFormat({kFourCcMjpg, 800, 600}), kSOk);
    EXPECT_EQ(camera.GetState(), kStateRunning);
    EXPECT_EQ(camera.GetGrabData(), held);
    EXPECT_TRUE(FrameOfSize(camera, 800, 600));
    // A format the device does not offer changes nothing.
    EXPECT_EQ(camera.ApplyFormat({platform::FourCc('H', '2', '6', '4'), 800, 600}), kEFail);
    EXPECT_EQ(camera.ChosenFormat(), (CaptureFormat{kFourCcMjpg, 800, 600}));
    EXPECT_EQ(camera.GetState(), kStateRunning);
}

// A registry that lists one V4L2 node, served by a fake camera.
class FakeNodeRegistry : public platform::VideoRegistry {
  public:
    std::optional<std::vector<platform::VideoDeviceInfo>> CaptureDevices() override {
        platform::VideoDeviceInfo info;
        info.node = "/dev/video7";
        info.nodeNumber = 7;
        info.vendorId = "046d";
        info.productId = "085e";
        info.friendlyName = "Fake Document Camera";
        return std::vector{info};
    }
};

class UsbCameraOnV4l2 : public testing::Test {
  protected:
    void SetUp() override {
        camera_ = std::make_shared<test::FakeV4l2Camera>();
        camera_->formats = Sizes(kFourCcYuyv, {{640, 480}, {1920, 1080}});
        platform::SetVideoRegistryForTesting(std::make_shared<FakeNodeRegistry>());
        platform::SetV4l2NodeOpenerForTesting(
            [this](const std::string&, int& error) -> std::unique_ptr<platform::V4l2Node> {
                error = openError_;
                if (openError_) return nullptr;
                return std::make_unique<test::FakeV4l2Node>(camera_);
            });
    }
    void TearDown() override {
        platform::SetV4l2NodeOpenerForTesting(nullptr);
        platform::SetVideoRegistryForTesting(nullptr);
    }
    std::vector<uint8_t> Frame(int width, int height) {
        std::vector<uint8_t> out;
        platform::BgrToYuyv(cv::Mat(height, width, CV_8UC3, cv::Scalar(90, 90, 90)), out);
        return out;
    }

    std::shared_ptr<test::FakeV4l2Camera> camera_;
    int openError_ = 0;
};

TEST_F(UsbCameraOnV4l2, ReportsTheSizeTheDriverSet) {
    camera_->driverSize = std::pair{1920, 1088};
    CUSBCamra camera;
    ASSERT_EQ(camera.SetResolution(1920, 1080), kSOk);
    ASSERT_EQ(camera.Open("046d", "085e", "", nullptr, false, 0), kSOk);
    EXPECT_EQ(camera.ChosenFormat(), (CaptureFormat{kFourCcYuyv, 1920, 1088}));
    int w = 0, h = 0;
    camera.GetResolution(w, h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1088);
    ASSERT_TRUE(camera.Run());
    camera_->PushFrame(Frame(1920, 1088));
    cv::Mat m;
    EXPECT_TRUE(WaitUntil([&] { return !camera.GetGrabData()->GetFrameMat(m).empty(); }));
    EXPECT_EQ(m.size(), cv::Size(1920, 1088));
    // Asking for the same size again keeps the stream (a reopen stops it).
    EXPECT_EQ(camera.SetResolution(1920, 1080), kSOk);
    EXPECT_EQ(camera.GetState(), kStateRunning);
}

TEST_F(UsbCameraOnV4l2, AnUnplugOrASilentCameraIsReportedAsALostDevice) {
    CUSBCamra camera;
    ASSERT_EQ(camera.Open("046d", "085e", "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    camera_->PushFrame(Frame(640, 480));
    int kind = -1, code = -1;
    // No frame follows: after three seconds the camera counts as lost.
    EXPECT_TRUE(WaitUntil([&] { return camera.PollGraphEvent(kind, code) && kind != kEventNone; }));
    EXPECT_EQ(kind, kEventDeviceLost);
    EXPECT_EQ(code, kEventCodeDeviceLost);
    ASSERT_TRUE(camera.PollGraphEvent(kind, code));
    EXPECT_EQ(kind, kEventNone);

    // Running again, then unplugged: EIO, then ENODEV.
    ASSERT_TRUE(camera.Run());
    camera_->PushFrame(Frame(640, 480));
    camera_->Unplug();
    EXPECT_TRUE(WaitUntil([&] { return camera.PollGraphEvent(kind, code) && kind != kEventNone; }));
    EXPECT_EQ(kind, kEventDeviceLost);
    EXPECT_FALSE(camera.Run());
}

struct RefusedCase {
    const char* name;
    int openError;
    int setFormatError;
    HResult expected;
    const char* logged;  // in the camera layer's line naming the node
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class UsbCameraRefusal : public UsbCameraOnV4l2, public testing::WithParamInterface<RefusedCase> {};

TEST_P(UsbCameraRefusal, OpenSaysWhyWithItsOwnCode) {
    const auto& c = GetParam();
    openError_ = c.openError;
    camera_->setFormatError = c.setFormatError;
    test::LogCapture log("orbisk.camera");
    CUSBCamra camera;
    EXPECT_EQ(camera.Open("046d", "085e", "", nullptr, false, 0), c.expected);
    EXPECT_EQ(camera.GetState(), kStateClosed);
    EXPECT_FALSE(camera.Run());
    EXPECT_TRUE(log.Has({"/dev/video7 (046d:085e, Fake Document Camera)", c.logged}))
        << (log.Lines().empty() ? "no line" : log.Lines().front());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsbCameraRefusal,
    testing::Values(RefusedCase{"NodeNotAccessible", EACCES, 0, kEAccessDenied,
                                "no permission to open it"},
                    RefusedCase{"BusyInAnotherProgram", 0, EBUSY, kEDeviceBusy, "busy"},
                    RefusedCase{"GoneSinceListed", ENOENT, 0, kSNoDevice, "the device is gone"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
