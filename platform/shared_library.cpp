#include "platform/shared_library.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace orbisk::platform {

bool SharedLibrary::Open(const QString& path) {
    Close();
    // dlopen searches the library path for a name without a slash: only the
    // named file may be loaded.
    if (!QFileInfo(path).isAbsolute()) {
        error_ = QStringLiteral("not an absolute path: ") + path;
        return false;
    }
    dlerror();
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot load ") + path;
        return false;
    }
    error_.clear();
    return true;
}

void SharedLibrary::Close() {
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* SharedLibrary::Symbol(const char* name) const {
    if (!handle_ || !name) {
        return nullptr;
    }
    return dlsym(handle_, name);
}

}  // namespace orbisk::platform
