#pragma once

#include "mapcontrol/geometry.h"

#include <QSize>

#include <vector>

// The pictures "Guardar área para campo" asks for: the extent at two, four
// and eight times the detail of the map's own picture, so that any view
// inside the extent down to an eighth of its width has one kept picture
// that covers it whole at its detail or finer. At level f a view of 1/f of
// the extent has the detail of the map's picture; the level's pieces are
// 2.8 such views wide and high and step by 0.8 of one, so that any view up
// to twice that size (whose detail the level gives) lies inside one piece.
// A piece has at most 2.8 times the pixels of the map's picture on a side,
// within what a refresh accepts of a server (eight times the map area). The
// coarsest level is the extent itself at twice the detail.
namespace wms {

struct FieldPiece {
    mapcontrol::Rectangle box;  // map units, inside the extent
    int width = 0;              // pixels
    int height = 0;
    int level = 0;  // 2, 4 or 8
};

// The pieces for `extent` seen in a map of `area` pixels, coarsest first;
// none for an empty extent or area.
std::vector<FieldPiece> fieldPieces(const mapcontrol::Rectangle& extent, QSize area);

}  // namespace wms
