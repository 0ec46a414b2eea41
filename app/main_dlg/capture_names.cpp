// Naming a merged image or a collection after a barcode.

#include "app/main_dlg/capture_names.h"

#include "app/core/sys_settings.h"
#include "app/core/text_conversion.h"
#include "documents/barcode_file_name.h"

#include <QByteArray>

namespace orbisk {

std::optional<QString> BarcodeCollectionName(const QString& ruleName,
                                             const std::vector<std::string>& barcodes) {
    if (barcodes.empty()) return std::nullopt;
    const QByteArray data = QByteArray::fromStdString(barcodes.front());
    if (!IsUsableBarcodeName(data)) return std::nullopt;
    const QString folder = ruleName.left(ruleName.lastIndexOf('/') + 1);
    // A second batch with the same code must not replace the first one's file.
    return AvoidNameCollision(folder + QString::fromUtf8(Utf8ToAnsi(data)));
}

}  // namespace orbisk
