#pragma once

#include <QString>
#include <QtGlobal>

#include <mutex>
#include <string>
#include <vector>

namespace orbisk::test {

// Collects the log lines of one category while it lives (from any thread);
// other lines go on to the handler before it.
class LogCapture {
  public:
    explicit LogCapture(std::string category) : category_(std::move(category)) {
        std::lock_guard l(Lock());
        Active() = this;
        previous_ = qInstallMessageHandler(&LogCapture::Handle);
    }
    ~LogCapture() {
        std::lock_guard l(Lock());
        qInstallMessageHandler(previous_);
        Active() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const {
        std::lock_guard l(Lock());
        return lines_;
    }
    // A line that holds every one of the texts.
    bool Has(std::initializer_list<std::string> texts) const {
        for (const auto& line : Lines()) {
            bool all = true;
            for (const auto& t : texts) all = all && line.find(t) != std::string::npos;
            if (all) return true;
        }
        return false;
    }

  private:
    static std::mutex& Lock() {
        static std::mutex lock;
        return lock;
    }
    static LogCapture*& Active() {
        static LogCapture* active = nullptr;
        return active;
    }
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        std::unique_lock l(Lock());
        LogCapture* self = Active();
        if (self && context.category && self->category_ == context.category) {
            self->lines_.push_back(text.toStdString());
            return;
        }
        const QtMessageHandler previous = self ? self->previous_ : nullptr;
        l.unlock();
        if (previous) previous(type, context, text);
    }

    std::string category_;
    QtMessageHandler previous_ = nullptr;
    std::vector<std::string> lines_;
};

}  // namespace orbisk::test
