#include "app/main_window.h"
#include "app/command_line.h"
#include "app/configuration_files.h"
#include "app/secondary_windows.h"
#include "app/tool_icons.h"
#include "files/colour_file.h"
#include "files/project_file.h"
#include "files/theme_line.h"
#include "help/help_window.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "net/downloader.h"
#include "net/picture_cache.h"
#include "output/screen_output.h"
#include "output/zoom_window.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "query/identify_tool.h"
#include "query/map_tips.h"
#include "query/media_window.h"
#include "query/query_tool.h"
#include "remote/collectors_window.h"
#include "remote/link_state.h"
#include "symbology/classification_window.h"
#include "symbology/label_window.h"
#include "symbology/legend_panel.h"
#include "symbology/symbol_editors.h"
#include "symbology/transparency_switch.h"
#include "wms/connections_window.h"
#include "wms/map_list_panel.h"
#include "wms/overlay_window.h"
#include "wms/wms_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

const QString TForm1::kCaption =
    QStringLiteral("Quelvora - v. 8.1.1 - 32 e 64 bits -Ostrenvale -") +
    QString(100, QLatin1Char(' ')) + QStringLiteral("(vc-d5) ");

const QString TForm1::kMemoryMessage = QStringLiteral(
    "O computador utilizado não possui memória instalada o suficiente para a utilização deste "
    "programa. "
    "A memória mínima é de 96 K. Execução interrompida");

const QString TForm1::kAddThemeFilter = QStringLiteral(
    "All supported formats|*.shp;*.gpkg;*.geojson;*.json;*.kml;*.kmz;*.fgb;*.gml;*.bmp;*.dib;*.tif;"
    "*.tff;*.tiff;*.jpg;*.sid|ESRI Shapefiles|*.shp|Arquivos GeoPackage|*.gpkg|Arquivos "
    "GeoJSON|*.geojson;*.json|Arquivos KML e KMZ|*.kml;*.kmz|Arquivos FlatGeobuf|*.fgb|Arquivos "
    "GML|*.gml|Windows "
    "Bitmap|*.bmp;*.dib|Tag Image File|*.tif;*.tff;*.tiff|ERDAS|*.gis;*.lan|Band Interleaved By "
    "Line|*.bil|Band Interleaved By Pixel|*.bip|Band Sequential|*.bsq|Sun "
    "Raster|*.sun;*.rs;*.ras|IMPELL "
    "bitmap|*.rlc|MrSID|*.sid");

namespace {

constexpr std::uint64_t kMinimumMegabytes = 96;
// The read-outs under the map keep their place while hidden, so that showing
// them never resizes the map (and with it its extent and scale).
void keepPlaceWhenHidden(QWidget& widget) {
    QSizePolicy policy = widget.sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget.setSizePolicy(policy);
}

// Width of the scale bar's picture when the program starts.
constexpr int kScaleBarPixels = 97;

// Tool buttons of the column panel: name, hint, group (0 = none).
struct ToolButtonInfo {
    const char* name;
    const char* hint;
    int group;
};

const ToolButtonInfo kToolButtons[] = {
    {"SpeedButton3", "Adiciona tema", 0},
    {"SpeedButton17", "Apaga temas selecionados", 0},
    {"SpeedButton21", "Ativa e desativa transparencia", 2},
    {"SpeedButton20", "Copiar para clipboard", 0},
    {"SpeedButton8", "Imprime mapa - tela", 0},
    {"SpeedButton19", "Ativa e desativa mensagens associadas", 1},
    {"SpeedButton1", "Toda area - volta ao modo mapas", 0},
    {"SpeedButton2", "Zoom dentro", 0},
    {"SpeedButton4", "Zoom fora", 0},
    {"SpeedButton5", "Zoom Pan", 1},
    {"SpeedButton7", "Zoom tool", 1},
    {"SpeedButton6", "Pesquisa com cursor - função (i)", 1},
    {"SpeedButton10", "Realiza consultas", 1},
    {"SpeedButton27", "Retira a seleção da consulta", 0},
    {"SpeedButton13", "Cálculo de distâncias", 1},
    {"SpeedButton9", "Reclassifica", 1},
    {"SpeedButton18", "Exibir legendas", 3},
    {"SpeedButton14", "Volta a paleta orignal", 0},
    {"SpeedButton25", "Grava legenda", 0},
    // Both open the credits window; each has its own hint.
    {"SpeedButton15", "Créditos de autoria", 0},
    {"SpeedButton60", "Sobre o programa - nome, descrição e autoria", 0},
    {"SpeedButton16", "Ajuda", 0},
    {"SpeedButton34", "Adiciona textos das tabelas", 0},
    {"M1", "Coloca a tela na memória 1", 0},
    {"M2", "Coloca a tela na memória 2 e faz o blend", 0},
    {"BOTAO2", "Transparencia de função memoria", 0},
    {"SpeedButton37", "Sai da função memoria", 0},
    {"BARRA", "Zoom por coordenadas e gravação da tela em tif / tfw", 0},
    {"arcgisserver", "ArcGis Server Web", 0},
    {"BOTAO3", "Serviços WMS", 0},
    {"SpeedButton33", "Sai do programa", 0},
    {"SpeedButton28", "Iniciar a operação mover mapa", 1},
    {"SpeedButton24", "Barra de escalas", 0},
    {"SpeedButton12", "Escala numérica", 0},
    {"SpeedButton11", "Ativa e desativa - coordenadas", 0},
    {"SpeedButton42", "Posição de coletores", 0},
};

// Buttons hidden or disabled at start.
const char* const kHiddenButtons[] = {"SpeedButton28", "SpeedButton24", "SpeedButton12",
                                      "SpeedButton11", "SpeedButton42"};
const char* const kDisabledButtons[] = {"M2", "SpeedButton30", "SpeedButton31", "SpeedButton32"};

// Buttons of the first of the two tool columns; the rest go to the second.
constexpr int kFirstColumnButtons = 16;

// A tool button shows its picture only; its hint stays the tooltip.
void showToolIcon(QToolButton* b) {
    b->setIcon(toolIcon(b->objectName()));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAccessibleName(b->toolTip());
}

}  // namespace

