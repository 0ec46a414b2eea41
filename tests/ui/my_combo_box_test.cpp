#include "ui/my_combo_box.h"

#include "ui/file_name_rules.h"

#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/support/input_events.h"
#include "tests/support/message_log.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QLineEdit>

#include <optional>

namespace orbisk {
namespace {

// What the operator does with the box: choose a prefix, or choose "..." and
// leave the editor with OK (a new list) or Cancel.
struct ComboCase {
    const char* name;
    const char* list;                   // the stored prefix list
    const char* prefix;                 // the prefix in use
    int choose;                         // an item index; -1 for "..."
    std::optional<QStringList> edited;  // the editor's items after OK
    const char* selected;               // the selected item afterwards, "" for none
    const char* current;                // the prefix in use afterwards
    int messages;                       // prefix messages to the window
};

class PrefixComboTest : public testing::TestWithParam<ComboCase> {};

TEST_P(PrefixComboTest, SelectsAndTellsTheWindow) {
    const ComboCase& c = GetParam();
    test::MessageLog window;
    CMyComboBox combo;
    combo.SetMessageTarget(&window);
    int edits = 0;
    combo.SetEditor([&] {
        ++edits;
        return c.edited;
    });
    combo.Fill(QString::fromUtf8(c.list), QString::fromUtf8(c.prefix));

    const int item = c.choose < 0 ? combo.count() - 1 : c.choose;
    combo.setCurrentIndex(item);
    emit combo.activated(item);

    EXPECT_EQ(edits, c.choose < 0 ? 1 : 0);
    EXPECT_EQ(combo.currentText(), QString::fromUtf8(c.selected));
    EXPECT_EQ(combo.CurrentPrefix(), QString::fromUtf8(c.current));
    EXPECT_EQ(window.Count(platform::WM_PREFIX_CHANGED), c.messages);
    EXPECT_EQ(combo.itemText(combo.count() - 1), "...");
    QStringList shown;
    for (int i = 0; i < combo.count(); ++i) shown.append(combo.itemText(i));
    EXPECT_EQ(shown, combo.m_items);
}

const QStringList kTwo = {"A", "B", "..."};

INSTANTIATE_TEST_SUITE_P(
    Choices, PrefixComboTest,
    testing::Values(ComboCase{"another_prefix", "IMG|DOC|TXT", "IMG", 2, {}, "TXT", "TXT", 1},
                    ComboCase{"the_prefix_in_use", "IMG|DOC|TXT", "DOC", 1, {}, "DOC", "DOC", 0},
                    ComboCase{"editor_cancelled", "IMG|DOC|TXT", "TXT", -1, {}, "TXT", "TXT", 0},
                    // The prefix in use is not in the list: nothing is selected, and
                    // cancelling the editor leaves it so without a message.
                    ComboCase{"missing_prefix_cancelled", "IMG|DOC", "SCAN", -1, {}, "", "SCAN", 0},
                    ComboCase{
                        "missing_prefix_chosen_later", "IMG|DOC", "SCAN", 1, {}, "DOC", "DOC", 1},
                    ComboCase{"missing_prefix_edited", "IMG|DOC", "SCAN", -1, kTwo, "A", "A", 1},
                    ComboCase{"same_list_edited", "IMG|DOC|TXT", "DOC", -1,
                              QStringList{"IMG", "DOC", "TXT", "..."}, "DOC", "DOC", 0},
                    ComboCase{"shorter_list_edited", "IMG|DOC|TXT", "TXT", -1, kTwo, "A", "A", 1},
                    ComboCase{"kept_place_edited", "IMG|DOC|TXT", "DOC", -1, kTwo, "B", "B", 1},
                    // A prefix is found regardless of case, but only among the prefixes.
                    ComboCase{"other_case", "img|DOC", "IMG", 1, {}, "DOC", "DOC", 1},
                    ComboCase{"editor_item_as_prefix", "IMG", "...", -1, {}, "", "...", 0},
                    ComboCase{"empty_list", "", "IMG", -1, kTwo, "A", "A", 1}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(PrefixCombo, OffersNoPrefixThatAFileNameCannotCarry) {
    CMyComboBox combo;
    combo.Fill(QString::fromUtf8("IMG|a/b|c\\d|e:f|TAB\tX|NL\u2028|扫描|DOC"), "DOC");
    EXPECT_EQ(combo.m_items, (QStringList{"IMG", QString::fromUtf8("扫描"), "DOC", "..."}));
    EXPECT_EQ(combo.currentText(), "DOC");
    EXPECT_EQ(LoadablePrefixes("a/b|IMG||DOC"), QStringList{"IMG"});
}

TEST(PrefixCombo, FillsFromAStoredListAsFarAsItGoes) {
    CMyComboBox combo;
    combo.Fill("IMG|DOC||TXT", "doc");
    EXPECT_EQ(combo.m_items, (QStringList{"IMG", "DOC", "..."}));
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(CMyComboBox::s_nLastGood, 1);
    EXPECT_EQ(combo.CurrentPrefix(), "doc");
}

// A wheel step over the box changes the prefix (and so the running index)
// only while the box has the focus; it does not take the focus either.
TEST(PrefixCombo, TakesWheelStepsOnlyWithTheFocus) {
    QWidget window;
    auto* combo = new CMyComboBox(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    test::MessageLog target;
    combo->SetMessageTarget(&target);
    int edits = 0;
    combo->SetEditor([&] {
        ++edits;
        return std::optional<QStringList>();
    });
    combo->Fill("IMG|DOC|TXT", "IMG");
    window.show();
    window.activateWindow();
    other->setFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return other->hasFocus(); }));

    EXPECT_NE(combo->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);
    for (int step = 0; step < 3; ++step) test::Wheel(*combo, combo->rect().center(), -120);
    EXPECT_EQ(combo->currentText(), "IMG");
    EXPECT_EQ(combo->CurrentPrefix(), "IMG");
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(target.Count(platform::WM_PREFIX_CHANGED), 0);

    combo->setFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return combo->hasFocus(); }));
    test::Wheel(*combo, combo->rect().center(), -120);
    EXPECT_EQ(combo->currentText(), "DOC");
    EXPECT_EQ(combo->CurrentPrefix(), "DOC");
    EXPECT_EQ(target.Count(platform::WM_PREFIX_CHANGED), 1);
}

TEST(PrefixCombo, TellsItsOwnWindowByDefault) {
    struct Window : QWidget {
        int messages = 0;
        bool event(QEvent* e) override {
            if (e->type() == platform::WindowMessageEvent::Type()) {
                messages += static_cast<platform::WindowMessageEvent*>(e)->Message() ==
                            platform::WM_PREFIX_CHANGED;
                return true;
            }
            return QWidget::event(e);
        }
    } window;
    auto* group = new QWidget(&window);
    auto* combo = new CMyComboBox(group);
    combo->Fill("IMG|DOC", "IMG");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(window.messages, 1);
}

}  // namespace
}  // namespace orbisk
