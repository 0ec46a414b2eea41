#include "core/text_conversion.h"

#include <QFile>

namespace orbisk {

QByteArray WideToAnsi(const QString& text) { return QFile::encodeName(text); }

QByteArray Utf8ToAnsi(const QByteArray& utf8) { return QString::fromUtf8(utf8).toUtf8(); }

}  // namespace orbisk
