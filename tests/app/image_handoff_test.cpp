#include "app/main_dlg/image_handoff.h"
#include "core/command_ids.h"
#include "platform/named_window.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/app/started_window.h"
#include "tests/support/case_name.h"
#include "tests/support/outside_tool.h"
#include "tests/support/wait_until.h"
#include "ui/image_tile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QProcess>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orbisk {
namespace {

using namespace std::chrono_literals;

struct BlockCase {
    const char* name;
    std::size_t blockSize;
    QByteArray text;
    QByteArray written;  // what goes into the block
};

class ImagePathBlockTest : public testing::TestWithParam<BlockCase> {};

TEST_P(ImagePathBlockTest, AWholePathAndItsZeroOrAnEmptyText) {
    EXPECT_EQ(ImagePathBlock(GetParam().blockSize, GetParam().text), GetParam().written);
}

const QByteArray k200(200, 'p');

INSTANTIATE_TEST_SUITE_P(
    Cases, ImagePathBlockTest,
    testing::Values(BlockCase{"a_path_that_fits", 12, "/a.jpg", QByteArray("/a.jpg\0", 7)},
                    BlockCase{"a_path_and_zero_that_just_fit", 7, "/a.jpg",
                              QByteArray("/a.jpg\0", 7)},
                    BlockCase{"empty_clears_the_previous_path", 6, "", QByteArray(1, '\0')},
                    // A cut path names another file: the client gets none.
                    BlockCase{"a_small_block_gets_an_empty_text", 64, k200, QByteArray(1, '\0')},
                    BlockCase{"one_byte_short", 6, "/a.jpg", QByteArray(1, '\0')},
                    BlockCase{"a_one_byte_block_takes_the_zero", 1, "/a.jpg", QByteArray(1, '\0')},
                    BlockCase{"no_block_takes_nothing", 0, "/a.jpg", QByteArray()}),
    [](const auto& info) { return test::CaseName(info.param.name); });

struct BytesCase {
    const char* name;
    QString path;
    QByteArray expected;
};

class ImagePathBytesTest : public testing::TestWithParam<BytesCase> {};

TEST_P(ImagePathBytesTest, HandsOverWholePathsOnly) {
    EXPECT_EQ(ImagePathBytes(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ImagePathBytesTest,
    testing::Values(BytesCase{"255_bytes", QString(255, 'a'), QByteArray(255, 'a')},
                    BytesCase{"256_bytes", QString(256, 'a'), QByteArray()},
                    BytesCase{"two_byte_character_at_255", QString(253, 'a') + QChar(0xE9),
                              QByteArray(253, 'a') + "\xC3\xA9"},
                    // The limit falls inside the last character: nothing, not a cut.
                    BytesCase{"two_byte_character_across_255", QString(254, 'a') + QChar(0xE9),
                              QByteArray()},
                    BytesCase{"empty", QString(), QByteArray()}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// Runs `work` on a thread of its own while this thread runs its Qt events,
// as the window does beside another program.
template <typename Result>
Result WhileAnswering(const std::function<Result()>& work) {
    Result result{};
    std::atomic<bool> done = false;
    std::thread thread([&] {
        result = work();
        done = true;
    });
    test::WaitUntil([&] { return done.load(); }, 20s);
    thread.join();
    return result;
}

// The client's block: made by the test, under a name of this test only.
class ClientBlock {
  public:
    ClientBlock(const QByteArray& name, off_t size, char fill) : name_(name) {
        const int fd = ::shm_open(name_.constData(), O_CREAT | O_RDWR, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        const QByteArray bytes(qsizetype(size), fill);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(size)), ssize_t(size));
        ::close(fd);
    }
    ~ClientBlock() { ::shm_unlink(name_.constData()); }
    QByteArray Bytes() const {
        const int fd = ::shm_open(name_.constData(), O_RDONLY, 0);
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        return QByteArray(buffer, n > 0 ? n : 0);
    }

  private:
    QByteArray name_;
};

class HandoffTest : public test::StartedWindowTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(image_.Register(QString::fromLatin1(kImageWindowTitle),
                                    [this](int message, qintptr, qintptr) {
                                        if (message == platform::WM_IMAGE_PATH_READY) ++replies_;
                                        return qintptr(0);
                                    }));
        // Captures are named by the test.
        ini_["FILE"]["TypeofImageName"] = QStringLiteral("2");
        cameras_.cutOuts = {test::CutOut(400, 300)};
        env_.imageMapName = mapName_;
        env_.askFileName = [this](int) { return std::optional<QString>(nextName_); };
        env_.foreignMessageQueued = [this] {
            std::lock_guard lock(queuedMutex_);
            ++queued_;
            queuedChanged_.notify_all();
        };
        dlg_ = Start();
    }

    // Waits, without running this thread's events, until a message from
    // another program has been handed to the window.
    bool WaitForQueuedMessage() {
        std::unique_lock lock(queuedMutex_);
        return queuedChanged_.wait_for(lock, 5s, [this] { return queued_ > 0; });
    }

    // The replies go out from a thread of the window's own.
    bool RepliesReach(int count) {
        return test::WaitUntil([&] { return replies_ == count; });
    }

    qintptr Request() {
        qintptr result = -1;
        EXPECT_TRUE(dlg_->OnWindowMessage(platform::WM_IMAGE_PATH_REQUEST, 0, 0, result));
        return result;
    }

    // Runs the example client while the window answers, as a client beside
    // the running program would. It starts from this thread: a program
    // started from another one confuses the thread checker.
    test::ToolRun RunClient() {
        QProcess process;
        process.start(QStringLiteral(ORBISK_IMAGE_CLIENT),
                      {QStringLiteral("--window"), dlg_->windowTitle(), QStringLiteral("--map"),
                       QString::fromLatin1(mapName_)});
        test::ToolRun run;
        run.started = process.waitForStarted();
        test::WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 20s);
        if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
        run.output = process.readAllStandardOutput();
        return run;
    }

    // Captures `name` and gives the file of its tile.
    QByteArray Capture(const QString& name) {
        nextName_ = name;
        const int before = dlg_->StripCount();
        dlg_->OnCommand(ids::main_dlg::IDC_CAPTURE);
        EXPECT_EQ(dlg_->StripCount(), before + 1);
        return QFile::encodeName(dlg_->Tiles()[std::size_t(before % 4)]->GetPath());
    }

    QString nextName_;
    const QByteArray mapName_ = "/orbisk-test-image-" + QByteArray::number(::getpid());
    platform::NamedWindow image_;
    std::atomic<int> replies_ = 0;
    std::mutex queuedMutex_;
    std::condition_variable queuedChanged_;
    int queued_ = 0;
    std::unique_ptr<COrbiskDlg> dlg_;
};

// Replies keep their order: once the reply of a later request has come, no
// reply of an earlier request is still on its way.
TEST_F(HandoffTest, ARequestBeforeTheClientsBlockExistsReturnsTwoAndSendsNothing) {
    EXPECT_EQ(Request(), 2);
    // Once the client has made its block, the next request succeeds.
    ClientBlock block(mapName_, 256, 'x');
    EXPECT_EQ(Request(), 0);
    EXPECT_TRUE(RepliesReach(1));
    EXPECT_EQ(replies_, 1);
}

TEST_F(HandoffTest, AnEmptyPathWritesOnlyItsZeroAndRepliesExactlyOnce) {
    ClientBlock block(mapName_, 64, 'x');
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(block.Bytes(), QByteArray(1, '\0') + QByteArray(63, 'x'));
    EXPECT_TRUE(RepliesReach(1));
    EXPECT_EQ(Request(), 0);
    EXPECT_TRUE(RepliesReach(2));
}

TEST_F(HandoffTest, ABlockThatCannotBeMappedGetsNothingAndNoReply) {
    {
        ClientBlock empty(mapName_, 0, 'x');
        EXPECT_EQ(Request(), 0);
    }
    ClientBlock block(mapName_, 16, 'x');
    EXPECT_EQ(Request(), 0);
    EXPECT_TRUE(RepliesReach(1));
    EXPECT_EQ(replies_, 1);
}

TEST_F(HandoffTest, TheExampleClientGetsThePathEachTimeItMakesItsBlockAfresh) {
    image_.Unregister();  // the client registers the "Image" window itself
    for (int run = 0; run < 2; ++run) {
        const test::ToolRun client = RunClient();
        ASSERT_TRUE(client.started);
        EXPECT_EQ(client.exitCode, 0) << run;
        // Nothing has been captured yet: the path is empty.
        EXPECT_EQ(client.output, QByteArray("\n")) << run;
    }
}

TEST_F(HandoffTest, TheNewestFileIsHandedOverWholeOrNotAtAll) {
    ClientBlock block(mapName_, 256, 'x');
    const QByteArray longPath = Capture(QString(150, 'L'));
    ASSERT_TRUE(longPath.endsWith(".jpg")) << longPath.toStdString();
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(block.Bytes().left(longPath.size() + 1), longPath + '\0');

    // A shorter path after it reads back exactly, without the longer one's tail.
    const QByteArray shortPath = Capture(QStringLiteral("s"));
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(QByteArray(block.Bytes().constData()), shortPath);

    // A path too long for the block is not cut into another file's name.
    const QByteArray tooLong = Capture(QString(240, 'T'));
    ASSERT_GT(tooLong.size(), 255);
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(block.Bytes().at(0), '\0');
    EXPECT_TRUE(RepliesReach(3));
}

TEST_F(HandoffTest, ABlockSmallerThanThePathGetsAnEmptyTextAndNothingPastIt) {
    ClientBlock block(mapName_, 64, 'x');
    const QByteArray path = Capture(QString(170, 'P'));
    ASSERT_GE(path.size(), 200);
    EXPECT_EQ(Request(), 0);
    // A cut path would name another file.
    EXPECT_EQ(block.Bytes(), QByteArray(1, '\0') + QByteArray(63, 'x'));
    EXPECT_TRUE(RepliesReach(1));
}

TEST_F(HandoffTest, TheExampleClientPrintsTheNewestFile) {
    image_.Unregister();
    Capture(QStringLiteral("first"));
    const QByteArray newest = Capture(QStringLiteral("second"));
    const test::ToolRun client = RunClient();
    EXPECT_EQ(client.exitCode, 0);
    EXPECT_EQ(client.output, newest + '\n');
}

TEST_F(HandoffTest, TheExampleClientReportsAMissingMainWindow) {
    image_.Unregister();
    QStringList arguments = {QStringLiteral("--window"), QStringLiteral("no such window"),
                             QStringLiteral("--map"), QString::fromLatin1(mapName_)};
    const test::ToolRun client =
        test::RunOutsideTool(QStringLiteral(ORBISK_IMAGE_CLIENT), arguments);
    EXPECT_EQ(client.exitCode, 2);
    EXPECT_TRUE(client.output.isEmpty());
}

TEST_F(HandoffTest, OtherProgramsReachTheHandOffOnly) {
    ClientBlock block(mapName_, 32, 'x');
    // From another thread, while the UI thread runs its events.
    const QString title = dlg_->windowTitle();
    auto send = [&](int message, qintptr lParam) {
        return WhileAnswering<std::optional<qintptr>>(
            [&] { return platform::SendNamedWindowMessage(title, message, 0, lParam, 5s); });
    };
    EXPECT_EQ(send(platform::WM_TILE_CLICKED, 2), 0);
    EXPECT_EQ(dlg_->TileMenu(), nullptr);
    EXPECT_EQ(send(platform::WM_IMAGE_PATH_REQUEST, 0), 0);
    EXPECT_EQ(block.Bytes().at(0), '\0');
    EXPECT_TRUE(RepliesReach(1));
}

TEST_F(HandoffTest, TheExitDoesNotWaitForAMessageThatWaitsForTheWindow) {
    std::optional<qintptr> answer;
    std::thread sender([&] {
        answer = platform::SendNamedWindowMessage(dlg_->windowTitle(),
                                                  platform::WM_IMAGE_PATH_REQUEST, 0, 0, 5s);
    });
    // The UI thread runs no events: the request waits for the window.
    ASSERT_TRUE(WaitForQueuedMessage());
    dlg_->DestroyWindow();
    sender.join();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, 0);
    EXPECT_EQ(replies_, 0);
}

}  // namespace
}  // namespace orbisk
