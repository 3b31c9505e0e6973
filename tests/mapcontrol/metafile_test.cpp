#include "mapcontrol/emf_paint_device.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <map>

using namespace mapcontrol;

namespace {

// One record of a metafile.
struct Record {
    quint32 type = 0;
    QByteArray bytes;  // the whole record
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(bytes.constData() + at); }
    qint32 i32(qsizetype at) const { return qFromLittleEndian<qint32>(bytes.constData() + at); }
};

// Walks the records: each size leads to the next; fails the test when a size
// is not a positive multiple of 4 or the walk does not end at the file's end.
std::vector<Record> walk(const QByteArray& emf) {
    std::vector<Record> records;
    qsizetype at = 0;
    while (at + 8 <= emf.size()) {
        const auto size = qFromLittleEndian<quint32>(emf.constData() + at + 4);
        EXPECT_GT(size, 0U);
        EXPECT_EQ(size % 4, 0U);
        if (size == 0 || at + size > emf.size()) break;
        records.push_back({qFromLittleEndian<quint32>(emf.constData() + at), emf.mid(at, size)});
        at += size;
    }
    EXPECT_EQ(at, emf.size());
    return records;
}

std::map<quint32, int> counts(const std::vector<Record>& records) {
    std::map<quint32, int> n;
    for (const Record& r : records) ++n[r.type];
    return n;
}

void checkFrame(const QByteArray& emf, const std::vector<Record>& records, QSize size) {
    ASSERT_GE(records.size(), 2U);
    const Record& header = records.front();
    EXPECT_EQ(header.type, emf::Header);
    EXPECT_EQ(header.u32(40), 0x464D4520U);  // " EMF"
    EXPECT_EQ(header.u32(48), quint32(emf.size()));
    EXPECT_EQ(header.u32(52), quint32(records.size()));
    EXPECT_EQ(header.i32(16), size.width() - 1);  // bounds
    EXPECT_EQ(header.i32(20), size.height() - 1);
    EXPECT_EQ(records.back().type, emf::Eof);
    // Every object selected was created before (or is a stock object).
    std::map<quint32, bool> live;
    for (const Record& r : records) {
        if (r.type == emf::CreatePen || r.type == emf::CreateBrushIndirect ||
            r.type == emf::ExtCreateFontIndirectW) {
            live[r.u32(8)] = true;
        } else if (r.type == emf::DeleteObject) {
            EXPECT_TRUE(live[r.u32(8)]);
            live[r.u32(8)] = false;
        } else if (r.type == emf::SelectObject && (r.u32(8) & 0x80000000U) == 0) {
            EXPECT_TRUE(live[r.u32(8)]) << "handle " << r.u32(8);
        }
        EXPECT_LT(r.type == emf::SelectObject ? (r.u32(8) & 0x7FFFFFFFU) : 0U, 20U);
    }
}

}  // namespace

