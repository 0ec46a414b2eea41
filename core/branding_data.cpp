#include "core/branding_data.h"

#include "platform/regular_file.h"
#include "platform/text_decoding.h"

#include <cstring>
#include <optional>

namespace orbisk {
namespace {

std::optional<qint32> ReadInt(const QByteArray& bytes, qsizetype& pos) {
    if (pos < 0 || bytes.size() - pos < 4) {
        return std::nullopt;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + pos);
    const quint32 v =
        quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    pos += 4;
    return static_cast<qint32>(v);
}

// Reads H, W and the rows of one picture. False when a size is negative or too
// large, or the rows run past the end of the file.
bool ReadPicture(const QByteArray& bytes, qsizetype& pos, std::optional<qint32> knownHeight,
                 QImage& out) {
    const std::optional<qint32> h = knownHeight ? knownHeight : ReadInt(bytes, pos);
    const std::optional<qint32> w = ReadInt(bytes, pos);
    if (!h || !w || *h < 0 || *w < 0 || *h > CBrandingData::kMaxPictureSide ||
        *w > CBrandingData::kMaxPictureSide) {
        return false;
    }
    const qint64 stride = (qint64(*w) * 3 + 3) / 4 * 4;
    const qint64 size = stride * *h;
    if (size > bytes.size() - pos) {
        return false;
    }
    if (*h == 0 || *w == 0) {
        out = QImage();
        pos += size;
        return true;
    }
    QImage image(*w, *h, QImage::Format_BGR888);
    if (image.isNull()) {
        return false;
    }
    for (int row = 0; row < *h; ++row) {
        std::memcpy(image.scanLine(row), bytes.constData() + pos + row * stride, size_t(*w) * 3);
    }
    pos += size;
    out = image;
    return true;
}

QString CutShortText(QString text) {
    if (text.size() > CBrandingData::kMaxShortText) {
        qsizetype cut = CBrandingData::kMaxShortText;
        if (text[cut - 1].isHighSurrogate()) {
            --cut;  // never keep half of a surrogate pair
        }
        text.truncate(cut);
    }
    return text;
}

}  // namespace

bool CBrandingData::ReadScrambledField(const QByteArray& bytes, qsizetype& pos, QByteArray& out) {
    qsizetype at = pos;
    const std::optional<qint32> n = ReadInt(bytes, at);
    if (!n || *n < 0 || qint64(*n) * 8 > bytes.size() - at) {
        return false;
    }
    QByteArray text(*n, Qt::Uninitialized);
    const qsizetype aStart = at;
    const qsizetype bStart = at + qsizetype(*n) * 4;
    for (qint32 i = 0; i < *n; ++i) {
        qsizetype ap = aStart + qsizetype(i) * 4;
        qsizetype bp = bStart + qsizetype(i) * 4;
        const qint32 a = *ReadInt(bytes, ap);
        const qint32 b = *ReadInt(bytes, bp);
        text[i] = static_cast<char>(static_cast<quint32>(b) - static_cast<quint32>(a));
    }
    // A C string ends at its first zero byte.
    if (const qsizetype zero = text.indexOf('\0'); zero >= 0) {
        text.truncate(zero);
    }
    out = text;
    pos = bStart + qsizetype(*n) * 4;
    return true;
}

QString CBrandingData::DecodeText(const QByteArray& bytes) {
    return platform::DecodeUtf8OrGb18030(bytes);
}

int CBrandingData::Load(const QString& path) {
    if (path.isEmpty()) {
        return -1;
    }
    // A pipe or a device in its place is no branding file: the start-up must
    // not wait on it.
    const std::optional<QByteArray> bytes = platform::ReadRegularFile(path);
    if (!bytes) {
        return -1;
    }
    return LoadFromBytes(*bytes);
}

int CBrandingData::LoadFromBytes(const QByteArray& bytes) {
    qsizetype pos = 0;
    QByteArray text;

    // Required parts: read into locals so a bad file leaves the record as it was.
    QImage newLogo;
    if (!ReadPicture(bytes, pos, std::nullopt, newLogo)) return -1;
    if (!ReadScrambledField(bytes, pos, text)) return -1;
    const QString newLink = DecodeText(text);
    const std::optional<qint32> splashHeight = ReadInt(bytes, pos);
    if (!splashHeight) return -1;
    QImage newSplash;
    if (*splashHeight != 0 && !ReadPicture(bytes, pos, splashHeight, newSplash)) return -1;
    if (!ReadScrambledField(bytes, pos, text)) return -1;
    QStringList entries = DecodeText(text).split(';');
    if (!entries.isEmpty() && entries.back().isEmpty()) {
        entries.removeLast();  // "a;b;" has two entries, and "" has none
    }

    logo = newLogo;
    if (!newLink.isEmpty()) link = newLink;
    splash = newSplash;
    DeviceEntries += entries;

    // Optional parts: a damaged one counts as absent, and so does all after it.
    if (bytes.size() - pos < 4) return 0;
    labelFlag = bytes[pos] != bytes[pos + 1];
    pos += 4;
    if (!ReadScrambledField(bytes, pos, text)) return 0;  // reserved
    if (pos >= bytes.size() || !ReadScrambledField(bytes, pos, text)) return 0;
    caption = CutShortText(DecodeText(text));
    if (pos >= bytes.size() || !ReadScrambledField(bytes, pos, text)) return 0;
    labelText = CutShortText(DecodeText(text));
    return 0;
}

CBrandingData& TheBrandingData() {
    static CBrandingData data;
    return data;
}

}  // namespace orbisk
