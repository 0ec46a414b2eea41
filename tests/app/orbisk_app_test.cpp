#include "app/orbisk_app.h"
#include "core/command_ids.h"
#include "tests/support/main_window/main_window_test.h"

#include <gtest/gtest.h>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <xcb/xproto.h>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// The main window the application shows; null while none is shown.
COrbiskDlg* ShownMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dlg = dynamic_cast<COrbiskDlg*>(widget);
        if (dlg && dlg->isVisible()) return dlg;
    }
    return nullptr;
}

// Acts on the shown main window from inside its modal loop; a timer fires
// only while an event loop runs.
class InsideTheLoop {
  public:
    explicit InsideTheLoop(std::function<void(COrbiskDlg&)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (COrbiskDlg* dlg = ShownMainWindow()) {
                timer_.stop();
                ran_ = true;
                act_(*dlg);
            }
        });
        timer_.start(0);
    }
    bool Ran() const { return ran_; }

  private:
    std::function<void(COrbiskDlg&)> act_;
    QTimer timer_;
    bool ran_ = false;
};

using ApplicationTest = test::MainWindowTest;

TEST_F(ApplicationTest, RunsTheWindowUntilItClosesAndThenItsExit) {
    StartupEnvironment env = PrepareStart(QStringLiteral("[IMAGE]\nINDEX=3\n"));
    InsideTheLoop operatorAtTheWindow([](COrbiskDlg& dlg) {
        dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QStringLiteral("8"));
        dlg.OnCommand(IDC_EXIT);
    });
    EXPECT_EQ(RunMainWindow(std::move(env)), 0);
    EXPECT_TRUE(operatorAtTheWindow.Ran());
    EXPECT_EQ(ShownMainWindow(), nullptr);
    // The exit sequence stored what the window showed.
    EXPECT_EQ(Stored().INDEX, 8);
}

TEST_F(ApplicationTest, AStartUpThatStopsSkipsTheLoopAndKeepsTheStoredIndex) {
    cameras_.devices.clear();
    StartupEnvironment env = PrepareStart(QStringLiteral("[IMAGE]\nINDEX=3\n"));
    InsideTheLoop operatorAtTheWindow([](COrbiskDlg& dlg) { dlg.OnCommand(IDC_EXIT); });
    EXPECT_EQ(RunMainWindow(std::move(env)), 0);
    EXPECT_FALSE(operatorAtTheWindow.Ran());
    EXPECT_EQ(shown_,
              QStringList{QString::fromUtf8("没有找到高拍仪设备，请检查高拍仪设备是否连接正确")});
    EXPECT_EQ(Stored().INDEX, 3);
}

// What the xcb platform hands the application's filters when another X
// client destroys `window`.
void WindowSystemDestroys(quintptr window) {
    xcb_destroy_notify_event_t event{};
    event.response_type = XCB_DESTROY_NOTIFY;
    event.event = static_cast<xcb_window_t>(window);
    event.window = static_cast<xcb_window_t>(window);
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &event, &result);
}

TEST_F(ApplicationTest, AWindowDestroyedFromOutsideEndsTheProgramAsACloseDoes) {
    StartupEnvironment env = PrepareStart(QStringLiteral("[IMAGE]\nINDEX=3\n"));
    bool stillOpen = false;
    QTimer lastResort;  // only a window that stays open gets this far
    InsideTheLoop windowSystem([&](COrbiskDlg& dlg) {
        dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QStringLiteral("8"));
        // Another window's end leaves this one alone.
        WindowSystemDestroys(dlg.winId() + 1);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg.isVisible());
        WindowSystemDestroys(dlg.winId());
        QObject::connect(&lastResort, &QTimer::timeout, [&] {
            stillOpen = dlg.isVisible();
            dlg.OnCommand(IDC_EXIT);
        });
        lastResort.start(10000);
    });
    EXPECT_EQ(RunMainWindow(std::move(env)), 0);
    EXPECT_TRUE(windowSystem.Ran());
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(Stored().INDEX, 8);
}

}  // namespace
}  // namespace orbisk
