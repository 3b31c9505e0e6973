#pragma once

#include "wms/wms_window.h"

#include <QObject>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QProgressBar;
class QToolButton;
class QWidget;

namespace wms {

// TForm23, the connections window: the choice of a fixed remote picture
// source ("Conexão-acervo via Internet"), the mosaic types and the mineral
// grids of two of them, connect, swap, the zoom window without export,
// "Vetor", the opacity control and the memory label. Most controls start
// hidden until "Conexões" reveals them. The commands are wired by the main
// window.
class ConnectionsWindow : public QObject {
    Q_OBJECT
public:
    // The kinds of RadioGroup2, in order; 6 ends the connection.
    static const QStringList& kindCaptions();
    static const QStringList& mosaicCaptions();
    static const QStringList& mineralCaptions();

    explicit ConnectionsWindow(QWidget& form);

    // The kind chosen; -1 when none.
    int kind() const;
    // Clears the kind choice (and the two sub-choices) without running its command.
    void clearKind();
    // The "Tipo-ARIM" choice cleared, as after each of its requests.
    void clearMineralLayer();
    int mosaicType() const;    // radiogroup5; -1 when none
    int mineralLayer() const;  // RadioGroup1; -1 when none

    // Shows the connect, opacity, swap, zoom and "Vetor" buttons and the kind list.
    void reveal();
    // "Volta" of either sub-choice: the kind list again, every choice cleared.
    void backToKinds();

    QWidget& form() { return m_form; }

    QGroupBox* RadioGroup2Box = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;
    QGroupBox* radiogroup5Box = nullptr;
    QButtonGroup* radiogroup5 = nullptr;
    QGroupBox* RadioGroup1Box = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;
    QToolButton* SpeedButton37 = nullptr;  // connect
    QToolButton* troca = nullptr;
    QToolButton* SpeedButton40 = nullptr;  // zoom window without export
    QToolButton* SpeedButton41 = nullptr;  // "Vetor"
    QToolButton* SpeedButton1 = nullptr;   // "Volta" of the mineral grids
    QLabel* Image1 = nullptr;              // the mineral grids' picture
    QLabel* memoryLabel = nullptr;         // "Memória"
    OpacityUpDown* up = nullptr;
    QProgressBar* a1 = nullptr;  // busy animation

signals:
    // The user chose a kind (0 to 6).
    void kindChosen(int kind);
    // "Volta" cleared the kind and its sub-choices: no kind is chosen.
    void kindCleared();

private:
    QWidget& m_form;
};

}  // namespace wms
