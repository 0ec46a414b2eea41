#pragma once

#include <memory>
#include <optional>
#include <vector>

class QEvent;
class QPainter;

namespace orbisk {

class CImageTile;

// A tile's click report as its owner dialog receives it.
struct TileClick {
    int tile = 0;
    int kind = 0;  // 1 left, 2 right
};

// The report carried by `event`; nothing for any other event.
std::optional<TileClick> TileClickOf(const QEvent* event);

// Lets every tile paint itself, in order.
void PaintTiles(QPainter& painter, const std::vector<std::unique_ptr<CImageTile>>& tiles);

}  // namespace orbisk
