#include "symbology/symbol_editors.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "symbology/legend_panel.h"
#include "symbology/swatch.h"
#include "symbology/theme_layer.h"
#include "workspace/theme_list.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace symbology {

const QString SymbolEditors::kClassBreakMessage =
    QStringLiteral("Não é possível esta operação para temas com processamento estatístico");
const QString SymbolEditors::kOneThemeMessage = QStringLiteral(
    "Só é permitido mudar a paleta de cores para apenas um tema exibido por vez. Desabilite a "
    "visualização dos outros temas deixando apenas o de interesse");

namespace {

const char* const kLineStyles[] = {"SOLIDA", "TRACEJADA", "PONTILHADA", "TRAÇO PONTO",
                                   "TRAÇO TRAÇO PONTO"};
const char* const kMarkerStyles[] = {"CIRCULO", "QUADRADO", "TRIANGULO", "CRUZ"};
const char* const kFillStyles[] = {"Sólido",   "transparente",  "horizontal",
                                   "vertical", "diagonal-cima", "diagonal-baixo",
                                   "cruz",     "diagonal cruz"};

template <std::size_t N>
std::optional<int> indexOfName(const char* const (&names)[N], const QString& name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (name == QString::fromUtf8(names[i])) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

QToolButton* textButton(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLabel* newSwatch(QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setObjectName(QStringLiteral("Shape1"));
    swatch->setFixedSize(25, 25);
    return swatch;
}

}  // namespace

std::optional<int> lineStyleNamed(const QString& name) {
    // The list offers the fifth style with a trailing blank.
    QString trimmed = name;
    while (trimmed.endsWith(QLatin1Char(' '))) trimmed.chop(1);
    return indexOfName(kLineStyles, trimmed);
}

std::optional<int> markerStyleNamed(const QString& name) {
    return indexOfName(kMarkerStyles, name);
}

SymbolEditors::SymbolEditors(Controls controls, Hooks hooks, workspace::AppState& state,
                             platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    buildPolygonForm();
    buildPointLineForm();
}

void SymbolEditors::buildPolygonForm() {
    QWidget& form = m_controls.polygonForm;
    auto* layout = new QVBoxLayout(&form);
    auto* title = new QLabel(QStringLiteral("Polígonos"), &form);
    title->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(title);

    auto* colourRow = new QHBoxLayout;
    polygon.SpeedButton1 =
        textButton(&form, QStringLiteral("SpeedButton1"), QStringLiteral("Côr de preenchimento"));
    polygon.Shape1 = newSwatch(&form);
    colourRow->addWidget(polygon.SpeedButton1);
    colourRow->addWidget(polygon.Shape1);
    colourRow->addStretch(1);
    layout->addLayout(colourRow);

    auto* fill = new QGroupBox(QStringLiteral("Estilo do preenchimento"), &form);
    fill->setObjectName(QStringLiteral("RadioGroup1"));
    auto* fillLayout = new QGridLayout(fill);
    polygon.RadioGroup1 = new QButtonGroup(fill);
    for (int i = 0; i < 8; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(kFillStyles[i]), fill);
        polygon.RadioGroup1->addButton(item, i);
        fillLayout->addWidget(item, i % 4, i / 4);
    }
    polygon.RadioGroup1->button(0)->setChecked(true);
    layout->addWidget(fill);

    auto* outline = new QGroupBox(QStringLiteral("Quanto a linha de contorno"), &form);
    outline->setObjectName(QStringLiteral("RadioGroup2"));
    auto* outlineLayout = new QVBoxLayout(outline);
    polygon.RadioGroup2 = new QButtonGroup(outline);
    const char* const outlineItems[] = {"Com linha de contorno", "Sem linha de contorno"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(outlineItems[i]), outline);
        polygon.RadioGroup2->addButton(item, i);
        outlineLayout->addWidget(item);
    }
    polygon.RadioGroup2->button(0)->setChecked(true);
    layout->addWidget(outline);

    auto* thickness = new QHBoxLayout;
    thickness->addWidget(new QLabel(QStringLiteral("Espessura - contorno ==>"), &form));
    polygon.Edit1 = new QLineEdit(QStringLiteral("0"), &form);
    polygon.Edit1->setObjectName(QStringLiteral("Edit1"));
    thickness->addWidget(polygon.Edit1);
    layout->addLayout(thickness);

    polygon.SpeedButton2 =
        textButton(&form, QStringLiteral("SpeedButton2"), QStringLiteral("Executa"));
    layout->addWidget(polygon.SpeedButton2);

    connect(polygon.SpeedButton1, &QToolButton::clicked, this,
            [this] { chooseColour(m_controls.polygonForm, *polygon.Shape1); });
    connect(polygon.SpeedButton2, &QToolButton::clicked, this, &SymbolEditors::applyPolygon);
}

