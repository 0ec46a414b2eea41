#include "ui/custom_file_name_dlg.h"
#include "ui/dialog_file_name.h"
#include "ui/file_name_rules.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>
#include <optional>

namespace orbisk {
namespace {

struct SplitCase {
    const char* name;
    const char* text;
    bool ok;
    QStringList pieces;  // what the list holds afterwards
};

class PrefixSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(PrefixSplitTest, SplitsAtBarsAndFailsOnAnEmptyPiece) {
    const SplitCase& c = GetParam();
    QStringList pieces = {"stale"};
    EXPECT_EQ(SplitPrefixList(QString::fromUtf8(c.text), pieces), c.ok);
    EXPECT_EQ(pieces, c.pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PrefixSplitTest,
    testing::Values(SplitCase{"three", "IMG|TXT|JPG", true, {"IMG", "TXT", "JPG"}},
                    SplitCase{"one", "IMG", true, {"IMG"}},
                    SplitCase{"untrimmed", " A | B", true, {" A ", " B"}},
                    SplitCase{"empty", "", false, {}}, SplitCase{"leading_bar", "|A", false, {}},
                    SplitCase{"trailing_bar", "A|", false, {"A"}},
                    SplitCase{"two_bars", "A||B", false, {"A"}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// The prefix editor over a stored list, with its messages recorded.
struct Editor {
    QString stored = QStringLiteral("IMG|DOC");
    std::optional<QString> kept;
    QStringList messages;
    CDialogFileName dlg;

    explicit Editor(int language)
        : dlg(nullptr, language,
              {[this] { return stored; }, [this](const QString& text) { kept = text; }}) {
        dlg.SetMessageSink([this](const QString& text) { messages.append(text); });
    }
    void Confirm(const QString& text) {
        dlg.PrefixEdit()->setPlainText(text);
        dlg.OnConfirm();
    }
};

TEST(PrefixEditor, ShowsTheStoredListAndKeepsAnAcceptedOneWithTheEditorItem) {
    Editor e(0);
    EXPECT_EQ(e.dlg.PrefixEdit()->toPlainText(), "IMG|DOC");
    e.Confirm("A|B|C");
    EXPECT_EQ(e.kept, "A|B|C");
    EXPECT_EQ(e.dlg.m_items, (QStringList{"A", "B", "C", "..."}));
    EXPECT_EQ(e.dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(e.messages.isEmpty());
}

struct RefusedCase {
    const char* name;
    const char* text;
};

class PrefixEditorRefusal : public testing::TestWithParam<RefusedCase> {};

// A refused list keeps the editor open with the prefix message; nothing is kept.
TEST_P(PrefixEditorRefusal, ShowsThePrefixMessageAndKeepsNothing) {
    Editor e(2);
    e.dlg.show();
    e.Confirm(QString::fromUtf8(GetParam().text));
    EXPECT_FALSE(e.kept);
    EXPECT_EQ(e.messages, (QStringList{"Illegal file name prefix"}));
    EXPECT_TRUE(e.dlg.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PrefixEditorRefusal,
    testing::Values(RefusedCase{"two_bars", "IMG||DOC"}, RefusedCase{"empty", ""},
                    // A line break would end the Sys.ini line and lose what follows.
                    RefusedCase{"line_break", "IMG\nDOC"}, RefusedCase{"return", "IMG\r|DOC"},
                    RefusedCase{"tab", "IM\tG|DOC"}, RefusedCase{"line_separator", "A\u2028B"},
                    // A path character would put the files outside the save folder.
                    RefusedCase{"slash", "../up|DOC"}, RefusedCase{"backslash", "a\\b"},
                    RefusedCase{"colon", "C:x"}, RefusedCase{"star", "a*"},
                    RefusedCase{"question", "a?"}, RefusedCase{"angles", "<a>"}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(PrefixEditor, TellsInItsLanguageAndAcceptsQuotesAndOtherScripts) {
    const char* expected[] = {"文件名前缀格式不正确！", "檔案名首碼格式不正確！",
                              "Illegal file name prefix", "文件名前缀格式不正确！"};
    for (int language = 0; language < 4; ++language) {
        Editor e(language);
        e.Confirm("|");
        EXPECT_EQ(e.messages, QStringList{QString::fromUtf8(expected[language])}) << language;
    }
    Editor e(0);
    e.Confirm(QString::fromUtf8("\"Q\"|扫描 1|x.y"));
    EXPECT_EQ(e.kept, QString::fromUtf8("\"Q\"|扫描 1|x.y"));
}

struct NameCase {
    const char* name;
    QString text;
    FileNameFault fault;
};

class FreeNameTest : public testing::TestWithParam<NameCase> {};

// The free name: refused names keep the dialog open with their message; a name
// with a forbidden character is emptied, a long one stays to be shortened.
TEST_P(FreeNameTest, AcceptsOrRefusesWithItsMessage) {
    const NameCase& c = GetParam();
    EXPECT_EQ(CheckFileName(c.text), c.fault);

    CCustomFileNameDlg dlg(nullptr, false, 2);
    QStringList messages;
    dlg.SetMessageSink([&](const QString& text) { messages.append(text); });
    dlg.show();
    dlg.NameEdit()->setText(c.text);
    dlg.OnConfirm();
    switch (c.fault) {
        case FileNameFault::None:
            EXPECT_TRUE(messages.isEmpty());
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
            EXPECT_EQ(dlg.GetName(), c.text);
            return;
        case FileNameFault::ForbiddenCharacter:
            EXPECT_EQ(messages, QStringList{"File name contains unsupported characters, such as "
                                            "\n/ \\ : * ? < > |"});
            EXPECT_EQ(dlg.NameEdit()->text(), "");
            break;
        case FileNameFault::TooLong:
            EXPECT_EQ(messages, QStringList{"File name is too long."});
            EXPECT_EQ(dlg.NameEdit()->text(), c.text);
            break;
        case FileNameFault::Empty:
            EXPECT_EQ(messages, QStringList{"File name is empty."});
            break;
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.GetName().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, FreeNameTest,
    testing::Values(
        NameCase{"plain", "invoice 42", FileNameFault::None},
        NameCase{"double_quote", "say \"hi\"", FileNameFault::None},
        NameCase{"untrimmed", "  x  ", FileNameFault::None},
        NameCase{"colon", "scan:1", FileNameFault::ForbiddenCharacter},
        NameCase{"slash", "../x", FileNameFault::ForbiddenCharacter},
        NameCase{"backslash", "a\\b", FileNameFault::ForbiddenCharacter},
        NameCase{"star", "a*", FileNameFault::ForbiddenCharacter},
        NameCase{"question", "a?", FileNameFault::ForbiddenCharacter},
        NameCase{"less", "a<", FileNameFault::ForbiddenCharacter},
        NameCase{"greater", "a>", FileNameFault::ForbiddenCharacter},
        NameCase{"bar", "a|b", FileNameFault::ForbiddenCharacter},
        NameCase{"empty", "", FileNameFault::Empty},
        NameCase{"bytes_200", QString(200, 'a'), FileNameFault::None},
        NameCase{"bytes_201", QString(201, 'a'), FileNameFault::TooLong},
        // Three bytes a character in UTF-8: 66 fit, 67 do not.
        NameCase{"chinese_198_bytes", QString(66, QChar(0x6587)), FileNameFault::None},
        NameCase{"chinese_201_bytes", QString(67, QChar(0x6587)), FileNameFault::TooLong},
        NameCase{"long_and_forbidden", QString(300, 'a') + ':', FileNameFault::ForbiddenCharacter}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(FreeNameDialog, SpeaksItsLanguageAndLabelsAWatermarkName) {
    struct Case {
        int language;
        bool watermark;
        const char* empty;
        const char* label;
    };
    const Case cases[] = {{0, false, "文件名不能为空！", "文件名:"},
                          {1, true, "檔案名不能為空!", "水印名:"},
                          {2, false, "File name is empty.", "文件名:"},
                          {7, true, "文件名不能为空！", "水印名:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        CCustomFileNameDlg dlg(nullptr, c.watermark, c.language);
        QStringList messages;
        dlg.SetMessageSink([&](const QString& text) { messages.append(text); });
        dlg.OnConfirm();
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.empty)});
        EXPECT_EQ(dlg.NameLabel()->text(), QString::fromUtf8(c.label));
    }
}

// Runs `act` on the open free-name dialog once the provider has opened it.
void WhenTheNameDialogOpens(std::function<void(CCustomFileNameDlg&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<CCustomFileNameDlg*>(w); dlg && dlg->isVisible()) {
                act(*dlg);
                return;
            }
        }
        ADD_FAILURE() << "no name dialog open";
    });
}

TEST(FreeNameDialog, TheProviderGivesTheNameOnOkAndNothingOnCancel) {
    const FileNameProvider ask = AskFileName(nullptr);
    WhenTheNameDialogOpens([](CCustomFileNameDlg& dlg) {
        EXPECT_EQ(dlg.m_nLanguage, 2);
        dlg.NameEdit()->setText("receipt");
        dlg.OnConfirm();
    });
    EXPECT_EQ(ask(2), std::optional<QString>("receipt"));
    WhenTheNameDialogOpens([](CCustomFileNameDlg& dlg) {
        dlg.NameEdit()->setText("kept");
        dlg.reject();
    });
    EXPECT_EQ(ask(0), std::nullopt);
}

}  // namespace
}  // namespace orbisk