TForm1::TForm1(Surroundings surroundings, QWidget* parent)
    : QMainWindow(parent),
      m_startFolders(surroundings.dialogs),
      m_surroundings{surroundings.configuration, m_startFolders,
                     std::move(surroundings.installedMemory), std::move(surroundings.arguments)} {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(kCaption);
    buildLayout();
    buildMenu();
    m_layerBuilder = std::make_unique<files::LayerBuilder>(
        *Map1, *Map2, m_surroundings.configuration.drives, m_surroundings.dialogs);
    m_layerBuilder->keepMapSystemIn(m_state.mapSystem);
    m_readouts = std::make_unique<workspace::ReadoutPanel>(
        workspace::ReadoutPanel::Controls{*Map1,
                                          *Image1,
                                          *Edit2,
                                          *Edit3,
                                          *CheckBox2,
                                          *Edit4,
                                          *Edit10,
                                          *Panel2,
                                          *Image2,
                                          {Edit3, Edit2, CheckBox2, StaticText1, StaticText2},
                                          {button(QStringLiteral("SpeedButton26")), Label3},
                                          button(QStringLiteral("SpeedButton13"))},
        m_state,
        workspace::ReadoutPanel::Hooks{[this] { m_themeList->endMove(); },
                                       [this] { stopMapTips(); }});
    connectThemeList();
    connectMapTools();
    m_windows = std::make_unique<SecondaryWindows>(this);
    connectSymbology();
    connectQuery();
    connectOutput();
    connectWms();
    connectConnections();
    connectRemote();
    connectCollectors();
    connectSearchPlot();
}

TForm1::~TForm1() = default;

QToolButton* TForm1::button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

QToolButton* TForm1::addButton(QWidget* panel, const QString& name, const QString& hint,
                               int group) {
    auto* b = new QToolButton(panel);
    b->setObjectName(name);
    b->setToolTip(hint);
    showToolIcon(b);
    b->setAutoRaise(true);
    if (group != 0) {
        // Down until pressed again or until another button of its group goes down.
        b->setCheckable(true);
        m_groupButtons.emplace_back(b, group);
        connect(b, &QToolButton::toggled, this, [this, b](bool down) {
            if (down) setGroupDown(b);
        });
    }
    panel->layout()->addWidget(b);
    return b;
}

void TForm1::setGroupDown(QToolButton* pressed) {
    int group = 0;
    for (const auto& [b, g] : m_groupButtons) {
        if (b == pressed) group = g;
    }
    for (const auto& [b, g] : m_groupButtons) {
        if (b != pressed && g == group && b->isChecked()) {
            b->setChecked(false);
        }
    }
}

