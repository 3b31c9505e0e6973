// Damaged shapefiles and pictures, through the add-theme path and the
// project path: refused (or held as a layer that draws nothing), the program
// runs on, and theme i stays layer i in both maps.
#include "app/main_window_fixture.h"
#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "support/fixtures/raster_builder.h"
#include "workspace/theme_list.h"

#include <QFile>
#include <QListWidget>
#include <QtEndian>

#include <functional>

namespace {

using Damage = std::function<void(QByteArray& shp, QByteArray& shx, QByteArray& dbf)>;

void put32be(QByteArray& bytes, int at, quint32 value) {
    if (at + 4 <= bytes.size()) qToBigEndian(value, bytes.data() + at);
}
void put32le(QByteArray& bytes, int at, quint32 value) {
    if (at + 4 <= bytes.size()) qToLittleEndian(value, bytes.data() + at);
}

const std::vector<std::pair<const char*, Damage>>& shapefileDamage() {
    static const std::vector<std::pair<const char*, Damage>> damage = {
        {"zero_shp", [](QByteArray& shp, QByteArray&, QByteArray&) { shp.clear(); }},
        {"zero_all",
         [](QByteArray& shp, QByteArray& shx, QByteArray& dbf) {
             shp.clear();
             shx.clear();
             dbf.clear();
         }},
        {"short_header", [](QByteArray& shp, QByteArray&, QByteArray&) { shp.truncate(50); }},
        {"wrong_magic",
         [](QByteArray& shp, QByteArray& shx, QByteArray&) {
             put32be(shp, 0, 0xDEADBEEF);
             put32be(shx, 0, 0xDEADBEEF);
         }},
        {"huge_record",
         [](QByteArray& shp, QByteArray&, QByteArray&) {
             put32be(shp, 104, 0x7FFFFFFF);  // the first record's content length
         }},
        {"huge_shx_offset",
         [](QByteArray&, QByteArray& shx, QByteArray&) {
             put32be(shx, 100, 0x7FFFFFF0);
             put32be(shx, 104, 0x7FFFFFF0);
         }},
        {"cut_shp",
         [](QByteArray& shp, QByteArray&, QByteArray&) { shp.truncate(shp.size() / 2); }},
        {"cut_shx",
         [](QByteArray&, QByteArray& shx, QByteArray&) { shx.truncate(shx.size() - 5); }},
        {"huge_dbf_count",
         [](QByteArray&, QByteArray&, QByteArray& dbf) { put32le(dbf, 4, 0x7FFFFFFF); }},
        {"cut_dbf",
         [](QByteArray&, QByteArray&, QByteArray& dbf) { dbf.truncate(dbf.size() / 2); }},
        {"dbf_header_lies",
         [](QByteArray&, QByteArray&, QByteArray& dbf) {
             if (dbf.size() > 12) {
                 qToLittleEndian<quint16>(0xFFFF, dbf.data() + 8);   // header length
                 qToLittleEndian<quint16>(0xFFFF, dbf.data() + 10);  // record length
             }
         }},
        {"garbage",
         [](QByteArray& shp, QByteArray& shx, QByteArray& dbf) {
             for (QByteArray* b : {&shp, &shx, &dbf}) {
                 for (int i = 0; i < b->size(); ++i) (*b)[i] = char((i * 37 + 11) & 0xFF);
             }
         }},
    };
    return damage;
}

class CorruptFilesTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.root('D') + "/dados");
        theme("bom");
        for (const auto& [name, damage] : shapefileDamage()) {
            QByteArray shp = read("bom.shp"), shx = read("bom.shx"), dbf = read("bom.dbf");
            damage(shp, shx, dbf);
            write(QString(name) + ".shp", shp);
            write(QString(name) + ".shx", shx);
            write(QString(name) + ".dbf", dbf);
        }
        fixtures::RasterBuilder tif(fixtures::RasterFormat::GeoTiff, 40, 30, 1);
        ASSERT_TRUE(tif.geoTransform({0, 1, 0, 30, 0, -1}).write(path("foto.tif")));
        fixtures::RasterBuilder jpg(fixtures::RasterFormat::Jpeg, 40, 30, 3);
        ASSERT_TRUE(jpg.geoTransform({0, 1, 0, 30, 0, -1}).worldFile(true).write(path("foto.jpg")));
        fixtures::RasterBuilder bmp(fixtures::RasterFormat::Bmp, 40, 30, 3);
        ASSERT_TRUE(bmp.geoTransform({0, 1, 0, 30, 0, -1}).worldFile(true).write(path("foto.bmp")));
        const QByteArray tifBytes = read("foto.tif");
        write("cut.tif", tifBytes.left(tifBytes.size() / 3));
        write("zero.tif", {});
        QByteArray badTif = tifBytes;
        put32le(badTif, 4, 0x7FFFFFF0);  // the first directory far beyond the file
        write("bad_ifd.tif", badTif);
        const QByteArray jpgBytes = read("foto.jpg");
        write("cut.jpg", jpgBytes.left(jpgBytes.size() / 2));
        QFile::copy(path("foto.wld"), path("cut.wld"));
        QByteArray bmpBytes = read("foto.bmp");
        put32le(bmpBytes, 18, 0x7FFFFFFF);  // width
        write("wide.bmp", bmpBytes);
        QFile::copy(path("foto.wld"), path("wide.wld"));
    }

    QString path(const QString& name) const { return drives.root('D') + "/dados/" + name; }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    static QStringList damagedNames() {
        QStringList names;
        for (const auto& [name, damage] : shapefileDamage()) names << QString(name) + ".shp";
        names << "cut.tif"
              << "zero.tif"
              << "bad_ifd.tif"
              << "cut.jpg"
              << "wide.bmp";
        return names;
    }

    // Theme i is layer i in both maps.
    static void expectInStep(app::TForm1& w) {
        const int themes = w.CheckListBox1->count();
        ASSERT_EQ(w.Map1->layers().count(), themes);
        ASSERT_EQ(w.Map2->layers().count(), themes);
        for (int i = 0; i < themes; ++i) {
            EXPECT_EQ(w.Map1->layers().item(i)->name(),
                      files::layerName(w.CheckListBox1->item(i)->text()))
                << i;
            EXPECT_EQ(w.Map1->layers().item(i), w.Map2->layers().item(i)) << i;
        }
    }
};

}  // namespace