void SymbolEditors::buildPointLineForm() {
    QWidget& form = m_controls.pointLineForm;
    auto* layout = new QGridLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("PONTOS"), &form), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("LINHAS"), &form), 0, 1);

    auto* markers = new QVBoxLayout;
    pointLine.Edit1 = new QLineEdit(&form);
    pointLine.Edit1->setObjectName(QStringLiteral("Edit1"));
    const auto markerButton = [&](const char* name, const char* marker) {
        QToolButton* b = textButton(&form, QLatin1String(name), QString::fromUtf8(marker));
        connect(b, &QToolButton::clicked, this,
                [this, marker] { pointLine.Edit1->setText(QString::fromUtf8(marker)); });
        markers->addWidget(b);
        return b;
    };
    pointLine.SpeedButton1 = markerButton("SpeedButton1", "CIRCULO");
    pointLine.SpeedButton6 = markerButton("SpeedButton6", "QUADRADO");
    pointLine.SpeedButton2 = markerButton("SpeedButton2", "TRIANGULO");
    pointLine.SpeedButton3 = markerButton("SpeedButton3", "CRUZ");
    pointLine.SpeedButton7 = markerButton("SpeedButton7", "FONTE");
    pointLine.SpeedButton7->hide();
    markers->addWidget(pointLine.Edit1);
    pointLine.ComboBox2 = new QComboBox(&form);
    pointLine.ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    pointLine.ComboBox2->setEditable(true);
    pointLine.ComboBox2->addItems({"2", "4", "5", "6", "7", "8", "10"});
    pointLine.ComboBox2->setCurrentText(QStringLiteral("6"));
    markers->addWidget(pointLine.ComboBox2);
    layout->addLayout(markers, 1, 0);

    pointLine.ComboBox1 = new QComboBox(&form);
    pointLine.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* style : kLineStyles) {
        pointLine.ComboBox1->addItem(QString::fromUtf8(style));
    }
    pointLine.ComboBox1->setItemText(4, pointLine.ComboBox1->itemText(4) + QLatin1Char(' '));
    layout->addWidget(pointLine.ComboBox1, 1, 1, Qt::AlignTop);

    auto* colourRow = new QHBoxLayout;
    pointLine.SpeedButton4 = textButton(&form, QStringLiteral("SpeedButton4"), "CÔR");
    pointLine.Shape1 = newSwatch(&form);
    colourRow->addWidget(pointLine.SpeedButton4);
    colourRow->addWidget(pointLine.Shape1);
    layout->addLayout(colourRow, 2, 0);
    pointLine.SpeedButton5 =
        textButton(&form, QStringLiteral("SpeedButton5"), QStringLiteral("Executa"));
    layout->addWidget(pointLine.SpeedButton5, 2, 1);

    connect(pointLine.SpeedButton4, &QToolButton::clicked, this,
            [this] { chooseColour(m_controls.pointLineForm, *pointLine.Shape1); });
    connect(pointLine.SpeedButton5, &QToolButton::clicked, this, &SymbolEditors::applyPointLine);
}

void SymbolEditors::chooseColour(QWidget& form, QLabel& swatch) {
    const std::optional<QColor> chosen =
        m_dialogs.colour(&form, mapcontrol::toQColor(swatchColour(swatch)));
    if (!chosen) {
        return;
    }
    m_state.chosenColour = storedColour(mapcontrol::fromQColor(*chosen));
    paintSwatch(swatch, *m_state.chosenColour);
}

