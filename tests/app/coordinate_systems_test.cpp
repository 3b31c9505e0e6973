// Themes in several coordinate systems in one map: transformed into the
// map's system, measured in its unit, reported when they cannot be.

#include "main_window_fixture.h"

#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "query/identify_tool.h"
#include "sample_drive.h"
#include "workspace/readout_panel.h"
#include "workspace/readouts.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <cmath>

namespace {

constexpr int kUtm23South = 31983;  // SIRGAS 2000 / UTM zone 23S
// The same zone in US survey feet, as some surveys deliver it.
constexpr char kUtm23SouthUsFeet[] = "+proj=utm +zone=23 +south +ellps=GRS80 +units=us-ft +no_defs";

class CoordinateSystemsTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        drives.addDrive('Q');
        const platform::Result written = samples::writeSampleDrive(drives.root('Q'));
        ASSERT_TRUE(written) << written.message.toStdString();
    }

    QString sample(const QString& relative) const { return drives.root('Q') + "/" + relative; }

    // The sample geology written again in `system` through OGR, with its
    // colour file beside it.
    void writeGeologyIn(const QString& name, const QByteArray& system) {
        const QByteArray source = QFile::encodeName(sample("dados/geologia.shp"));
        const QByteArray target = QFile::encodeName(sample("dados/" + name + ".shp"));
        const char* const arguments[] = {"-t_srs", system.constData(), "-f", "ESRI Shapefile",
                                         nullptr};
        GDALVectorTranslateOptions* options =
            GDALVectorTranslateOptionsNew(const_cast<char**>(arguments), nullptr);
        GDALDatasetH in = GDALOpenEx(source.constData(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
        ASSERT_NE(in, nullptr);
        int usageError = 0;
        GDALDatasetH out =
            GDALVectorTranslate(target.constData(), nullptr, 1, &in, options, &usageError);
        GDALVectorTranslateOptionsFree(options);
        ASSERT_NE(out, nullptr);
        GDALClose(out);
        GDALClose(in);
        QFile::remove(sample("dados/" + name + ".cor"));
        ASSERT_TRUE(QFile::copy(sample("dados/geologia.cor"), sample("dados/" + name + ".cor")));
    }

    std::unique_ptr<app::TForm1> open(const QByteArray& lines) {
        drives.writeFile("Q:\\projeto\\teste.jjj", lines);
        auto w = start({"quelvora", "*Q:\\projeto\\teste.jjj"});
        w->resize(900, 700);
        w->show();
        return w;
    }

    static const mapcontrol::VectorData& data(app::TForm1& w, int index) {
        return *static_cast<mapcontrol::VectorLayer*>(w.Map1->layers().item(index))->data();
    }

    // The record identify lists at a map point of theme 0.
    static QStringList identified(app::TForm1& w, const mapcontrol::MapPoint& p) {
        w.CheckListBox1->setCurrentRow(0);
        w.button("SpeedButton6")->click();
        w.identify().identifyAt(p);
        QStringList lines;
        for (int i = 0; i < w.identify().ListBox2->count(); ++i) {
            lines << w.identify().ListBox2->item(i)->text();
        }
        return lines;
    }
};

}  // namespace

TEST_F(CoordinateSystemsTest, utmGeologyAddedToTheGeographicProjectDrawsWhereTheOriginalDoes) {
    writeGeologyIn("geoutm", "EPSG:31983");
    // The original alone, and the UTM copy over the (hidden) original, whose
    // declared system is the map's.
    auto original = open("geologia.shp ,dados\\geologia.shp\r\n");
    auto both = open("geoutm.shp ,dados\\geoutm.shp\r\n*geologia.shp ,dados\\geologia.shp\r\n");
    ASSERT_TRUE(both->state().mapSystem);
    EXPECT_TRUE(both->state().mapSystem->isGeographic());
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();

    const mapcontrol::Rectangle extent = data(*original, 0).extent();
    original->Map1->setExtent(extent);
    both->Map1->setExtent(extent);
    const QSize size(1000, 800);
    const QImage a = original->Map1->renderPicture(size);
    const QImage b = both->Map1->renderPicture(size);

    // Every vertex within a pixel of its original.
    const double pixel = extent.size() / 800.0;
    const mapcontrol::VectorData& geographic = data(*original, 0);
    const mapcontrol::VectorData& fromUtm = data(*both, 0);
    ASSERT_EQ(fromUtm.featureCount(), geographic.featureCount());
    double worst = 0;
    for (std::uint32_t f = 0; f < geographic.featureCount(); ++f) {
        ASSERT_EQ(fromUtm.endPart(f) - fromUtm.firstPart(f),
                  geographic.endPart(f) - geographic.firstPart(f));
        for (std::uint32_t part = geographic.firstPart(f); part < geographic.endPart(f); ++part) {
            ASSERT_EQ(fromUtm.partSize(part), geographic.partSize(part));
            for (std::size_t i = 0; i < geographic.partSize(part); ++i) {
                const mapcontrol::MapPoint& p = geographic.partPoints(part)[i];
                const mapcontrol::MapPoint& q = fromUtm.partPoints(part)[i];
                worst = std::max({worst, std::abs(p.x - q.x), std::abs(p.y - q.y)});
            }
        }
    }
    EXPECT_LT(worst, pixel);

    // The same picture: no pixel differs by more than antialiasing noise.
    ASSERT_EQ(a.size(), b.size());
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > 8 || std::abs(p.green() - q.green()) > 8 ||
                std::abs(p.blue() - q.blue()) > 8) {
                ++differing;
            }
        }
    }
    EXPECT_EQ(differing, 0);

    // Identify at a point finds the same record in both.
    const mapcontrol::MapPoint at{-48.0, -15.7};
    const QStringList first = identified(*original, at);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(identified(*both, at), first);
}

