#include "platform/simulated_camera.h"

#include "platform/device_change_monitor.h"
#include "platform/frame_converter.h"
#include "platform/log_categories.h"
#include "platform/simulated_camera_id.h"
#include "platform/snapshot_button.h"
#include "platform/worker_thread.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

namespace orbisk::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Each page of ORBISK_CAMERA_IMAGES stays this long under the camera.
constexpr auto kPageTime = std::chrono::seconds(3);

struct SimDevice {
    SimDevice() : gone(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~SimDevice() {
        if (gone >= 0) ::close(gone);
    }
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // Under the hub's lock.
    void SetPlugged(bool on) {
        plugged = on;
        uint64_t count = 1;
        if (on) {
            [[maybe_unused]] const auto n = ::read(gone, &count, sizeof(count));
        } else {
            [[maybe_unused]] const auto n = ::write(gone, &count, sizeof(count));
        }
    }

    VideoDeviceInfo info;
    bool plugged = true;
    int gone;  // readable while unplugged: wakes the stream's wait
    std::vector<CaptureFormat> formats;
    std::map<uint32_t, ControlInfo> controls;
    std::map<uint32_t, int32_t> values;
    std::deque<cv::Mat> queued;
    long delivered = 0;
    int buttonWrite = -1;  // the write end of the watching button's pipe
};

ControlInfo Integer(uint32_t id, const char* name, int64_t min, int64_t max, int64_t step,
                    int64_t def) {
    ControlInfo c;
    c.id = id;
    c.type = V4L2_CTRL_TYPE_INTEGER;
    c.name = name;
    c.minimum = min;
    c.maximum = max;
    c.step = step;
    c.defaultValue = def;
    return c;
}

ControlInfo Boolean(uint32_t id, const char* name, bool def) {
    ControlInfo c = Integer(id, name, 0, 1, 1, def ? 1 : 0);
    c.type = V4L2_CTRL_TYPE_BOOLEAN;
    return c;
}

std::vector<ControlInfo> DefaultControls() {
    ControlInfo exposureAuto =
        Integer(V4L2_CID_EXPOSURE_AUTO, "Auto Exposure", 0, 3, 1, V4L2_EXPOSURE_APERTURE_PRIORITY);
    exposureAuto.type = V4L2_CTRL_TYPE_MENU;
    exposureAuto.menu = {{V4L2_EXPOSURE_MANUAL, "Manual Mode"},
                         {V4L2_EXPOSURE_APERTURE_PRIORITY, "Aperture Priority Mode"}};
    return {
        Integer(V4L2_CID_BRIGHTNESS, "Brightness", -64, 64, 1, 0),
        Integer(V4L2_CID_CONTRAST, "Contrast", 0, 64, 1, 32),
        Integer(V4L2_CID_SATURATION, "Saturation", 0, 128, 1, 64),
        Integer(V4L2_CID_HUE, "Hue", -40, 40, 1, 0),
        Integer(V4L2_CID_GAMMA, "Gamma", 72, 500, 1, 100),
        Integer(V4L2_CID_GAIN, "Gain", 0, 100, 1, 0),
        Boolean(V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", true),
        Integer(V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature", 2800, 6500, 10,
                4600),
        Integer(V4L2_CID_SHARPNESS, "Sharpness", 0, 6, 1, 3),
        Integer(V4L2_CID_BACKLIGHT_COMPENSATION, "Backlight Compensation", 0, 2, 1, 1),
        exposureAuto,
        Integer(V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time, Absolute", 1, 10000, 1, 156),
        Integer(V4L2_CID_FOCUS_ABSOLUTE, "Focus, Absolute", 0, 250, 5, 0),
        Boolean(V4L2_CID_FOCUS_AUTO, "Focus, Automatic Continuous", true),
    };
}

// A manual value is refused while its automatic is on, as UVC drivers do.
std::pair<uint32_t, int32_t> AutoGuard(uint32_t id) {
    switch (id) {
        case V4L2_CID_EXPOSURE_ABSOLUTE:
            return {V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL};
        case V4L2_CID_FOCUS_ABSOLUTE:
            return {V4L2_CID_FOCUS_AUTO, 0};
        case V4L2_CID_WHITE_BALANCE_TEMPERATURE:
            return {V4L2_CID_AUTO_WHITE_BALANCE, 0};
        default:
            return {0, 0};
    }
}

std::vector<CaptureFormat> PortraitFormats() {
    std::vector<CaptureFormat> out;
    for (uint32_t fourcc : {kFourCcYuyv, kFourCcMjpg}) {
        for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {1280, 720}, {1600, 1200}}) {
            out.push_back({fourcc, w, h});
        }
    }
    return out;
}

struct Hub {
    std::mutex lock;
    std::vector<std::shared_ptr<SimDevice>> devices;
    double fps = 15;
    SimulatedCamera::PageClock pageClock;  // empty: the steady clock

