// Naming a merged image or a collection after a barcode.

#include "documents/capture_names.h"

#include "documents/barcode_file_name.h"

#include <QByteArray>

namespace orbisk {

std::optional<QString> BarcodeCollectionName(const QString& ruleName,
                                             const std::vector<std::string>& barcodes) {
    if (barcodes.empty()) return std::nullopt;
    const QByteArray data = QByteArray::fromStdString(barcodes.front());
    if (!IsUsableBarcodeName(data)) return std::nullopt;
    return BarcodeBaseName(ruleName, data);
}

}  // namespace orbisk
