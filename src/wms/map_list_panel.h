#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QToolButton;

namespace wms {

// Panel3 of the main window: the remote database's map groups, the maps of
// the chosen group from "lista.txt", the themes drawn with a group map, the
// refresh of the map list and the remote search's plot and point list.
// Hidden until the map-group connection is chosen.
class MapListPanel : public QWidget {
    Q_OBJECT
public:
    explicit MapListPanel(QWidget* parent = nullptr);

    QComboBox* ComboBox2 = nullptr;        // the groups
    QComboBox* ComboBox3 = nullptr;        // the maps of the group
    QToolButton* SpeedButton38 = nullptr;  // "Atualiza lista/mapas disponiveis"
    QCheckBox* Drenagens = nullptr;
    QCheckBox* Estrutural = nullptr;
    QCheckBox* Estradas = nullptr;
    QCheckBox* Cidades = nullptr;
    // The search window, on the page the record window shows.
    QToolButton* PlotaPesquisa = nullptr;
    QToolButton* ListaPesquisa = nullptr;  // "Lista pesq/pontos realizada"
};

}  // namespace wms