    Hub() { ResetLocked(); }

    void ResetLocked() {
        for (auto& d : devices) {
            d->SetPlugged(false);  // streams of the old devices end
        }
        devices.clear();
        pageClock = nullptr;
        const char* envFps = std::getenv("ORBISK_CAMERA_FPS");
        fps = envFps && std::atof(envFps) > 0 ? std::atof(envFps) : 15;
        const struct {
            const char* product;
            const char* serial;
            const char* name;
            int node;
        } defs[] = {
            {kSimulatedDocumentProductId, "ORBSIM0001", "Orbisk Simulated Document Camera", 0},
            {kSimulatedPortraitProductId, "ORBSIM0002", "Orbisk Simulated Portrait Camera", 1}};
        for (const auto& def : defs) {
            auto d = std::make_shared<SimDevice>();
            d->info.nodeNumber = def.node;
            d->info.vendorId = kSimulatedVendorId;
            d->info.productId = def.product;
            d->info.serial = def.serial;
            d->info.usbPort = "0-" + std::to_string(def.node + 1);
            d->info.friendlyName = def.name;
            d->info.simulated = true;
            d->formats =
                def.node == 0 ? SimulatedCamera::DefaultDocumentFormats() : PortraitFormats();
            for (const auto& c : DefaultControls()) {
                d->controls[c.id] = c;
                d->values[c.id] = static_cast<int32_t>(c.defaultValue);
            }
            devices.push_back(std::move(d));
        }
    }

    std::shared_ptr<SimDevice> Find(const std::string& productId) {
        for (auto& d : devices) {
            if (d->info.productId == productId) return d;
        }
        return nullptr;
    }
};

Hub& TheHub() {
    static Hub hub;
    return hub;
}

class SimulatedRegistry : public VideoRegistry {
  public:
    std::optional<std::vector<VideoDeviceInfo>> CaptureDevices() override {
        Hub& hub = TheHub();
        std::lock_guard l(hub.lock);
        std::vector<VideoDeviceInfo> out;
        for (const auto& d : hub.devices) {
            if (d->plugged) out.push_back(d->info);
        }
        return out;
    }
};

// A page with lines of "text", a little turned, on a darker desk.
cv::Mat DeskScene(int width, int height) {
    cv::Mat scene(height, width, CV_8UC3, cv::Scalar(70, 95, 120));
    const float pageH = height * 0.8f;
    const float pageW = pageH * 0.707f;
    const cv::RotatedRect page({width / 2.0f, height / 2.0f}, {pageW, pageH}, 4.0f);
    cv::Point2f c[4];
    page.points(c);
    std::vector<cv::Point> poly(c, c + 4);
    cv::fillConvexPoly(scene, poly, cv::Scalar(235, 238, 240), cv::LINE_AA);
    const cv::Mat turn = cv::getRotationMatrix2D(page.center, -4.0, 1.0);
    const int lines = 24;
    for (int i = 0; i < lines; ++i) {
        const float y = page.center.y - pageH * 0.4f + i * pageH * 0.8f / lines;
        const float len = pageW * (i % 5 == 4 ? 0.45f : 0.75f);
        std::vector<cv::Point2f> ends{{page.center.x - pageW * 0.375f, y},
                                      {page.center.x - pageW * 0.375f + len, y}};
        cv::transform(ends, ends, turn);
        cv::line(scene, ends[0], ends[1], cv::Scalar(40, 40, 40), std::max(1, height / 300),
                 cv::LINE_AA);
    }
    return scene;
}

// The picture fitted into the frame, centred on the desk colour.
cv::Mat FitOnDesk(const cv::Mat& picture, int width, int height) {
    cv::Mat out(height, width, CV_8UC3, cv::Scalar(70, 95, 120));
    const double s = std::min(static_cast<double>(width) / picture.cols,
                              static_cast<double>(height) / picture.rows);
    const int w = std::max(1, static_cast<int>(picture.cols * s));
    const int h = std::max(1, static_cast<int>(picture.rows * s));
    cv::resize(picture, out(cv::Rect((width - w) / 2, (height - h) / 2, w, h)), {w, h}, 0, 0,
               cv::INTER_AREA);
    return out;
}

QStringList ImageFolderPages() {
    const QByteArray folder = qgetenv("ORBISK_CAMERA_IMAGES");
    if (folder.isEmpty()) return {};
    QDir dir(QString::fromLocal8Bit(folder));
    QStringList pages;
    for (const QFileInfo& f : dir.entryInfoList(
             {"*.jpg", "*.jpeg", "*.png", "*.bmp", "*.tif", "*.tiff", "*.JPG", "*.PNG"},
             QDir::Files, QDir::Name)) {
        pages << f.absoluteFilePath();
    }
    return pages;
}

class SimulatedCaptureDevice : public CaptureDevice {
  public:
    explicit SimulatedCaptureDevice(std::shared_ptr<SimDevice> dev) : dev_(std::move(dev)) {}
    ~SimulatedCaptureDevice() override {
        Stop();
        UnwatchButton();
    }

