#include "platform/status_line.h"

#include <QProgressBar>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A status bar with a status line whose clock the test moves by hand.
struct StatusFixture {
    qint64 now = 0;
    QStatusBar bar;
    platform::StatusLine line{bar, [this] { return now; }};
};

}  // namespace

TEST(StatusLine, aMessageStaysTenSecondsOrUntilTheNext) {
    StatusFixture f;
    f.line.found(42);
    EXPECT_EQ(f.line.text(), "42 registros encontrados");
    EXPECT_TRUE(f.line.expiry().isActive());
    EXPECT_TRUE(f.line.expiry().isSingleShot());
    EXPECT_EQ(f.line.expiry().interval(), 10000);

    f.line.fileWritten("/dados/mapa.emf");
    EXPECT_EQ(f.line.text(), "Arquivo gravado: /dados/mapa.emf");
    EXPECT_TRUE(f.line.expiry().isActive());

    f.line.clear();  // what the expiry timer does when its time is over
    EXPECT_EQ(f.line.text(), "");
    EXPECT_FALSE(f.line.expiry().isActive());
}

TEST(StatusLine, noRecordsFoundIsStillACount) {
    StatusFixture f;
    f.line.found(0);
    EXPECT_EQ(f.line.text(), "0 registros encontrados");
}

TEST(StatusLineTask, shortWorkShowsNothing) {
    StatusFixture f;
    f.line.say("antes");
    {
        platform::StatusLine::Task task(f.line, "Carregando", 10);
        for (int i = 1; i <= 10; ++i) {
            f.now += 49;  // 490 ms in all
            EXPECT_FALSE(task.step(i));
        }
        EXPECT_FALSE(task.isShown());
    }
    EXPECT_EQ(f.line.text(), "antes");
    EXPECT_TRUE(f.line.progressBar().isHidden());
}

TEST(StatusLineTask, longWorkShowsItsProgressAtMostEveryTenthOfASecond) {
    StatusFixture f;
    {
        platform::StatusLine::Task task(f.line, "Carregando geologia.shp", 200);
        int updates = 0;
        // A step every 10 ms for two seconds: after the first half second,
        // one update per 100 ms at most.
        for (int i = 1; i <= 200; ++i) {
            f.now += 10;
            if (task.step(i)) {
                ++updates;
                EXPECT_GE(f.now, platform::StatusLine::kShowAfterMs);
            }
        }
        EXPECT_EQ(updates, 16);  // at 500, 600, ... 2000 ms
        EXPECT_EQ(f.line.text(), "Carregando geologia.shp");
        EXPECT_FALSE(f.line.progressBar().isHidden());
        EXPECT_EQ(f.line.progressBar().maximum(), 1000);
        EXPECT_EQ(f.line.progressBar().value(), 1000);
        EXPECT_FALSE(f.line.expiry().isActive());  // stays while the work runs
    }
    EXPECT_TRUE(f.line.progressBar().isHidden());
    EXPECT_EQ(f.line.text(), "");
}

TEST(StatusLineTask, theTextOfAStepShowsWithTheNextUpdate) {
    StatusFixture f;
    platform::StatusLine::Task task(f.line, "Carregando temas", 3);
    f.now = 600;
    EXPECT_TRUE(task.step(1, "Carregando a.shp"));
    EXPECT_EQ(f.line.text(), "Carregando a.shp");
    EXPECT_EQ(f.line.progressBar().value(), 333);
    f.now = 650;
    EXPECT_FALSE(task.step(2, "Carregando b.shp"));
    EXPECT_EQ(f.line.text(), "Carregando a.shp");
    f.now = 700;
    EXPECT_TRUE(task.step(2));
    EXPECT_EQ(f.line.text(), "Carregando b.shp");
    EXPECT_EQ(f.line.progressBar().value(), 667);
}

TEST(StatusLineTask, unknownAmountShowsABusyBar) {
    StatusFixture f;
    platform::StatusLine::Task task(f.line, "Baixando");
    f.now = 500;
    EXPECT_TRUE(task.step(123456));
    EXPECT_EQ(f.line.progressBar().minimum(), 0);
    EXPECT_EQ(f.line.progressBar().maximum(), 0);
}

TEST(StatusLineTask, gdalFractionsDriveTheBarAndNeverStopTheWork) {
    StatusFixture f;
    platform::StatusLine::Task task(f.line, "Exportando");
    // A fake progress sequence as GDAL reports it, out-of-range values too.
    const struct {
        qint64 at;
        double fraction;
        int value;
    } steps[] = {{100, 0.0, -1}, {600, 0.25, 250}, {650, 0.5, 250}, {800, 1.5, 1000}};
    for (const auto& s : steps) {
        f.now = s.at;
        EXPECT_EQ(platform::StatusLine::Task::gdalProgress(s.fraction, "", &task), 1);
        if (s.value >= 0) {
            EXPECT_EQ(f.line.progressBar().value(), s.value) << s.at;
        } else {
            EXPECT_TRUE(f.line.progressBar().isHidden());
        }
    }
    f.now = 900;
    EXPECT_EQ(platform::StatusLine::Task::gdalProgress(-3.0, nullptr, &task), 1);
    EXPECT_EQ(f.line.progressBar().value(), 0);
}

TEST(StatusLineTask, aMessageSaidDuringTheWorkOutlivesIt) {
    StatusFixture f;
    {
        platform::StatusLine::Task task(f.line, "Gravando", 2);
        f.now = 500;
        task.step(1);
        f.line.say("Arquivo gravado: /d/a.txt");
    }
    EXPECT_EQ(f.line.text(), "Arquivo gravado: /d/a.txt");
    EXPECT_TRUE(f.line.progressBar().isHidden());
}

TEST(StatusLineTask, workInsideOtherWorkLeavesTheLineToTheOuterWork) {
    StatusFixture f;
    platform::StatusLine::Task outer(f.line, "Guardando área para campo", 3);
    for (int i = 1; i <= 3; ++i) {
        {
            // One download of the three, long enough to show on its own.
            platform::StatusLine::Task inner(f.line, "Baixando de 127.0.0.1", 100);
            f.now += 1000;
            EXPECT_FALSE(inner.step(50));
            inner.showNow();
        }
        EXPECT_TRUE(outer.step(i, QStringLiteral("Guardando área para campo: %1 de 3").arg(i)));
        EXPECT_EQ(f.line.text(), QStringLiteral("Guardando área para campo: %1 de 3").arg(i));
        EXPECT_EQ(f.line.progressBar().value(), std::lround(i * 1000.0 / 3));
    }
}

TEST(StatusLineTask, workAfterOtherWorkShowsAgain) {
    StatusFixture f;
    { platform::StatusLine::Task first(f.line, "primeira", 0); }
    platform::StatusLine::Task second(f.line, "segunda", 0);
    f.now += 1000;
    EXPECT_TRUE(second.step(0));
    EXPECT_EQ(f.line.text(), "segunda");
}
