#pragma once

#include <QByteArray>

#include <cstddef>
#include <functional>

// A POSIX shared-memory object that another program made, written by us.
namespace orbisk::platform {

enum class SharedMemoryWrite {
    kWritten,
    kMissing,  // no object of that name
    kNoView,   // the object exists but is not written (empty, another user's, or not
               // ours to write)
};

// Opens the object `name` ("/Name") for writing, asks `contents` what to
// write for the object's size in bytes, and writes that at the object's
// start, never more than the size. The object is looked up by name each time,
// so a client that made it afresh is found. An object whose owner is another
// user is left alone.
//
// The bytes go in with pwrite, never through a mapping: the other program may
// shrink its object at any moment, and a store through a mapping past the new
// end would end ours (SIGBUS). A write that meets a shrunk object grows it
// back by what was written.
SharedMemoryWrite WriteSharedMemory(const QByteArray& name,
                                    const std::function<QByteArray(std::size_t size)>& contents);

}  // namespace orbisk::platform
