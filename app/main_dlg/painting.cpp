// The main window's face: flat light grey with slightly darker group panels,
// then the thumbnail strip and the logo box, which are drawn by the window.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "ui/image_tile.h"

#include <QPainter>
#include <QStyle>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

const QColor kFace(243, 243, 243);
const QColor kGroupPanel(238, 238, 238);

}  // namespace

void COrbiskDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    OnPaint(painter);
}

void COrbiskDlg::OnPaint(QPainter& painter) {
    painter.fillRect(rect(), kFace);
    if (isMinimized()) {
        const int side = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
        const QRect r = rect();
        const QPoint at((r.width() - side + 1) / 2, (r.height() - side + 1) / 2);
        m_hIcon.paint(&painter, QRect(at, QSize(side, side)));
    } else {
        for (int id : {IDC_VIDEO_GROUP, IDC_NAMING_GROUP, IDC_CROP_GROUP, IDC_COLOR_GROUP}) {
            const QWidget* group = Control(id);
            if (group && !group->isHidden()) painter.fillRect(group->geometry(), kGroupPanel);
        }
    }
    for (const auto& tile : m_tiles) {
        if (tile) tile->Paint(painter);
    }
    if (m_logoTile) m_logoTile->Paint(painter);
}

}  // namespace orbisk
