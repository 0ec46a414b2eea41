#include "documents/barcode_text.h"

namespace orbisk {
namespace {

// Appends `value` as the inside of a JSON string (RFC 8259, section 7).
void AppendJsonString(QByteArray& out, const std::string& value) {
    static const char kHex[] = "0123456789abcdef";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '\b':
                out.append("\\b");
                break;
            case '\f':
                out.append("\\f");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                if (byte < 0x20) {
                    out.append("\\u00");
                    out.append(kHex[byte >> 4]);
                    out.append(kHex[byte & 0x0f]);
                } else {
                    out.append(c);
                }
        }
    }
}

}  // namespace

int BarcodesToJson(const BarcodeResults& pairs, QByteArray* text, int* length) {
    const std::size_t pairCount = pairs.size() / 2;
    if (text == nullptr || pairCount == 0) {
        return 0;
    }
    QByteArray json;
    std::size_t expected = 10;
    for (std::size_t i = 0; i < pairCount * 2; ++i) {
        expected += pairs[i].size() + 4;
    }
    json.reserve(static_cast<qsizetype>(expected));
    json.append("{\"Code\":[");
    for (std::size_t i = 0; i < pairCount; ++i) {
        if (i > 0) {
            json.append(',');
        }
        json.append("{\"");
        AppendJsonString(json, pairs[2 * i]);
        json.append("\":\"");
        AppendJsonString(json, pairs[2 * i + 1]);
        json.append("\"}");
    }
    json.append("]}");
    *text = json;
    if (length != nullptr) {
        *length = static_cast<int>(json.size());
    }
    return 1;
}

}  // namespace orbisk
