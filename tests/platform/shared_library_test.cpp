#include "platform/shared_library.h"

#include <gtest/gtest.h>
#include <QDir>

namespace orbisk::platform {
namespace {

// Only the named file is loaded: a bare name, which dlopen would look up on
// the library path, is refused.
TEST(SharedLibrary, LoadsOnlyAnAbsolutePathThatExists) {
    SharedLibrary library;
    EXPECT_FALSE(library.Open("libc.so.6"));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_FALSE(library.ErrorText().isEmpty());
    EXPECT_FALSE(library.Open(""));
    EXPECT_FALSE(library.Open(QDir::tempPath() + "/orbisk-no-such-library.so"));
    EXPECT_FALSE(library.ErrorText().isEmpty());
    EXPECT_EQ(library.Symbol("strlen"), nullptr);
}

}  // namespace
}  // namespace orbisk::platform
