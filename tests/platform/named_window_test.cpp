#include "platform/named_window.h"
#include "platform/window_messages.h"
#include "tests/support/hostile_clients.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <future>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

namespace orbisk::platform {
namespace {

using namespace std::chrono_literals;

QString UniqueTitle(const char* name) {
    return QStringLiteral("orbisk test %1 %2").arg(QString::fromLatin1(name)).arg(::getpid());
}

TEST(NamedWindow, AnswersMessagesSentToItsTitle) {
    NamedWindow window;
    std::atomic<int> calls = 0;
    ASSERT_TRUE(window.Register(UniqueTitle("answer"), [&](int message, qintptr w, qintptr l) {
        ++calls;
        return message == WM_SERVER_QUERY ? qintptr(51) : qintptr(w + l);
    }));
    EXPECT_TRUE(NamedWindowExists(UniqueTitle("answer")));
    EXPECT_EQ(SendNamedWindowMessage(UniqueTitle("answer"), WM_SERVER_QUERY), 51);
    EXPECT_EQ(SendNamedWindowMessage(UniqueTitle("answer"), 7, 40, 2), 42);
    EXPECT_EQ(calls, 2);
}

TEST(NamedWindow, AnAbsentTitleGivesNothing) {
    EXPECT_FALSE(NamedWindowExists(UniqueTitle("absent")));
    EXPECT_FALSE(SendNamedWindowMessage(UniqueTitle("absent"), WM_SERVER_QUERY));
}

TEST(NamedWindow, AWindowThatDoesNotAnswerInTimeGivesNothing) {
    NamedWindow window;
    ASSERT_TRUE(window.Register(UniqueTitle("slow"), [](int, qintptr, qintptr) {
        std::this_thread::sleep_for(300ms);
        return qintptr(51);
    }));
    EXPECT_FALSE(SendNamedWindowMessage(UniqueTitle("slow"), WM_SERVER_QUERY, 0, 0, 50ms));
}

TEST(NamedWindow, ATitleHasOneLiveOwnerAndIsFreeAgainAfterUnregister) {
    NamedWindow first, second;
    ASSERT_TRUE(first.Register(UniqueTitle("owner"), {}));
    EXPECT_FALSE(second.Register(UniqueTitle("owner"), {}));
    first.Unregister();
    EXPECT_FALSE(NamedWindowExists(UniqueTitle("owner")));
    EXPECT_TRUE(second.Register(UniqueTitle("owner"), {}));
}

TEST(NamedWindow, TitlesAreTakenExactly) {
    NamedWindow window;
    ASSERT_TRUE(window.Register(UniqueTitle("exact"), {}));
    EXPECT_FALSE(NamedWindowExists(UniqueTitle("exact") + QStringLiteral(" ")));
    EXPECT_FALSE(NamedWindowExists(UniqueTitle("EXACT")));
}

// Sends from a thread of its own and says whether the send was over within
// `within`. A sender stuck past it is set free by `release`, so that a fault
// fails the test instead of hanging it.
template <typename Send>
bool OverWithin(Send send, std::chrono::milliseconds within, const std::function<void()>& release) {
    auto done = std::async(std::launch::async, send);
    const bool prompt = done.wait_for(within) == std::future_status::ready;
    if (!prompt) release();
    done.wait();
    return prompt;
}

TEST(NamedWindow, AListenerThatNeverAcceptsCostsASenderItsDeadlineOnly) {
    test::ListenerThatNeverAccepts squatter(UniqueTitle("squatter"));
    ASSERT_TRUE(squatter.Listening());
    std::optional<qintptr> answer = 1;
    bool exists = false;
    EXPECT_TRUE(OverWithin(
        [&] {
            exists = NamedWindowExists(UniqueTitle("squatter"));
            answer = SendNamedWindowMessage(UniqueTitle("squatter"), WM_SERVER_QUERY, 0, 0, 50ms);
        },
        2s, [&] { squatter.GoAway(); }));
    EXPECT_TRUE(exists) << "a full queue is a listener";
    EXPECT_FALSE(answer);
}

// A post never waits for its receiver; the next post still arrives after one
// that went to a window that never takes it.
TEST(NamedWindow, PostsReturnAtOnceAndOneThatIsNotTakenDelaysTheNextByItsDeadlineOnly) {
    test::ListenerThatNeverAccepts squatter(UniqueTitle("post squatter"));
    ASSERT_TRUE(squatter.Listening());
    NamedWindow window;
    std::atomic<int> arrived = 0;
    ASSERT_TRUE(window.Register(UniqueTitle("post target"), [&](int message, qintptr, qintptr) {
        if (message == WM_IMAGE_PATH_READY) ++arrived;
        return qintptr(0);
    }));
    NamedWindowPoster poster(50ms);
    EXPECT_TRUE(OverWithin(
        [&] {
            EXPECT_TRUE(poster.Post(UniqueTitle("post squatter"), WM_IMAGE_PATH_READY));
            EXPECT_TRUE(poster.Post(UniqueTitle("post target"), WM_IMAGE_PATH_READY));
            EXPECT_TRUE(poster.Post(UniqueTitle("nobody"), WM_IMAGE_PATH_READY));
        },
        2s, [&] { squatter.GoAway(); }));
    EXPECT_TRUE(test::WaitUntil([&] { return arrived == 1; }));
}

TEST(NamedWindow, APosterKeepsAtMostItsLimitOfPostsWaiting) {
    test::ListenerThatNeverAccepts squatter(UniqueTitle("flooded"));
    ASSERT_TRUE(squatter.Listening());
    auto poster = std::make_unique<NamedWindowPoster>(5s);
    int taken = 0;
    for (int i = 0; i < 3 * NamedWindowPoster::kMaxPending; ++i) {
        taken += poster->Post(UniqueTitle("flooded"), WM_IMAGE_PATH_READY) ? 1 : 0;
    }
    EXPECT_GE(taken, NamedWindowPoster::kMaxPending);
    EXPECT_LE(taken, NamedWindowPoster::kMaxPending + 1);  // one may be under way
    // Its end does not wait out the deadline of the post under way.
    EXPECT_TRUE(OverWithin([&] { poster.reset(); }, 1s, [&] { squatter.GoAway(); }));
}

// Clients are served side by side: connections that never say a word, more
// than the window keeps, delay no genuine sender.
TEST(NamedWindow, SilentConnectionsStarveNoOne) {
    NamedWindow window;
    ASSERT_TRUE(window.Register(UniqueTitle("busy"),
                                [](int, qintptr w, qintptr) { return qintptr(w + 1); }));
    for (const int silent : {10, 2 * NamedWindow::kMaxClients}) {
        SCOPED_TRACE(silent);
        test::SilentClients clients(UniqueTitle("busy"), silent);
        EXPECT_GE(clients.Connected(), 10);
        std::vector<std::future<std::optional<qintptr>>> senders;
        for (int i = 0; i < 8; ++i) {
            senders.push_back(std::async(std::launch::async, [i] {
                return SendNamedWindowMessage(UniqueTitle("busy"), 7, i, 0, 2s);
            }));
        }
        for (int i = 0; i < 8; ++i) EXPECT_EQ(senders[std::size_t(i)].get(), i + 1) << i;
    }
}

// A pass of the window that takes more new connections than it keeps: the
// genuine client among them, whose message is there, is answered; only
// silent ones are sent away for room.
TEST(NamedWindow, AGenuineClientAmongManyNewConnectionsIsAnsweredBeforeAnyoneIsSentAway) {
    const QString title = UniqueTitle("crowded");
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    NamedWindow window;
    ASSERT_TRUE(window.Register(title, [&](int message, qintptr w, qintptr) {
        if (message != 1) return qintptr(w + 1);
        entered.set_value();
        released.wait();
        return qintptr(1);
    }));
    // The window's thread is held by one client while the others line up:
    // the genuine one first, then silent ones, as many as the queue takes.
    auto holder =
        std::async(std::launch::async, [&] { return SendNamedWindowMessage(title, 1, 0, 0, 20s); });
    entered.get_future().wait();
    test::RawClient genuine(title);
    ASSERT_TRUE(genuine.Connected());
    ASSERT_TRUE(genuine.Send(7, 41));
    const test::SilentClients silent(title, NamedWindow::kMaxClients);
    ASSERT_EQ(silent.Connected(), NamedWindow::kMaxClients);
    release.set_value();
    EXPECT_EQ(holder.get(), 1);
    ASSERT_TRUE(test::WaitUntil([&] { return genuine.Over(); }, 20s));
    EXPECT_EQ(genuine.Answer(), 42) << "sent away before its message was read";
}

// The message is the whole 64-bit number sent: one beyond an int is no
// window's message, never the int it would be cut to.
struct WholeNumberCase {
    const char* name;
    qint64 sent;
    std::optional<int> handled;  // what the handler is given; nothing: not called
    friend void PrintTo(const WholeNumberCase& c, std::ostream* os) { *os << c.name; }
};

class NamedWindowNumberTest : public testing::TestWithParam<WholeNumberCase> {};

TEST_P(NamedWindowNumberTest, TheWholeNumberIsTheMessage) {
    const QString title = UniqueTitle("numbers");
    std::atomic<int> calls = 0;
    std::atomic<int> given = 0;
    NamedWindow window;
    ASSERT_TRUE(window.Register(title, [&](int message, qintptr, qintptr) {
        given = message;
        ++calls;
        return qintptr(2);
    }));
    test::RawClient client(title);
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.Send(GetParam().sent));
    ASSERT_TRUE(test::WaitUntil([&] { return client.Over(); }, 20s));
    if (GetParam().handled) {
        EXPECT_EQ(client.Answer(), 2);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(given, *GetParam().handled);
    } else {
        EXPECT_EQ(client.Answer(), 0);
        EXPECT_EQ(calls, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NamedWindowNumberTest,
    testing::Values(
        WholeNumberCase{"ImagePathRequest", 0x500, 0x500}, WholeNumberCase{"Negative", -1, -1},
        WholeNumberCase{"ImagePathRequestPlus2To32", 0x100000500, std::nullopt},
        WholeNumberCase{"ImagePathRequestMinus2To32", 0x500 - (qint64(1) << 32), std::nullopt},
        WholeNumberCase{"ServerQueryPlus2To63", qint64(0x455) | INT64_MIN, std::nullopt}),
    [](const testing::TestParamInfo<WholeNumberCase>& info) { return info.param.name; });

// Without XDG_RUNTIME_DIR the sockets live under the temporary folder, where
// anyone may have made the folder first.
class NamedWindowFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        runtime_ = qgetenv("XDG_RUNTIME_DIR");
        tmp_ = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(dir_.Path()));
    }
    void TearDown() override {
        qputenv("XDG_RUNTIME_DIR", runtime_);
        if (tmp_.isNull()) {
            qunsetenv("TMPDIR");
        } else {
            qputenv("TMPDIR", tmp_);
        }
    }
    QString Base() const { return dir_.File(QStringLiteral("orbisk-%1").arg(::getuid())); }
    static int Mode(const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777)
                                                                        : -1;
    }
    void ExpectRefused() {
        EXPECT_TRUE(NamedWindowFolder().isEmpty());
        NamedWindow window;
        EXPECT_FALSE(window.Register(UniqueTitle("refused"), {}));
        EXPECT_FALSE(SendNamedWindowMessage(UniqueTitle("refused"), 7, 0, 0, 50ms));
    }

    test::TempDir dir_;
    QByteArray runtime_, tmp_;
};

