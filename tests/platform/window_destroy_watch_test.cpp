#include "platform/window_destroy_watch.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <xcb/xproto.h>

namespace orbisk::platform {
namespace {

constexpr quintptr kWatched = 0x200010;

struct EventCase {
    const char* name;
    QByteArray eventType;
    uint8_t responseType;
    quintptr window;  // the destroyed window
    quintptr watched;
    int told;
};

// The application whose event dispatcher hands native events to the filters.
class WithApplication {
  protected:
    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
};

class WindowDestroyWatchTest : public WithApplication, public testing::TestWithParam<EventCase> {};

TEST_P(WindowDestroyWatchTest, TellsOnlyTheWatchedWindowsDestruction) {
    const EventCase& c = GetParam();
    int told = 0;
    WindowDestroyWatch watch([&] { return c.watched; }, [&] { ++told; });
    xcb_destroy_notify_event_t event{};
    event.response_type = c.responseType;
    event.event = static_cast<xcb_window_t>(c.window);
    event.window = static_cast<xcb_window_t>(c.window);
    qintptr result = 0;
    // As the xcb platform hands each event to the application's filters.
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    ASSERT_NE(dispatcher, nullptr);
    EXPECT_FALSE(dispatcher->filterNativeEvent(c.eventType, &event, &result));
    EXPECT_EQ(told, c.told);
}

INSTANTIATE_TEST_SUITE_P(
    Events, WindowDestroyWatchTest,
    testing::Values(
        EventCase{"destroyed", "xcb_generic_event_t", XCB_DESTROY_NOTIFY, kWatched, kWatched, 1},
        EventCase{"sent_by_a_client", "xcb_generic_event_t", XCB_DESTROY_NOTIFY | 0x80, kWatched,
                  kWatched, 1},
        EventCase{"another_window", "xcb_generic_event_t", XCB_DESTROY_NOTIFY, kWatched + 1,
                  kWatched, 0},
        EventCase{"unmapped_only", "xcb_generic_event_t", XCB_UNMAP_NOTIFY, kWatched, kWatched, 0},
        EventCase{"not_yet_a_window", "xcb_generic_event_t", XCB_DESTROY_NOTIFY, 0, 0, 0},
        EventCase{"another_window_system", "windows_generic_MSG", XCB_DESTROY_NOTIFY, kWatched,
                  kWatched, 0}),
    [](const auto& info) { return test::CaseName(info.param.name); });

class WindowDestroyWatchLife : public WithApplication, public testing::Test {};

TEST_F(WindowDestroyWatchLife, LeavesTheFiltersWhenItGoes) {
    int told = 0;
    {
        WindowDestroyWatch watch([] { return kWatched; }, [&] { ++told; });
    }
    xcb_destroy_notify_event_t event{};
    event.response_type = XCB_DESTROY_NOTIFY;
    event.window = kWatched;
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &event, &result);
    EXPECT_EQ(told, 0);
}

}  // namespace
}  // namespace orbisk::platform
