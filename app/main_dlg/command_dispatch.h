#pragma once

#include <QtGlobal>

#include <span>
#include <type_traits>

namespace orbisk {

// One row of a window's command table: a command, control or accelerator id
// and the member that handles it.
template <typename Window>
struct CommandEntry {
    int id;
    void (Window::*handler)();
};

// Runs the handler of `id` on `window`, the first row's when the table holds
// the id twice; false when it holds none.
template <typename Window>
bool DispatchCommand(std::span<const CommandEntry<std::type_identity_t<Window>>> table,
                     Window& window, int id) {
    for (const auto& entry : table) {
        if (entry.id == id) {
            (window.*entry.handler)();
            return true;
        }
    }
    return false;
}

// One row of a window's message table: a private message and the member that
// answers it from (wParam, lParam).
template <typename Window>
struct MessageEntry {
    int message;
    qintptr (Window::*handler)(qintptr wParam, qintptr lParam);
};

// Runs the handler of `message`; false when the table holds none, and then
// `result` is unchanged.
template <typename Window>
bool DispatchMessage(std::span<const MessageEntry<std::type_identity_t<Window>>> table,
                     Window& window, int message, qintptr wParam, qintptr lParam, qintptr& result) {
    for (const auto& entry : table) {
        if (entry.message == message) {
            result = (window.*entry.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

}  // namespace orbisk
