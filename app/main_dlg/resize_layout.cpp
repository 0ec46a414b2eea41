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
        const int column[] = {1041, 1003, 1005, 1051, 1106, 1042, 1043, 1055, 1011, 1008,
                              1010, 1032, 1081, 1052, 1058, 1057, 1089, 1108, 1099, 1109,
                              1060, 1033, 1053, 1045, 1046, 1047, 1012, 1013, 1014, 1015,
                              1035, 1037, 1048, 1036, 1018, 1023, 1024, 1034, 1083};
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
