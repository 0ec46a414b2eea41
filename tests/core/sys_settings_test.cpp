#include "core/sys_settings.h"
#include "core/settings_number.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStandardPaths>

#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <functional>

namespace orbisk {
namespace {

class SettingsFileTest : public testing::Test {
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }

    // A record bound to a Sys.ini holding `content`, loaded.
    SysSettings LoadFrom(const QByteArray& content) {
        EXPECT_TRUE(test::WriteBytes(Path(), content));
        SysSettings s;
        EXPECT_TRUE(s.EnsureFile(Path()));
        s.Load();
        return s;
    }
    QString Path() const { return dir_.File("Sys.ini"); }
    QByteArray File() const { return test::ReadBytes(Path()); }

    test::TempDir dir_;
};

TEST_F(SettingsFileTest, FreshStartWritesEveryKeyWithItsDefault) {
    SysSettings s;
    ASSERT_TRUE(s.EnsureFile(Path()));  // created empty
    ASSERT_TRUE(s.Load());
    ASSERT_FALSE(s.FOLDPATH.isEmpty());
    const QByteArray expected =
        "[FILE]\n"
        "FOLDPATH=" +
        s.FOLDPATH.toUtf8() +
        "\n"
        "TypeofImageName=1\n"
        "PREFIX=IMG\n"
        "PRECHOOSE=IMG|TXT|JPG\n"
        "[IMAGE]\n"
        "XDPI=-1\n"
        "YDPI=-1\n"
        "JPGQuality=70\n"
        "INDEX=0\n"
        "NoiseSize=5\n"
        "DocCamWidth=-1\n"
        "DocCamHeight=-1\n"
        "PorCamWidth=-1\n"
        "PorCamHeight=-1\n"
        "CutLeft=0\n"
        "CutTop=0\n"
        "CutRight=0\n"
        "CutBottom=0\n"
        "IMG_FORMAT=0\n"
        "PDFORTIF=0\n"
        "CUTPAGETYPE=0\n"
        "SHADOW=FALSE\n"
        "2IMAGEIN1=FALSE\n"
        "ISMUTICUTPAGE=FALSE\n"
        "DOCCHECK=FALSE\n"
        "BARCODETOFILE=FALSE\n"
        "DEFORMATION=FALSE\n"
        "COLOR=0\n"
        "DATEFOLDER=1\n"
        "CHANNELS=false\n"
        "[SOUND]\n"
        "Play=true\n"
        "[Camera]\n"
        "Exposure=-3\n"
        "AutoExposure=true\n"
        "[WaterMark]\n"
        "DateMark=FALSE\n"
        "Custom=FALSE\n"
        "Name=\n"
        "Color=255\n"
        "Position=4\n"
        "Size=256\n"
        "Transparency=50\n"
        "[PRINT]\n"
        "TYPE=0\n"
        "[OTHER]\n"
        "ENGOCR=FALSE\n"
        "ROTATION=0\n"
        "MERGE=FALSE\n"
        "RECOGNIZE=FALSE\n"
        "SRC=TRUE\n"
        "FASTMODE=FALSE\n"
        "[POSITION]\n"
        "Document=0,0,100,100\n"
        "Portrait=0,0,100,100\n"
        "[Language]\n"
        "Current=CN\n";
    EXPECT_EQ(File().toStdString(), expected.toStdString());

    // A second start reads its own file back unchanged.
    SysSettings again;
    ASSERT_TRUE(again.EnsureFile(Path()));
    again.Load();
    EXPECT_EQ(File().toStdString(), expected.toStdString());
}

struct ReadRule {
    const char* name;
    const char* file;  // Sys.ini content
    std::function<int(const SysSettings&)> field;
    int expected;
};

void PrintTo(const ReadRule& rule, std::ostream* os) { *os << rule.name; }

class SettingsReadRuleTest : public SettingsFileTest,
                             public testing::WithParamInterface<ReadRule> {};

TEST_P(SettingsReadRuleTest, AppliesTheReadRule) {
    const ReadRule& rule = GetParam();
    const SysSettings s = LoadFrom(rule.file);
    EXPECT_EQ(rule.field(s), rule.expected);
}

#define FIELD(f) [](const SysSettings& s) { return int(s.f); }

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsReadRuleTest,
    testing::Values(
        ReadRule{"number_plain", "[IMAGE]\nINDEX=42\n", FIELD(INDEX), 42},
        ReadRule{"number_leading_blanks_and_junk", "[IMAGE]\nINDEX=\" 12abc\"\n", FIELD(INDEX), 12},
        ReadRule{"number_letters_only", "[IMAGE]\nINDEX=abc\n", FIELD(INDEX), 0},
        ReadRule{"number_negative", "[IMAGE]\nJPGQuality=-5\n", FIELD(JPGQuality), -5},
        ReadRule{"number_overflow_clamped", "[IMAGE]\nINDEX=99999999999\n", FIELD(INDEX), INT_MAX},
        ReadRule{"number_empty_default", "[IMAGE]\nJPGQuality=\n", FIELD(JPGQuality), 70},
        ReadRule{"number_missing_default", "", FIELD(NoiseSize), 5},
        ReadRule{"rotation_45_is_0", "[OTHER]\nROTATION=45\n", FIELD(ROTATION), 0},
        ReadRule{"rotation_270_kept", "[OTHER]\nROTATION=270\n", FIELD(ROTATION), 270},
        ReadRule{"img_format_7_is_0", "[IMAGE]\nIMG_FORMAT=7\n", FIELD(IMG_FORMAT), 0},
        ReadRule{"img_format_5_kept", "[IMAGE]\nIMG_FORMAT=5\n", FIELD(IMG_FORMAT), 5},
        ReadRule{"pdfortif_3_is_0", "[IMAGE]\nPDFORTIF=3\n", FIELD(PDFORTIF), 0},
        ReadRule{"color_5_is_0", "[IMAGE]\nCOLOR=5\n", FIELD(COLOR), 0},
        ReadRule{"color_2_kept", "[IMAGE]\nCOLOR=2\n", FIELD(COLOR), 2},
        ReadRule{"play_upper_true_is_off", "[SOUND]\nPlay=TRUE\n", FIELD(Play), 0},
        ReadRule{"play_empty_is_on", "[SOUND]\nPlay=\n", FIELD(Play), 1},
        ReadRule{"shadow_lower_true_is_off", "[IMAGE]\nSHADOW=true\n", FIELD(SHADOW), 0},
        ReadRule{"shadow_upper_true_is_on", "[IMAGE]\nSHADOW=TRUE\n", FIELD(SHADOW), 1},
        ReadRule{"channels_lower_true_is_on", "[IMAGE]\nCHANNELS=true\n", FIELD(CHANNELS), 1},
        ReadRule{"language_en_lower_is_cn", "[Language]\nCurrent=en\n", FIELD(Language), 0},
        ReadRule{"language_cnt", "[Language]\nCurrent=CNT\n", FIELD(Language), 1},
        ReadRule{"language_en", "[Language]\nCurrent=EN\n", FIELD(Language), 2},
        ReadRule{"datefolder_0_off", "[IMAGE]\nDATEFOLDER=0\n", FIELD(DATEFOLDER), 0},
        ReadRule{"datefolder_text_on", "[IMAGE]\nDATEFOLDER=no\n", FIELD(DATEFOLDER), 1},
        ReadRule{"datefolder_empty_on", "[IMAGE]\nDATEFOLDER=\n", FIELD(DATEFOLDER), 1},
        ReadRule{"src_false_off", "[OTHER]\nSRC=FALSE\n", FIELD(SRC), 0},
        ReadRule{"src_no_on", "[OTHER]\nSRC=no\n", FIELD(SRC), 1},
        ReadRule{"merge_any_case_key", "[other]\nmerge=TRUE\n", FIELD(Merge), 1},
        ReadRule{"naming_rule_empty_1", "[FILE]\nTypeofImageName=\n", FIELD(TypeofImageName), 1},
        ReadRule{"naming_rule_0", "[FILE]\nTypeofImageName=0\n", FIELD(TypeofImageName), 0},
        ReadRule{"naming_rule_other_2", "[FILE]\nTypeofImageName=7\n", FIELD(TypeofImageName), 2},
        ReadRule{"document_four_numbers", "[POSITION]\nDocument=1,2,3,4\n", FIELD(Document.bottom),
                 4},
        ReadRule{"document_fewer_numbers_kept", "[POSITION]\nDocument=1,2,3\n",
                 FIELD(Document.right), 100},
        ReadRule{"document_extra_commas_in_bottom", "[POSITION]\nDocument=1,2,3,4,5\n",
                 FIELD(Document.bottom), 4}),
    [](const auto& info) { return std::string(info.param.name); });

