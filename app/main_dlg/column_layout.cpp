#include "app/main_dlg/column_layout.h"

#include "app/main_dlg/button_faces.h"
#include "core/command_ids.h"

#include <vector>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

// Three radio buttons side by side in a group of the column; the middle
// one has the longest captions.
QRect RadioSlot(int i) {
    static constexpr int kLeft[] = {6, 84, 168}, kWidth[] = {78, 84, 78};
    return QRect(kLeft[i], 20, kWidth[i], 20);
}

}  // namespace

std::map<int, QRect> ColumnLayout(int left, const ColumnContents& contents) {
    const int x0 = left;
    std::map<int, QRect> at;
    int y = 10;
    at[IDC_PREFERENCES] = QRect(QPoint(x0, y), kSmallButtonSize);
    const int gap = (kColumnWidth - 3 * kSmallButtonSize.width()) / 2;
    at[IDC_VIDEO_PARAMS] = QRect(QPoint(x0 + kSmallButtonSize.width() + gap, y), kSmallButtonSize);
    at[IDC_EXIT] = QRect(QPoint(x0 + kColumnWidth - kSmallButtonSize.width(), y), kSmallButtonSize);
    y += 36;

    if (contents.exposureControls) {
        at[IDC_VIDEO_GROUP] = QRect(x0, y, kColumnWidth, 70);
        at[IDC_EXPOSURE_LABEL] = QRect(8, 20, 60, 20);
        at[IDC_AUTO_EXPOSURE] = QRect(kColumnWidth - 96, 20, 90, 20);
        at[IDC_EXPOSURE_SLIDER] = QRect(8, 44, kColumnWidth - 66, 20);
        at[IDC_EXPOSURE_EDIT] = QRect(kColumnWidth - 52, 42, 44, 22);
        y += 76;
    }

    const int symbols[] = {IDC_ROTATE_LEFT, IDC_ROTATE_180, IDC_ROTATE_RIGHT, IDC_SWITCH_CAMERA,
                           IDC_AUTO_FOCUS};
    for (int i = 0; i < 5; ++i) {
        at[symbols[i]] = QRect(QPoint(x0 + 8 + i * 48, y), kSymbolButtonSize);
    }
    y += 44;

    at[IDC_NAMING_GROUP] = QRect(x0, y, kColumnWidth, 102);
    const int naming[] = {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM};
    for (int i = 0; i < 3; ++i) at[naming[i]] = RadioSlot(i);
    at[IDC_PREFIX_LABEL] = QRect(8, 46, 56, 22);
    at[IDC_PREFIX_COMBO] = QRect(66, 46, kColumnWidth - 74, 22);
    at[IDC_INDEX_EDIT] = QRect(66, 74, kColumnWidth - 74, 22);
    y += 108;

    at[IDC_CROP_GROUP] = QRect(x0, y, kColumnWidth, 46);
    const int crops[] = {IDC_CROP_NONE, IDC_CROP_AUTO, IDC_CROP_CUSTOM};
    for (int i = 0; i < 3; ++i) at[crops[i]] = RadioSlot(i);
    y += 52;

    at[IDC_COLOR_GROUP] = QRect(x0, y, kColumnWidth, 46);
    const int colours[] = {IDC_COLOR_COLOR, IDC_COLOR_GRAY, IDC_COLOR_MONO};
    for (int i = 0; i < 3; ++i) at[colours[i]] = RadioSlot(i);
    y += 52;

    const int half = kColumnWidth / 2;
    at[IDC_MERGE] = QRect(x0 + 4, y, half - 4, 20);
    at[IDC_BARCODE_NAMING] = QRect(x0 + half, y, half, 20);
    at[IDC_MULTI_PAGE_TIF] = QRect(x0 + 4, y + 22, kColumnWidth - 4, 20);
    at[IDC_ONE_PDF] = QRect(x0 + 4, y + 44, kColumnWidth - 4, 20);
    y += 72;

    std::vector<int> wide = {IDC_BROWSE_IMAGES, IDC_RECOGNIZE_TEXT, IDC_PHOTOCOPY,
                             IDC_CAPTURE_TO_PDF, IDC_CAPTURE};
    if (contents.videoButton) wide.push_back(IDC_RECORD_VIDEO);
    wide.push_back(IDC_CONTINUOUS_SHOOT);
    for (int i = 0; i < static_cast<int>(wide.size()); ++i) {
        const QPoint corner(x0 + (i % 2) * (kColumnWidth - kWideButtonSize.width()),
                            y + (i / 2) * 40);
        at[wide[static_cast<std::size_t>(i)]] = QRect(corner, kWideButtonSize);
    }
    return at;
}

}  // namespace orbisk
