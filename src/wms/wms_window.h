#pragma once

#include "wms/capabilities.h"
#include "workspace/app_state.h"

#include <QHash>
#include <QObject>
#include <QSpinBox>
#include <QString>

#include <functional>

namespace net {
class PictureCache;
}

class QButtonGroup;
class QDateTime;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class QWidget;

namespace net {
class Downloader;
}
namespace platform {
class Dialogs;
}

namespace wms {

struct MacroFile;

// The opacity up-down control: positions 0 to 10. A click on its arrows
// announces the position it had before the step, then steps.
class OpacityUpDown : public QSpinBox {
    Q_OBJECT
public:
    explicit OpacityUpDown(QWidget* parent = nullptr);
    void stepBy(int steps) override;
signals:
    void stepping(int positionBefore);
};

// TForm24, the web map services window: the service catalogue, the
// services in use, the layers their capabilities offer, the extent of the
// first request, the identify choice and the macro files. Controls are
// built into the window the program created; the map commands (show map,
// index map, disconnect, legend, opacity) are wired by the main window.
class WmsWindow : public QObject {
    Q_OBJECT
public:
    static const QString kCatalogueUpdated;
    static const QString kConnectionProblem;
    static const QString kMacroFilter;
    // A capabilities answer that is no capabilities document: %1 the
    // service address, %2 the server's own text.
    static const QString kNotCapabilities;

    struct Surroundings {
        QWidget& form;  // TForm24
        workspace::AppState& state;
        platform::Dialogs& dialogs;
        net::Downloader& downloader;
        QString programFolder;  // native
        QString gatewayHost;
        // Capabilities documents kept for work without a network (none: not
        // kept), and what tells the user a kept one stands in (its time).
        net::PictureCache* cache = nullptr;
        std::function<void(const QDateTime&)> keptUsed = {};
    };

    explicit WmsWindow(Surroundings surroundings);

    // Window creation and after a catalogue download: ComboBox3 from "listawms.txt".
    void loadCatalogue();
    void SpeedButton12Click();  // download the catalogue
    void SpeedButton14Click();  // address of the catalogue line into Edit1
    void SpeedButton5Click();   // Edit1 appended to the services
    void SpeedButton17Click();  // current service deleted, layers cleared
    void SpeedButton3Click();   // selected service deleted, layers cleared
    void SpeedButton6Click();   // everything cleared
    void SpeedButton18Click();  // current layer deleted
    void ListBox1Click();
    void CheckListBox1Click();
    // Reads the capabilities of every service in use.
    void ReadCapabilities();
    void SaveMacro();  // SpeedButton8
    void LoadMacro();  // SpeedButton9

    // 0: the extent edits come from the services; 1: from the map.
    int extentChoice() const;
    // 0: identify answers from the selected WMS layer; 1: from the local shape.
    int identifyChoice() const;
    void setIdentifyChoice(int item);
    // The extent edits as a rectangle: north top, south bottom, east right, west left.
    mapcontrol::Rectangle extentFromEdits() const;
    // Writes top, bottom, right, left of `extent` into the edits in the
    // form given (fixed decimals in a field).
    void writeExtentEdits(const mapcontrol::Rectangle& extent, int decimals, int width);
    // The map's current extent into the edits, in the default real-number form.
    void writeMapExtentEdits();
    // The service addresses and the layer entries with their check marks.
    QStringList services() const;
    // The coordinate systems the service at `address` listed in its
    // capabilities when they were last read; empty before that.
    QStringList listedSystems(const QString& address) const {
        return m_listedSystems.value(addressBeforeComma(address));
    }
    std::vector<std::pair<QString, bool>> layerEntries() const;

    QComboBox* ComboBox3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit2 = nullptr;  // north
    QLineEdit* Edit3 = nullptr;  // south
    QLineEdit* Edit4 = nullptr;  // east
    QLineEdit* Edit5 = nullptr;  // west
    QButtonGroup* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    OpacityUpDown* up1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // show map
    QToolButton* SpeedButton2 = nullptr;  // read the layers
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;  // "Desconecta"
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;  // "Configura"
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton10 = nullptr;  // zoom to coordinates
    QToolButton* SpeedButton11 = nullptr;  // legend
    QToolButton* SpeedButton12 = nullptr;
    QToolButton* SpeedButton13 = nullptr;
    QToolButton* SpeedButton14 = nullptr;
    QToolButton* SpeedButton16 = nullptr;  // "Mapa indice"
    QToolButton* SpeedButton17 = nullptr;
    QToolButton* SpeedButton18 = nullptr;
    QToolButton* SpeedButton19 = nullptr;  // "Vetor"
    QToolButton* GuardaCampo = nullptr;    // "Guardar área para campo"

private:
    void buildControls();
    void restoreLists(const MacroFile& macro);
    QString programFile(const char* name) const;

    Surroundings m_s;
    QHash<QString, QStringList> m_listedSystems;  // by service address
};

}  // namespace wms
