#pragma once

#include "mapcontrol/geometry.h"
#include "mapcontrol/shape.h"
#include "workspace/app_state.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
class DriveTable;
class StatusLine;
}  // namespace platform
namespace workspace {
class ThemeList;
}

namespace query {

class MediaWindow;

// Identify by cursor: a click on the main map with the identify tool down
// lists the records of the selected theme's features under the pointer in
// the attribute window TForm2 (a picture theme with its "conf" and "txt" side
// files gives the cell's row, column and attribute instead), flashes the
// first feature, writes a polygon's area into TForm15 and takes the first
// record's media names. Controls are built into the windows the program
// created for them.
class IdentifyTool : public QObject {
    Q_OBJECT
public:
    static const QString kPrintErrorMessage;

    struct Controls {
        QAbstractButton& button;  // SpeedButton6
        QWidget& attributes;      // TForm2
        QWidget& area;            // TForm15
        mapcontrol::MapWidget& map1;
        QWidget& remotePicture;  // Image1 of the main window
        workspace::ThemeList& themes;
        QCheckBox& databaseLink;  // CheckBox1, "KESTRAM"
        MediaWindow& media;
    };
    struct Hooks {
        std::function<void()> updateDistance;
        std::function<void()> stopMapTips;
        std::function<void()> endMove;
        // The remote-connection choice of the connections window; -1 for none.
        std::function<int()> connectionChoice;
        // Prints lines as a text document; false on failure.
        std::function<bool(const QStringList&)> printLines;
        // Where the commands tell what they did; none for the window alone.
        platform::StatusLine* status = nullptr;
    };

    IdentifyTool(Controls controls, Hooks hooks, workspace::AppState& state,
                 platform::Dialogs& dialogs, const platform::DriveTable& drives);

    // The identify button's command.
    void buttonClicked();
    // The identify of a click at a map point.
    void identifyAt(const mapcontrol::MapPoint& point);
    // Record list click on item k (from 0).
    void showRecord(int k);
    // "Imprime", "Grava_arquivo", "Area" and "Voltar".
    void print();
    void saveToFile();
    void showArea();
    void back();

    const std::vector<mapcontrol::Shape>& foundShapes() const { return m_foundShapes; }
    int foundCount() const { return m_foundCount; }
    int foundShapeType() const { return m_foundShapeType; }
    // The first found record's fields (name, value) in the layer's order.
    const std::vector<std::pair<QString, QString>>& firstRecordFields() const {
        return m_firstRecord;
    }
    bool areaShown() const { return m_areaFlag; }

    QListWidget* ListBox1 = nullptr;  // record numbers, "Ident. Registro"
    QListWidget* ListBox2 = nullptr;  // the shown record's lines, "Pesq. encontrada"
    QListWidget* ListBox3 = nullptr;  // the record store, hidden
    QPushButton* Foto = nullptr;
    QPushButton* FilmeSom = nullptr;
    QPushButton* DocLegenda = nullptr;
    QPushButton* AreaButton = nullptr;
    QPushButton* BuscaKestram = nullptr;
    QPushButton* Voltar = nullptr;
    QPushButton* Tabela = nullptr;
    QLabel* AreaLabel = nullptr;  // TForm15
    QLineEdit* AreaEdit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildAttributeWindow();
    void buildAreaWindow();
    void identifyPicture(const QString& line, const mapcontrol::MapPoint& point);
    void identifyVector(const QString& line, const mapcontrol::MapPoint& point);

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
    const platform::DriveTable& m_drives;
    std::vector<mapcontrol::Shape> m_foundShapes;
    int m_foundCount = 0;
    int m_foundShapeType = 0;
    std::vector<std::pair<QString, QString>> m_firstRecord;
    bool m_areaFlag = false;
};

}  // namespace query