TEST_F(CoordinateSystemsTest, projectWhoseFirstThemeIsInUtmMeasuresInMetres) {
    writeGeologyIn("geoutm", "EPSG:31983");
    auto w = open("geoutm.shp ,dados\\geoutm.shp\r\n");
    ASSERT_TRUE(w->state().mapSystem);
    EXPECT_EQ(w->state().mapSystem->epsgCode(), kUtm23South);
    const mapcontrol::Rectangle full = data(*w, 0).extent();
    EXPECT_GT(full.left(), 100000.0);  // metres, as the file holds them

    // The pointer's coordinates in metres.
    const QPointF pixel = w->Map1->toPixel(full.centre());
    w->readouts().OnPointerMove(int(pixel.x()), int(pixel.y()));
    const mapcontrol::MapPoint under =
        w->Map1->toMapPoint(static_cast<float>(int(pixel.x())), static_cast<float>(int(pixel.y())));
    EXPECT_EQ(w->Edit2->text(), workspace::fixedText(under.x, 12, 10) + "   m");
    EXPECT_EQ(w->Edit3->text(), workspace::fixedText(under.y, 12, 10) + "   m");
    EXPECT_EQ(w->state().projectedCoords, 1);

    // Scale and bar: metres on the ground per metre of screen.
    w->readouts().ComputeNumericScale();
    const mapcontrol::Rectangle e = w->Map1->extent();
    const double expected = e.width() / (w->Map1->width() * 0.325 / 1000.0);
    EXPECT_NEAR(w->Edit4->text().trimmed().toDouble(), expected, 1e-3);
    w->readouts().RefreshScaleBar();
    const QLabel* bar = w->findChild<QLabel*>("Image2");
    const QWidget* panel = w->findChild<QWidget*>("Panel2");
    ASSERT_TRUE(bar && panel);
    ASSERT_TRUE(bar->text().endsWith(" Km"));
    const double barKm = bar->text().chopped(3).trimmed().toDouble();
    EXPECT_NEAR(barKm, panel->width() * 0.325 / 1000.0 * expected / 1000.0, 1e-3);
}

TEST_F(CoordinateSystemsTest, themeInUsFeetGetsTheScaleOfTheGround) {
    writeGeologyIn("geopes", kUtm23SouthUsFeet);
    auto w = open("geopes.shp ,dados\\geopes.shp\r\n");
    ASSERT_TRUE(w->state().mapSystem);
    EXPECT_NEAR(w->state().mapSystem->linearUnitMetres(), 1200.0 / 3937.0, 1e-12);
    w->readouts().ComputeNumericScale();
    const double shown = w->Edit4->text().trimmed().toDouble();

    // The ground truth, independently: the extent's middle line taken to
    // the ellipsoid and measured there (haversine on the mean radius).
    const mapcontrol::Rectangle e = w->Map1->extent();
    OGRSpatialReference feet, geographic;
    feet.importFromProj4(kUtm23SouthUsFeet);
    geographic.importFromEPSG(4674);
    feet.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toDegrees(
        OGRCreateCoordinateTransformation(&feet, &geographic));
    double x[2] = {e.left(), e.right()};
    const double middle = e.centre().y;
    double y[2] = {middle, middle};
    ASSERT_TRUE(toDegrees->Transform(2, x, y));
    const double rad = M_PI / 180.0;
    const double dLat = (y[1] - y[0]) * rad, dLon = (x[1] - x[0]) * rad;
    const double h =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(y[0] * rad) * std::cos(y[1] * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    const double groundMetres = 2 * 6371008.8 * std::asin(std::sqrt(h));
    const double truth = groundMetres / (w->Map1->width() * 0.325 / 1000.0);
    EXPECT_NEAR(shown / truth, 1.0, 0.01) << shown << " against " << truth;

    // The pointer shows feet.
    w->readouts().OnPointerMove(10, 10);
    EXPECT_TRUE(w->Edit2->text().endsWith("   pés EUA")) << w->Edit2->text().toStdString();
}

TEST_F(CoordinateSystemsTest, brokenPrjIsReportedAndTheThemeAddedAsItIs) {
    writeGeologyIn("quebrado", "EPSG:31983");
    QFile prj(sample("dados/quebrado.prj"));
    ASSERT_TRUE(prj.open(QIODevice::WriteOnly | QIODevice::Truncate));
    prj.write("PROJCS[\"SIRGAS_2000_UTM_Zone_23S\",GEOGCS[");
    prj.close();
    auto w = open("quebrado.shp ,dados\\quebrado.shp\r\ngeologia.shp ,dados\\geologia.shp\r\n");
    ASSERT_EQ(dialogs.messages().size(), 1);
    const QString message = dialogs.lastMessage();
    EXPECT_TRUE(message.contains("Q:\\dados\\quebrado.shp")) << message.toStdString();
    EXPECT_TRUE(message.contains("quebrado.prj")) << message.toStdString();
    EXPECT_TRUE(message.contains("Motivo: ")) << message.toStdString();
    // Added, in its own metres, in its place.
    ASSERT_EQ(w->Map1->layers().count(), 2);
    EXPECT_TRUE(w->Map1->layers().item(0)->isValid());
    EXPECT_GT(data(*w, 0).extent().left(), 100000.0);
    EXPECT_TRUE(w->state().mapSystem->isGeographic());
}

TEST_F(CoordinateSystemsTest, aNewProjectForgetsTheMapSystem) {
    writeGeologyIn("geoutm", "EPSG:31983");
    auto w = open("geoutm.shp ,dados\\geoutm.shp\r\n");
    ASSERT_TRUE(w->state().mapSystem);
    w->themeList().newProject();
    EXPECT_FALSE(w->state().mapSystem);
}
