#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

#include <sys/types.h>

// Opening the files the program reads or appends to, which another program
// may have replaced with a named pipe or a device: an ordinary open of a pipe
// waits until its other end is opened, for as long as that takes.
namespace orbisk::platform {

// A descriptor of the regular file at `path`, opened with the open(2) `flags`
// (O_CREAT with `mode`) without waiting for anything; close-on-exec. -1 with
// errno set when it cannot be opened or is no regular file (a pipe, a device,
// a folder: EINVAL then). The descriptor is blocking again when returned.
int OpenRegularFile(const QString& path, int flags, mode_t mode = 0666);

// The bytes of the regular file at `path`; nothing when it cannot be opened,
// is no regular file, is larger than `maxBytes` or cannot be read.
std::optional<QByteArray> ReadRegularFile(const QString& path,
                                          qint64 maxBytes = std::numeric_limits<qint64>::max());

}  // namespace orbisk::platform
