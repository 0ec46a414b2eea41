#include "platform/atomic_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

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

unsigned ModeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Entries of `folder`, hidden ones included, sorted.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class UmaskScope {
  public:
    explicit UmaskScope(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskScope() { ::umask(old_); }

  private:
    mode_t old_;
};

struct ModeCase {
    const char* name;
    mode_t umask;
    unsigned oldMode;  // 0: no old file
    unsigned expected;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

class AtomicFileModeTest : public testing::TestWithParam<ModeCase> {};

TEST_P(AtomicFileModeTest, NewFilesFollowTheUmaskAndOldFilesKeepTheirMode) {
    const ModeCase& c = GetParam();
    test::TempDir dir;
    const QString path = dir.File("scan.jpg");
    if (c.oldMode != 0) {
        ASSERT_TRUE(test::WriteBytes(path, "old"));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.oldMode), 0);
    }
    {
        UmaskScope scope(c.umask);
        ASSERT_TRUE(WriteFileAtomically(path, "new"));
    }
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_EQ(ModeOf(path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AtomicFileModeTest,
                         testing::Values(ModeCase{"new_umask_077", 077, 0, 0600},
                                         ModeCase{"new_umask_022", 022, 0, 0644},
                                         ModeCase{"new_umask_002", 002, 0, 0664},
                                         ModeCase{"old_0600_under_umask_022", 022, 0600, 0600},
                                         ModeCase{"old_0664_under_umask_077", 077, 0664, 0664},
                                         ModeCase{"old_0755_kept", 022, 0755, 0755}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFileTargetTest, SymbolicLinkStaysALinkAndItsFileIsReplaced) {
    test::TempDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkpath("program"));
    ASSERT_TRUE(QDir(dir.Path()).mkpath("config"));
    const QString real = dir.File("config/Sys.ini");
    ASSERT_TRUE(test::WriteBytes(real, "old"));
    // program/Sys.ini -> link.ini -> ../config/Sys.ini: relative and chained.
    ASSERT_EQ(::symlink("../config/Sys.ini", QFile::encodeName(dir.File("program/link.ini"))), 0);
    ASSERT_EQ(::symlink("link.ini", QFile::encodeName(dir.File("program/Sys.ini"))), 0);

    ASSERT_TRUE(WriteFileAtomically(dir.File("program/Sys.ini"), "new"));
    EXPECT_TRUE(QFileInfo(dir.File("program/Sys.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.File("program/link.ini")).isSymLink());
    EXPECT_EQ(test::ReadBytes(real), "new");
    EXPECT_EQ(Entries(dir.File("program")), QStringList({"Sys.ini", "link.ini"}));
    EXPECT_EQ(Entries(dir.File("config")), QStringList({"Sys.ini"}));

    // A dangling link: the file it names is created.
    ASSERT_EQ(::symlink("../config/new.ini", QFile::encodeName(dir.File("program/new.ini"))), 0);
    ASSERT_TRUE(WriteFileAtomically(dir.File("program/new.ini"), "fresh"));
    EXPECT_TRUE(QFileInfo(dir.File("program/new.ini")).isSymLink());
    EXPECT_EQ(test::ReadBytes(dir.File("config/new.ini")), "fresh");
}

TEST(AtomicFileTargetTest, TargetThatIsNoRegularFileIsRefused) {
    test::TempDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkpath("page.jpg"));
    AtomicFileTarget writer(dir.File("page.jpg"));
    EXPECT_FALSE(writer.IsValid());
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(WriteFileAtomically(dir.File("page.jpg"), "new"));
    EXPECT_TRUE(QFileInfo(dir.File("page.jpg")).isDir());
    EXPECT_EQ(Entries(dir.Path()), QStringList({"page.jpg"}));
}

// Root may write any file, so the case runs as an ordinary user: as root, in
// a child that gives up its rights; otherwise as the user running the tests.
TEST(AtomicFileTargetTest, FileTheUserMayNotWriteIsRefused) {
    test::TempDir dir;
    const QString readOnly = dir.File("Sys.ini");
    const QString writable = dir.File("other.ini");
    ASSERT_TRUE(test::WriteBytes(readOnly, "old"));
    ASSERT_TRUE(test::WriteBytes(writable, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(writable).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.Path()).constData(), 0777), 0);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(10);
            }
            const bool refused = !WriteFileAtomically(readOnly, "new");
            const bool written = WriteFileAtomically(writable, "new");
            std::_Exit(refused && written ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::ReadBytes(readOnly), "old");
    EXPECT_EQ(ModeOf(readOnly), 0444u);
    EXPECT_EQ(test::ReadBytes(writable), "new");
    EXPECT_EQ(Entries(dir.Path()), QStringList({"Sys.ini", "other.ini"}));
}

TEST(AtomicFileTargetTest, StaleTemporaryFilesOfOursAreRemovedOnTheNextWrite) {
    test::TempDir dir;
    const QDateTime old =
        QDateTime::currentDateTime().addSecs(-AtomicFileTarget::kStaleAfterSeconds - 60);
    auto make = [&](const QString& name, const QDateTime& time) {
        ASSERT_TRUE(test::WriteBytes(dir.File(name), "left over"));
        QFile file(dir.File(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    make(".orbisk-Ab3dE9", old);                            // crashed writer: removed
    make(".orbisk-live01", QDateTime::currentDateTime());   // a writer at work: kept
    make(".orbisk-probe-Ab3dE9", old);                      // not a name of ours: kept
    make(".orbisk-Ab3dE", old);                             // too short: kept
    make("scan.jpg", old);                                  // the user's: kept
    ASSERT_TRUE(QDir(dir.Path()).mkdir(".orbisk-folder"));  // a folder: kept
    ASSERT_EQ(::symlink("scan.jpg", QFile::encodeName(dir.File(".orbisk-linked"))), 0);

    ASSERT_TRUE(WriteFileAtomically(dir.File("page.jpg"), "page"));
    EXPECT_EQ(Entries(dir.Path()),
              QStringList({".orbisk-Ab3dE", ".orbisk-folder", ".orbisk-linked", ".orbisk-live01",
                           ".orbisk-probe-Ab3dE9", "page.jpg", "scan.jpg"}));
}

}  // namespace
}  // namespace orbisk::platform