#undef FIELD

TEST_F(SettingsFileTest, MergeKeyIsRewrittenInUpperCase) {
    LoadFrom("[OTHER]\nmerge=TRUE\n");
    EXPECT_TRUE(File().contains("\nMERGE=TRUE\n"));
    EXPECT_FALSE(File().contains("merge="));
}

TEST_F(SettingsFileTest, SaveNormalisesRotation) {
    SysSettings s = LoadFrom("");
    s.ROTATION = 450;
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(s.ROTATION, 90);
    EXPECT_TRUE(File().contains("\nROTATION=90\n"));
}

TEST_F(SettingsFileTest, RoundTripKeepsLongAndNonAsciiValues) {
    SysSettings s = LoadFrom("");
    s.FOLDPATH = QString::fromUtf8("/srv/扫描/Überweisungen/") + QString(400, 'x');
    s.Name = QString::fromUtf8("机密 — ") + QString(400, 'n');
    s.PREFIX = QString::fromUtf8("Prüfung");
    s.Document = IntRect{-5, 10, 2000, 1500};
    ASSERT_TRUE(s.Save());

    SysSettings back;
    ASSERT_TRUE(back.EnsureFile(Path()));
    back.Load();
    EXPECT_EQ(back.FOLDPATH, s.FOLDPATH);
    EXPECT_EQ(back.Name, s.Name);
    EXPECT_EQ(back.PREFIX, s.PREFIX);
    EXPECT_EQ(back.Document, s.Document);
}

