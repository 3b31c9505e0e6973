// Every file the program writes, when the disk fails part of the way
// through or the folder cannot be written: the user is told, and the file
// that was there before is whole.
#include "app/main_window_fixture.h"
#include "mapcontrol/map_widget.h"
#include "output/screen_output.h"
#include "output/zoom_window.h"
#include "query/identify_tool.h"
#include "query/query_tool.h"
#include "support/disk_full.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <sys/resource.h>
#include <csignal>

namespace {

// A folder no one can create files in, root included.
const QString kUnwritable = QStringLiteral("/proc/quelvora-nao-existe");

class WrittenFilesTest : public support::MainWindowFixture {
protected:
    QString old(const QString& name) {
        const QString path = drives.root('D') + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("conteudo anterior\r\n");
        return path;
    }
    static QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs `write` into `path` with a full disk, then expects a message and
    // the old content.
    void expectRefused(const QString& path, const std::function<void()>& write) {
        const qsizetype before = dialogs.messages().size();
        {
            const support::DiskFull full(8);
            dialogs.push(path);
            write();
        }
        EXPECT_GT(dialogs.messages().size(), before) << path.toStdString();
        EXPECT_EQ(bytes(path), "conteudo anterior\r\n") << path.toStdString();
    }
};

}  // namespace

TEST_F(WrittenFilesTest, aFullDiskLeavesEveryOldFileWhole) {
    auto w = startWithTheme();
    expectRefused(old("p2.jjj"), [&] { w->SaveProject(); });

    output::ZoomWindow& zoom = w->zoomWindow();
    w->findChild<QAction*>("Zoom_coord1")->trigger();
    zoom.RadioGroup3->button(1)->click();
    expectRefused(old("zoom.txt"), [&] { zoom.saveZoomFile(); });
    expectRefused(old("tela.tif"), [&] { zoom.exportPicture(); });

    w->Edit4->setText("250000.0000");
    expectRefused(old("mapa.emf"), [&] { w->screenOutput().exportMetafile(); });
    expectRefused(old("tela.bmp"), [&] { w->screenOutput().saveScreen("bmp"); });

    w->CheckListBox1->item(0)->setSelected(true);
    w->button("SpeedButton10")->click();
    query::QueryTool& q = w->query();
    q.RadioGroup1->button(1)->click();
    q.Edit1->setText("SIGLA = 'geo'");
    q.RunButton->click();
    expectRefused(old("tabela.txt"), [&] { q.saveTable(); });
    expectRefused(old("relatorio.txt"), [&] { q.saveReport(); });

    w->identify().identifyAt({0.5, 0.5});
    expectRefused(old("atributos.dat"), [&] { w->identify().saveToFile(); });
}

TEST_F(WrittenFilesTest, aFolderThatCannotBeWrittenIsReported) {
    auto w = startWithTheme();
    output::ZoomWindow& zoom = w->zoomWindow();
    w->findChild<QAction*>("Zoom_coord1")->trigger();
    zoom.RadioGroup3->button(1)->click();
    for (const auto& [name, write] :
         std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"zoom.txt", [&] { zoom.saveZoomFile(); }},
             {"tela.tif", [&] { zoom.exportPicture(); }},
             {"projeto.jjj", [&] { w->SaveProject(); }}}) {
        const qsizetype before = dialogs.messages().size();
        dialogs.push(kUnwritable + "/" + name);
        write();
        EXPECT_GT(dialogs.messages().size(), before) << name;
    }
}
