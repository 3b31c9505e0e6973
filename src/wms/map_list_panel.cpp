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
    const auto textButton = [this, layout](const char* name, const char* caption) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(QString::fromUtf8(caption));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        layout->addWidget(b);
        return b;
    };
    SpeedButton38 = textButton("SpeedButton38", "Atualiza lista/mapas disponiveis");
    layout->addWidget(new QLabel(QStringLiteral("Temas do Kestram"), this));
    QCheckBox** boxes[] = {&Drenagens, &Estrutural, &Estradas, &Cidades};
    const char* names[] = {"Drenagens", "Estrutural", "Estradas", "Cidades"};
    for (int i = 0; i < 4; ++i) {
        *boxes[i] = new QCheckBox(QLatin1String(names[i]), this);
        (*boxes[i])->setObjectName(QLatin1String(names[i]));
        layout->addWidget(*boxes[i]);
    }
    PlotaPesquisa = textButton("PlotaPesquisa", "Plota pesquisa");
    ListaPesquisa = textButton("ListaPesquisa", "Lista pesq/pontos realizada");
    ListaPesquisa->setEnabled(false);  // until an area search was made
}

}  // namespace wms
