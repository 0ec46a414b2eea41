#include "app/main_dlg/prefix_list.h"

namespace orbisk {

QStringList SplitPrefixList(const QString& list) {
    QStringList pieces;
    SplitPrefixList(list, pieces);
    return pieces;
}

}  // namespace orbisk
