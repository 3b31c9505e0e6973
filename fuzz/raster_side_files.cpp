// A picture's grid description ("conf") and cell table ("txt"): the input's
// lines serve as both, and the cell looked up is under a point the grid's
// own numbers give.
#include "fuzz_support.h"
#include "query/identify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    const std::optional<query::RasterGrid> grid = query::parseRasterGrid(lines);
    query::GridCell cell;
    if (grid) {
        cell = query::gridCell(*grid, {grid->left + grid->cellSize * 2.5,
                                       grid->bottom + grid->cellSize * 3.5});
    }
    (void)query::cellAttribute(lines, cell);
    (void)query::recordLines(lines, 1);
    return 0;
}
