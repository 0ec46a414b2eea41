#include "documents/dialogs/tile_owner.h"

#include "platform/window_messages.h"
#include "ui/image_tile.h"

namespace orbisk {

std::optional<TileClick> TileClickOf(const QEvent* event) {
    if (event->type() != platform::WindowMessageEvent::Type()) {
        return std::nullopt;
    }
    const auto* message = static_cast<const platform::WindowMessageEvent*>(event);
    if (message->Message() != platform::WM_TILE_CLICKED) {
        return std::nullopt;
    }
    return TileClick{static_cast<int>(message->WParam()), static_cast<int>(message->LParam())};
}

void PaintTiles(QPainter& painter, const std::vector<std::unique_ptr<CImageTile>>& tiles) {
    for (const auto& tile : tiles) {
        tile->Paint(painter);
    }
}

}  // namespace orbisk