TEST_F(SettingsFileTest, ForeignContentSurvivesALoad) {
    LoadFrom(
        "; notes of the administrator\n"
        "[image]\n"
        "index=9\n"
        "Vendor=kept\n"
        "[Network]\n"
        "Proxy=none\n"
        "[VantorelQt]\n"
        "Caption=Viewer\n");
    const QByteArray file = File();
    EXPECT_TRUE(file.startsWith("; notes of the administrator\n[image]\nINDEX=9\nVendor=kept\n"));
    EXPECT_TRUE(file.contains("[Network]\nProxy=none\n"));
    EXPECT_TRUE(file.contains("[VantorelQt]\nCaption=Viewer\n"));  // read, never written
    EXPECT_EQ(file.count("INDEX="), 1);
}

TEST_F(SettingsFileTest, WindowsFolderIsReplacedByTheDefault) {
    const SysSettings s = LoadFrom("[FILE]\nFOLDPATH=D:\\Scans\n");
    EXPECT_EQ(s.FOLDPATH, DefaultImageFolder());
}

TEST_F(SettingsFileTest, WriteWithoutCreateSkipsAbsentKey) {
    SysSettings s = LoadFrom("[A]\nold=1\n");
    const QByteArray before = File();
    EXPECT_EQ(s.IniFile.WriteString("A", "absent", "x", false), 1);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(s.IniFile.WriteString("a", "OLD", "2", false), 1);
    EXPECT_EQ(s.IniFile.ReadString("A", "old"), "2");
    EXPECT_EQ(s.IniFile.WriteString("A", "absent", "x", true), 1);
    EXPECT_EQ(s.IniFile.ReadString("A", "absent"), "x");
}

