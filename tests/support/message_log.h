#pragma once

#include "platform/window_messages.h"

#include <QObject>

#include <vector>

namespace orbisk::test {

// A window stand-in that records the private messages posted to it.
class MessageLog : public QObject {
  public:
    std::vector<int> messages;

    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::Type()) {
            messages.push_back(static_cast<platform::WindowMessageEvent*>(e)->Message());
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