void TForm1::buildLayout() {
    auto* central = new QWidget(this);
    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(2, 2, 2, 2);

    // Left: check boxes, coordinates, theme-moving buttons, the two tabs.
    auto* left = new QWidget(central);
    left->setObjectName(QStringLiteral("PanelLeft"));
    // A fixed width, so that the map's width (and with it its scale) does
    // not change when read-outs and lists fill in.
    left->setFixedWidth(300);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);

    auto* checks = new QHBoxLayout;
    ck = new QCheckBox(QStringLiteral("Todos"), left);
    ck->setObjectName(QStringLiteral("ck"));
    CheckBox1 = new QCheckBox(QStringLiteral("KESTRAM"), left);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setToolTip(QStringLiteral(
        "Acessa informações de click no KESTRAM - ou acessa Web Map para shapes do tipo  indice"));
    CheckBox1->setEnabled(false);
    CheckBox2 = new QCheckBox(QStringLiteral("GMS"), left);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->hide();
    checks->addWidget(ck);
    checks->addWidget(CheckBox1);
    checks->addWidget(CheckBox2);
    leftLayout->addLayout(checks);

    // The coordinates, one row each, wide enough for the longest text they
    // show (degrees, minutes and seconds of -179°, or metres).
    auto* coords = new QGridLayout;
    StaticText1 = new QLabel(QStringLiteral("X"), left);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    Edit2 = new QLineEdit(left);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    StaticText2 = new QLabel(QStringLiteral("Y"), left);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    Edit3 = new QLineEdit(left);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setReadOnly(true);
    coords->addWidget(StaticText1, 0, 0);
    coords->addWidget(Edit2, 0, 1);
    coords->addWidget(StaticText2, 1, 0);
    coords->addWidget(Edit3, 1, 1);
    for (QLineEdit* edit : {Edit2, Edit3}) {
        edit->setMinimumWidth(workspace::coordinateFieldWidth(*edit));
    }
    for (QWidget* w : {static_cast<QWidget*>(StaticText1), static_cast<QWidget*>(Edit2),
                       static_cast<QWidget*>(StaticText2), static_cast<QWidget*>(Edit3)}) {
        w->hide();
    }
    leftLayout->addLayout(coords);

    auto* movers = new QWidget(left);
    movers->setLayout(new QHBoxLayout);
    movers->layout()->setContentsMargins(0, 0, 0, 0);
    addButton(movers, QStringLiteral("SpeedButton29"), QStringLiteral("Iniciar - \"mover temas\""));
    addButton(movers, QStringLiteral("SpeedButton30"), QStringLiteral("Mover para cima"));
    addButton(movers, QStringLiteral("SpeedButton31"), QStringLiteral("Mover para baixo"));
    addButton(movers, QStringLiteral("SpeedButton32"), QStringLiteral("Encerrar \"mover tema\" "));
    addButton(movers, QStringLiteral("SpeedButton35"), QStringLiteral("Altera ordem da legenda"))
        ->setCheckable(true);
    leftLayout->addWidget(movers);

    PageControl1 = new QTabWidget(left);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    CheckListBox1 = new QListWidget;
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setUniformItemSizes(true);
    CheckListBox1->setStyleSheet(
        QStringLiteral("QListWidget#CheckListBox1::item { height: 30px; }"));
    CheckListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListBox1 = new QListWidget;
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    PageControl1->addTab(CheckListBox1, QStringLiteral("Layers"));
    PageControl1->addTab(ListBox1, QStringLiteral("Legenda"));
    leftLayout->addWidget(PageControl1, 1);
    // The remote database's map groups, shown with the map-group connection.
    Panel3 = new wms::MapListPanel(left);
    Panel3->hide();
    leftLayout->addWidget(Panel3);

    ListBox2 = new QListWidget(left);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setToolTip(QStringLiteral("Seleção de níveis "));
    ListBox2->hide();
    ComboBox1 = new QComboBox(left);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->hide();

    // Centre: the main map with the remote picture in the same place, and
    // under it the navigation choice, the read-outs, the overview map and
    // the scale bar.
    auto* centre = new QWidget(central);
    auto* centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(0, 0, 0, 0);
    auto* mapArea = new QGridLayout;
    Map1 = new mapcontrol::MapWidget(centre);
    Map1->setObjectName(QStringLiteral("Map1"));
    Image1 = new QLabel(centre);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    // The two share one place and one size whichever is shown: the picture's
    // own size must not move the layout, and the hidden one keeps following it.
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    for (QWidget* w : {static_cast<QWidget*>(Map1), static_cast<QWidget*>(Image1)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    Image1->hide();
    mapArea->addWidget(Map1, 0, 0);
    mapArea->addWidget(Image1, 0, 0);  // same place, same size as Map1
    centreLayout->addLayout(mapArea, 1);

    auto* bottom = new QHBoxLayout;
    RadioGroup1 = new QGroupBox(QStringLiteral("Navegação"), centre);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* navigation = new QVBoxLayout(RadioGroup1);
    auto* visible = new QRadioButton(QStringLiteral("Visível"), RadioGroup1);
    visible->setObjectName(QStringLiteral("RadioGroup1Item0"));
    auto* invisible = new QRadioButton(QStringLiteral("Invisivel"), RadioGroup1);
    invisible->setObjectName(QStringLiteral("RadioGroup1Item1"));
    invisible->setChecked(true);
    navigation->addWidget(visible);
    navigation->addWidget(invisible);
    bottom->addWidget(RadioGroup1);

    auto* readouts = new QGridLayout;
    auto* distanceLabel = new QLabel(QStringLiteral("Distância==>"), centre);
    distanceLabel->setObjectName(QStringLiteral("Label1"));
    Edit10 = new QLineEdit(centre);
    Edit10->setObjectName(QStringLiteral("Edit10"));
    Edit10->setReadOnly(true);
    Label3 = new QLabel(QStringLiteral("Escala   -  1 :"), centre);
    Label3->setObjectName(QStringLiteral("Label3"));
    Edit4 = new QLineEdit(centre);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    auto* applyScale = new QToolButton(centre);
    applyScale->setObjectName(QStringLiteral("SpeedButton26"));
    applyScale->setToolTip(QStringLiteral("Atualiza escala"));
    showToolIcon(applyScale);
    readouts->addWidget(distanceLabel, 0, 0);
    readouts->addWidget(Edit10, 0, 1, 1, 2);
    readouts->addWidget(Label3, 1, 0);
    readouts->addWidget(Edit4, 1, 1);
    readouts->addWidget(applyScale, 1, 2);
    for (QWidget* w : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Edit4),
                       static_cast<QWidget*>(applyScale), static_cast<QWidget*>(distanceLabel),
                       static_cast<QWidget*>(Edit10)}) {
        keepPlaceWhenHidden(*w);
        w->hide();
    }
    Edit6 = new QLineEdit(centre);
    Edit6->setObjectName(QStringLiteral("Edit6"));
    Edit6->hide();
    Edit7 = new QLineEdit(centre);
    Edit7->setObjectName(QStringLiteral("Edit7"));
    Edit7->hide();
    Edit5 = new QLineEdit(centre);
    Edit5->setObjectName(QStringLiteral("Edit5"));
    Edit5->hide();
    Edit1 = new QLineEdit(centre);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    bottom->addLayout(readouts);

    Map2 = new mapcontrol::MapWidget(centre);
    Map2->setObjectName(QStringLiteral("Map2"));
    Map2->setFixedSize(180, 110);
    keepPlaceWhenHidden(*Map2);
    Map2->hide();
    bottom->addWidget(Map2);

    // The scale bar floats over the map where the user drags it. Its picture
    // (the bar and its length) spans the whole panel, so that the length
    // read from the panel's width and from the picture's is the same; the
    // buttons that widen and narrow it sit under the picture.
    Panel2 = new QWidget(centre);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedSize(kScaleBarPixels, 40);
    Panel2->setAutoFillBackground(true);
    Panel2->move(8, 8);
    auto* scaleBar = new QVBoxLayout(Panel2);
    scaleBar->setContentsMargins(0, 0, 0, 0);
    scaleBar->setSpacing(0);
    Image2 = new QLabel(Panel2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedWidth(kScaleBarPixels);
    Image2->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Image2->setStyleSheet(
        QStringLiteral("QLabel#Image2 { border: none; border-bottom: 3px solid black; }"));
    scaleBar->addWidget(Image2, 1);
    auto* sizeButtons = new QHBoxLayout;
    sizeButtons->setContentsMargins(0, 0, 0, 0);
    sizeButtons->setSpacing(0);
    struct SizeButton {
        const char* name;
        const char* sign;
        const char* hint;
    };
    for (const SizeButton& s : {SizeButton{"SpeedButton22", "+", "Aumenta a barra de escala"},
                                SizeButton{"SpeedButton23", "-", "Diminui a barra de escala"}}) {
        auto* b = new QToolButton(Panel2);
        b->setObjectName(QLatin1String(s.name));
        b->setText(QLatin1String(s.sign));
        b->setToolTip(QString::fromUtf8(s.hint));
        b->setFixedSize(16, 14);
        sizeButtons->addWidget(b);
    }
    sizeButtons->addStretch(1);
    scaleBar->addLayout(sizeButtons);
    Panel2->hide();
    bottom->addStretch(1);
    centreLayout->addLayout(bottom);

    // Right: the tool buttons, in two columns read top to bottom.
    auto* tools = new QWidget(central);
    tools->setObjectName(QStringLiteral("PanelTools"));
    auto* toolsLayout = new QGridLayout(tools);
    toolsLayout->setContentsMargins(0, 0, 0, 0);
    toolsLayout->setSpacing(1);
    QWidget* toolColumns[2];
    for (int c = 0; c < 2; ++c) {
        toolColumns[c] = new QWidget(tools);
        toolColumns[c]->setLayout(new QVBoxLayout);
        toolColumns[c]->layout()->setSpacing(0);
        toolColumns[c]->layout()->setContentsMargins(0, 0, 0, 0);
        toolsLayout->addWidget(toolColumns[c], 0, c, Qt::AlignTop);
    }
    int placed = 0;
    for (const ToolButtonInfo& info : kToolButtons) {
        addButton(toolColumns[placed++ < kFirstColumnButtons ? 0 : 1], QLatin1String(info.name),
                  QString::fromUtf8(info.hint), info.group);
    }

    outer->addWidget(left);
    outer->addWidget(centre, 1);
    outer->addWidget(tools);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_statusLine = new platform::StatusLine(*statusBar());

    for (const char* name : kHiddenButtons) {
        button(QLatin1String(name))->hide();
    }
    for (const char* name : kDisabledButtons) {
        button(QLatin1String(name))->setEnabled(false);
    }
    connect(button(QStringLiteral("SpeedButton33")), &QToolButton::clicked, this,
            &TForm1::SpeedButton33Click);
}

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    const auto menu = [bar](const QString& title, const QString& name) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(name);
        return m;
    };
    const auto item = [](QMenu* m, const QString& text, const QString& name) {
        QAction* a = m->addAction(text);
        a->setObjectName(name);
        return a;
    };
    QMenu* arquivo = menu(QStringLiteral("&Arquivo"), QStringLiteral("Arquivo1"));
    item(arquivo, QStringLiteral("&Novo projeto"), QStringLiteral("Novoprojeto1"));
    item(arquivo, QStringLiteral("Abrir projeto"), QStringLiteral("Projeto1"));
    item(arquivo, QStringLiteral("Gravar projeto"), QStringLiteral("Gravaprojeto1"));
    item(arquivo, QStringLiteral("Grava_tela_tif"), QStringLiteral("Grava_tela_tif1"));
    item(arquivo, QStringLiteral("Grava_tela_bmp"), QStringLiteral("Grava_tela_bmp1"));
    item(arquivo, QStringLiteral("Grava_EMF"), QStringLiteral("Grava_EMF1"));
    QAction* sair = item(arquivo, QStringLiteral("&Sair"), QStringLiteral("Sair1"));
    connect(sair, &QAction::triggered, this, &TForm1::exitRequested);

    QMenu* temas = menu(QStringLiteral("Temas"), QStringLiteral("Temas1"));
    item(temas, QStringLiteral("Adicionar temas"), QStringLiteral("Adicionartemas1"));
    item(temas, QStringLiteral("Excluir temas"), QStringLiteral("Excluirtemas1"));
    // Entries without items run their command when chosen.
    const auto command = [bar](const QString& title, const QString& name) {
        QAction* a = bar->addAction(title);
        a->setObjectName(name);
        return a;
    };
    command(QStringLiteral("Imprimir"), QStringLiteral("Imprimir1"));
    QMenu* zoom = menu(QStringLiteral("Zoom"), QStringLiteral("Zoom1"));
    item(zoom, QStringLiteral("Zoom +"), QStringLiteral("Zoommais1"));
    item(zoom, QStringLiteral("Zoom -"), QStringLiteral("Zoommenos1"));
    item(zoom, QStringLiteral("Zoom janela"), QStringLiteral("Zoomjanela1"));
    item(zoom, QStringLiteral("Zoom pan"), QStringLiteral("Zoompan1"));
    item(zoom, QStringLiteral("Mapa inteiro"), QStringLiteral("Mapainteiro1"));
    QMenu* pesq = menu(QStringLiteral("Pesq"), QStringLiteral("Pesq1"));
    item(pesq, QStringLiteral("Ativa pesquisa por cursor"),
         QStringLiteral("Ativapesquisaporcursor1"));
    item(pesq, QStringLiteral("Pesquisa  por query"), QStringLiteral("Pesquisaporquery1"));
    item(pesq, QStringLiteral("Retirar a seleção - query"), QStringLiteral("Retirarselecao1"));
    command(QStringLiteral("Reclassificar"), QStringLiteral("Cor1"));
    QMenu* legenda = menu(QStringLiteral("Legenda"), QStringLiteral("Legenda1"));
    item(legenda, QStringLiteral("Ativa"), QStringLiteral("Ativaedesativa2"));
    item(legenda, QStringLiteral("Grava legenda"), QStringLiteral("Gravalegenda1"));
    item(legenda, QStringLiteral("Retorna a paleta de cores original"),
         QStringLiteral("Retornaapaletadecoresoriginal1"));
    for (const auto& [title, name] :
         std::initializer_list<std::pair<const char*, const char*>>{{"Distâncias", "Distancias1"},
                                                                    {"Clipboard", "Clipboard1"},
                                                                    {"Mensagens", "Mensagens1"},
                                                                    {"Texto", "Label8"},
                                                                    {"Zoom_coord", "Zoom_coord1"},
                                                                    {"Conexões", "Conexoes1"},
                                                                    {"Ajuda", "Ajuda1"},
                                                                    {"WMS", "WMSservio1"}}) {
        command(QString::fromUtf8(title), QLatin1String(name));
    }
    QAction* sairMain = bar->addAction(QStringLiteral("Sair"));
    sairMain->setObjectName(QStringLiteral("Sair2"));
    connect(sairMain, &QAction::triggered, this, &TForm1::exitRequested);
}

