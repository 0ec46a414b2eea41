// Other programs of the same desktop reach the window through its named
// windows, the client's shared-memory block and the shutter sound file. With
// each of them at its worst the window keeps answering the operator: Space
// makes its file within a second, and the start-up and the exit end.

#include "tests/support/hostile_clients.h"
#include "app/main_dlg/image_handoff.h"
#include "app/startup_messages.h"
#include "core/command_ids.h"
#include "platform/named_window.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/app/started_window.h"
#include "tests/support/pipe_in_place.h"
#include "tests/support/wait_until.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

using namespace std::chrono_literals;

// Sets a stuck window free after `after`, so that a fault fails the test
// instead of hanging it; says whether it had to.
class Watchdog {
  public:
    Watchdog(std::chrono::milliseconds after, std::function<void()> release)
        : thread_([this, after, release = std::move(release)] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, after, [this] { return done_; })) {
                  fired_ = true;
                  release();
              }
          }) {}
    ~Watchdog() { Stop(); }
    // Ends the watch; whether it had to set the window free.
    bool Stop() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        if (thread_.joinable()) thread_.join();
        return fired_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::atomic<bool> fired_ = false;
    std::thread thread_;
};

class HostileClientTest : public test::StartedWindowTest {
  protected:
    HostileClientTest() { cameras_.cutOuts = {test::CutOut(400, 300)}; }

    // The window with the short deadlines of these tests, `ini` over the
    // harness's settings.
    std::unique_ptr<COrbiskDlg> StartHostile(const QString& ini = QString()) {
        env_.imageMapName = mapName_;
        env_.namedWindowTimeout = 100ms;
        auto dlg = StartWindow(ini);
        EXPECT_TRUE(completed_) << shown_.join('\n').toStdString();
        return dlg;
    }

    // Space pressed as the operator does, through the window's event loop,
    // which whatever a client asked of the window has to pass first.
    static bool SpaceMakesAFileWithinASecond(COrbiskDlg& dlg) {
        const int before = dlg.StripCount();
        QWidget* focus = dlg.Control(ids::main_dlg::IDC_EXIT);
        QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space,
                                                         Qt::NoModifier, QStringLiteral(" ")));
        QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space,
                                                         Qt::NoModifier, QStringLiteral(" ")));
        return test::WaitUntil([&] { return dlg.StripCount() == before + 1; }, 1s);
    }

    // Asks for the image path from a thread of its own, as a client does.
    std::future<std::optional<qintptr>> RequestFromAClient(const COrbiskDlg& dlg,
                                                           std::chrono::milliseconds timeout = 2s) {
        return std::async(std::launch::async, [title = dlg.windowTitle(), timeout] {
            return platform::SendNamedWindowMessage(title, platform::WM_IMAGE_PATH_REQUEST, 0, 0,
                                                    timeout);
        });
    }

    // Runs the window's events until the request has its answer.
    static std::optional<qintptr> Answer(std::future<std::optional<qintptr>>& request) {
        test::WaitUntil([&] { return request.wait_for(0s) == std::future_status::ready; }, 5s);
        return request.get();
    }

    const QByteArray mapName_ = "/orbisk-test-hostile-" + QByteArray::number(::getpid());
};

// The client shrinks its block to nothing and back as fast as it can while
// it asks for the path again and again.
TEST_F(HostileClientTest, AShrinkingBlock) {
    auto dlg = StartHostile();
    const test::ShrinkingBlock block(mapName_, 4096);
    ASSERT_TRUE(block.Made());
    std::atomic<bool> stop = false;
    std::atomic<int> answered = 0;
    auto client = std::async(std::launch::async, [&, title = dlg->windowTitle()] {
        while (!stop) {
            if (platform::SendNamedWindowMessage(title, platform::WM_IMAGE_PATH_REQUEST, 0, 0,
                                                 2s)) {
                ++answered;
            }
        }
    });
    ASSERT_TRUE(test::WaitUntil([&] { return answered >= 30; }));
    EXPECT_TRUE(SpaceMakesAFileWithinASecond(*dlg));
    const int now = answered;
    EXPECT_TRUE(test::WaitUntil([&] { return answered >= now + 30; }));
    stop = true;
    test::WaitUntil([&] { return client.wait_for(0s) == std::future_status::ready; });
    client.get();
}

