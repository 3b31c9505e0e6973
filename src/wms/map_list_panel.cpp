#include "wms/map_list_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace wms {

MapListPanel::MapListPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel3"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Grupo de mapas -kestram"), this));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setPlaceholderText(QStringLiteral("ESCOLHA O GRUPO"));
    layout->addWidget(ComboBox2);
    layout->addWidget(new QLabel(QStringLiteral("Mapas no KESTRAM"), this));
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox3->setMinimumContentsLength(20);
    layout->addWidget(ComboBox3);
    SpeedButton38 = new QToolButton(this);
    SpeedButton38->setObjectName(QStringLiteral("SpeedButton38"));
    SpeedButton38->setText(QStringLiteral("Atualiza lista/mapas disponiveis"));
    SpeedButton38->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(SpeedButton38);
    layout->addWidget(new QLabel(QStringLiteral("Temas do Kestram"), this));
    QCheckBox** boxes[] = {&Drenagens, &Estrutural, &Estradas, &Cidades};
    const char* names[] = {"Drenagens", "Estrutural", "Estradas", "Cidades"};
    for (int i = 0; i < 4; ++i) {
        *boxes[i] = new QCheckBox(QLatin1String(names[i]), this);
        (*boxes[i])->setObjectName(QLatin1String(names[i]));
        layout->addWidget(*boxes[i]);
    }
}

}  // namespace wms