std::vector<files::ThemeEntry> TForm1::themeEntries() const {
    std::vector<files::ThemeEntry> entries;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        entries.push_back({item->text(), item->checkState() == Qt::Checked});
    }
    return entries;
}

void TForm1::deleteTemporaryPictures() {
    const QDir folder(m_surroundings.configuration.programFolder);
    for (const char* name : {"temp.jpg", "temp.bmp", "temp1.bmp"}) {
        QFile::remove(folder.filePath(QLatin1String(name)));  // a failure is of no consequence
    }
}

bool TForm1::loadProject(const QString& nativePath, QChar drive) {
    const platform::Result loaded = LoadProjectLines(nativePath, drive);
    if (!loaded) {
        m_surroundings.dialogs.message(this, loaded.message + QStringLiteral("\n") + loaded.detail,
                                       platform::MessageKind::Error);
        return false;
    }
    m_state.themesLoaded = true;
    for (QWidget* w : {static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Edit3),
                       static_cast<QWidget*>(CheckBox2), static_cast<QWidget*>(StaticText1),
                       static_cast<QWidget*>(StaticText2)}) {
        w->show();
    }
    m_state.coordsVisible = true;
    Map1->setMousePointer(mapcontrol::MapWidget::PointerArrow);
    // The extent taken at start came from a map without layers: the
    // project's own full extent is what the user expects to see.
    if (Map1->layers().count() == 0) {
        m_state.currentExtent = mapcontrol::Rectangle();
    }
    RebuildAllLayers();
    if (m_state.currentExtent.isEmpty()) {
        m_state.currentExtent = Map1->fullExtent();
        Map1->setExtent(m_state.currentExtent);
    }
    Map2->setExtent(Map2->fullExtent());
    m_state.scaleBarShown = false;
    Map1->refresh();
    m_startFolders.setProjectFile(nativePath);
    return true;
}

