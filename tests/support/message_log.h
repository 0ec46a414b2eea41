#pragma once

#include "platform/window_messages.h"

#include <QObject>

#include <ostream>
#include <vector>

namespace orbisk::test {

// A window stand-in that records the private messages posted to it.
class MessageLog : public QObject {
  public:
    std::vector<int> messages;
    // Each message with its parameters, in the order posted.
    struct Posted {
        int message;
        qintptr wParam;
        qintptr lParam;
        bool operator==(const Posted&) const = default;
        friend std::ostream& operator<<(std::ostream& os, const Posted& p) {
            return os << "(" << p.message << ", " << p.wParam << ", " << p.lParam << ")";
        }
    };
    std::vector<Posted> posted;

    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::Type()) {
            const auto* m = static_cast<platform::WindowMessageEvent*>(e);
            messages.push_back(m->Message());
            posted.push_back({m->Message(), m->WParam(), m->LParam()});
            return true;
        }
        return QObject::event(e);
    }

    long Count(int message) const {
        long n = 0;
        for (int m : messages) n += m == message ? 1 : 0;
        return n;
    }
};

}  // namespace orbisk::test
