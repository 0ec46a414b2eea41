#include "core/sys_settings.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QStandardPaths>

namespace orbisk {

QString DefaultImageFolder() {
    const QString leaf = QStringLiteral("/Bramfell");
    const QString bases[] = {
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        platform::ExecutableFolder(),
    };
    for (const QString& base : bases) {
        if (base.isEmpty()) {
            continue;
        }
        const QString folder = QDir::cleanPath(base + leaf);
        if (QDir().mkpath(folder)) {
            return folder;
        }
    }
    return QString();
}

}  // namespace orbisk