void SymbolEditors::openFromLegend() {
    if (m_hooks.beforeOpening) m_hooks.beforeOpening();
    const workspace::ThemeList::PaletteTarget choice = m_controls.themes.paletteTarget();
    int theme = choice.theme();
    if (theme < 0) {
        theme = 1;
    }
    QWidget* parent = m_controls.legend.window();
    if (m_state.themeRenderKind.at(static_cast<std::size_t>(
            std::min<int>(theme, workspace::AppState::kMaxThemes - 1))) == 1) {
        m_dialogs.message(parent, kClassBreakMessage, platform::MessageKind::Warning);
        return;
    }
    if (choice.switchedOn != 1) {
        m_dialogs.message(parent, kOneThemeMessage, platform::MessageKind::Warning);
        return;
    }
    const QString line = m_controls.themes.line(theme);
    if (!files::namesVectorTheme(line)) {
        return;
    }
    const mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line);
    if (!layer) {
        return;
    }
    // Until a colour is chosen in this run, the swatch starts with the clicked
    // class's own colour, so "Executa" alone keeps it.
    const std::optional<Target> clicked = target();
    mapcontrol::ColourInt colour = 0;
    if (m_state.chosenColour) {
        colour = *m_state.chosenColour;
    } else if (clicked) {
        colour = clicked->renderer->symbol(clicked->index).colour;
    }
    const QString geometry = geometryOf(*layer);
    if (geometry == QLatin1String("poligono")) {
        paintSwatch(*polygon.Shape1, colour);
        if (clicked) {
            const mapcontrol::Symbol& symbol = clicked->renderer->symbol(clicked->index);
            if (QAbstractButton* style = polygon.RadioGroup1->button(symbol.style)) {
                style->setChecked(true);
            }
            polygon.RadioGroup2->button(symbol.outline ? 0 : 1)->setChecked(true);
        }
        m_controls.polygonForm.show();
        m_controls.polygonForm.raise();
    } else if (geometry == QLatin1String("ponto") || geometry == QLatin1String("linha")) {
        paintSwatch(*pointLine.Shape1, colour);
        // The editor starts with the class's own style and size, so that
        // changing only the colour keeps the dashes and the marker size.
        if (clicked) {
            const mapcontrol::Symbol& symbol = clicked->renderer->symbol(clicked->index);
            if (geometry == QLatin1String("linha") && symbol.style >= 0 &&
                symbol.style < pointLine.ComboBox1->count()) {
                pointLine.ComboBox1->setCurrentIndex(symbol.style);
            } else if (geometry == QLatin1String("ponto")) {
                pointLine.Edit1->clear();
                pointLine.ComboBox2->setCurrentText(QString::number(symbol.size));
            }
        }
        m_controls.pointLineForm.show();
        m_controls.pointLineForm.raise();
    }
}

std::optional<SymbolEditors::Target> SymbolEditors::target() const {
    const workspace::ThemeList::PaletteTarget choice = m_controls.themes.paletteTarget();
    if (choice.switchedOn != 1) {
        return std::nullopt;
    }
    const int theme = choice.onlyOn;
    const QString line = m_controls.themes.line(theme);
    if (m_state.themeRenderKind.at(static_cast<std::size_t>(theme)) != 0 ||
        !files::namesVectorTheme(line)) {
        return std::nullopt;
    }
    const QListWidgetItem* selected = m_controls.legend.currentItem();
    if (!selected || !selected->isSelected()) {
        return std::nullopt;
    }
    bool isClass = false;
    const int index = selected->data(LegendPanel::kClassRole).toInt(&isClass);
    mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line);
    if (!isClass || !layer) {
        return std::nullopt;
    }
    auto* renderer = dynamic_cast<mapcontrol::ValueMapRenderer*>(classRenderer(*layer));
    if (!renderer || index < 0 || index >= renderer->valueCount()) {
        return std::nullopt;
    }
    return Target{renderer, index, geometryOf(*layer)};
}

void SymbolEditors::applyPolygon() {
    const mapcontrol::ColourInt colour = swatchColour(*polygon.Shape1);
    const std::optional<Target> edit = target();
    if (!edit) {
        return;
    }
    mapcontrol::ValueMapRenderer& renderer = *edit->renderer;
    renderer.setSymbolType(mapcontrol::SymbolType::Fill);
    mapcontrol::Symbol& symbol = renderer.symbol(edit->index);
    symbol.colour = colour;
    symbol.style = std::max(polygon.RadioGroup1->checkedId(), 0);
    symbol.outline = polygon.RadioGroup2->checkedId() != 1;
    symbol.size = polygon.Edit1->text().toInt();
    finishEdit(m_controls.polygonForm);
}

void SymbolEditors::applyPointLine() {
    const int size = pointLine.ComboBox2->currentText().toInt();
    const std::optional<Target> edit = target();
    if (!edit) {
        return;
    }
    mapcontrol::ValueMapRenderer& renderer = *edit->renderer;
    const mapcontrol::ColourInt colour = swatchColour(*pointLine.Shape1);
    if (edit->geometry == QLatin1String("linha")) {
        renderer.setSymbolType(mapcontrol::SymbolType::Line);
        if (const std::optional<int> style = lineStyleNamed(pointLine.ComboBox1->currentText())) {
            renderer.symbol(edit->index).style = *style;
        }
    } else if (edit->geometry == QLatin1String("ponto")) {
        mapcontrol::Symbol& symbol = renderer.symbol(edit->index);
        symbol.type = mapcontrol::SymbolType::Marker;
        if (const std::optional<int> style = markerStyleNamed(pointLine.Edit1->text())) {
            symbol.style = *style;
        }
        symbol.size = size;
    }
    renderer.symbol(edit->index).colour = colour;
    finishEdit(m_controls.pointLineForm);
}

void SymbolEditors::finishEdit(QWidget& form) {
    if (m_hooks.showLegend) m_hooks.showLegend();
    m_controls.map1.refresh();
    form.close();
}

}  // namespace symbology
