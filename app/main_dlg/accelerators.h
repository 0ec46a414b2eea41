#pragma once

#include <QChar>
#include <QString>
#include <Qt>

#include <span>

namespace orbisk {

// A key that gives a command whatever control of the window has the focus. A
// row names either a key, matched without Shift, Control or Alt, or a typed
// character, matched as typed (so "o" does not answer to "O").
struct Accelerator {
    int key;  // a Qt::Key, 0 for a character row
    QChar character;
    int command;
};

// The main window's keys: Space captures, "o" captures to PDF, "p" photocopies.
std::span<const Accelerator> MainAccelerators();

// The command of the first row that a key press matches, 0 when none does.
int AcceleratorCommand(std::span<const Accelerator> table, int key, Qt::KeyboardModifiers modifiers,
                       const QString& text);

}  // namespace orbisk
