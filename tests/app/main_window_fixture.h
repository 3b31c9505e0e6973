#pragma once

#include "app/main_window.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"
#include "wms/wms_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace support {

constexpr std::uint64_t kEnoughMemory = 8ULL << 30;

// A main window started on temporary drives, with scripted dialogs; drive D
// holds the themes and projects the tests write.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        drives.addDrive('D');
    }

    // A polygon theme on drive D at dados\<name>.shp.
    void theme(const QString& name) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("SIGLA", 8);
        b.feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {name});
        QDir().mkpath(drives.root('D') + "/dados");
        ASSERT_TRUE(b.write(drives.root('D') + "/dados/" + name + ".shp"));
    }

    void project(const QByteArray& lines) { drives.writeFile("D:\\proj\\p.jjj", lines); }

    std::unique_ptr<app::TForm1> start(QStringList arguments = {"quelvora"},
                                       std::uint64_t memory = kEnoughMemory) {
        config = platform::loadConfiguration(drives.environment());
        auto window = std::make_unique<app::TForm1>(
            app::TForm1::Surroundings{config, dialogs, [memory] { return memory; }, arguments});
        window->resize(800, 600);
        started = window->startUp();
        return window;
    }

    // Started on a project holding the one theme "geo", shown at 900 x 700.
    std::unique_ptr<app::TForm1> startWithTheme() {
        theme("geo");
        project("geo.shp ,dados\\geo.shp\r\n");
        auto window = start({"quelvora", "*D:\\proj\\p.jjj"});
        window->resize(900, 700);
        window->show();
        return window;
    }

    // Shows the picture of the service at `address` (its one layer "lito"
    // checked) over north -5, south -7, east -46, west -48, the window laid
    // out at 700 x 600 first.
    static void showWmsPicture(app::TForm1& w, const QString& address) {
        w.resize(700, 600);
        w.show();
        QCoreApplication::processEvents();
        w.button("BOTAO3")->click();
        wms::WmsWindow& wms = w.wmsWindow();
        wms.ListBox1->addItem(address);
        auto* item = new QListWidgetItem("0*Geologia,lito", wms.CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        wms.Edit2->setText("-5");
        wms.Edit3->setText("-7");
        wms.Edit4->setText("-46");
        wms.Edit5->setText("-48");
        wms.SpeedButton1->click();
    }

    // Started without a project and shown at 900 x 700, with the service at
    // `address` added to the WMS window's list and its layers read.
    std::unique_ptr<app::TForm1> startWithWmsService(const QString& address) {
        auto w = start();
        w->resize(900, 700);
        w->show();
        QCoreApplication::processEvents();
        w->button("BOTAO3")->click();
        wms::WmsWindow& wms = w->wmsWindow();
        wms.Edit1->setText(address);
        wms.SpeedButton5->click();
        wms.SpeedButton2->click();
        return w;
    }

    // The row of `entry` ("0*Geologia,lito_1000000") in the WMS window's
    // layer list; -1 when it is not there.
    static int wmsLayerRow(const wms::WmsWindow& wms, const QString& entry) {
        for (int i = 0; i < wms.CheckListBox1->count(); ++i) {
            if (wms.CheckListBox1->item(i)->text() == entry) return i;
        }
        return -1;
    }

    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    platform::Configuration config;
    bool started = false;
};

}  // namespace support
