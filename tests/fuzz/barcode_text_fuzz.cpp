// Barcode data: as a file name, and as the barcode text file's JSON. Input:
// type and data texts separated by NUL bytes.

#include "documents/barcode_file_name.h"
#include "documents/barcode_text.h"
#include "tests/fuzz/fuzz_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool IsUtf8(const std::string& text) {
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return decoded.toUtf8() == QByteArray::fromStdString(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using orbisk::fuzz::Fail;
    const std::vector<std::string> parts = orbisk::fuzz::Split(data, size, '\0');
    for (const std::string& part : parts) {
        const QByteArray name = QByteArray::fromStdString(part);
        if (orbisk::IsUsableBarcodeName(name) &&
            (name.contains('/') || name.contains('\\') || name == "." || name == ".." ||
             name.size() > orbisk::kMaxBarcodeNameBytes)) {
            Fail("unsafe file name accepted");
        }
    }

    QByteArray json;
    int length = -1;
    if (orbisk::BarcodesToJson(parts, &json, &length) != 1) {
        if (parts.size() >= 2) Fail("pairs refused");
        return 0;
    }
    if (length != json.size()) Fail("length is not the text's size");
    for (const std::string& part : parts) {
        if (!IsUtf8(part)) return 0;  // copied as it is: no valid JSON text
    }
    // Valid UTF-8 in, valid JSON out, holding the pairs in order.
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) Fail("not valid JSON");
    const QJsonArray codes = doc.object().value(QStringLiteral("Code")).toArray();
    if (static_cast<size_t>(codes.size()) != parts.size() / 2) Fail("pairs lost");
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QJsonObject pair = codes[i].toObject();
        const QString type = QString::fromStdString(parts[2 * i]);
        if (pair.size() != 1 || !pair.contains(type) ||
            pair.value(type).toString() != QString::fromStdString(parts[2 * i + 1])) {
            Fail("pair changed");
        }
    }
    return 0;
}
