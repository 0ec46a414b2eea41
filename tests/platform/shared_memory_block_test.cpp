#include "platform/shared_memory_block.h"
#include "tests/support/hostile_clients.h"

#include <gtest/gtest.h>
#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace orbisk::platform {
namespace {

// A shared-memory object of this test only, removed at the end.
class SharedObject {
  public:
    SharedObject(const char* name, off_t size)
        : name_(QByteArray("/orbisk-test-") + name + '-' + QByteArray::number(::getpid())) {
        const int fd = ::shm_open(name_.constData(), O_CREAT | O_EXCL | O_RDWR, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }
    ~SharedObject() { ::shm_unlink(name_.constData()); }
    const QByteArray& Name() const { return name_; }

    QByteArray Bytes() const {
        const int fd = ::shm_open(name_.constData(), O_RDONLY, 0);
        QByteArray bytes;
        char buffer[512];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
        ::close(fd);
        return bytes;
    }

  private:
    QByteArray name_;
};

// How many mappings of the object the process holds.
int MappingsOf(const QByteArray& name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) return -1;
    return int(maps.readAll().count(name.mid(1)));
}

TEST(SharedMemoryBlock, AMissingObjectIsReportedAndNothingIsCalled) {
    bool called = false;
    EXPECT_EQ(WriteSharedMemory("/orbisk-test-absent",
                                [&](std::size_t) {
                                    called = true;
                                    return QByteArray();
                                }),
              SharedMemoryWrite::kMissing);
    EXPECT_FALSE(called);
}

TEST(SharedMemoryBlock, AnEmptyObjectHasNoView) {
    SharedObject object("empty", 0);
    bool called = false;
    EXPECT_EQ(WriteSharedMemory(object.Name(),
                                [&](std::size_t) {
                                    called = true;
                                    return QByteArray();
                                }),
              SharedMemoryWrite::kNoView);
    EXPECT_FALSE(called);
}

// Another user made the block first, open to all: whoever it is would read
// every path handed over, so it is left alone.
TEST(SharedMemoryBlock, AnObjectOfAnotherUserIsLeftAlone) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give an object away";
    SharedObject object("foreign", 64);
    const int fd = ::shm_open(object.Name().constData(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchmod(fd, 0666), 0);
    ASSERT_EQ(::fchown(fd, 65534, 65534), 0);
    ::close(fd);
    bool called = false;
    EXPECT_EQ(WriteSharedMemory(object.Name(),
                                [&](std::size_t size) {
                                    called = true;
                                    return QByteArray(qsizetype(size), 'x');
                                }),
              SharedMemoryWrite::kNoView);
    EXPECT_FALSE(called);
    EXPECT_EQ(object.Bytes(), QByteArray(64, '\0'));
}

TEST(SharedMemoryBlock, WritesWhatFitsAtTheStartAndKeepsNoMapping) {
    SharedObject object("sized", 64);
    for (char c : {'a', 'b', 'c'}) {
        std::size_t size = 0;
        EXPECT_EQ(WriteSharedMemory(object.Name(),
                                    [&](std::size_t blockSize) {
                                        size = blockSize;
                                        return QByteArray(qsizetype(blockSize), c);
                                    }),
                  SharedMemoryWrite::kWritten);
        EXPECT_EQ(size, 64u);
        EXPECT_EQ(MappingsOf(object.Name()), 0);
    }
    EXPECT_EQ(object.Bytes(), QByteArray(64, 'c'));

    // Fewer bytes change only the start; more are cut at the object's end.
    WriteSharedMemory(object.Name(), [](std::size_t) { return QByteArray("xy"); });
    EXPECT_EQ(object.Bytes(), "xy" + QByteArray(62, 'c'));
    WriteSharedMemory(object.Name(), [](std::size_t) { return QByteArray(100, 'z'); });
    EXPECT_EQ(object.Bytes(), QByteArray(64, 'z'));
}

TEST(SharedMemoryBlock, AnObjectMadeAfreshUnderTheSameNameIsFound) {
    auto first = std::make_unique<SharedObject>("afresh", 16);
    EXPECT_EQ(WriteSharedMemory(first->Name(), [](std::size_t) { return QByteArray("1"); }),
              SharedMemoryWrite::kWritten);
    first.reset();
    SharedObject second("afresh", 16);
    EXPECT_EQ(WriteSharedMemory(second.Name(), [](std::size_t) { return QByteArray("2"); }),
              SharedMemoryWrite::kWritten);
    EXPECT_EQ(second.Bytes().at(0), '2');
}

// Another program may shrink its object at any moment, also between our look
// at its size and our write. A store through a mapping past the new end ends
// the process (SIGBUS); a write must not.
TEST(SharedMemoryBlock, AnObjectThatShrinksMeanwhileCannotHurtUs) {
    const QByteArray name = "/orbisk-test-shrinking-" + QByteArray::number(::getpid());
    {
        const test::ShrinkingBlock block(name, 4096);
        ASSERT_TRUE(block.Made());
        for (int i = 0; i < 3000; ++i) {
            WriteSharedMemory(name,
                              [](std::size_t size) { return QByteArray(qsizetype(size), 'w'); });
        }
    }
    EXPECT_EQ(MappingsOf(name), 0);
}

}  // namespace
}  // namespace orbisk::platform
