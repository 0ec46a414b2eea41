#include "core/sys_settings.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

namespace orbisk {
namespace {

// 31 January 2026, 14:30:05 local time.
QDateTime FixedMoment() { return QDateTime(QDate(2026, 1, 31), QTime(14, 30, 5)); }
LocalClock FixedClock() {
    return [] { return FixedMoment(); };
}

class NamingTest : public ::testing::Test {
  protected:
    NamingTest() {
        settings.SaveFolder = dir.Path() + "/S";
        QDir().mkpath(settings.SaveFolder);
    }
    void Touch(const QString& leaf) {
        ASSERT_TRUE(test::WriteBytes(settings.SaveFolder + '/' + leaf, "x"));
    }

    test::TempDir dir;
    SysSettings settings;
};

struct RuleCase {
    const char* label;
    int rule;
    const char* prefix;
    int index;
    std::optional<QString> entered;  // what the name dialog returns
    const char* expectedLeaf;        // nullptr: an empty name
};

class NamingRuleTest : public NamingTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(NamingRuleTest, MakesTheRulesName) {
    const RuleCase& c = GetParam();
    settings.TypeofImageName = c.rule;
    settings.PREFIX = c.prefix;
    settings.INDEX = c.index;
    int asked = 0;
    const FileNameProvider ask = [&](int) {
        ++asked;
        return c.entered;
    };
    const QString name = settings.MakeFileName(ask, FixedClock());
    if (c.expectedLeaf == nullptr) {
        EXPECT_TRUE(name.isEmpty()) << name.toStdString();
    } else {
        EXPECT_EQ(name, settings.SaveFolder + '/' + c.expectedLeaf);
    }
    EXPECT_EQ(asked, c.rule == 2 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NamingRuleTest,
    ::testing::Values(RuleCase{"PrefixAndNumber", 0, "TXT", 7, std::nullopt, "TXT00007"},
                      RuleCase{"NumberWiderThanFive", 0, "TXT", 123456, std::nullopt, "TXT123456"},
                      RuleCase{"DateAndTime", 1, "IMG", 3, std::nullopt, "20260131143005"},
                      RuleCase{"AskedOk", 2, "IMG", 3, QString("Invoice 7"), "Invoice 7"},
                      RuleCase{"AskedCancelled", 2, "IMG", 3, std::nullopt, nullptr},
                      RuleCase{"UnknownRule", 3, "IMG", 3, std::nullopt, nullptr},
                      RuleCase{"NegativeRule", -1, "IMG", 3, std::nullopt, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(NamingTest, AskedRuleWithoutProviderCountsAsCancelled) {
    settings.TypeofImageName = int(NamingRule::Asked);
    EXPECT_TRUE(settings.MakeFileName({}, FixedClock()).isEmpty());
}

TEST_F(NamingTest, CreatesAMissingSaveFolderButNotForACancelledName) {
    settings.SaveFolder = dir.Path() + "/new/day";
    settings.TypeofImageName = int(NamingRule::Asked);
    EXPECT_TRUE(settings.MakeFileName([](int) { return std::nullopt; }, FixedClock()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.Path() + "/new"));

    settings.TypeofImageName = int(NamingRule::DateAndTime);
    EXPECT_EQ(settings.MakeFileName({}, FixedClock()), settings.SaveFolder + "/20260131143005");
    EXPECT_TRUE(QFileInfo(settings.SaveFolder).isDir());
}

TEST_F(NamingTest, UnusableSaveFolderStillGivesTheName) {
    Touch("file");
    settings.SaveFolder += "/file/sub";
    settings.TypeofImageName = int(NamingRule::PrefixAndNumber);
    settings.PREFIX = "IMG";
    settings.INDEX = 42;
    EXPECT_EQ(settings.MakeFileName({}, FixedClock()), settings.SaveFolder + "/IMG00042");
}

// Two captures within one second must not share a name: the second one would
// overwrite the first one's files.
struct CollisionCase {
    const char* label;
    std::vector<const char*> existing;
    const char* expectedLeaf;
};

class NameCollisionTest : public NamingTest, public ::testing::WithParamInterface<CollisionCase> {};

TEST_P(NameCollisionTest, SuffixesOnlyWhenTheBaseNameIsTaken) {
    for (const char* leaf : GetParam().existing) {
        Touch(leaf);
    }
    settings.TypeofImageName = int(NamingRule::DateAndTime);
    EXPECT_EQ(settings.MakeFileName({}, FixedClock()),
              settings.SaveFolder + '/' + GetParam().expectedLeaf);
}

INSTANTIATE_TEST_SUITE_P(
    Collisions, NameCollisionTest,
    ::testing::Values(CollisionCase{"Free", {}, "20260131143005"},
                      CollisionCase{"OtherSecond", {"20260131143004.jpg"}, "20260131143005"},
                      CollisionCase{"LongerNameSamePrefix",
                                    {"202601311430051.jpg", "20260131143005 a.jpg"},
                                    "20260131143005"},
                      CollisionCase{"SinglePage", {"20260131143005.jpg"}, "20260131143005_2"},
                      CollisionCase{"NumberedPages", {"20260131143005_01.tif"}, "20260131143005_2"},
                      CollisionCase{"BarcodeText", {"20260131143005.txt"}, "20260131143005_2"},
                      CollisionCase{
                          "SecondSuffixTaken",
                          {"20260131143005.jpg", "20260131143005_2.jpg", "20260131143005_3_00.jpg"},
                          "20260131143005_4"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(NamingTest, PrefixRuleAndTempNamesAvoidCollisionsToo) {
    settings.TypeofImageName = int(NamingRule::PrefixAndNumber);
    settings.PREFIX = "IMG";
    settings.INDEX = 42;
    Touch("IMG00042.jpg");
    EXPECT_EQ(settings.MakeFileName({}, FixedClock()), settings.SaveFolder + "/IMG00042_2");

    EXPECT_EQ(settings.MakeTempFileName(FixedClock()), settings.SaveFolder + "/Tmp20260131143005");
    Touch("Tmp20260131143005.jpg");
    EXPECT_EQ(settings.MakeTempFileName(FixedClock()),
              settings.SaveFolder + "/Tmp20260131143005_2");
}

TEST(AvoidNameCollisionTest, UsesTheGivenTest) {
    const QStringList taken{"a/b", "a/b_2"};
    EXPECT_EQ(AvoidNameCollision("a/b", [&](const QString& n) { return taken.contains(n); }),
              "a/b_3");
    EXPECT_EQ(AvoidNameCollision("a/c", [&](const QString& n) { return taken.contains(n); }),
              "a/c");
}

struct WatermarkCase {
    int dateMark;
    int custom;
    const char* expected;
};

class WatermarkTextTest : public ::testing::TestWithParam<WatermarkCase> {};

TEST_P(WatermarkTextTest, FollowsTheFlags) {
    SysSettings settings;
    settings.DateMark = GetParam().dateMark;
    settings.Custom = GetParam().custom;
    settings.Name = "Archive";
    EXPECT_EQ(settings.MakeWatermarkText(FixedClock()), QString(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Flags, WatermarkTextTest,
    ::testing::Values(WatermarkCase{1, 0, "2026/01/31-14:30:05"}, WatermarkCase{0, 1, "Archive"},
                      WatermarkCase{1, 1, "2026/01/31-14:30:05 Archive"}, WatermarkCase{0, 0, ""}),
    [](const auto& info) {
        return test::CaseName("date", info.param.dateMark, "custom", info.param.custom);
    });

class CreateFolderPathTest : public NamingTest {};

TEST_F(CreateFolderPathTest, CreatesEveryMissingFolderAndKeepsTheCurrentDirectory) {
    const QString before = QDir::currentPath();
    EXPECT_TRUE(SysSettings::CreateFolderPath(dir.Path() + "/A/B/C/file"));
    EXPECT_TRUE(QFileInfo(dir.Path() + "/A/B/C").isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.Path() + "/A/B/C/file"));
    EXPECT_TRUE(SysSettings::CreateFolderPath(dir.Path() + "/A/B/C/file"));  // already there
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(CreateFolderPathTest, NameWithoutFolderNeedsNothing) {
    EXPECT_TRUE(SysSettings::CreateFolderPath("file"));
}

TEST_F(CreateFolderPathTest, FailsBelowARegularFile) {
    Touch("plain");
    EXPECT_FALSE(SysSettings::CreateFolderPath(settings.SaveFolder + "/plain/sub/file"));
    EXPECT_TRUE(QFileInfo(settings.SaveFolder + "/plain").isFile());
}

}  // namespace
}  // namespace orbisk