void TForm1::anotherStartAsked(const QString& project) {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (!project.isEmpty()) {
        // After the window came forward, outside the socket's handler.
        QTimer::singleShot(0, this, [this, project] {
            m_surroundings.dialogs.message(this, projectNotOpenedMessage(project),
                                           platform::MessageKind::Warning);
        });
    }
}

bool TForm1::startUp() {
    const platform::Configuration& config = m_surroundings.configuration;
    const platform::DriveTable& drives = config.drives;

    // Step 2: temporary pictures of the last run, and the fixed file C:\TEMPORAY.DB.
    deleteTemporaryPictures();
    if (const auto db = drives.toNative(QStringLiteral("C:\\TEMPORAY.DB"));
        db && QFileInfo(*db).isFile()) {
        QFile::remove(*db);
    }

    // Step 3: conf.dat and config.dat.
    StartupFiles startupFiles;
    const platform::Result read =
        readStartupFiles(platform::configFolder(config.bootDrive), drives, startupFiles);
    if (startupFiles.gatewayLine) {
        m_state.gatewayLine = *startupFiles.gatewayLine;
        CheckBox1->setEnabled(true);
    }

    // Step 4.
    setWindowState(windowState() | Qt::WindowMaximized);
    CheckListBox1->clear();

    // Step 5: the memory check.
    if (m_surroundings.installedMemory &&
        m_surroundings.installedMemory() / 1048576 < kMinimumMegabytes) {
        m_surroundings.dialogs.message(this, kMemoryMessage, platform::MessageKind::Error);
        return false;
    }

    // Steps 6 to 9.
    m_state.currentExtent = Map1->fullExtent();
    Map1->setExtent(m_state.currentExtent);
    const mapcontrol::Rectangle full = Map1->fullExtent();
    m_state.projectedCoords = (full.left() > 180 || full.right() < -180) ? 1 : 0;
    m_state.themeRenderKind.assign(workspace::AppState::kMaxThemes, 0);
    m_state.themesLoaded = false;
    m_state.extentBoxSymbol.type = mapcontrol::SymbolType::Fill;
    m_state.extentBoxSymbol.style = mapcontrol::FillDiagonalCross;
    m_state.extentBoxSymbol.colour = 0xFFFF;
    m_state.extentBoxSymbol.outline = true;

    if (!read) {
        // A configuration file that exists but cannot be read: reported, and
        // the rest of the creation is skipped.
        m_surroundings.dialogs.message(this, read.message + QStringLiteral("\n") + read.detail,
                                       platform::MessageKind::Error);
        return true;
    }

    // Step 10: the project named by config.dat.
    if (startupFiles.hasConfig) {
        if (startupFiles.dataDrive) {
            m_state.dataDrive = *startupFiles.dataDrive;
        }
        if (startupFiles.projectPath) {
            const QString windowsPath =
                QString(m_state.dataDrive) + QStringLiteral(":\\") + *startupFiles.projectPath;
            const auto native = drives.toNative(windowsPath);
            // The scale and its bar depend on the map's width: they are
            // worked out once the window is shown at its size.
            if (native && QFileInfo(*native).isFile() && loadProject(*native, m_state.dataDrive)) {
                m_scaleBarWhenShown = true;
            }
        }
        return true;
    }

    // Step 11: the project named on the command line ("*" + path, Windows or native form).
    if (const std::optional<QString> project = projectArgument(m_surroundings.arguments)) {
        const QString& path = *project;
        std::optional<QString> native;
        if (platform::hasDriveLetter(path)) {
            native = drives.toNative(path);
            m_state.dataDrive = path.at(0);
        } else if (const auto windows = drives.toWindows(path)) {
            native = path;
            m_state.dataDrive = windows->at(0);
        }
        if (native && QFileInfo(*native).isFile()) {
            loadProject(*native, m_state.dataDrive);
        }
    }
    return true;
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        ShowLegend();
        if (m_scaleBarWhenShown) {
            // After the show's layout and resize events have gone round.
            QTimer::singleShot(0, this, [this] { showScaleBarAtSize(); });
        }
    }
}

