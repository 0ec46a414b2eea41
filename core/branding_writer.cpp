#include "core/branding_writer.h"

#include "core/branding_data.h"

#include <QtEndian>

namespace orbisk {
namespace {

void AppendInt(QByteArray& out, qint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

}  // namespace

QByteArray EncodeScrambledField(const QByteArray& text, quint32 seed) {
    QByteArray out;
    AppendInt(out, qint32(text.size()));
    // A small linear congruential sequence: reproducible, and no byte of the
    // text is visible in the file.
    quint32 state = seed * 2654435761u + 12345u;
    QList<qint32> a;
    a.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        state = state * 1103515245u + 12345u;
        a.append(qint32((state >> 8) & 0xFFFF));
    }
    for (qint32 v : a) AppendInt(out, v);
    for (qsizetype i = 0; i < text.size(); ++i) {
        AppendInt(out, a[i] + qint32(static_cast<unsigned char>(text[i])));
    }
    return out;
}

QByteArray EncodePictureRows(const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const qsizetype stride = (qsizetype(bgr.width()) * 3 + 3) / 4 * 4;
    QByteArray out;
    out.reserve(stride * bgr.height());
    for (int row = 0; row < bgr.height(); ++row) {
        QByteArray line(stride, '\0');
        std::copy_n(reinterpret_cast<const char*>(bgr.constScanLine(row)), bgr.width() * 3,
                    line.data());
        out += line;
    }
    return out;
}

QByteArray EncodeBrandingFile(const BrandingContents& c) {
    QByteArray out;
    AppendInt(out, c.logo.isNull() ? 0 : c.logo.height());
    AppendInt(out, c.logo.isNull() ? 0 : c.logo.width());
    if (!c.logo.isNull()) out += EncodePictureRows(c.logo);
    out += EncodeScrambledField(c.link.toUtf8(), 1);
    if (c.splash.isNull()) {
        AppendInt(out, 0);
    } else {
        AppendInt(out, c.splash.height());
        AppendInt(out, c.splash.width());
        out += EncodePictureRows(c.splash);
    }
    out += EncodeScrambledField(c.deviceEntries.join(';').toUtf8(), 2);
    if (!c.labelFlag) return out;
    out += *c.labelFlag ? QByteArray("\x01\x00\x00\x00", 4) : QByteArray("\x01\x01\x00\x00", 4);
    if (!c.reserved) return out;
    out += EncodeScrambledField(c.reserved->toUtf8(), 3);
    if (!c.caption) return out;
    out += EncodeScrambledField(c.caption->toUtf8(), 4);
    if (!c.labelText) return out;
    out += EncodeScrambledField(c.labelText->toUtf8(), 5);
    return out;
}

bool DecodeBrandingFile(const QByteArray& bytes, BrandingContents& out) {
    CBrandingData data;
    if (data.LoadFromBytes(bytes) != 0) {
        return false;
    }
    out.logo = data.logo;
    out.link = data.link;
    out.splash = data.splash;
    out.deviceEntries = data.DeviceEntries;
    out.labelFlag = data.labelFlag;
    out.reserved = QString();
    out.caption = data.caption;
    out.labelText = data.labelText;
    return true;
}

}  // namespace orbisk
