#include "app/continuous_shoot/shoot_interval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/case_name.h"

namespace orbisk {
namespace {

// The ticks (1-based) on which a countdown of the interval shoots, over
// `ticks` ticks.
std::vector<int> ShotTicks(float seconds, int ticks) {
    int countdown = IntervalCountdownMs(seconds);
    std::vector<int> shots;
    for (int tick = 1; tick <= ticks; ++tick) {
        if (CountdownTick(countdown, seconds)) shots.push_back(tick);
    }
    return shots;
}

struct OpeningCase {
    std::string name;
    double given;
    float kept;
    std::vector<int> shotTicks;  // over 10 ticks
};

class OpeningInterval : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(OpeningInterval, IsCutToTenthsAndShootsOnItsTicks) {
    const OpeningCase c = GetParam();
    const float kept = OpeningShootInterval(c.given);
    EXPECT_FLOAT_EQ(kept, c.kept);
    EXPECT_EQ(ShotTicks(kept, 10), c.shotTicks);
}

INSTANTIATE_TEST_SUITE_P(
    Intervals, OpeningInterval,
    ::testing::Values(OpeningCase{"five_point_zero_four", 5.04, 5.0f, {5, 10}},
                      OpeningCase{"five", 5.0, 5.0f, {5, 10}},
                      OpeningCase{"one_point_five", 1.5, 1.5f, {2, 4, 6, 8, 10}},
                      OpeningCase{"one", 1.0, 1.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
                      OpeningCase{"half", 0.5, 0.5f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
                      OpeningCase{"seven_tenths", 0.7f, 0.7f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
                      OpeningCase{"an_hour", 3600, 3600.0f, {}},
                      // Out of range: the default five seconds.
                      OpeningCase{"zero", 0, 5.0f, {5, 10}},
                      OpeningCase{"negative", -3, 5.0f, {5, 10}},
                      OpeningCase{"just_under_half", 0.49, 5.0f, {5, 10}},
                      OpeningCase{"huge", 1e30, 5.0f, {5, 10}},
                      OpeningCase{"not_a_number", std::nan(""), 5.0f, {5, 10}}),
    [](const auto& info) { return info.param.name; });

TEST(ShootInterval, AnHourCountsDownToItsShot) {
    const std::vector<int> shots = ShotTicks(3600.0f, 7201);
    EXPECT_EQ(shots, (std::vector<int>{3600, 7200}));
}

struct TypedCase {
    const char* text;
    bool accepted;
    float seconds;
};

class TypedInterval : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedInterval, IsAcceptedOnlyFromHalfASecondToAnHour) {
    const TypedCase c = GetParam();
    const std::optional<float> got = ParseShootInterval(QString::fromUtf8(c.text));
    ASSERT_EQ(got.has_value(), c.accepted);
    if (got) {
        EXPECT_FLOAT_EQ(*got, c.seconds);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedInterval,
    ::testing::Values(TypedCase{"0.5", true, 0.5f}, TypedCase{" 2.25 ", true, 2.25f},
                      TypedCase{"3600", true, 3600.0f}, TypedCase{"5.04", true, 5.04f},
                      TypedCase{"0.49", false, 0}, TypedCase{"3600.5", false, 0},
                      TypedCase{"0", false, 0}, TypedCase{"-1", false, 0},
                      TypedCase{"1e30", false, 0}, TypedCase{"inf", false, 0},
                      TypedCase{"nan", false, 0}, TypedCase{"abc", false, 0},
                      TypedCase{"", false, 0}, TypedCase{"5s", false, 0}),
    [](const auto& info) { return test::CaseName(std::string("text"), info.param.text); });

}  // namespace
}  // namespace orbisk
