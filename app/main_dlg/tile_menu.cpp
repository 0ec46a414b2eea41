// The mouse over the thumbnail strip and the logo box, the tiles' file menu,
// and browsing the save folder.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/bitmap_resources.h"
#include "core/command_ids.h"
#include "core/link_opener.h"
#include "ui/image_tile.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>

namespace orbisk {

using namespace ids::main_dlg;
using namespace ids::tile_menu;

namespace {

bool Inside(const IntRect& r, QPoint p) {
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

// Still on the disk, also as a link whose target has gone.
bool StillThere(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

void COrbiskDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    bool overTile = false;
    for (const auto& tile : m_tiles) {
        tile->OnMouseMove(0, p.x(), p.y());
        overTile = overTile || (Inside(tile->GetRect(), p) && !tile->GetPath().isEmpty());
    }
    const bool overLogo = m_logoTile && m_logoTile->OnSetCursor(0, p.x(), p.y());
    // The logo's hand stays until someone takes it back.
    if (!overTile && !overLogo) unsetCursor();
    m_ptMouse = p;
    QDialog::mouseMoveEvent(event);
}

void COrbiskDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        for (const auto& tile : m_tiles) tile->OnLButtonDown(0, p.x(), p.y());
        if (m_logoTile) m_logoTile->OpenLinkIfHit(0, p.x(), p.y());
    } else if (event->button() == Qt::RightButton) {
        m_ptMouse = p;
        for (const auto& tile : m_tiles) tile->OnRButtonDown(0, p.x(), p.y());
    }
    QDialog::mousePressEvent(event);
}

void COrbiskDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        for (const auto& tile : m_tiles) tile->OnLButtonUp(0, p.x(), p.y());
    }
    QDialog::mouseReleaseEvent(event);
}

qintptr COrbiskDlg::OnTileClicked(qintptr wParam, qintptr lParam) {
    if (lParam != 2) return 0;
    m_nMenuTile = static_cast<int>(wParam);
    if (!m_tileMenu) {
        m_tileMenu = new QMenu(this);
        m_tileMenu->addAction(QStringLiteral("删除文件"), this,
                              [this] { OnCommand(ID_TILE_DELETE); });
        m_tileMenu->addAction(QStringLiteral("浏览文件"), this,
                              [this] { OnCommand(ID_TILE_OPEN); });
    }
    m_tileMenu->popup(mapToGlobal(m_ptMouse));
    return 0;
}

void COrbiskDlg::OnTileOpen() {
    if (m_nMenuTile >= 0 && m_nMenuTile < int(m_tiles.size())) {
        OpenFile(m_tiles[std::size_t(m_nMenuTile)]->GetPath());
    }
    m_nMenuTile = -1;
}

void COrbiskDlg::OnTileDelete() {
    if (m_nMenuTile >= 0 && m_nMenuTile < int(m_tiles.size())) {
        CImageTile& tile = *m_tiles[std::size_t(m_nMenuTile)];
        const QString path = tile.GetPath();
        QFile::remove(path);
        // A file that could not be deleted keeps its tile: the strip must
        // not tell the operator it has gone.
        if (!StillThere(path)) {
            tile.Clear();
            tile.SetBitmap(kEmptyPictureBitmap);
            tile.ClearHighlight();
        }
    }
    m_nMenuTile = -1;
}

void COrbiskDlg::OnBrowseImages() { OpenFile(m_settings.SaveFolder); }

}  // namespace orbisk
