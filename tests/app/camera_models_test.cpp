#include "app/main_dlg/camera_models.h"
#include "app/main_dlg/prefix_list.h"
#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <set>

namespace orbisk {
namespace {

struct ModelCase {
    const char* name;
    const char* vid;
    const char* pid;
    int model;
    int width;
    int height;
    int dpi;
};

class CameraModelTest : public testing::TestWithParam<ModelCase> {};

TEST_P(CameraModelTest, GivesTheModelAndTheDefaultResolution) {
    const ModelCase& c = GetParam();
    EXPECT_EQ(CameraModelOf(c.vid, c.pid), c.model);
    const DefaultResolution d = DefaultResolutionOf(c.vid, c.pid, QSize(1920, 1080));
    EXPECT_EQ(d.size, QSize(c.width, c.height));
    EXPECT_EQ(d.dpi, c.dpi);
}

INSTANTIATE_TEST_SUITE_P(
    Models, CameraModelTest,
    testing::Values(ModelCase{"model0_first", "1d6b", "0d01", 0, 2592, 1944, 215},
                    ModelCase{"model0_second_vendor", "1d6c", "0d01", 0, 2592, 1944, 215},
                    ModelCase{"model1", "1d6b", "0d11", 1, 2592, 1944, 215},
                    ModelCase{"model2", "1d6b", "0d21", 2, 3264, 2448, 270},
                    ModelCase{"model3", "1d6b", "0d32", 3, 3742, 2806, 310},
                    ModelCase{"model4", "1d6b", "0d41", 4, 4000, 3000, 330},
                    ModelCase{"model5", "1d6d", "0d51", 5, 3840, 2748, 310},
                    ModelCase{"model6", "1d6e", "0d61", 6, 3742, 2806, 310},
                    // Known to the default table only.
                    ModelCase{"default_only", "1d6b", "0d04", -1, 2592, 1944, 215},
                    // Ids are compared exactly, case included.
                    ModelCase{"upper_case", "1D6B", "0D41", -1, 1920, 1080, 159},
                    // Unknown: the largest frame at width / 12.1 dpi.
                    ModelCase{"unknown", "1d6b", "0c01", -1, 1920, 1080, 159}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(CameraModels, EveryIdentityIsListedOnce) {
    std::set<std::pair<QString, QString>> seen;
    for (const CameraModelRow& row : CameraModelTable()) {
        EXPECT_TRUE(seen.insert({row.id.vid, row.id.pid}).second) << row.id.vid.toStdString();
    }
}

struct EntryCase {
    const char* name;
    const char* entry;
    bool valid;
};

class DeviceEntryTest : public testing::TestWithParam<EntryCase> {};

TEST_P(DeviceEntryTest, TakesExactlySixteenHexDigits) {
    EXPECT_EQ(ParseDeviceEntry(QString::fromLatin1(GetParam().entry)).has_value(),
              GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Entries, DeviceEntryTest,
                         testing::Values(EntryCase{"valid", "1d6b0c011d6b0c02", true},
                                         EntryCase{"upper_hex", "1D6B0C011D6B0C02", true},
                                         EntryCase{"empty", "", false},
                                         EntryCase{"short", "1d6b0c01", false},
                                         EntryCase{"long", "1d6b0c011d6b0c023", false},
                                         EntryCase{"not_hex", "1d6b0c011d6b0cxz", false}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST(DeviceEntries, TheFirstConnectedEntryWinsAndDamagedOnesAreSkipped) {
    const QStringList entries = {"", "abc", "1111222233334444", "5555666677778888",
                                 "55556666aaaabbbb"};
    std::vector<QString> asked;
    const auto pair = FirstConnectedPair(entries, [&](const CameraIdentity& id) {
        asked.push_back(id.vid + id.pid);
        return id.vid == "5555";
    });
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->portrait.vid, "7777");
    EXPECT_EQ(CameraIdsOf(*pair), (QStringList{"8888", "7777", "6666", "5555"}));
    EXPECT_EQ(asked, (std::vector<QString>{"11112222", "55556666"}));
    EXPECT_FALSE(FirstConnectedPair(entries, [](const CameraIdentity&) { return false; }));
}

TEST(PrefixList, SplitsUpToTheFirstEmptyPiece) {
    EXPECT_EQ(SplitPrefixList("IMG|TXT|JPG"), (QStringList{"IMG", "TXT", "JPG"}));
    EXPECT_EQ(SplitPrefixList("IMG||JPG"), (QStringList{"IMG"}));
    EXPECT_EQ(SplitPrefixList(""), QStringList());
}

TEST(PrefixList, AStartUsesAStoredPrefixOnlyWhenFileNamesMayCarryIt) {
    EXPECT_EQ(PrefixInUse("DOC", "IMG|DOC", "IMG"), "DOC");
    // Not in the list: still the prefix in use.
    EXPECT_EQ(PrefixInUse("SCAN", "IMG|DOC", "IMG"), "SCAN");
    EXPECT_EQ(PrefixInUse("../x", "a:b|DOC|IMG", "IMG"), "DOC");
    EXPECT_EQ(PrefixInUse("A\nB", "a/b", "IMG"), "IMG");
    EXPECT_EQ(PrefixInUse("x*", "", "IMG"), "IMG");
}

TEST(PrefixList, FindsTheTextRegardlessOfCaseFromTheSecondItemOn) {
    const QStringList items = {"img", "TXT", "IMG", "..."};
    EXPECT_EQ(FindPrefixIndex(items, "IMG"), 2);
    EXPECT_EQ(FindPrefixIndex(items, "txt"), 1);
    EXPECT_EQ(FindPrefixIndex({"IMG", "..."}, "img"), 0);
    EXPECT_EQ(FindPrefixIndex(items, "DOC"), -1);
    EXPECT_EQ(FindPrefixIndex({}, "DOC"), -1);
}

}  // namespace
}  // namespace orbisk
