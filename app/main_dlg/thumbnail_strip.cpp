// The thumbnail strip: the four most recent files in capture order, the
// newest in the last place.

#include "app/main_dlg/thumbnail_strip.h"

#include "app/main_dlg/orbisk_dlg.h"
#include "core/bitmap_resources.h"
#include "ui/image_tile.h"

namespace orbisk {

int StripTarget(int count, int tiles) {
    if (tiles <= 0) return -1;
    return count < tiles ? count : count % tiles;
}

void COrbiskDlg::AddThumbnail(const QString& path, std::vector<std::unique_ptr<CImageTile>>& tiles,
                              int kind, const QString& displayPath) {
    const int n = static_cast<int>(tiles.size());
    const int target = StripTarget(m_nStripCount, n);
    if (target < 0) return;
    CImageTile& tile = *tiles[target];
    if (kind == kThumbnailText) {
        tile.SetBitmap(kTextPageBitmap);
    } else {
        tile.LoadImageFile(displayPath.isEmpty() ? path : displayPath);
    }
    tile.SetPath(path);

    if (!StripTurns(m_nStripCount, n)) {
        tile.Redraw();
        ++m_nStripCount;
        return;
    }
    // Every tile moves one place up; the target, which held the oldest file,
    // goes to the last place.
    const IntRect last = tiles[n - 1]->GetRect();
    for (int k = n - 1; k >= 1; --k) {
        const IntRect r = tiles[k - 1]->GetRect();
        tiles[k]->SetRect(r.left, r.top, r.right, r.bottom);
    }
    tiles[0]->SetRect(last.left, last.top, last.right, last.bottom);
    ++m_nStripCount;
    for (const auto& t : tiles) t->Redraw();
}

}  // namespace orbisk
