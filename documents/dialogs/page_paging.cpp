#include "documents/dialogs/page_paging.h"
#include "core/command_ids.h"

#include <algorithm>

namespace orbisk {

int FirstShownPage(int requested, int pageCount, int tiles) {
    if (requested < 0) {
        return std::max(pageCount - tiles, 0);
    }
    return requested < pageCount ? requested : -1;
}

int PagingTarget(PageStep step, int pageCount, int firstShown, int tiles) {
    if (pageCount <= tiles) {
        return -1;
    }
    const int lastFirst = pageCount - tiles;
    switch (step) {
        case PageStep::PrevOne:
            return firstShown > 0 ? firstShown - 1 : -1;
        case PageStep::NextOne:
            return firstShown < lastFirst ? firstShown + 1 : -1;
        case PageStep::PrevFour:
            return firstShown > 0 ? std::max(firstShown - tiles, 0) : -1;
        case PageStep::NextFour:
            return firstShown < lastFirst ? std::min(firstShown + tiles, lastFirst) : -1;
    }
    return -1;
}

std::vector<PageMenuItem> InsertMenuItems(int pageCount, const QString& beforeFormat) {
    std::vector<PageMenuItem> items;
    for (int page = 1; page <= pageCount; ++page) {
        items.push_back({ids::page_dlg::ID_PAGE_INSERT_FIRST + page - 1, beforeFormat.arg(page)});
    }
    return items;
}

int InsertCommandPage(int command, int pageCount) {
    const int page = command - ids::page_dlg::ID_PAGE_INSERT_FIRST + 1;
    return page >= 1 && page <= pageCount ? page : 0;
}

}  // namespace orbisk