TEST(Metafile, shapesTextAndPicturesBecomeTheirRecords) {
    EmfPaintDevice device(QSize(300, 200));
    {
        QPainter painter(&device);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(0, 0, 255));
        painter.drawPolygon(QPolygonF({{10, 10}, {100, 10}, {100, 80}}));
        painter.setBrush(QBrush(Qt::red, Qt::DiagCrossPattern));
        QPainterPath withHole;
        withHole.addRect(120, 10, 60, 60);
        withHole.addRect(140, 30, 20, 20);
        painter.drawPath(withHole);
        painter.setPen(QPen(Qt::darkGreen, 3, Qt::DashLine));
        painter.drawPolyline(QPolygonF({{10, 150}, {80, 120}, {150, 160}}));
        painter.setBrush(Qt::yellow);
        painter.drawEllipse(QRectF(200, 100, 10, 10));
        painter.setPen(Qt::black);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        painter.drawText(QPointF(20, 190), QStringLiteral("Serra"));
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(Qt::green);
        painter.drawImage(QRect(250, 150, 40, 30), picture);
    }
    const QByteArray emf = device.data();
    const std::vector<Record> records = walk(emf);
    checkFrame(emf, records, QSize(300, 200));
    std::map<quint32, int> n = counts(records);
    EXPECT_EQ(n[emf::Polygon], 1);
    EXPECT_EQ(n[emf::PolyPolygon], 1);
    EXPECT_EQ(n[emf::Polyline], 1);
    EXPECT_EQ(n[emf::Ellipse], 1);
    EXPECT_EQ(n[emf::ExtTextOutW], 1);
    EXPECT_EQ(n[emf::StretchDiBits], 1);
    EXPECT_EQ(n[emf::ExtCreateFontIndirectW], 1);
    EXPECT_GE(n[emf::CreatePen], 2);
    EXPECT_GE(n[emf::CreateBrushIndirect], 2);

    for (const Record& r : records) {
        if (r.type == emf::Polygon) {
            EXPECT_EQ(r.u32(24), 3U);  // three points
            EXPECT_EQ(r.i32(8), 10);   // bounds: left, top, right, bottom
            EXPECT_EQ(r.i32(16), 100);
            EXPECT_EQ(r.i32(20), 80);
        } else if (r.type == emf::PolyPolygon) {
            EXPECT_EQ(r.u32(24), 2U);  // two rings
        } else if (r.type == emf::CreateBrushIndirect && r.u32(12) == 2) {
            EXPECT_EQ(r.u32(20), 5U);  // a diagonal cross hatch
        } else if (r.type == emf::ExtTextOutW) {
            EXPECT_EQ(r.u32(44), 5U);  // characters
            const QString text = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(r.bytes.constData() + r.u32(48)), 5);
            EXPECT_EQ(text, "Serra");
        } else if (r.type == emf::StretchDiBits) {
            EXPECT_EQ(r.i32(8), 250);      // bounds left
            EXPECT_EQ(r.u32(80 + 4), 4U);  // bitmap width
            EXPECT_EQ(r.u32(80 + 8), 3U);  // and height
            EXPECT_EQ(r.u32(72), 40U);     // drawn 40 wide
        }
    }
}

TEST(Metafile, theMapExportsItsFeaturesAsVectorsAtTheScaleAsked) {
    fixtures::registerGdalDrivers();
    QTemporaryDir dir;
    fixtures::ShapefileBuilder polygons(fixtures::ShapeType::Polygon);
    polygons.textField("NOME", 10);
    polygons.feature("POLYGON((0 0,0 10,10 10,10 0,0 0))", {QString("Serra")});
    polygons.feature("POLYGON((20 0,20 10,30 10,30 0,20 0))", {QString("Vale")});
    ASSERT_TRUE(polygons.write(dir.filePath("p.shp")));
    fixtures::ShapefileBuilder points(fixtures::ShapeType::Point);
    points.textField("NOME", 10);
    for (int i = 0; i < 3; ++i)
        points.feature(QString("POINT(%1 5)").arg(5 + i * 10), {QString("x")});
    ASSERT_TRUE(points.write(dir.filePath("pt.shp")));

    MapWidget map;
    map.resize(200, 100);
    auto labelled = std::make_shared<VectorLayer>(dir.filePath("p.shp"));
    auto labels = std::make_unique<LabelRenderer>();
    labels->setField("NOME");
    labels->textSymbol().height = 2;
    labelled->setRenderer(std::move(labels));
    ASSERT_TRUE(map.layers().add(labelled));
    auto markers = std::make_shared<VectorLayer>(dir.filePath("pt.shp"));
    markers->symbol().type = SymbolType::Marker;
    markers->symbol().size = 6;
    ASSERT_TRUE(map.layers().add(markers));
    map.setExtent(map.fullExtent());

    const QString path = dir.filePath("mapa.emf");
    ASSERT_TRUE(map.exportMap(MapWidget::ExportMetafile, path, 2.0));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray emf = file.readAll();
    const std::vector<Record> records = walk(emf);
    checkFrame(emf, records, QSize(400, 200));
    std::map<quint32, int> n = counts(records);
    EXPECT_GE(n[emf::Polygon] + n[emf::PolyPolygon], 3);  // the ground and two polygons
    EXPECT_EQ(n[emf::Ellipse], 3);                        // three circle markers
    EXPECT_EQ(n[emf::ExtTextOutW], 2);                    // two labels
    EXPECT_EQ(n[emf::StretchDiBits], 0);                  // nothing drawn as a picture
}
