#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// The name (no extension) of a merged image or a collection named after the
// first barcode the capture read: the folder of `ruleName` and the barcode
// text as the save pipeline names files after barcodes, with a suffix when
// files of that name exist. Nothing when there is no barcode or the first one
// cannot name a file; the caller then keeps `ruleName`.
std::optional<QString> BarcodeCollectionName(const QString& ruleName,
                                             const std::vector<std::string>& barcodes);

}  // namespace orbisk