void TForm1::commonPreamble() {
    m_readouts->UpdateDistanceReadout();
    m_themeList->endMove();
    stopMapTips();
}

void TForm1::showScaleBarAtSize() {
    if (!m_scaleBarWhenShown) {
        return;
    }
    m_scaleBarWhenShown = false;
    // Layouts still waiting to be redone would change the map's width.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    m_readouts->ToggleScaleBar();
}

void TForm1::connectThemeList() {
    const auto coordinateFields = [this](bool shown) {
        for (QWidget* w : {static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Edit3),
                           static_cast<QWidget*>(StaticText1), static_cast<QWidget*>(StaticText2),
                           static_cast<QWidget*>(CheckBox2)}) {
            w->setVisible(shown);
        }
        if (!shown) {
            Edit2->setText(QStringLiteral(" "));
            Edit3->setText(QStringLiteral(" "));
        }
    };
    workspace::ThemeList::Hooks hooks;
    hooks.commonPreamble = [this] { commonPreamble(); };
    hooks.raiseMapTools = [this] {
        for (const char* name : {"SpeedButton7", "SpeedButton5", "SpeedButton6", "SpeedButton19",
                                 "SpeedButton13", "SpeedButton10"}) {
            button(QLatin1String(name))->setChecked(false);
        }
    };
    hooks.legendIfShown = [this] {
        if (button(QStringLiteral("SpeedButton18"))->isChecked()) ShowLegend();
    };
    hooks.transparencySwitch = [this] { button(QStringLiteral("SpeedButton21"))->click(); };
    hooks.computeNumericScale = [this] { m_readouts->ComputeNumericScale(); };
    hooks.showCoordinates = [coordinateFields] { coordinateFields(true); };
    hooks.hideCoordinates = [coordinateFields] { coordinateFields(false); };
    hooks.moveButtonsEnabled = [this] {
        for (const char* name : {"SpeedButton30", "SpeedButton31", "SpeedButton32"}) {
            button(QLatin1String(name))->setEnabled(m_state.moveThemeMode);
        }
        if (!m_state.moveThemeMode) {
            button(QStringLiteral("SpeedButton28"))->setChecked(false);
        }
    };
    m_themeList = std::make_unique<workspace::ThemeList>(
        workspace::ThemeList::Controls{*CheckListBox1, *ListBox2, *ComboBox1, *ListBox1, *ck, *Map1,
                                       *Map2},
        std::move(hooks), *m_layerBuilder, m_state, m_surroundings.dialogs,
        m_surroundings.configuration.drives);

    const auto onClick = [this](const char* name, auto handler) {
        connect(button(QLatin1String(name)), &QToolButton::clicked, this, handler);
    };
    onClick("SpeedButton3", [this] {
        withLoadingProgress([this] {
            m_themeList->addTheme(kAddThemeFilter);
            return true;
        });
        // Whatever came of it, the memory and identify tools are on again.
        button(QStringLiteral("M1"))->setEnabled(!m_state.connectionMode);
        button(QStringLiteral("SpeedButton6"))->setEnabled(true);
    });
    onClick("SpeedButton17", [this] { m_themeList->removeTheme(); });
    onClick("SpeedButton29", [this] {
        for (const char* name : {"SpeedButton6", "SpeedButton10", "SpeedButton9"}) {
            button(QLatin1String(name))->setChecked(false);
        }
        stopMapTips();
        m_themeList->startMove(false);
    });
    onClick("SpeedButton28", [this] { m_themeList->startMove(true); });
    // Each mover first brings the query window back while the query tool is on.
    const auto onMover = [this, onClick](const char* name, void (workspace::ThemeList::*step)()) {
        onClick(name, [this, step] {
            if (button(QStringLiteral("SpeedButton10"))->isChecked()) {
                m_windows->window(QStringLiteral("TForm5"))->show();
            }
            (m_themeList.get()->*step)();
        });
    };
    onMover("SpeedButton30", &workspace::ThemeList::moveUp);
    onMover("SpeedButton31", &workspace::ThemeList::moveDown);
    onMover("SpeedButton32", &workspace::ThemeList::endMove);
    const auto onMenu = [this](const char* name, auto handler) {
        if (QAction* action = findChild<QAction*>(QLatin1String(name))) {
            connect(action, &QAction::triggered, this, handler);
        }
    };
    onMenu("Adicionartemas1", [this] { button(QStringLiteral("SpeedButton3"))->click(); });
    onMenu("Excluirtemas1", [this] { button(QStringLiteral("SpeedButton17"))->click(); });
    onMenu("Novoprojeto1", [this] {
        m_themeList->newProject();
        m_startFolders.setProjectFile({});
    });
    connect(CheckListBox1, &QListWidget::itemChanged, this,
            [this] { m_themeList->applyVisibility(false); });
    connect(ck, &QCheckBox::clicked, this, [this] { m_themeList->applyVisibility(true); });
    // Selecting a theme ends a measurement, raises the query and
    // classification tools and ends reordering.
    connect(CheckListBox1, &QListWidget::itemClicked, this, [this] {
        m_readouts->UpdateDistanceReadout();
        button(QStringLiteral("SpeedButton10"))->setChecked(false);
        button(QStringLiteral("SpeedButton9"))->setChecked(false);
        windows().window(QStringLiteral("TForm4"))->close();
        windows().window(QStringLiteral("TForm5"))->close();
        if (m_state.moveThemeMode) {
            m_themeList->endMove();
        }
        if (button(QStringLiteral("SpeedButton18"))->isChecked()) ShowLegend();
    });
    CheckListBox1->viewport()->installEventFilter(this);
    centralWidget()->installEventFilter(this);
    centralWidget()->setMouseTracking(true);
    CheckListBox1->viewport()->setMouseTracking(true);
    connect(CheckListBox1, &QListWidget::itemDoubleClicked, this,
            [this] { m_themeList->renameSelected(); });
    CheckListBox1->installEventFilter(this);
}

