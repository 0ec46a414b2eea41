// The main window's layout on a size change: the preview grows with the
// window, the caption line below it widens and moves down, and the column of
// controls keeps its distance from the right edge.

#include "app/main_dlg/resize_layout.h"

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"

#include <QResizeEvent>

namespace orbisk {

using namespace ids::main_dlg;

const std::array<int, 128>& ResizeTable() {
    static const std::array<int, 128> table = [] {
        std::array<int, 128> t;
        t.fill(-1);
        const int column[] = {
            IDC_PREFERENCES,    IDC_VIDEO_PARAMS,    IDC_EXIT,          IDC_VIDEO_GROUP,
            IDC_EXPOSURE_LABEL, IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_EDIT, IDC_AUTO_EXPOSURE,
            IDC_ROTATE_LEFT,    IDC_ROTATE_180,      IDC_ROTATE_RIGHT,  IDC_SWITCH_CAMERA,
            IDC_AUTO_FOCUS,     IDC_NAMING_GROUP,    IDC_NAMING_PREFIX, IDC_NAMING_TIME,
            IDC_NAMING_CUSTOM,  IDC_PREFIX_LABEL,    IDC_PREFIX_COMBO,  IDC_NAMING_STATIC,
            IDC_INDEX_EDIT,     IDC_BROWSE_IMAGES,   IDC_CROP_GROUP,    IDC_CROP_NONE,
            IDC_CROP_AUTO,      IDC_CROP_CUSTOM,     IDC_COLOR_GROUP,   IDC_COLOR_COLOR,
            IDC_COLOR_GRAY,     IDC_COLOR_MONO,      IDC_MERGE,         IDC_MULTI_PAGE_TIF,
            IDC_BARCODE_NAMING, IDC_ONE_PDF,         IDC_CAPTURE,       IDC_PHOTOCOPY,
            IDC_CAPTURE_TO_PDF, IDC_RECOGNIZE_TEXT,  IDC_RECORD_VIDEO};
        std::copy(std::begin(column), std::end(column), t.begin());
        t[43] = IDC_PREVIEW;
        t[44] = IDC_BRAND_LABEL;
        t[45] = IDC_CONTINUOUS_SHOOT;
        return t;
    }();
    return table;
}

ResizeRole ResizeRoleOf(int id) {
    if (id == IDC_PREVIEW) return ResizeRole::kGrow;
    if (id == IDC_BRAND_LABEL) return ResizeRole::kStretch;
    return ResizeRole::kMove;
}

IntRect MoveForResize(const IntRect& rect, ResizeRole role, int dx, int dy) {
    IntRect r = rect;
    switch (role) {
        case ResizeRole::kGrow:
            r.right += dx;
            r.bottom += dy;
            break;
        case ResizeRole::kStretch:
            r.right += dx;
            r.top += dy;
            r.bottom += dy;
            break;
        case ResizeRole::kMove:
            r.left += dx;
            r.right += dx;
            break;
    }
    return r;
}

void COrbiskDlg::InitLayoutState() {
    // The built layout fits this size; smaller, the column would cover the
    // preview and the preview would turn inside out.
    m_rcClient = size();
    setMinimumSize(m_rcClient);
    setMouseTracking(true);
    InitMessageGate();
}

void COrbiskDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OnSize(event->size());
}

void COrbiskDlg::OnSize(QSize size) {
    // Moving by the difference on every change keeps the previews filling
    // the preview area whatever the window manager does: maximise, restore,
    // tiling or dragging an edge.
    const int dx = size.width() - m_rcClient.width(), dy = size.height() - m_rcClient.height();
    m_rcClient = size;
    if (dx == 0 && dy == 0) return;
    for (int id : ResizeTable()) {
        QWidget* control = id == -1 ? nullptr : Control(id);
        // Controls inside a group move with their group.
        if (!control || control->parentWidget() != this) continue;
        const QRect g = control->geometry();
        const IntRect moved = MoveForResize({g.left(), g.top(), g.right() + 1, g.bottom() + 1},
                                            ResizeRoleOf(id), dx, dy);
        control->setGeometry(moved.left, moved.top, moved.Width(), moved.Height());
    }
    m_rcPreview = MoveForResize(m_rcPreview, ResizeRole::kGrow, dx, dy);
    for (CameraPort* camera : {m_pDocCamera.get(), m_pPorCamera.get()}) {
        if (!camera) continue;
        camera->SetPreviewRect(m_rcPreview);
        camera->MovePreview();
    }
    update();
}

}  // namespace orbisk
