// Other programs of the same desktop reach the window through its named
// windows, the client's shared-memory block and the shutter sound file. With
// each of them at its worst the window keeps answering the operator: Space
// makes its file within a second, and the start-up and the exit end.

#include "tests/support/hostile_clients.h"
#include "app/main_dlg/image_handoff.h"
#include "core/command_ids.h"
#include "platform/named_window.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/app/started_window.h"
#include "tests/support/wait_until.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace
}  // namespace orbisk
