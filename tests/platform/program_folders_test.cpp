#include "platform/program_folders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace orbisk::platform {
namespace {

// An install keeps its settings per user: /usr/bin is the package's, even
// where root may write it. A build folder keeps Sys.ini beside the program.
TEST(ProgramFoldersTest, OnlyAnInstallsProgramFolderHasItsBrandingInTheShareFolder) {
    test::TempDir dir;
    const QString bin = dir.File("usr/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_FALSE(IsInstalledProgramFolder(bin));
    ASSERT_TRUE(QDir().mkpath(dir.File("usr/share/orbisk")));
    EXPECT_FALSE(IsInstalledProgramFolder(bin)) << "a share folder without the branding file";
    QFile branding(dir.File("usr/share/orbisk/data.dat"));
    ASSERT_TRUE(branding.open(QIODevice::WriteOnly));
    branding.close();
    EXPECT_TRUE(IsInstalledProgramFolder(bin));
    EXPECT_FALSE(IsInstalledProgramFolder(dir.File("usr/share/orbisk")));
}

}  // namespace
}  // namespace orbisk::platform
