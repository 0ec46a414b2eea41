#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A named pipe put where the program expects one of its files. An ordinary
// open of it waits until the pipe's other end is opened, for ever if nobody
// does: a reader for a writer, a writer for a reader.
namespace orbisk::test {

class PipeInPlace {
  public:
    explicit PipeInPlace(const QString& path) : path_(QFile::encodeName(path)) {
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
    }
    ~PipeInPlace() { ::unlink(path_.constData()); }
    PipeInPlace(const PipeInPlace&) = delete;
    PipeInPlace& operator=(const PipeInPlace&) = delete;

    bool Made() const { return made_; }

    // Runs `work` on the calling thread (a window's work must) and says
    // whether it ended by itself within `bound`. Work stuck on the pipe is
    // set free after `bound` by opening the other end again and again until
    // the work ends, so that a fault fails the test instead of hanging it.
    bool EndsByItself(const std::function<void()>& work,
                      std::chrono::milliseconds bound = std::chrono::seconds(20)) const {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        bool fired = false;
        struct sigaction old {};
        std::thread watch([&] {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, bound, [&] { return done; })) return;
            fired = true;
            // A writer set free writes into a pipe that nobody reads.
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            ::sigaction(SIGPIPE, &ignore, &old);
            while (!ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) {
                // Both ends at once, without waiting: a stuck reader and a
                // stuck writer alike go on.
                const int fd = ::open(path_.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
        });
        work();
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
        watch.join();
        if (fired) ::sigaction(SIGPIPE, &old, nullptr);
        return !fired;
    }

  private:
    QByteArray path_;
    bool made_ = false;
};

}  // namespace orbisk::test
