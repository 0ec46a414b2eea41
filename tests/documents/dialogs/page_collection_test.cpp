// The widget-free rules of the page-collection dialog: paging, the page
// list and its moves, the page menu.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/command_ids.h"
#include "documents/dialogs/page_list.h"
#include "documents/dialogs/page_paging.h"

namespace orbisk {
namespace {

struct PagingCase {
    const char* name;
    int pages;
    int first;  // the page in the first tile
    PageStep step;
    int expected;  // -1: the button does nothing
};

void PrintTo(const PagingCase& c, std::ostream* os) { *os << c.name; }

class PagingTest : public testing::TestWithParam<PagingCase> {};

TEST_P(PagingTest, ButtonShowsTheExpectedPages) {
    const PagingCase& c = GetParam();
    EXPECT_EQ(PagingTarget(c.step, c.pages, c.first), c.expected);
}

// Six pages open on pages 3 to 6 (first index 2); "<<" shows 1 to 4, ">>"
// from there 3 to 6.
const PagingCase kPagingCases[] = {
    {"SixPagesPrevFourFromTheEnd", 6, 2, PageStep::PrevFour, 0},
    {"SixPagesNextFourFromTheStart", 6, 0, PageStep::NextFour, 2},
    {"SixPagesNextAtTheEnd", 6, 2, PageStep::NextOne, -1},
    {"SixPagesNextFourAtTheEnd", 6, 2, PageStep::NextFour, -1},
    {"SixPagesPrevOne", 6, 2, PageStep::PrevOne, 1},
    {"SixPagesPrevAtTheStart", 6, 0, PageStep::PrevOne, -1},
    {"SixPagesPrevFourAtTheStart", 6, 0, PageStep::PrevFour, -1},
    {"SixPagesNextOne", 6, 0, PageStep::NextOne, 1},
    {"TenPagesNextFourStopsAtTheLastFour", 10, 4, PageStep::NextFour, 6},
    {"TenPagesPrevFourStopsAtTheFirst", 10, 3, PageStep::PrevFour, 0},
    {"FourPagesNextFour", 4, 0, PageStep::NextFour, -1},
    {"FourPagesNextOne", 4, 0, PageStep::NextOne, -1},
    {"ThreePagesPrevOne", 3, 0, PageStep::PrevOne, -1},
};

INSTANTIATE_TEST_SUITE_P(Steps, PagingTest, testing::ValuesIn(kPagingCases),
                         [](const testing::TestParamInfo<PagingCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(PagingTest, RefreshShowsTheLastPagesOrTheRequestedOne) {
    EXPECT_EQ(FirstShownPage(-1, 6), 2) << "six pages show 3 to 6";
    EXPECT_EQ(FirstShownPage(-1, 3), 0);
    EXPECT_EQ(FirstShownPage(-1, 0), 0);
    EXPECT_EQ(FirstShownPage(1, 6), 1);
    EXPECT_EQ(FirstShownPage(6, 6), -1) << "no page there: nothing to show";
}

TEST(PageMenuTest, OneInsertItemPerPage) {
    const std::vector<PageMenuItem> items = InsertMenuItems(3, "%1之前");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].command, ids::page_dlg::ID_PAGE_INSERT_FIRST);
    EXPECT_EQ(items[0].text, "1之前");
    EXPECT_EQ(items[2].command, ids::page_dlg::ID_PAGE_INSERT_FIRST + 2);
    EXPECT_EQ(items[2].text, "3之前");
    EXPECT_EQ(InsertCommandPage(ids::page_dlg::ID_PAGE_INSERT_FIRST, 3), 1);
    EXPECT_EQ(InsertCommandPage(ids::page_dlg::ID_PAGE_INSERT_FIRST + 2, 3), 3);
    EXPECT_EQ(InsertCommandPage(ids::page_dlg::ID_PAGE_INSERT_FIRST + 3, 3), 0) << "no fourth page";
    EXPECT_EQ(InsertCommandPage(ids::page_dlg::ID_PAGE_DELETE, 3), 0);
}

// Pages "1".."6" with the types 10..15, so a moved type shows where it went.
CPageList SixPages() {
    CPageList pages;
    for (int i = 0; i < 6; ++i) {
        pages.Add(QString::number(i + 1), 10 + i);
    }
    return pages;
}

struct MoveCase {
    const char* name;
    int from;      // 0-based
    int position;  // 0-based, in the list without the page
    bool moved;
    const char* order;
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class PageMoveTest : public testing::TestWithParam<MoveCase> {};

TEST_P(PageMoveTest, PageLandsAtItsPositionInTheShortenedList) {
    const MoveCase& c = GetParam();
    CPageList pages = SixPages();
    EXPECT_EQ(pages.MoveTo(c.from, c.position), c.moved);
    const QString order = pages.Paths().join("");
    EXPECT_EQ(order, c.order);
    ASSERT_EQ(pages.Types().size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(pages.Types()[i], 10 + order[i].digitValue() - 1)
            << "the type moves with its page";
    }
}

const MoveCase kMoveCases[] = {
    {"FifthToSecond", 4, 1, true, "152346"},
    {"SecondToFifth", 1, 4, true, "134526"},
    // The last position can be reached from anywhere.
    {"FirstToTheEnd", 0, 5, true, "234561"},
    {"FourthToTheEnd", 3, 5, true, "123564"},
    {"LastToFirst", 5, 0, true, "612345"},
    {"ToTheNextPosition", 2, 3, true, "124356"},
    {"WhereItIs", 2, 2, false, "123456"},
    {"PageOutOfRange", 6, 1, false, "123456"},
    {"PositionPastTheEnd", 0, 6, false, "123456"},
    {"NegativePosition", 3, -1, false, "123456"},
};

INSTANTIATE_TEST_SUITE_P(Moves, PageMoveTest, testing::ValuesIn(kMoveCases),
                         [](const testing::TestParamInfo<MoveCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(PageListTest, DuplicatesAreIgnoredAndRemovalTakesTheType) {
    CPageList pages;
    EXPECT_TRUE(pages.Add("/scan/Tmp001.jpg", 0));
    EXPECT_TRUE(pages.Add("/scan/Tmp002.tif", 2));
    EXPECT_FALSE(pages.Add("/scan/Tmp001.jpg", 1));
    EXPECT_EQ(pages.Paths(), QStringList({"/scan/Tmp001.jpg", "/scan/Tmp002.tif"}));
    EXPECT_EQ(pages.Types(), std::vector<int>({0, 2}));
    EXPECT_FALSE(pages.Remove(2));
    EXPECT_TRUE(pages.Remove(0));
    EXPECT_EQ(pages.Paths(), QStringList({"/scan/Tmp002.tif"}));
    EXPECT_EQ(pages.Types(), std::vector<int>({2}));
}

}  // namespace
}  // namespace orbisk
