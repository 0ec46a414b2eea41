#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orbisk {

// The collected pages of a page-collection dialog, in document order, each
// with its page type (the colour mode when it was added: 0 colour, 1 grey,
// 2 black and white), which a multi-page TIFF needs.
class CPageList {
  public:
    // Appends the page; false, and nothing changes, when the path is in the
    // list already.
    bool Add(const QString& path, int type);

    // Moves page `from` (0-based) to `position` (0-based, 0..Count() - 1):
    // it is taken out of the list and inserted at `position` of the shortened
    // list, so page 2 of 6 moved to position 4 ends up after the old page 5.
    // Its type moves with it. False when nothing moves (out of range, or the
    // page is already there).
    bool MoveTo(int from, int position);

    // Removes page `index` and its type; false when there is no such page.
    bool Remove(int index);

    int Count() const { return static_cast<int>(paths_.size()); }
    const QStringList& Paths() const { return paths_; }
    const std::vector<int>& Types() const { return types_; }

  private:
    QStringList paths_;
    std::vector<int> types_;
};

}  // namespace orbisk
