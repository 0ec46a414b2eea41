#pragma once

#include "core/int_rect.h"

#include <array>

namespace orbisk {

// How a control follows a change of the window's client size.
enum class ResizeRole {
    kGrow,     // the preview: its right and bottom edges follow the window's
    kStretch,  // the caption line: it widens and moves down
    kMove,     // the right-hand column: it moves right
};

// The main window's resize table: control ids by position, -1 for none.
const std::array<int, 128>& ResizeTable();

ResizeRole ResizeRoleOf(int id);

// `rect` after the client area grew by (dx, dy).
IntRect MoveForResize(const IntRect& rect, ResizeRole role, int dx, int dy);

}  // namespace orbisk
