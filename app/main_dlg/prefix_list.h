#pragma once

#include "ui/file_name_rules.h"

#include <QString>
#include <QStringList>

namespace orbisk {

// The prefixes of a "|"-separated list, up to the first empty piece: a stored
// list loads as far as it goes.
QStringList SplitPrefixList(const QString& list);

// The prefix a start uses: the stored one when file names may carry it, else
// the first prefix the list offers, else `fallback`.
QString PrefixInUse(const QString& stored, const QString& list, const QString& fallback);

}  // namespace orbisk
