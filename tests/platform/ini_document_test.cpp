#include "platform/ini_document.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk::platform {
namespace {

struct ReadCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    std::optional<const char*> expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsLikePrivateProfile) {
    const ReadCase& c = GetParam();
    const IniDocument doc = IniDocument::FromBytes(c.file);
    const std::optional<QString> value = doc.Value(c.section, c.key);
    if (c.expected) {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->toStdString(), *c.expected);
    } else {
        EXPECT_FALSE(value.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    testing::Values(
        ReadCase{"plain", "[A]\nk=v\n", "A", "k", "v"},
        ReadCase{"section_case", "[image]\nINDEX=7\n", "IMAGE", "Index", "7"},
        ReadCase{"blanks_trimmed", "  [ A ]  \n  k  =  v w  \n", "A", "k", "v w"},
        ReadCase{"double_quotes", "[A]\nk=\"  v \"\n", "A", "k", "  v "},
        ReadCase{"single_quotes", "[A]\nk='v'\n", "A", "k", "v"},
        ReadCase{"unmatched_quote_kept", "[A]\nk=\"v\n", "A", "k", "\"v"},
        ReadCase{"first_key_wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        ReadCase{"first_section_wins", "[A]\nk=1\n[a]\nk=2\n", "A", "k", "1"},
        ReadCase{"empty_value", "[A]\nk=\n", "A", "k", ""},
        ReadCase{"equals_in_value", "[A]\nk=a=b\n", "A", "k", "a=b"},
        ReadCase{"crlf_and_bom", "\xEF\xBB\xBF[A]\r\nk=v\r\n", "A", "k", "v"},
        ReadCase{"utf8_value", "[A]\nk=\xE6\x96\x87\xE4\xBB\xB6\n", "A", "k",
                 "\xE6\x96\x87\xE4\xBB\xB6"},
        ReadCase{"comment_is_no_key", "[A]\n;k=v\n", "A", "k", std::nullopt},
        ReadCase{"key_of_other_section", "[A]\nk=v\n[B]\n", "B", "k", std::nullopt},
        ReadCase{"missing_section", "[A]\nk=v\n", "C", "k", std::nullopt},
        ReadCase{"key_before_any_section", "k=v\n[A]\n", "A", "k", std::nullopt},
        ReadCase{"cr_line_ends", "[A]\rj=1\rk=v\r", "A", "k", "v"},
        ReadCase{"mixed_line_ends", "[A]\r\nj=1\rk=v\n", "A", "k", "v"},
        ReadCase{"lone_cr_ends_the_value", "[A]\nk=a\rb\n", "A", "k", "a"},
        ReadCase{"three_boms", "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        // "扫描|文件" in the Chinese ANSI code page
        ReadCase{"gb18030_value", "[FILE]\nPRECHOOSE=\xC9\xA8\xC3\xE8|\xCE\xC4\xBC\xFE\n", "FILE",
                 "PRECHOOSE", "\xE6\x89\xAB\xE6\x8F\x8F|\xE6\x96\x87\xE4\xBB\xB6"},
        ReadCase{"full_width_blanks_trimmed", "[A]\nk=\xE3\x80\x80v\xE3\x80\x80\n", "A", "k", "v"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocumentTest, KeepsForeignLinesAndAppendsInPlace) {
    IniDocument doc = IniDocument::FromBytes(
        "; written by hand\n"
        "[FILE]\n"
        "PREFIX=IMG\n"
        "\n"
        "[Other]\n"
        "unknown line\n"
        "x=1\n");
    doc.SetValue("file", "INDEX", "3");     // new key: end of its section, above the blank
    doc.SetValue("FILE", "prefix", "TXT");  // existing key: rewritten in place, spelt as given
    doc.SetValue("New", "k", "v");          // new section: end of the file
    EXPECT_EQ(doc.ToBytes().toStdString(),
              "; written by hand\n"
              "[FILE]\n"
              "prefix=TXT\n"
              "INDEX=3\n"
              "\n"
              "[Other]\n"
              "unknown line\n"
              "x=1\n"
              "[New]\n"
              "k=v\n");
}

TEST(IniDocumentTest, ValueWithLineEndStaysOneLine) {
    IniDocument doc;
    doc.SetValue("A", "k", "one\ntwo");
    doc.SetValue("A", "j", "x");
    const IniDocument back = IniDocument::FromBytes(doc.ToBytes());
    EXPECT_EQ(back.Value("A", "k").value_or("?"), "one two");
    EXPECT_EQ(back.Value("A", "j").value_or("?"), "x");
}

struct RoundTripCase {
    const char* name;
    const char* value;  // UTF-8
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class IniRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

// Whatever the reader would trim or unquote comes back as it was set, through
// any number of saves.
TEST_P(IniRoundTripTest, ValueReadsBackExactly) {
    const QString value = QString::fromUtf8(GetParam().value);
    IniDocument doc;
    doc.SetValue("WaterMark", "Name", value);
    doc.SetValue("WaterMark", "Size", "256");
    const QByteArray first = doc.ToBytes();
    IniDocument back = IniDocument::FromBytes(first);
    ASSERT_EQ(back.Value("WaterMark", "Name").value_or("?"), value) << first.toStdString();
    EXPECT_EQ(back.Value("WaterMark", "Size").value_or("?"), "256");
    back.SetValue("WaterMark", "Name", *back.Value("WaterMark", "Name"));
    EXPECT_EQ(back.ToBytes(), first);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniRoundTripTest,
    testing::Values(
        RoundTripCase{"quoted_word", "\"DRAFT\""}, RoundTripCase{"single_quoted_word", "'DRAFT'"},
        RoundTripCase{"leading_blank", " leading"}, RoundTripCase{"trailing_blank", "trailing "},
        RoundTripCase{"tab_around", "\tx\t"},
        RoundTripCase{"full_width_blanks", "\xE3\x80\x80\xE6\x9C\xBA\xE5\xAF\x86\xE3\x80\x80"},
        RoundTripCase{"only_blanks", "   "}, RoundTripCase{"two_quotes", "\"\""},
        RoundTripCase{"one_quote", "\""}, RoundTripCase{"quotes_that_do_not_match", "\"x'"},
        RoundTripCase{"quoted_with_blanks_inside", "\" a \""},
        RoundTripCase{"plain", "plain text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocumentTest, OrdinaryValuesAreWrittenAsTheyAre) {
    IniDocument doc;
    doc.SetValue("A", "k", "a \"b\" c");
    doc.SetValue("A", "q", "\" x");
    doc.SetValue("A", "e", "");
    doc.SetValue("A", "t", " t");
    EXPECT_EQ(doc.ToBytes().toStdString(), "[A]\nk=a \"b\" c\nq=\" x\ne=\nt=\" t\"\n");
}

// A CR ends a line, as in the files of the Windows program; what is read
// from such a file is what a save writes back.
TEST(IniDocumentTest, LoneCarriageReturnIsStableAcrossSaves) {
    IniDocument doc = IniDocument::FromBytes("[A]\nk=a\rb\nj=1\n");
    const QString read = doc.Value("A", "k").value_or("?");
    doc.SetValue("A", "k", read);
    const QByteArray first = doc.ToBytes();
    IniDocument again = IniDocument::FromBytes(first);
    EXPECT_EQ(again.Value("A", "k").value_or("?"), read);
    again.SetValue("A", "k", read);
    EXPECT_EQ(again.ToBytes(), first);
    EXPECT_EQ(again.Value("A", "j").value_or("?"), "1");
}

TEST(IniDocumentTest, ChineseCodePageFileIsWrittenBackAsUtf8) {
    // "[WaterMark]\nName=机密文件" in the Chinese ANSI code page, CRLF ends.
    IniDocument doc =
        IniDocument::FromBytes("[WaterMark]\r\nName=\xBB\xFA\xC3\xDC\xCE\xC4\xBC\xFE\r\n");
    doc.SetValue("WaterMark", "Size", "256");
    EXPECT_EQ(doc.ToBytes().toStdString(),
              "[WaterMark]\nName=\xE6\x9C\xBA\xE5\xAF\x86\xE6\x96\x87\xE4\xBB\xB6\nSize=256\n");
}

TEST(IniDocumentTest, ShortWriteOnAFullDiskIsAFailure) {
    test::TempDir dir;
    const QString path = dir.File("Sys.ini");
    ASSERT_TRUE(test::WriteBytes(path, "[A]\nk=old\n"));
    IniDocument doc;
    doc.SetValue("A", "k", QString(8000, 'v'));
    bool saved = true;
    {
        test::FileSizeLimit full(1024);
        saved = doc.Save(path);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(test::ReadBytes(path), "[A]\nk=old\n");
    EXPECT_TRUE(doc.Save(path));
    EXPECT_EQ(test::ReadBytes(path).size(), 8000 + 7);
}

}  // namespace
}  // namespace orbisk::platform