// The client's "Image" window listens and never takes the reply: the reply
// goes out from a thread of the window's own.
TEST_F(HostileClientTest, AnImageWindowThatNeverAccepts) {
    auto dlg = StartHostile();
    const int fd = ::shm_open(mapName_.constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 256), 0);
    ::close(fd);
    test::ListenerThatNeverAccepts image(QString::fromLatin1(kImageWindowTitle));
    ASSERT_TRUE(image.Listening());
    Watchdog watchdog(3s, [&] { image.GoAway(); });
    for (int i = 0; i < 3; ++i) {
        auto request = RequestFromAClient(*dlg);
        EXPECT_EQ(Answer(request), 0) << i;
    }
    EXPECT_TRUE(SpaceMakesAFileWithinASecond(*dlg));
    EXPECT_FALSE(watchdog.Stop());
    ::shm_unlink(mapName_.constData());
}

// Another program squats on the camera owner's title: the start-up takes the
// probe's deadline, counts the camera as busy and ends.
TEST_F(HostileClientTest, ASquatterOnTheCameraOwnersTitle) {
    test::ListenerThatNeverAccepts squatter(QStringLiteral("OrvelServer"));
    ASSERT_TRUE(squatter.Listening());
    env_.namedWindowTimeout = 100ms;
    Watchdog watchdog(3s, [&] { squatter.GoAway(); });
    const auto dlg = StartWindow();
    EXPECT_FALSE(watchdog.Stop());
    EXPECT_FALSE(completed_);
    EXPECT_EQ(shown_, QStringList{"The device may be used by other programs, please check!"});
}

// Another program squats on the sibling's title: the exit's notice takes its
// deadline and the exit ends.
TEST_F(HostileClientTest, ASquatterOnTheSiblingsTitle) {
    const QString sibling = QStringLiteral("Sibling %1").arg(::getpid());
    auto dlg = StartHostile(QStringLiteral("[VantorelQt]\nCaption=%1\n").arg(sibling));
    test::ListenerThatNeverAccepts squatter(sibling);
    ASSERT_TRUE(squatter.Listening());
    EXPECT_TRUE(SpaceMakesAFileWithinASecond(*dlg));
    Watchdog watchdog(3s, [&] { squatter.GoAway(); });
    dlg.reset();
    EXPECT_FALSE(watchdog.Stop());
}

// Silent connections take up the window's socket; genuine clients are all
// answered beside them.
TEST_F(HostileClientTest, TenSilentConnections) {
    auto dlg = StartHostile();
    const int fd = ::shm_open(mapName_.constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 256), 0);
    ::close(fd);
    const test::SilentClients silent(dlg->windowTitle(), 10);
    ASSERT_EQ(silent.Connected(), 10);
    std::vector<std::future<std::optional<qintptr>>> requests;
    for (int i = 0; i < 8; ++i) requests.push_back(RequestFromAClient(*dlg, 900ms));
    for (auto& request : requests) EXPECT_EQ(Answer(request), 0);
    EXPECT_TRUE(SpaceMakesAFileWithinASecond(*dlg));
    ::shm_unlink(mapName_.constData());
}

// "paizhao.wav" is a pipe that nobody writes to: the shutter sound is not
// played, and the window's end does not wait for it.
TEST_F(HostileClientTest, APipeAsTheSoundFile) {
    const QString home = dir_.File("home");
    ASSERT_TRUE(QDir().mkpath(home));
    const QByteArray fifo = QFile::encodeName(home + "/paizhao.wav");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray oldHome = qgetenv("ORBISK_HOME");
    qputenv("ORBISK_HOME", QFile::encodeName(home));
    const auto restore = qScopeGuard([&] {
        if (oldHome.isNull()) {
            qunsetenv("ORBISK_HOME");
        } else {
            qputenv("ORBISK_HOME", oldHome);
        }
    });
    windowPlaysSound_ = true;
    auto dlg = StartHostile(QStringLiteral("[SOUND]\nPlay=true\n"));
    EXPECT_TRUE(SpaceMakesAFileWithinASecond(*dlg));
    Watchdog watchdog(3s, [&] {
        // A reader stuck in the pipe's open goes on once a writer came and went.
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    });
    dlg.reset();
    EXPECT_FALSE(watchdog.Stop());
}

// Another program puts a named pipe where the window reads or makes one of
// its files. The start-up and the exit go on without waiting for the pipe's
// other end; the operator is told as for a file that cannot be read.
struct PipeCase {
    const char* name;
    const char* file;  // the pipe's place in the test's folder
    const char* ini;
    bool starts;
    QStringList shown;
    friend void PrintTo(const PipeCase& c, std::ostream* os) { *os << c.name; }
};