    const VideoDeviceInfo& Info() const override { return dev_->info; }

    std::vector<CaptureFormat> Formats() override {
        std::lock_guard l(TheHub().lock);
        return dev_->plugged ? dev_->formats : std::vector<CaptureFormat>{};
    }

    std::vector<ControlInfo> Controls() override {
        std::lock_guard l(TheHub().lock);
        std::vector<ControlInfo> out;
        if (!dev_->plugged) return out;
        for (const auto& [id, c] : dev_->controls) out.push_back(c);
        return out;
    }

    std::optional<ControlInfo> QueryControl(uint32_t id) override {
        std::lock_guard l(TheHub().lock);
        const auto it = dev_->controls.find(id);
        if (!dev_->plugged || it == dev_->controls.end()) return std::nullopt;
        return it->second;
    }

    bool GetControl(uint32_t id, int32_t& value) override {
        std::lock_guard l(TheHub().lock);
        const auto it = dev_->values.find(id);
        if (!dev_->plugged || it == dev_->values.end()) return false;
        value = it->second;
        return true;
    }

    bool SetControl(uint32_t id, int32_t value) override {
        std::lock_guard l(TheHub().lock);
        const auto it = dev_->controls.find(id);
        if (!dev_->plugged || it == dev_->controls.end()) return false;
        const ControlInfo& c = it->second;
        if (value < c.minimum || value > c.maximum) return false;
        if (c.type == V4L2_CTRL_TYPE_MENU &&
            std::none_of(c.menu.begin(), c.menu.end(),
                         [&](const auto& e) { return e.first == value; })) {
            return false;
        }
        const auto [guard, manualValue] = AutoGuard(id);
        if (guard != 0 && dev_->values[guard] != manualValue) return false;
        dev_->values[id] = value;
        return true;
    }

    // As a UVC driver does: the size of that format nearest in area.
    DeviceError SetFormat(const CaptureFormat& format, CaptureFormat& applied) override {
        std::lock_guard l(TheHub().lock);
        if (!dev_->plugged) return Refused(format, DeviceError::kNotFound);
        const CaptureFormat* best = nullptr;
        long long bestDiff = 0;
        const long long wanted = static_cast<long long>(format.width) * format.height;
        for (const auto& f : dev_->formats) {
            const long long diff = std::llabs(static_cast<long long>(f.width) * f.height - wanted);
            if (f.fourcc == format.fourcc && (!best || diff < bestDiff)) {
                best = &f;
                bestDiff = diff;
            }
        }
        if (!best) return Refused(format, DeviceError::kRefused);
        applied = *best;
        return DeviceError::kNone;
    }

    bool Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) override {
        Stop();
        {
            std::lock_guard l(TheHub().lock);
            if (!dev_->plugged || std::find(dev_->formats.begin(), dev_->formats.end(), format) ==
                                      dev_->formats.end()) {
                qCWarning(lcCamera, "camera %s can't stream %dx%d: %s",
                          DeviceLogName(dev_->info).c_str(), format.width, format.height,
                          DeviceErrorText(dev_->plugged ? DeviceError::kRefused
                                                        : DeviceError::kNotFound));
                return false;
            }
        }
        format_ = format;
        sink_ = std::move(sink);
        lost_ = std::move(lost);
        ended_ = false;
        worker_.Start([this](WorkerThread::Context& context) { Loop(context); });
        return true;
    }

