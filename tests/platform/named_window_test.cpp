#include "platform/named_window.h"
#include "platform/window_messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

}  // namespace
}  // namespace orbisk::platform
