#include "core/path_utils.h"
#include "core/drive_list.h"
#include "core/temp_folder.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orbisk {
namespace {

TEST(PathUtilsTest, ExistsIgnoresATrailingSeparator) {
    test::TempDir dir;
    EXPECT_EQ(PathExists(dir.Path() + "/"), 1);
    EXPECT_EQ(PathExists(dir.File("none")), 0);
    EXPECT_EQ(PathExists(""), 0);
}

TEST(PathUtilsTest, CreatesEveryMissingLevel) {
    test::TempDir dir;
    const QString deep = dir.File(QString::fromUtf8("一/二/"));
    EXPECT_EQ(CreateDirectoryPath(deep), 1);
    EXPECT_TRUE(QFileInfo(dir.File(QString::fromUtf8("一/二"))).isDir());
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    EXPECT_EQ(CreateDirectoryPath(dir.File("plain/sub")), 0);
}

TEST(PathUtilsTest, AWritableFolderIsOneAFileCanBeWrittenIn) {
    test::TempDir dir;
    EXPECT_TRUE(IsWritableFolder(dir.Path()));
    EXPECT_TRUE(IsWritableFolder(dir.File("new/sub")));
    // The test leaves nothing behind.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"new"});
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    EXPECT_FALSE(IsWritableFolder(dir.File("plain")));
    EXPECT_FALSE(IsWritableFolder(dir.File("plain/sub")));
    EXPECT_FALSE(IsWritableFolder(""));
    {
        // A full disk takes no file, even as root.
        test::FileSizeLimit full(0);
        EXPECT_FALSE(IsWritableFolder(dir.Path()));
    }
}

TEST(PathUtilsTest, TempFolderIsPrivateAndCurrent) {
    QStandardPaths::setTestModeEnabled(true);
    const QString before = QDir::currentPath();
    const QString folder = PrepareTempFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder.endsWith('/'));
    EXPECT_EQ(QDir::currentPath() + '/', folder);
    EXPECT_EQ(TempFolder(), folder);
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              0);
    QDir::setCurrent(before);
}

TEST(PathUtilsTest, DriveListHasTheRootVolume) {
    CDriveList drives;
    EXPECT_GE(drives.Refresh(), 1);
    EXPECT_EQ(drives.Drives().size(), drives.Refresh());
}

}  // namespace
}  // namespace orbisk
