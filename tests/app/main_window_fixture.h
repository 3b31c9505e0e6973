#pragma once

#include "app/main_window.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"

#include <QDir>

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

    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    platform::Configuration config;
    bool started = false;
};

}  // namespace support
