// The pieces "Guardar área para campo" asks for: every view inside the
// extent, down to an eighth of its width, has one piece covering it whole
// with at least its detail.
#include "wms/field_area.h"

#include "wms/picture_size.h"

#include <gtest/gtest.h>

#include <random>

namespace wms {
namespace {

const mapcontrol::Rectangle kExtent(-50, -40, -10, -17.5);  // 10 × 7.5 degrees
const QSize kArea(800, 600);

TEST(FieldArea, levelsTwoFourAndEightInPiecesWithinWhatARefreshAccepts) {
    const std::vector<FieldPiece> pieces = fieldPieces(kExtent, kArea);
    const PictureSize own = pictureSize(kArea.width(), kArea.height(), kExtent);
    int perLevel[9] = {};
    for (const FieldPiece& piece : pieces) {
        ++perLevel[piece.level];
        EXPECT_LE(piece.width, 2.8 * own.width + 1);
        // Within what a refresh accepts from a server.
        EXPECT_LE(qint64(piece.width) * piece.height, 8LL * kArea.width() * kArea.height());
        EXPECT_GE(piece.box.left(), kExtent.left());
        EXPECT_LE(piece.box.right(), kExtent.right());
        EXPECT_LE(piece.box.top(), kExtent.top());
        EXPECT_GE(piece.box.bottom(), kExtent.bottom());
        // The piece's detail is its level's.
        EXPECT_NEAR(piece.width / piece.box.width(), piece.level * own.width / kExtent.width(),
                    0.5 / piece.box.width());
        // Shaped as the map, so the server draws it undistorted.
        EXPECT_NEAR(double(piece.width) / piece.height, double(own.width) / own.height, 0.01);
    }
    EXPECT_EQ(perLevel[2], 1);
    EXPECT_EQ(perLevel[4], 9);
    EXPECT_EQ(perLevel[8], 64);
    EXPECT_EQ(pieces.size(), 74u);
    EXPECT_EQ(pieces.front().level, 2);  // coarsest first
}

TEST(FieldArea, everyViewInsideTheExtentLiesInOnePieceOfItsDetail) {
    const std::vector<FieldPiece> pieces = fieldPieces(kExtent, kArea);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 2000; ++i) {
        // Widths from the whole extent down to an eighth, anywhere inside,
        // the edges included.
        const double share = 1.0 / (1 + 7 * unit(random));
        const double width = kExtent.width() * share;
        const double height = kExtent.height() * share;
        const double along = i % 10 == 0 ? 1.0 : unit(random);
        const double left = kExtent.left() + along * (kExtent.width() - width);
        const double top =
            kExtent.top() - (i % 7 == 0 ? 0.0 : unit(random)) * (kExtent.height() - height);
        const mapcontrol::Rectangle view(left, left + width, top, top - height);
        const double viewDetail = kArea.width() / width;
        bool covered = false;
        for (const FieldPiece& piece : pieces) {
            const double tolerance = 1e-9;
            if (piece.box.left() <= view.left() + tolerance &&
                piece.box.right() >= view.right() - tolerance &&
                piece.box.top() >= view.top() - tolerance &&
                piece.box.bottom() <= view.bottom() + tolerance &&
                piece.width / piece.box.width() >= viewDetail * 0.99) {
                covered = true;
                break;
            }
        }
        EXPECT_TRUE(covered) << "view " << left << " " << top << " width " << width;
    }
}

TEST(FieldArea, nothingForAnEmptyExtentOrArea) {
    EXPECT_TRUE(fieldPieces(mapcontrol::Rectangle(), kArea).empty());
    EXPECT_TRUE(fieldPieces(kExtent, QSize(0, 600)).empty());
}

}  // namespace
}  // namespace wms