    void Stop() override {
        worker_.Stop();
        sink_ = nullptr;
        lost_ = nullptr;
    }

    bool IsStreaming() const override { return worker_.Running() && !ended_; }

    bool WatchButton(ButtonHandler pressed) override {
        UnwatchButton();
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        {
            std::lock_guard l(TheHub().lock);
            if (dev_->buttonWrite >= 0) ::close(dev_->buttonWrite);
            dev_->buttonWrite = fds[1];
            buttonWrite_ = fds[1];
        }
        button_ = std::make_unique<EvdevButtonReader>(fds[0], std::move(pressed));
        return true;
    }

    void UnwatchButton() override {
        if (!button_) return;
        {
            std::lock_guard l(TheHub().lock);
            if (dev_->buttonWrite == buttonWrite_) {
                ::close(dev_->buttonWrite);
                dev_->buttonWrite = -1;
            }
        }
        button_.reset();
        buttonWrite_ = -1;
    }

  private:
    DeviceError Refused(const CaptureFormat& format, DeviceError why) const {
        qCWarning(lcCamera, "camera %s refused %dx%d: %s", DeviceLogName(dev_->info).c_str(),
                  format.width, format.height, DeviceErrorText(why));
        return why;
    }

    // The time that turns the pages of the image folder.
    Clock::time_point PageNow() const {
        SimulatedCamera::PageClock clock;
        {
            std::lock_guard l(TheHub().lock);
            clock = TheHub().pageClock;
        }
        return clock ? clock() : Clock::now();
    }

    // The frame to send now: a queued one, a page of the image folder, or
    // the desk scene.
    cv::Mat NextPicture(cv::Mat queued) {
        const int w = format_.width, h = format_.height;
        if (!queued.empty()) {
            if (queued.cols == w && queued.rows == h && queued.type() == CV_8UC3) return queued;
            cv::Mat fitted;
            cv::resize(queued, fitted, {w, h}, 0, 0, cv::INTER_AREA);
            return fitted;
        }
        if (!pages_.isEmpty()) {
            const auto elapsed = PageNow() - started_;
            const int page = static_cast<int>((elapsed / kPageTime) % pages_.size());
            if (page != pageShown_) {
                const cv::Mat picture = cv::imread(QFile::encodeName(pages_[page]).toStdString());
                pageShown_ = page;
                pagePicture_ = picture.empty() ? cv::Mat() : FitOnDesk(picture, w, h);
            }
            if (!pagePicture_.empty()) return pagePicture_;
        }
        // The device may stream at another size after a restart.
        if (scene_.cols != w || scene_.rows != h) scene_ = DeskScene(w, h);
        return scene_;
    }

    void Loop(WorkerThread::Context& context) {
        using Wake = WorkerThread::Context::Wake;
        Hub& hub = TheHub();
        pages_ = ImageFolderPages();
        pageShown_ = -1;
        started_ = PageNow();
        const std::string logName = DeviceLogName(dev_->info);
        auto next = Clock::now();
        bool lost = false;
        for (;;) {
            // One frame period, or until the device is unplugged or stopped.
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
            const Wake wake =
                context.WaitFd(dev_->gone, static_cast<int>(std::max<long>(0, wait.count())));
            if (wake == Wake::kStopped) break;
            cv::Mat queued;
            {
                std::lock_guard l(hub.lock);
                if (!dev_->plugged || wake == Wake::kError) {
                    lost = true;
                    break;
                }
                if (wake != Wake::kTimeout) continue;  // plugged in again meanwhile
                if (!dev_->queued.empty()) {
                    queued = dev_->queued.front();
                    dev_->queued.pop_front();
                }
                next += std::chrono::microseconds(static_cast<long>(1e6 / hub.fps));
                if (next < Clock::now()) next = Clock::now();
            }
            bool delivered = false;
            DeliverFrameSafely(logName, [&] {
                const cv::Mat picture = NextPicture(queued);
                FrameSample sample;
                bool ok;
                if (format_.fourcc == kFourCcMjpg) {
                    cv::imencode(".jpg", picture, raw_, {cv::IMWRITE_JPEG_QUALITY, 90});
                    ok = converter_.Convert(kFourCcMjpg, format_.width, format_.height, raw_.data(),
                                            raw_.size(), 0, sample);
                } else {
                    BgrToYuyv(picture, raw_);
                    ok = converter_.Convert(kFourCcYuyv, format_.width, format_.height, raw_.data(),
                                            raw_.size(), format_.width * 2, sample);
                }
                if (ok) {
                    sink_(sample);
                    delivered = true;
                }
            });
            if (delivered) {
                std::lock_guard l(hub.lock);
                ++dev_->delivered;
            }
        }
        ended_ = true;  // before the handler runs: it may ask
        if (lost) {
            qCInfo(lcCamera, "camera %s unplugged", logName.c_str());
            if (lost_) lost_();
        }
    }

