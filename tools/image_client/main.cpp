// An example client of the main window's image-path hand-off: makes the
// shared-memory block, registers the "Image" window, asks the main window
// for the path of its last image and prints it.
//   orbisk-image-client [--window TITLE] [--map NAME] [--size BYTES] [--keep]
// Exit status: 0 the path was printed; 1 bad arguments; 2 the main window did
// not answer or found no block; 3 no reply came; 4 the block could not be made.
#include "platform/named_window.h"
#include "platform/window_messages.h"

#include <QByteArray>
#include <QString>
#include <QTextStream>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

using namespace orbisk::platform;

struct Options {
    QString window = QStringLiteral("Orbisk");
    QByteArray map = "/OrbiskImageDataMap";
    long size = 256;
    bool keep = false;  // leave the block for the next client
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--window" && hasValue) {
            options.window = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--map" && hasValue) {
            options.map = argv[++i];
        } else if (arg == "--size" && hasValue) {
            bool ok = false;
            options.size = QByteArray(argv[++i]).toLong(&ok);
            if (!ok || options.size <= 0) return false;
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            return false;
        }
    }
    return !options.map.isEmpty();
}

// The reply message, counted on the "Image" window's own thread.
struct Replies {
    std::mutex mutex;
    std::condition_variable arrived;
    int count = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QTextStream err(stderr);
    Options options;
    if (!Parse(argc, argv, options)) {
        err << "usage: orbisk-image-client [--window TITLE] [--map NAME] [--size BYTES] [--keep]\n";
        return 1;
    }

    const int fd = ::shm_open(options.map.constData(), O_CREAT | O_RDWR, 0600);
    if (fd < 0 || ::ftruncate(fd, options.size) != 0) {
        err << "cannot make the block " << options.map << ": " << std::strerror(errno) << '\n';
        if (fd >= 0) ::close(fd);
        return 4;
    }
    void* mapped = ::mmap(nullptr, size_t(options.size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        err << "cannot map the block: " << std::strerror(errno) << '\n';
        if (!options.keep) ::shm_unlink(options.map.constData());
        return 4;
    }
    auto* view = static_cast<char*>(mapped);
    std::memset(view, 0, size_t(options.size));

    Replies replies;
    NamedWindow image;
    image.Register(QStringLiteral("Image"), [&](int message, qintptr, qintptr) {
        if (message == WM_IMAGE_PATH_READY) {
            std::lock_guard lock(replies.mutex);
            ++replies.count;
            replies.arrived.notify_all();
        }
        return qintptr(0);
    });

    int status = 0;
    const auto answer = SendNamedWindowMessage(options.window, WM_IMAGE_PATH_REQUEST, 0, 0,
                                               std::chrono::seconds(2));
    if (!answer || *answer == 2) {
        err << (answer ? "the main window found no block\n" : "the main window did not answer\n");
        status = 2;
    } else {
        std::unique_lock lock(replies.mutex);
        if (!replies.arrived.wait_for(lock, std::chrono::seconds(2),
                                      [&] { return replies.count > 0; })) {
            err << "no reply came\n";
            status = 3;
        }
    }
    if (status == 0) {
        // The block holds no length: the text runs to its zero or the end.
        const size_t length = ::strnlen(view, size_t(options.size));
        QTextStream(stdout) << QString::fromLocal8Bit(view, qsizetype(length)) << '\n';
    }
    image.Unregister();
    ::munmap(mapped, size_t(options.size));
    if (!options.keep) ::shm_unlink(options.map.constData());
    return status;
}
