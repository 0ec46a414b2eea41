#include "app/main_dlg/accelerators.h"

#include "core/command_ids.h"

namespace orbisk {

std::span<const Accelerator> MainAccelerators() {
    using namespace ids::main_dlg;
    static const Accelerator kTable[] = {
        {Qt::Key_Space, QChar(), ID_ACCEL_CAPTURE},
        {0, QChar(u'o'), ID_ACCEL_CAPTURE_TO_PDF},
        {0, QChar(u'p'), ID_ACCEL_PHOTOCOPY},
    };
    return kTable;
}

int AcceleratorCommand(std::span<const Accelerator> table, int key, Qt::KeyboardModifiers modifiers,
                       const QString& text) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier)) return 0;
    const bool shift = modifiers & Qt::ShiftModifier;
    for (const Accelerator& row : table) {
        const bool match = row.key != 0 ? row.key == key && !shift : text == QString(row.character);
        if (match) return row.command;
    }
    return 0;
}

}  // namespace orbisk
