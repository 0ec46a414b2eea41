#include "platform/atomic_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace orbisk::platform {
namespace {

TEST(AtomicFileTargetTest, CommitReplacesAndAbandonLeavesTheOldFile) {
    test::TempDir dir;
    const QString target = dir.File("page.jpg");
    ASSERT_TRUE(test::WriteBytes(target, "old"));
    {
        AtomicFileTarget abandoned(target);
        ASSERT_TRUE(abandoned.IsValid());
        ASSERT_TRUE(test::WriteBytes(abandoned.TempPath(), "half"));
    }  // no Commit: a failed writer
    EXPECT_EQ(test::ReadBytes(target), "old");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    AtomicFileTarget writer(target);
    ASSERT_TRUE(test::WriteBytes(writer.TempPath(), "new"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(test::ReadBytes(target), "new");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(AtomicFileTargetTest, FolderBelowARegularFileIsInvalid) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    AtomicFileTarget writer(dir.File("plain/page.jpg"));
    EXPECT_FALSE(writer.IsValid());
    EXPECT_FALSE(writer.Commit());
}

TEST(AtomicFileTargetTest, NameAtTheFileSystemLimitCanBeWritten) {
    test::TempDir dir;
    const QString target = dir.File(QString(251, 'x') + ".jpg");  // 255 bytes
    AtomicFileTarget writer(target);
    ASSERT_TRUE(writer.IsValid());
    ASSERT_TRUE(test::WriteBytes(writer.TempPath(), "page"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(test::ReadBytes(target), "page");
}

}  // namespace
}  // namespace orbisk::platform
