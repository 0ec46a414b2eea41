#include "documents/target_name.h"

namespace orbisk {

QString ReplaceExtension(const QString& path, const QString& extension) {
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > nameStart) {
        return path.left(dot) + extension;
    }
    return path + extension;
}

}  // namespace orbisk
