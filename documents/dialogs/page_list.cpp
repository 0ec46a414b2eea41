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

bool CPageList::MoveBefore(int from, int beforePage) {
    const int count = Count();
    if (from < 0 || from >= count || beforePage < 1 || beforePage > count) {
        return false;
    }
    // The numbering is the one the operator saw: once the page is taken out,
    // every later position shifts down by one.
    int to = beforePage - 1;
    if (to > from) {
        --to;
    }
    if (to == from) {
        return false;
    }
    paths_.move(from, to);
    const int type = types_[from];
    types_.erase(types_.begin() + from);
    types_.insert(types_.begin() + to, type);
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
