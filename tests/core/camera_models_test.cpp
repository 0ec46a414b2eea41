#include "core/camera_models.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <vector>

namespace orbisk {
namespace {

struct EnlargedCase {
    const char* name;
    const char* vid;
    const char* pid;
    std::vector<QSize> sizes;
};

class EnlargedSizes : public testing::TestWithParam<EnlargedCase> {};

TEST_P(EnlargedSizes, FollowTheModelOfTheIdentity) {
    const EnlargedCase& c = GetParam();
    EXPECT_EQ(EnlargedSizesOf(c.vid, c.pid), c.sizes);
}

INSTANTIATE_TEST_SUITE_P(
    Identities, EnlargedSizes,
    testing::Values(
        EnlargedCase{"model3_first", "1d6b", "0d31", {QSize(3742, 2806), QSize(3264, 2448)}},
        EnlargedCase{"model3_second", "1d6b", "0d32", {QSize(3742, 2806)}},
        EnlargedCase{"model4", "1d6b", "0d41", {QSize(3742, 2806), QSize(4000, 3000)}},
        EnlargedCase{"model6", "1d6e", "0d61", {QSize(3742, 2806)}},
        EnlargedCase{"model0", "1d6b", "0d01", {}}, EnlargedCase{"model2", "1d6b", "0d21", {}},
        EnlargedCase{"unknown", "1d6b", "0c01", {}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(ModelDefaults, AreThoseOfTheModelsRowsAndNoneOutsideTheTable) {
    const std::pair<int, int> dpi[] = {{0, 215}, {1, 215}, {2, 270}, {3, 310},
                                       {4, 330}, {5, 310}, {6, 310}};
    for (auto [model, expected] : dpi) {
        ASSERT_TRUE(ModelDefaults(model)) << model;
        EXPECT_EQ(ModelDefaults(model)->dpi, expected) << model;
    }
    EXPECT_EQ(ModelDefaults(5)->size, QSize(3840, 2748));
    EXPECT_FALSE(ModelDefaults(-1));
    EXPECT_FALSE(ModelDefaults(7));
}

}  // namespace
}  // namespace orbisk
