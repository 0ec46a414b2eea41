#pragma once

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

}  // namespace orbisk