void TForm1::connectMapTools() {
    m_navigation = std::make_unique<workspace::Navigation>(
        workspace::Navigation::Controls{
            *Map1, *Map2, *button(QStringLiteral("SpeedButton5")),
            *button(QStringLiteral("SpeedButton7")), *button(QStringLiteral("SpeedButton6")),
            *button(QStringLiteral("SpeedButton10")), *button(QStringLiteral("SpeedButton9")),
            *button(QStringLiteral("SpeedButton19")), *button(QStringLiteral("SpeedButton13")),
            *PageControl1},
        navigationBranches(), m_state, *m_readouts, *m_themeList, m_surroundings.dialogs);
    const auto onClick = [this](const char* name, auto handler) {
        connect(button(QLatin1String(name)), &QToolButton::clicked, this, handler);
    };
    onClick("SpeedButton2", [this] { m_navigation->zoomIn(); });
    onClick("SpeedButton4", [this] { m_navigation->zoomOut(); });
    onClick("SpeedButton1", [this] { m_navigation->wholeMap(); });
    onClick("SpeedButton5", [this] { m_navigation->panMode(); });
    onClick("SpeedButton7", [this] { m_navigation->zoomWindowMode(); });
    onClick("SpeedButton11", [this] { m_readouts->ToggleCoordinates(); });
    onClick("SpeedButton12", [this] { m_readouts->ComputeNumericScale(); });
    onClick("SpeedButton24", [this] { m_readouts->ToggleScaleBar(); });
    onClick("SpeedButton22", [this] { m_readouts->resizeScaleBar(3); });
    onClick("SpeedButton23", [this] { m_readouts->resizeScaleBar(-3); });
    onClick("SpeedButton26", [this] { m_readouts->ApplyTypedScale(); });
    onClick("SpeedButton13", [this] {
        if (button(QStringLiteral("SpeedButton13"))->isChecked()) {
            Edit10->show();
            findChild<QLabel*>(QStringLiteral("Label1"))->show();
            m_readouts->StartDistance();
        } else {
            m_readouts->UpdateDistanceReadout();
        }
    });
    const auto onMenu = [this](const char* name, auto handler) {
        if (QAction* action = findChild<QAction*>(QLatin1String(name))) {
            connect(action, &QAction::triggered, this, handler);
        }
    };
    onMenu("Zoommais1", [this] { button(QStringLiteral("SpeedButton2"))->click(); });
    onMenu("Zoommenos1", [this] { button(QStringLiteral("SpeedButton4"))->click(); });
    onMenu("Mapainteiro1", [this] { button(QStringLiteral("SpeedButton1"))->click(); });
    onMenu("Zoompan1", [this] {
        button(QStringLiteral("SpeedButton5"))->setChecked(true);
        m_navigation->panMode();
    });
    onMenu("Zoomjanela1", [this] {
        m_state.overviewBoxPending = true;
        Map2->refresh();
        button(QStringLiteral("SpeedButton7"))->setChecked(true);
        m_navigation->zoomWindowMode();
    });
    onMenu("Gravaprojeto1", [this] { SaveProject(); });
    onMenu("Projeto1", [this] { OpenProject(); });
    onMenu("Gravalegenda1", [this] { SaveColourFile(); });
    onClick("SpeedButton25", [this] { SaveColourFile(); });
    onMenu("Distancias1", [this] {
        QToolButton* distance = button(QStringLiteral("SpeedButton13"));
        if (!distance->isChecked()) {
            distance->click();  // down, and its command runs
        }
    });

    connect(Map1, &mapcontrol::MapWidget::mouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
                m_navigation->mousePress(b, x, y);
            });
    connect(Map1, &mapcontrol::MapWidget::mouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
                Edit6->setText(QString::number(x));
                Edit7->setText(QString::number(y));
                m_navigation->updateToolCursor();
                m_readouts->OnPointerMove(x, y);
                m_mapTips->pointerMoved(x, y);
            });
    connect(Map2, &mapcontrol::MapWidget::mouseDown, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                m_navigation->overviewPress();
            });
    connect(Map2, &mapcontrol::MapWidget::afterLayerDraw, this,
            [this](int index) { m_navigation->afterOverviewLayer(index); });
    for (int item = 0; item < 2; ++item) {
        auto* radio =
            RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(item));
        connect(radio, &QRadioButton::toggled, this, [this, item](bool on) {
            if (on) m_navigation->setOverviewChoice(item);
        });
    }
    Panel2->installEventFilter(this);
    Image2->installEventFilter(this);
    // Moving over these switches map tips off.
    for (QWidget* w :
         {static_cast<QWidget*>(Map2), static_cast<QWidget*>(Panel2), static_cast<QWidget*>(Edit4),
          static_cast<QWidget*>(button(QStringLiteral("SpeedButton26")))}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // The frozen picture of the distance tool takes the clicks while it is shown.
    Image1->installEventFilter(this);
    Image1->setMouseTracking(true);
    // The scale shown follows the map's size (a window maximised after start).
    Map1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Map1 && event->type() == QEvent::Resize) {
        m_readouts->mapResized();
    }
    if (event->type() == QEvent::MouseMove &&
        (watched == Map2 || watched == Panel2 || watched == Edit4 ||
         watched == button(QStringLiteral("SpeedButton26")))) {
        stopMapTips();
    }
    if (watched == Panel2 || watched == Image2) {
        // Pressing the scale bar picks it up; it follows the pointer until released.
        if (event->type() == QEvent::MouseButtonPress) {
            m_scaleBarDragging = true;
            Panel2->raise();
            return true;
        }
        if (event->type() == QEvent::MouseMove && m_scaleBarDragging) {
            const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            Panel2->move(Panel2->parentWidget()->mapFromGlobal(global));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_scaleBarDragging) {
            m_scaleBarDragging = false;
            Panel2->update();
            return true;
        }
    }
    if (watched == Image1 && !m_state.distanceActive && forwardToMainMap(event)) {
        return true;
    }
    if (watched == Image1 && m_state.distanceActive) {
        if (event->type() == QEvent::MouseButtonPress) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            m_readouts->AddDistancePoint(p.x(), p.y());
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_readouts->UpdateDistanceReadout();
            button(QStringLiteral("SpeedButton13"))->setChecked(false);
            RemotePictureDoubleClicked();
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            m_readouts->OnPointerMove(p.x(), p.y());
        }
    }
    if (watched == CheckListBox1 &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool press = event->type() == QEvent::KeyPress;
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
            // Held, F1 keeps the list in reordering; released, it ends it as
            // the end button does, so a started move reaches the maps.
            if (press) {
                m_state.moveThemeMode = true;
            } else {
                m_themeList->endMove();
            }
        } else if (key->key() == Qt::Key_F2 && press) {
            m_themeList->armRename();
        } else if (key->key() == Qt::Key_Delete && press) {
            m_themeList->removeTheme();
            return true;
        } else if (key->key() == Qt::Key_Control && press && !key->isAutoRepeat()) {
            button(QStringLiteral("SpeedButton21"))->click();  // the transparency switch
        }
    }
    if (watched == centralWidget() && event->type() == QEvent::MouseButtonDblClick) {
        mainWindowDoubleClicked();
    }
    if (watched == centralWidget() && event->type() == QEvent::MouseButtonPress) {
        m_themeList->endMove();  // a click on the form ends reordering
    }
    if (watched == centralWidget() && event->type() == QEvent::MouseMove) {
        Edit5->hide();
        if (button(QStringLiteral("SpeedButton19"))->isChecked()) stopMapTips();
    }
    if (watched == CheckListBox1->viewport() && event->type() == QEvent::MouseMove) {
        stopMapTips();  // moving over the list switches map tips off
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::forwardToMainMap(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            // The picture lies over the main map with its size: the map takes
            // the clicks (the tools, a drawn box, the read-outs) as its own.
            std::unique_ptr<QEvent> copy(event->clone());
            QCoreApplication::sendEvent(Map1, copy.get());
            return true;
        }
        default:
            return false;
    }
}

void TForm1::SpeedButton33Click() {
    deleteTemporaryPictures();
    emit exitRequested();
}

}  // namespace app