TEST_F(CorruptFilesTest, addingADamagedFileIsRefusedAndTheListStaysInStep) {
    auto w = start();
    w->themeList().addThemeFile(path("bom.shp"));
    for (const QString& name : damagedNames()) {
        w->themeList().addThemeFile(path(name));
        w->Map1->refresh();
        expectInStep(*w);
    }
    // What could be read is listed; the rest was refused.
    EXPECT_GE(w->CheckListBox1->count(), 1);
    for (int i = 0; i < w->CheckListBox1->count(); ++i) {
        EXPECT_TRUE(w->Map1->layers().item(i)->isValid())
            << w->CheckListBox1->item(i)->text().toStdString();
    }
}

TEST_F(CorruptFilesTest, aProjectOfDamagedFilesOpensWithEveryThemeInItsPlace) {
    QByteArray lines = "bom.shp      ,dados\\bom.shp\r\n";
    for (const QString& name : damagedNames()) {
        lines += name.toLatin1() + "      ,dados\\" + name.toLatin1() + "\r\n";
    }
    lines += "foto.tif      ,dados\\foto.tif\r\n";
    project(lines);
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    ASSERT_EQ(w->CheckListBox1->count(), damagedNames().size() + 2);
    expectInStep(*w);
    EXPECT_TRUE(w->Map1->layers().item(0)->isValid());  // the good ones draw
    EXPECT_TRUE(w->Map1->layers().item(w->CheckListBox1->count() - 1)->isValid());
    for (const QString& message : dialogs.messages()) {
        EXPECT_TRUE(message == "Nao posso  adicionar tema" || message == "Non puede adicionar tema")
            << message.toStdString();
    }
    w->Map1->refresh();
    w->ShowLegend();
    w->themeList().removeTheme();  // nothing selected: a message, no change
    w->CheckListBox1->item(2)->setSelected(true);
    w->themeList().removeTheme();
    expectInStep(*w);
}
