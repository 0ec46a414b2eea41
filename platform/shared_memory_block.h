#pragma once

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <span>

// A POSIX shared-memory object that another program made, written by us.
namespace orbisk::platform {

enum class SharedMemoryWrite {
    kWritten,
    kMissing,  // no object of that name
    kNoView,   // the object exists but cannot be mapped (empty, or no room)
};

// Opens the object `name` ("/Name") for writing, maps all of it, hands the
// view to `write` and unmaps and closes it again. The object is looked up by
// name each time, so a client that made it afresh is found, and no view
// outlives the call.
SharedMemoryWrite WriteSharedMemory(const QByteArray& name,
                                    const std::function<void(std::span<char> view)>& write);

}  // namespace orbisk::platform