    std::shared_ptr<SimDevice> dev_;
    CaptureFormat format_;
    FrameSink sink_;
    LostHandler lost_;
    FrameConverter converter_;
    std::vector<uint8_t> raw_;
    cv::Mat scene_;
    QStringList pages_;
    int pageShown_ = -1;
    cv::Mat pagePicture_;
    Clock::time_point started_;
    std::unique_ptr<EvdevButtonReader> button_;
    std::atomic<bool> ended_{false};
    WorkerThread worker_;
    int buttonWrite_ = -1;
};

}  // namespace

VideoRegistry& SimulatedCamera::Registry() {
    static SimulatedRegistry registry;
    return registry;
}

std::unique_ptr<CaptureDevice> SimulatedCamera::OpenDevice(const VideoDeviceInfo& info) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    for (const auto& d : hub.devices) {
        if (d->plugged && d->info.productId == info.productId &&
            d->info.vendorId == info.vendorId) {
            return std::make_unique<SimulatedCaptureDevice>(d);
        }
    }
    return nullptr;
}

void SimulatedCamera::Reset() {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    hub.ResetLocked();
}

void SimulatedCamera::SetFrameRate(double framesPerSecond) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    if (framesPerSecond > 0) hub.fps = framesPerSecond;
}

bool SimulatedCamera::ButtonWatched(const std::string& productId) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    auto d = hub.Find(productId);
    return d && d->buttonWrite >= 0;
}

void SimulatedCamera::SetPageClock(PageClock clock) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    hub.pageClock = std::move(clock);
}

void SimulatedCamera::QueueFrames(const std::string& productId, std::vector<cv::Mat> frames) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    if (auto d = hub.Find(productId)) {
        for (auto& f : frames) d->queued.push_back(std::move(f));
    }
}

void SimulatedCamera::SendButtonEvent(const std::string& productId, const input_event& event) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    if (auto d = hub.Find(productId); d && d->plugged && d->buttonWrite >= 0) {
        [[maybe_unused]] const auto n = ::write(d->buttonWrite, &event, sizeof(event));
    }
}

void SimulatedCamera::PressButton(const std::string& productId) {
    input_event ev{};
    ev.type = EV_KEY;
    ev.code = KEY_CAMERA;
    ev.value = 1;
    SendButtonEvent(productId, ev);
    ev.value = 0;
    SendButtonEvent(productId, ev);
}

void SimulatedCamera::Unplug(const std::string& productId) {
    Hub& hub = TheHub();
    {
        std::lock_guard l(hub.lock);
        if (auto d = hub.Find(productId)) d->SetPlugged(false);
    }
    // As udev tells of a real camera.
    RaiseDeviceChange();
}

void SimulatedCamera::Plug(const std::string& productId) {
    Hub& hub = TheHub();
    {
        std::lock_guard l(hub.lock);
        if (auto d = hub.Find(productId)) d->SetPlugged(true);
    }
    RaiseDeviceChange();
}

void SimulatedCamera::SetFormats(const std::string& productId, std::vector<CaptureFormat> formats) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    if (auto d = hub.Find(productId)) d->formats = std::move(formats);
}

long SimulatedCamera::FramesDelivered(const std::string& productId) {
    Hub& hub = TheHub();
    std::lock_guard l(hub.lock);
    auto d = hub.Find(productId);
    return d ? d->delivered : 0;
}

std::vector<CaptureFormat> SimulatedCamera::DefaultDocumentFormats() {
    static const std::pair<int, int> sizes[] = {
        {640, 480},   {800, 600},   {1024, 768},  {1280, 720},  {1280, 960},
        {1600, 1200}, {1920, 1080}, {2048, 1536}, {2592, 1944}, {3264, 2448}};
    std::vector<CaptureFormat> out;
    for (uint32_t fourcc : {kFourCcYuyv, kFourCcMjpg}) {
        for (auto [w, h] : sizes) out.push_back({fourcc, w, h});
    }
    return out;
}

}  // namespace orbisk::platform
