#pragma once

#include <QColor>
#include <QObject>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace platform {
class Dialogs;
}
namespace workspace {
struct AppState;
}

namespace remote {

// TForm21, collector tracking: the list of collector prefixes with their
// colours, its files, the interval, the drawing choices and the timer whose
// ticks the main window turns into downloads and dots on the map's picture.
class CollectorsWindow : public QObject {
    Q_OBJECT
public:
    static const QString kListFilter;

    CollectorsWindow(QWidget& form, workspace::AppState& state, platform::Dialogs& dialogs);

    QStringList listLines() const;
    bool allPoints() const;   // "Todos pontos"
    bool joinPoints() const;  // "Liga os pontos"
    QColor chosenColour() const { return m_colour; }

    void chooseColour();       // "Côr"
    void registerCollector();  // "Cadastra"
    void saveList();           // "Grava-lista"
    void openList();           // "Lê arquivo"
    void connectTimer();       // "Conecta"
    void disconnectTimer();    // "Desconecta"
    // At each tick: "Conectado" checked and the interval read again; an
    // interval of 0 (or not a number) stops further ticks.
    void beginTick();

    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr;           // "Prefixo"
    QLineEdit* Edit2 = nullptr;           // "Timer"
    QLabel* Shape1 = nullptr;             // the colour sample
    QButtonGroup* RadioGroup1 = nullptr;  // "Linha entre pontos"
    QButtonGroup* RadioGroup2 = nullptr;  // "Plota-pontos"
    QCheckBox* CheckBox1 = nullptr;       // "Conectado"
    QProgressBar* Animate1 = nullptr;
    QPushButton* Cor = nullptr;
    QPushButton* Cadastra = nullptr;
    QPushButton* Limpa = nullptr;
    QPushButton* GravaLista = nullptr;
    QPushButton* LeArquivo = nullptr;
    QPushButton* Conecta = nullptr;
    QPushButton* Desconecta = nullptr;
    QTimer* Timer1 = nullptr;

signals:
    void tick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_form;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
    QColor m_colour{0, 0, 0};
};

}  // namespace remote