class PipeInPlaceTest : public HostileClientTest, public testing::WithParamInterface<PipeCase> {};

TEST_P(PipeInPlaceTest, StartAndExitEndWithTheirMessage) {
    const PipeCase& c = GetParam();
    const QString path = dir_.File(QString::fromLatin1(c.file));
    const test::PipeInPlace pipe(path);
    ASSERT_TRUE(pipe.Made());
    writeBranding_ = QString::fromLatin1(c.file) != QStringLiteral("data.dat");
    writeSettings_ = QString::fromLatin1(c.file) != QStringLiteral("Sys.ini");
    env_.orientationTemplate = path;
    bool orientationEnded = true;
    EXPECT_TRUE(pipe.EndsByItself([&] {
        auto dlg = StartWindow(QString::fromLatin1(c.ini));
        if (completed_) {
            // The orientation thread that found no template ends by itself.
            orientationEnded = test::WaitUntil(
                [&] { return !dlg->OrientationRunning() && !dlg->OrientationJoinable(); }, 10s);
        }
        dlg.reset();
    })) << "waited for the pipe's other end";
    EXPECT_EQ(completed_, c.starts);
    EXPECT_TRUE(orientationEnded);
    EXPECT_EQ(shown_, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PipeInPlaceTest,
    testing::Values(
        PipeCase{"BrandingFile",
                 "data.dat",
                 "",
                 false,
                 {QStringLiteral("Please check whether the device is properly connected")}},
        // Before the settings are read, in the first language.
        PipeCase{"SettingsFile",
                 "Sys.ini",
                 "",
                 false,
                 {StartupMessageText(StartupMessage::SettingsUnavailable, 0)}},
        // The orientation thread loads it; the exit waits for that thread.
        PipeCase{
            "OrientationTemplate", "OCR_RLDA_LN_Gra.tpl", "[IMAGE]\nDOCCHECK=TRUE\n", true, {}}),
    [](const testing::TestParamInfo<PipeCase>& info) { return info.param.name; });

// A flood of silent connections, 800 of them open at any time and 20,000
// new every second in bursts, while genuine clients ask one after another:
// every genuine request is answered. How long the slowest took is recorded
// (within a second on an idle machine); the bound checked is a deadline a
// loaded machine keeps.
TEST_F(HostileClientTest, AFloodOfSilentConnections) {
    // The flood's connections are this process's files too.
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlimit oldFiles = files;
    files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, 4096));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &files), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &oldFiles); });
    ASSERT_GE(files.rlim_cur, rlim_t(1000)) << "too few files for the flood";

    auto dlg = StartHostile();
    // Bursts of 800 at once: a pass of the window takes far more new
    // connections than it keeps.
    const test::ConnectionFlood flood(dlg->windowTitle(), 800, 20000, 800);
    ASSERT_TRUE(test::WaitUntil([&] { return flood.Full(); }, 20s));
    constexpr int kRequests = 100;
    int answered = 0;
    auto slowest = std::chrono::steady_clock::duration::zero();
    for (int i = 0; i < kRequests; ++i) {
        const auto start = std::chrono::steady_clock::now();
        auto request = RequestFromAClient(*dlg, 10s);
        test::WaitUntil([&] { return request.wait_for(0s) == std::future_status::ready; }, 20s);
        if (request.get() == 2) ++answered;  // no block: "no mapping"
        slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
    }
    const auto slowestMs = std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count();
    RecordProperty("slowest_answer_ms", std::to_string(slowestMs));
    RecordProperty("flood_connections", std::to_string(flood.Made()));
    EXPECT_EQ(answered, kRequests) << "slowest answer " << slowestMs << " ms";
}

// The message number is the whole 64-bit number: one beyond an int is not
// the image-path request it would be cut to.
TEST_F(HostileClientTest, AMessageNumberBeyondAnInt) {
    auto dlg = StartHostile();
    const auto answer = [&](qint64 message) -> std::optional<qint64> {
        test::RawClient client(dlg->windowTitle());
        if (!client.Connected() || !client.Send(message)) return std::nullopt;
        test::WaitUntil([&] { return client.Over(); }, 20s);
        return client.Answer();
    };
    // Without a block the request answers "no mapping".
    EXPECT_EQ(answer(platform::WM_IMAGE_PATH_REQUEST), 2);
    EXPECT_EQ(answer(qint64(0x100000500)), 0);
}

}  // namespace
}  // namespace orbisk
