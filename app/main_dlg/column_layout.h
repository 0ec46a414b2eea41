#pragma once

#include <QRect>

#include <map>

namespace orbisk {

// What the main window's right-hand column holds: a camera model without
// exposure controls and video button (model 5) leaves them out.
struct ColumnContents {
    bool exposureControls = true;  // the exposure group with its label, slider, edit, check
    bool videoButton = true;
};

// The column's width.
inline constexpr int kColumnWidth = 250;

// Where each control of the column stands, by id: the column's own controls in
// the window's coordinates with the column's left edge at `left`, the controls
// of a group box in the group's. A control left out has no entry; the column
// closes up where it would have stood, and the captioned buttons keep their
// reading order, two to a row.
std::map<int, QRect> ColumnLayout(int left, const ColumnContents& contents);

}  // namespace orbisk
