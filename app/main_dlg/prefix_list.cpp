#include "app/main_dlg/prefix_list.h"

namespace orbisk {

QStringList SplitPrefixList(const QString& list) {
    QStringList pieces;
    SplitPrefixList(list, pieces);
    return pieces;
}

QString PrefixInUse(const QString& stored, const QString& list, const QString& fallback) {
    if (IsAcceptablePrefix(stored)) return stored;
    const QStringList offered = LoadablePrefixes(list);
    return offered.isEmpty() ? fallback : offered.front();
}

}  // namespace orbisk
