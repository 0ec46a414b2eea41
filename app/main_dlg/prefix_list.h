#pragma once

#include "ui/file_name_rules.h"

#include <QString>
#include <QStringList>

namespace orbisk {

// The prefixes of a "|"-separated list, up to the first empty piece: a stored
// list loads as far as it goes.
QStringList SplitPrefixList(const QString& list);

}  // namespace orbisk
