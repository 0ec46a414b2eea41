#pragma once

#include <QByteArrayView>
#include <QString>

namespace orbisk::platform {

// Text from outside the program (Sys.ini, data.dat, QR data): UTF-8 when the
// bytes are valid UTF-8, else the Chinese ANSI code page (GB18030) that the
// Windows program and many Chinese programs write.
QString DecodeUtf8OrGb18030(QByteArrayView bytes);

}  // namespace orbisk::platform