TEST_F(SettingsFileTest, FileBelowARegularFileCannotBeBound) {
    ASSERT_TRUE(test::WriteBytes(dir_.File("plain"), "x"));
    SysSettings s;
    EXPECT_FALSE(s.EnsureFile(dir_.File("plain/Sys.ini")));
    EXPECT_FALSE(s.Save());
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFile) {
    SysSettings s = LoadFrom("");
    const QByteArray before = File();
    s.Name = QString(4000, 'w');
    bool saved = true;
    {
        test::FileSizeLimit full(512);
        saved = s.Save();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(File(), before);
}

// "Sys.ini" as the Windows program wrote it: the Chinese ANSI code page, CRLF.
TEST_F(SettingsFileTest, ChineseCodePageFileKeepsItsTextsAndIsWrittenAsUtf8) {
    const QByteArray gbFile =
        "[FILE]\r\nPREFIX=\xC9\xA8\xC3\xE8\r\n"                                // 扫描
        "PRECHOOSE=\xC9\xA8\xC3\xE8|\xCE\xC4\xBC\xFE|IMG\r\n"                  // 扫描|文件|IMG
        "[WaterMark]\r\nName=\xBB\xFA\xC3\xDC \xA1\xAA \xC4\xDA\xB2\xBF\r\n";  // 机密 — 内部
    const SysSettings s = LoadFrom(gbFile);
    EXPECT_EQ(s.PREFIX, QString::fromUtf8("扫描"));
    EXPECT_EQ(s.PRECHOOSE, QString::fromUtf8("扫描|文件|IMG"));
    EXPECT_EQ(s.Name, QString::fromUtf8("机密 — 内部"));
    const QByteArray file = File();
    EXPECT_TRUE(file.contains("\nPREFIX=" + QString::fromUtf8("扫描").toUtf8() + "\n"));
    EXPECT_TRUE(file.contains("\nPRECHOOSE=" + QString::fromUtf8("扫描|文件|IMG").toUtf8() + "\n"));
    EXPECT_TRUE(file.contains("\nName=" + QString::fromUtf8("机密 — 内部").toUtf8() + "\n"));

    // The UTF-8 file it wrote reads back the same.
    SysSettings again;
    ASSERT_TRUE(again.EnsureFile(Path()));
    again.Load();
    EXPECT_EQ(again.PRECHOOSE, s.PRECHOOSE);
    EXPECT_EQ(again.Name, s.Name);
    EXPECT_EQ(File(), file);
}

TEST_F(SettingsFileTest, WatermarkTextsThatTheReaderWouldChangeSurviveSaves) {
    SysSettings s = LoadFrom("");
    const QStringList texts = {"\"DRAFT\"", " leading", QString::fromUtf8("\u3000机密\u3000"),
                               "'x'"};
    for (const QString& text : texts) {
        s.Name = text;
        ASSERT_TRUE(s.Save());
        SysSettings back;
        ASSERT_TRUE(back.EnsureFile(Path()));
        back.Load();
        EXPECT_EQ(back.Name, text);
        back.Load();  // and again, after its own write-back
        EXPECT_EQ(back.Name, text);
    }
}

// Counts the times a file of the folder is opened. Closes are watched too, so
// that two opens in a row are not merged into one event.
class ReadCounter {
  public:
    explicit ReadCounter(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_CLOSE_NOWRITE);
    }
    ~ReadCounter() { ::close(fd_); }
    int Reads(const QString& name) const {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof(buffer))) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if ((event->mask & IN_OPEN) != 0 && event->len > 0 &&
                    QFile::decodeName(event->name) == name) {
                    ++count;
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

  private:
    int fd_;
};

TEST_F(SettingsFileTest, LoadReadsTheFileOnce) {
    ASSERT_TRUE(test::WriteBytes(Path(), "[IMAGE]\nINDEX=4\n"));
    SysSettings s;
    ASSERT_TRUE(s.EnsureFile(Path()));
    const ReadCounter counter(dir_.Path());
    ASSERT_TRUE(s.Load());
    EXPECT_EQ(s.INDEX, 4);
    EXPECT_EQ(counter.Reads("Sys.ini"), 1);
}

TEST(SettingsNumberTest, ParsesLikeTheCRuntime) {
    EXPECT_EQ(ParseSettingsNumber("  -17x"), -17);
    EXPECT_EQ(ParseSettingsNumber("+8"), 8);
    EXPECT_EQ(ParseSettingsNumber("- 8"), 0);
    EXPECT_EQ(ParseSettingsNumber(""), 0);
    EXPECT_EQ(ParseSettingsNumber("-99999999999"), INT_MIN);
    EXPECT_EQ(ParseSettingsNumber("2147483647"), INT_MAX);
}

}  // namespace
}  // namespace orbisk
