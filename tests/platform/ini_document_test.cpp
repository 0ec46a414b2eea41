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
    testing::Values(ReadCase{"plain", "[A]\nk=v\n", "A", "k", "v"},
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
                    ReadCase{"key_before_any_section", "k=v\n[A]\n", "A", "k", std::nullopt}),
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
