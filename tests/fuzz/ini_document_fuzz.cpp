// Sys.ini and the other INI files, as IniDocument reads them.

#include "platform/ini_document.h"
#include "tests/fuzz/fuzz_support.h"

using orbisk::platform::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = orbisk::fuzz::Bytes(data, size);
    IniDocument doc = IniDocument::FromBytes(bytes);
    (void)doc.Value(QStringLiteral("FILE"), QStringLiteral("FOLDPATH"));
    (void)doc.Value(QString(), QString());
    // A value that is set reads back, also after a trip through the bytes.
    doc.SetValue(QStringLiteral("IMAGE"), QStringLiteral("INDEX"), QStringLiteral("7"));
    if (doc.Value(QStringLiteral("image"), QStringLiteral("index")) != QStringLiteral("7")) {
        orbisk::fuzz::Fail("set value does not read back");
    }
    const IniDocument again = IniDocument::FromBytes(doc.ToBytes());
    if (again.Value(QStringLiteral("IMAGE"), QStringLiteral("INDEX")) != QStringLiteral("7")) {
        orbisk::fuzz::Fail("set value is lost in the written bytes");
    }
    return 0;
}
