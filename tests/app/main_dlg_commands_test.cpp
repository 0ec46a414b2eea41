#include "app/main_dlg/accelerators.h"
#include "app/main_dlg/command_dispatch.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/support/input_events.h"

#include <gtest/gtest.h>
#include <QPushButton>

#include <vector>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// A window stand-in that records which of its handlers ran.
struct Recorder {
    std::vector<int> ran;
    void First() { ran.push_back(1); }
    void Second() { ran.push_back(2); }
};

TEST(CommandDispatch, RunsTheHandlerOfTheIdOnly) {
    const CommandEntry<Recorder> table[] = {
        {IDC_CAPTURE, &Recorder::First},
        {ID_ACCEL_CAPTURE, &Recorder::Second},
        {IDC_CAPTURE, &Recorder::Second},  // a second row for an id is never reached
    };
    Recorder window;
    EXPECT_TRUE(DispatchCommand(table, window, ID_ACCEL_CAPTURE));
    EXPECT_TRUE(DispatchCommand(table, window, IDC_CAPTURE));
    EXPECT_FALSE(DispatchCommand(table, window, IDC_EXIT));
    EXPECT_EQ(window.ran, (std::vector<int>{2, 1}));
}

TEST(CommandDispatch, TheMainWindowClosesAsOkOnExitAndRefusesUnknownIds) {
    COrbiskDlg dlg;
    dlg.show();
    EXPECT_FALSE(dlg.OnCommand(-1));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.OnCommand(IDC_EXIT));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// Space clicks a focused push button, unless the window takes it first.
int ClicksOfSpaceOnAButtonOf(QDialog& window) {
    auto* button = new QPushButton(&window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    test::SendKey(*button, Qt::Key_Space, " ");
    test::SendKey(*button, Qt::Key_Q, "q");
    return clicks;
}

TEST(CommandDispatch, AcceleratorKeysComeBeforeTheFocusedControl) {
    QDialog plain;
    EXPECT_EQ(ClicksOfSpaceOnAButtonOf(plain), 1);
    COrbiskDlg dlg;
    EXPECT_EQ(ClicksOfSpaceOnAButtonOf(dlg), 0);
}

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    int command;
};

class MainAcceleratorTest : public testing::TestWithParam<KeyCase> {};

TEST_P(MainAcceleratorTest, GivesTheKeysCommand) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(AcceleratorCommand(MainAccelerators(), c.key, c.modifiers, QString::fromUtf8(c.text)),
              c.command);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MainAcceleratorTest,
    testing::Values(KeyCase{"space", Qt::Key_Space, Qt::NoModifier, " ", ID_ACCEL_CAPTURE},
                    KeyCase{"o", Qt::Key_O, Qt::NoModifier, "o", ID_ACCEL_CAPTURE_TO_PDF},
                    KeyCase{"p", Qt::Key_P, Qt::NoModifier, "p", ID_ACCEL_PHOTOCOPY},
                    // The letters are matched as typed characters.
                    KeyCase{"shift_o", Qt::Key_O, Qt::ShiftModifier, "O", 0},
                    KeyCase{"caps_lock_p", Qt::Key_P, Qt::NoModifier, "P", 0},
                    KeyCase{"control_p", Qt::Key_P, Qt::ControlModifier, "\x10", 0},
                    KeyCase{"alt_o", Qt::Key_O, Qt::AltModifier, "o", 0},
                    KeyCase{"shift_space", Qt::Key_Space, Qt::ShiftModifier, " ", 0},
                    KeyCase{"other_letter", Qt::Key_Q, Qt::NoModifier, "q", 0}),
    [](const auto& info) { return test::CaseName(info.param.name); });

}  // namespace
}  // namespace orbisk
