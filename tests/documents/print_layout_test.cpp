#include "documents/print_layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/support/case_name.h"

namespace orbisk {
namespace {

struct TargetCase {
    const char* name;
    PrintPlacement placement;
    IntRect expected;
};

std::ostream& operator<<(std::ostream& out, const TargetCase& c) { return out << c.name; }

// image W x H, page W x H, device dpi x/y, image dpi x/y, fitted
constexpr TargetCase kTargetCases[] = {
    {"TrueSizeAt200DpiOn600DpiPage",
     {2000, 1000, 6600, 6600, 600, 600, 200, 200, false},
     {300, 1800, 6300, 4800}},
    {"TrueSizeLargerThanThePageStartsLeftOfIt",
     {2000, 1000, 4800, 6600, 600, 600, 200, 200, false},
     {-600, 1800, 5400, 4800}},
    {"TrueSizeWithDifferentResolutionsPerAxis",
     {300, 300, 1000, 1000, 600, 300, 300, 150, false},
     {200, 200, 800, 800}},
    {"FittedIntoPortraitPageIsCentredVertically",
     {2000, 1000, 4800, 6600, 600, 600, 200, 200, true},
     {0, 2100, 4800, 4500}},
    {"FittedTallImageIsCentredHorizontally",
     {1000, 2000, 4800, 6600, 600, 600, 200, 200, true},
     {750, 0, 4050, 6600}},
    {"FittedIgnoresTheResolutions",
     {2000, 1000, 4800, 6600, 0, 0, 0, 0, true},
     {0, 2100, 4800, 4500}},
    {"ImageWithoutAreaPrintsNothing", {0, 0, 4800, 6600, 600, 600, 200, 200, true}, {}},
    {"ImageWithoutAreaAtTrueSizePrintsNothing",
     {0, 1000, 4800, 6600, 600, 600, 200, 200, false},
     {}},
    {"ZeroImageResolutionPrintsNothing", {2000, 1000, 4800, 6600, 600, 600, 0, 200, false}, {}},
    {"PageWithoutAreaPrintsNothing", {2000, 1000, 0, 6600, 600, 600, 200, 200, true}, {}},
};

class PrintTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(PrintTargetTest, PlacesTheImage) {
    EXPECT_EQ(PrintTargetRect(GetParam().placement), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PrintTargetTest, testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST(PrintModeTest, PortraitCameraAlwaysFitsTheImageToThePage) {
    EXPECT_FALSE(PrintsFittedToPage(0, 0));
    EXPECT_TRUE(PrintsFittedToPage(1, 0));
    EXPECT_TRUE(PrintsFittedToPage(0, 1));
    EXPECT_TRUE(PrintsFittedToPage(1, 1));
}

}  // namespace
}  // namespace orbisk
