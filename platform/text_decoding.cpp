#include "platform/text_decoding.h"

#include <QStringDecoder>

namespace orbisk::platform {

QString DecodeUtf8OrGb18030(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder gb("GB18030");
    return gb.isValid() ? QString(gb(bytes)) : QString::fromLatin1(bytes);
}

}  // namespace orbisk::platform
