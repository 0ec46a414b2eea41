#include "core/log_writer.h"

#include "platform/regular_file.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

namespace orbisk {

void CLogWriter::SetFile(const QString& fileName) {
    std::lock_guard guard(lock_);
    path_ = fileName;
    enabled_ = true;
    QFile::remove(fileName);
}

void CLogWriter::CutUtf8(std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return;
    }
    size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character
    // that the cut would split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
}

int CLogWriter::Write(const char* format, ...) {
    std::lock_guard guard(lock_);
    if (path_.isEmpty()) return 0;
    if (!enabled_) return 1;
    if (format == nullptr) return 0;

    std::string message;
    {
        va_list args;
        va_start(args, format);
        va_list copy;
        va_copy(copy, args);
        const int needed = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (needed > 0) {
            message.resize(size_t(needed) + 1);
            std::vsnprintf(message.data(), message.size(), format, args);
            message.resize(size_t(needed));
        }
        va_end(args);
    }
    CutUtf8(message, kBufferSize - 1);

    // Appended to a regular file only: a pipe put in its place would keep
    // every writer waiting for a reader.
    const int fd = platform::OpenRegularFile(path_, O_WRONLY | O_CREAT | O_APPEND);
    if (fd < 0) {
        return 0;
    }
    std::FILE* file = ::fdopen(fd, "a");
    if (file == nullptr) {
        ::close(fd);
        return 0;
    }
    if (timeStamp_) {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%m/%d/%Y %H:%M:%S", &local);
        std::fprintf(file, "%s : ", stamp);
    }
    std::fprintf(file, "%s\n", message.c_str());
    const bool ok = std::fclose(file) == 0;
    return ok ? 1 : 0;
}

}  // namespace orbisk