TEST_F(NamedWindowFolderTest, IsMadeOursAndPrivate) {
    EXPECT_EQ(NamedWindowFolder(), Base() + "/orbisk");
    EXPECT_EQ(Mode(Base()), 0700);
    EXPECT_EQ(Mode(Base() + "/orbisk"), 0700);
    NamedWindow window;
    EXPECT_TRUE(window.Register(UniqueTitle("private"), {}));
    EXPECT_TRUE(NamedWindowExists(UniqueTitle("private")));
}

TEST_F(NamedWindowFolderTest, AnOpenFolderOfOursIsClosed) {
    ASSERT_TRUE(QDir().mkpath(Base() + "/orbisk"));
    ::chmod(QFile::encodeName(Base()).constData(), 0777);
    EXPECT_EQ(NamedWindowFolder(), Base() + "/orbisk");
    EXPECT_EQ(Mode(Base()), 0700);
}

TEST_F(NamedWindowFolderTest, AFolderOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
    ASSERT_TRUE(QDir().mkpath(Base()));
    ASSERT_EQ(::chown(QFile::encodeName(Base()).constData(), 65534, 65534), 0);
    ExpectRefused();
}

TEST_F(NamedWindowFolderTest, ALinkOrAFileInItsPlaceIsRefused) {
    ASSERT_TRUE(QDir().mkpath(dir_.File("elsewhere")));
    ASSERT_TRUE(QFile::link(dir_.File("elsewhere"), Base()));
    ExpectRefused();
    EXPECT_FALSE(QFileInfo::exists(dir_.File("elsewhere/orbisk")));
    ASSERT_TRUE(QFile::remove(Base()));
    ASSERT_TRUE(test::WriteBytes(Base(), "a file"));
    ExpectRefused();
}

}  // namespace
}  // namespace orbisk::platform
