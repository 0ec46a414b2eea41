#include "documents/dialogs/page_list.h"

namespace orbisk {

bool CPageList::Add(const QString& path, int type) {
    if (paths_.contains(path)) {
        return false;
    }
    paths_.append(path);
    types_.push_back(type);
    return true;
}

bool CPageList::MoveTo(int from, int position) {
    const int count = Count();
    if (from < 0 || from >= count || position < 0 || position >= count || position == from) {
        return false;
    }
    // Taken out, then inserted at `position` of the shortened list: every
    // position, the end included, can be reached.
    paths_.move(from, position);
    const int type = types_[from];
    types_.erase(types_.begin() + from);
    types_.insert(types_.begin() + position, type);
    return true;
}

bool CPageList::Remove(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    paths_.removeAt(index);
    types_.erase(types_.begin() + index);
    return true;
}

}  // namespace orbisk
