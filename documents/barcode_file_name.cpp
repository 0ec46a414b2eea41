#include "documents/barcode_file_name.h"

#include <QString>

#include "core/sys_settings.h"
#include "core/text_conversion.h"

namespace orbisk {

bool IsUsableBarcodeName(const QByteArray& data) {
    // Measured as the file will be named: each invalid UTF-8 byte becomes
    // U+FFFD, three bytes.
    if (data.isEmpty() || Utf8ToAnsi(data).size() > kMaxBarcodeNameBytes) {
        return false;
    }
    const auto edge = [](char c) { return c == '.' || c == ' '; };
    // Also rules out "." and "..".
    if (edge(data.front()) || edge(data.back())) {
        return false;
    }
    // Control characters of both blocks (C0 with DEL, and C1).
    for (const QChar ch : QString::fromUtf8(data)) {
        if (ch.category() == QChar::Other_Control) {
            return false;
        }
    }
    for (const char c : data) {
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                return false;
            default:
                break;
        }
    }
    return true;
}

QString BarcodeBaseName(const QString& baseName, const QByteArray& data) {
    const QString folder = baseName.left(baseName.lastIndexOf('/') + 1);
    return AvoidNameCollision(folder + QString::fromUtf8(Utf8ToAnsi(data)));
}

}  // namespace orbisk
