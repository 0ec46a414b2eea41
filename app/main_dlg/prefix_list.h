#pragma once

#include <QString>
#include <QStringList>

namespace orbisk {

// The prefixes of a "|"-separated list, up to the first empty piece.
QStringList SplitPrefixList(const QString& list);

// The index of `text` among `items` regardless of case, searched from the
// second item on and then the first; -1 when it is not there.
int FindPrefixIndex(const QStringList& items, const QString& text);

}  // namespace orbisk
