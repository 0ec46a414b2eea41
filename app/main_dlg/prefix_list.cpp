#include "app/main_dlg/prefix_list.h"

namespace orbisk {

QStringList SplitPrefixList(const QString& list) {
    QStringList pieces;
    for (const QString& piece : list.split(QLatin1Char('|'))) {
        if (piece.isEmpty()) break;
        pieces.append(piece);
    }
    return pieces;
}

int FindPrefixIndex(const QStringList& items, const QString& text) {
    const qsizetype n = items.size();
    for (qsizetype k = 1; k <= n; ++k) {
        const qsizetype i = k % n;
        if (items[i].compare(text, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace orbisk
