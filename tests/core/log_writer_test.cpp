#include "core/log_writer.h"
#include "tests/support/pipe_in_place.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

#include <string>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

TEST(LogWriterTest, WithoutAFileNothingIsWritten) {
    CLogWriter log;
    EXPECT_EQ(log.Write("text %d", 1), 0);
}

TEST(LogWriterTest, EachWriterStartsAFreshLog) {
    test::TempDir dir;
    const QString path = dir.File("log.log");
    {
        CLogWriter first;
        first.SetFile(path);
        EXPECT_EQ(first.Write("first %s", "writer"), 1);
    }
    CLogWriter second;
    second.SetFile(path);
    EXPECT_EQ(second.Write("second %d", 2), 1);
    EXPECT_EQ(test::ReadBytes(path), "second 2\n");
}

// Another program puts a pipe where the log goes: a line is not written, and
// the writer does not wait for a reader of the pipe.
TEST(LogWriterTest, APipeInPlaceOfTheLogIsNotWaitedFor) {
    test::TempDir dir;
    const QString path = dir.File("log.log");
    CLogWriter log;
    log.SetFile(path);
    const test::PipeInPlace pipe(path);
    ASSERT_TRUE(pipe.Made());
    int written = -1;
    EXPECT_TRUE(pipe.EndsByItself([&] { written = log.Write("line %d", 1); }))
        << "waited for a reader";
    EXPECT_EQ(written, 0);
}

TEST(LogWriterTest, TimeStampStartsEveryLine) {
    test::TempDir dir;
    CLogWriter log;
    log.SetFile(dir.File("log.log"));
    log.SetTimeStamp(true);
    log.Write("a");
    log.Write("b");
    const QStringList lines =
        QString::fromUtf8(test::ReadBytes(dir.File("log.log"))).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression stamp(
        R"(^(0[1-9]|1[0-2])/[0-3]\d/\d{4} [0-2]\d:[0-5]\d:[0-5]\d : [ab]$)");
    for (const QString& line : lines)
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
}

TEST(LogWriterTest, LongMessageIsCutWithoutSplittingACharacter) {
    test::TempDir dir;
    CLogWriter log;
    log.SetFile(dir.File("log.log"));
    const std::string ascii(5000, 'x');
    log.Write("%s", ascii.c_str());
    EXPECT_EQ(test::ReadBytes(dir.File("log.log")).size(), 2999 + 1);

    log.SetFile(dir.File("log.log"));
    std::string wide;
    for (int i = 0; i < 2000; ++i) wide += "\xE6\x96\x87";  // 文: 3 bytes
    log.Write("%s", wide.c_str());
    const QByteArray line = test::ReadBytes(dir.File("log.log"));
    EXPECT_EQ(line.size(), 2997 + 1);  // 999 whole characters
    EXPECT_EQ(QString::fromUtf8(line.chopped(1)), QString(999, QChar(0x6587)));
}

TEST(LogWriterTest, UnopenableFileIsZero) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    CLogWriter log;
    log.SetFile(dir.File("plain/log.log"));
    EXPECT_EQ(log.Write("x"), 0);
}

TEST(LogWriterTest, LinesOfEightThreadsNeverInterleave) {
    test::TempDir dir;
    CLogWriter log;
    log.SetFile(dir.File("log.log"));
    constexpr int kThreads = 8;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            const std::string body(200, char('a' + t));
            for (int i = 0; i < kLines; ++i) log.Write("%d:%s", t, body.c_str());
        });
    }
    for (std::thread& thread : threads) thread.join();

    const QList<QByteArray> lines = test::ReadBytes(dir.File("log.log")).split('\n');
    ASSERT_EQ(lines.size(), kThreads * kLines + 1);  // the last split is after the final line end
    int counts[kThreads] = {};
    for (int i = 0; i < kThreads * kLines; ++i) {
        const QByteArray& line = lines[i];
        ASSERT_EQ(line.size(), 202) << i;
        const int t = line[0] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(line.mid(2), QByteArray(200, char('a' + t)));
        ++counts[t];
    }
    for (int count : counts) EXPECT_EQ(count, kLines);
}

}  // namespace
}  // namespace orbisk
