#pragma once

#include <QString>

#include <vector>

// Which pages the page-collection dialog shows and what its page menu offers,
// apart from any window.
namespace orbisk {

inline constexpr int kPageTileCount = 4;

enum class PageStep { PrevOne, NextOne, PrevFour, NextFour };

// The first page a refresh shows: `requested` itself, or for -1 the first of
// the last `tiles` pages (0 when they all fit). -1 when a refresh from
// `requested` shows nothing (there is no such page).
int FirstShownPage(int requested, int pageCount, int tiles = kPageTileCount);

// The first page to show after a paging button, with `firstShown` the page in
// the first tile; -1 when the button does nothing (all pages fit, or the end
// is reached).
int PagingTarget(PageStep step, int pageCount, int firstShown, int tiles = kPageTileCount);

struct PageMenuItem {
    int command;
    QString text;
};

// The insert items for `pageCount` pages: `beforeFormat` ("%1之前") with
// 1, 2, ..., pageCount.
std::vector<PageMenuItem> InsertMenuItems(int pageCount, const QString& beforeFormat);

// The page (1-based) an insert command puts the page before; 0 when `command`
// is no insert command for `pageCount` pages.
int InsertCommandPage(int command, int pageCount);

}  // namespace orbisk
