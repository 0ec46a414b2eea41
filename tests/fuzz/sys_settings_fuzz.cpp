// Sys.ini as the settings read it: every key, the read rules, the write-back.

#include "core/sys_settings.h"
#include "tests/fuzz/fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir* folder = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orbisk::fuzz::SilenceLog();
    folder = new QTemporaryDir();
    // The default image folder is created below the home folder: keep it in
    // the scratch folder.
    qputenv("HOME", folder->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (folder->path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (folder->path() + "/data").toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = folder->filePath(QStringLiteral("Sys.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            orbisk::fuzz::Fail("cannot write the scratch file");
        }
    }
    orbisk::SysSettings settings;
    if (!settings.EnsureFile(path)) {
        orbisk::fuzz::Fail("cannot bind the scratch file");
    }
    settings.Load();
    (void)settings.MakeWatermarkText([] { return QDateTime(QDate(2024, 2, 29), QTime(23, 59)); });
    return 0;
}
