#include "query/identify_tool.h"

#include "files/theme_line.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "query/identify.h"
#include "query/media_links.h"
#include "query/media_window.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace query {

const QString IdentifyTool::kPrintErrorMessage = QStringLiteral("Erro na impressao");

namespace {

QStringList listLines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) lines.append(list.item(i)->text());
    return lines;
}

}  // namespace

IdentifyTool::IdentifyTool(Controls controls, Hooks hooks, workspace::AppState& state,
                           platform::Dialogs& dialogs, const platform::DriveTable& drives)
    : m_controls(controls),
      m_hooks(std::move(hooks)),
      m_state(state),
      m_dialogs(dialogs),
      m_drives(drives) {
    buildAttributeWindow();
    buildAreaWindow();
}

void IdentifyTool::buildAttributeWindow() {
    QWidget& form = m_controls.attributes;
    // A tool window: it stays in front of the main window.
    form.setWindowFlag(Qt::Tool, true);
    auto* layout = new QVBoxLayout(&form);
    auto* menu = new QMenuBar(&form);
    QAction* print = menu->addAction(QStringLiteral("Imprime"));
    print->setObjectName(QStringLiteral("Imprime1"));
    QAction* save = menu->addAction(QStringLiteral("Grava_arquivo"));
    save->setObjectName(QStringLiteral("Grava_arquivo1"));
    layout->setMenuBar(menu);
    connect(print, &QAction::triggered, this, &IdentifyTool::print);
    connect(save, &QAction::triggered, this, &IdentifyTool::saveToFile);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Ident. Registro\n(Clique)"), &form), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Pesq. encontrada"), &form), 0, 1);
    ListBox1 = new QListWidget(&form);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setMaximumWidth(90);
    ListBox2 = new QListWidget(&form);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListBox3 = new QListWidget(&form);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    ListBox3->hide();
    lists->addWidget(ListBox1, 1, 0);
    lists->addWidget(ListBox2, 1, 1);
    lists->setColumnStretch(1, 1);
    layout->addLayout(lists, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](QPushButton*& b, const char* name, const char* text) {
        b = new QPushButton(QString::fromUtf8(text), &form);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
    };
    button(Foto, "Foto", "Foto");
    button(FilmeSom, "FilmeSom", "Filme/Som");
    button(DocLegenda, "DocLegenda", "Doc/Legenda");
    button(AreaButton, "Area", "Area");
    button(BuscaKestram, "BuscaKestram", "Busca Kestram");
    button(Tabela, "Tabela", "Tabela");
    button(Voltar, "Voltar", "Voltar");
    for (QPushButton* b : {Foto, FilmeSom, DocLegenda, BuscaKestram, Tabela}) b->hide();
    layout->addLayout(buttons);
    form.resize(560, 360);

    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showRecord(ListBox1->row(item)); });
    connect(Foto, &QPushButton::clicked, &m_controls.media, &MediaWindow::showPhoto);
    connect(FilmeSom, &QPushButton::clicked, &m_controls.media, &MediaWindow::playFilm);
    connect(DocLegenda, &QPushButton::clicked, &m_controls.media, &MediaWindow::showDocument);
    connect(AreaButton, &QPushButton::clicked, this, &IdentifyTool::showArea);
    connect(Voltar, &QPushButton::clicked, this, &IdentifyTool::back);
}

void IdentifyTool::buildAreaWindow() {
    QWidget& form = m_controls.area;
    auto* layout = new QHBoxLayout(&form);
    AreaLabel = new QLabel(&form);
    AreaLabel->setObjectName(QStringLiteral("Label1"));
    AreaEdit = new QLineEdit(&form);
    AreaEdit->setObjectName(QStringLiteral("Edit1"));
    AreaEdit->setReadOnly(true);
    layout->addWidget(AreaLabel);
    layout->addWidget(AreaEdit);
    form.installEventFilter(this);
}

bool IdentifyTool::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_controls.area && event->type() == QEvent::Close) {
        m_areaFlag = false;
    }
    return QObject::eventFilter(watched, event);
}

void IdentifyTool::buttonClicked() {
    m_controls.remotePicture.setCursor(Qt::WhatsThisCursor);
    if (m_hooks.updateDistance) m_hooks.updateDistance();
    if (!m_hooks.connectionChoice || m_hooks.connectionChoice() != 1) {
        return;
    }
    QWidget* parent = m_controls.map1.window();
    const auto refuse = [&](const QString& message) {
        m_dialogs.message(parent, message, platform::MessageKind::Warning);
        m_controls.button.setChecked(false);
    };
    if (m_controls.themes.entries().empty()) {
        refuse(QStringLiteral("Não existe mapa geológico exibido, apenas imagem"));
        return;
    }
    const int selected = m_controls.themes.selectedIndex();
    if (selected < 0) {
        refuse(QStringLiteral("Selecione um tema"));
        return;
    }
    if (!files::namesVectorTheme(m_controls.themes.line(selected))) {
        refuse(QStringLiteral("O tema selecionado não é arquivo shape"));
        return;
    }
    m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerIdentify);
    if (m_hooks.stopMapTips) m_hooks.stopMapTips();
    if (m_hooks.endMove) m_hooks.endMove();
}

void IdentifyTool::identifyAt(const mapcontrol::MapPoint& point) {
    const int selected = m_controls.themes.selectedIndex();
    const QString line = m_controls.themes.line(selected < 0 ? 0 : selected);
    // A layer of a vector file is no picture, whatever its layer is called.
    const bool vectorLayer = files::themeKind(files::themePath(line)) == files::ThemeKind::Vector;
    if (!vectorLayer &&
        (line.contains(QLatin1String(".tif")) || line.contains(QLatin1String(".TIF")) ||
         line.contains(QLatin1String(".Tif")))) {
        identifyPicture(line, point);
    } else if (files::namesVectorTheme(line)) {
        identifyVector(line, point);
    }
}

void IdentifyTool::identifyPicture(const QString& line, const mapcontrol::MapPoint& point) {
    const QString path = files::themePath(line);
    const auto readSide = [this, &path](const char* extension) -> std::optional<QStringList> {
        const std::optional<QString> native =
            m_drives.toNative(rasterSideFile(path, QLatin1String(extension)));
        if (!native || !QFileInfo(*native).isFile()) {
            return std::nullopt;
        }
        platform::TextLines text = platform::readTextLines(*native);
        if (!text.result) {
            return std::nullopt;
        }
        return text.lines;
    };
    // Without a grid description there is no cell to look up.
    const std::optional<QStringList> conf = readSide("conf");
    const std::optional<RasterGrid> grid = conf ? parseRasterGrid(*conf) : std::nullopt;
    m_controls.attributes.close();
    if (!grid) {
        return;
    }
    // The side files number the picture's own cells: a picture warped into
    // the map's system is looked up where the point lies in the picture's.
    std::optional<mapcontrol::MapPoint> inPicture = point;
    if (const auto* layer = dynamic_cast<const mapcontrol::ImageLayer*>(
            m_controls.map1.layers().item(files::layerName(line)))) {
        inPicture = layer->toPictureSystem(point);
    }
    if (!inPicture) {
        return;
    }
    const GridCell cell = gridCell(*grid, *inPicture);
    const std::optional<QStringList> table = readSide("txt");
    const std::optional<QString> attribute = table ? cellAttribute(*table, cell) : std::nullopt;
    if (!attribute) {
        return;
    }
    ListBox3->clear();
    ListBox2->clear();
    ListBox1->clear();
    ListBox1->addItem(QStringLiteral("Linha=") + QString::number(cell.row));
    ListBox1->addItem(QStringLiteral("Coluna=") + QString::number(cell.column));
    ListBox2->addItem(QStringLiteral("Atributo= ") + *attribute);
    m_controls.attributes.show();
}

void IdentifyTool::identifyVector(const QString& line, const mapcontrol::MapPoint& point) {
    const mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line);
    if (!layer || !layer->isValid()) {
        return;
    }
    const bool databaseLink = m_controls.databaseLink.isChecked();
    if (!databaseLink) {
        m_controls.attributes.show();
        m_controls.attributes.raise();
    }
    ListBox3->clear();
    ListBox2->clear();
    ListBox1->clear();

    IdentifiedFeatures found = identifyFeatures(*layer, point, m_controls.map1.extent());
    m_foundShapeType = static_cast<int>(found.shapeType);
    m_foundShapes = std::move(found.shapes);  // grows with the records found
    m_foundCount = static_cast<int>(found.lines.size());
    if (!m_foundShapes.empty()) {
        m_controls.map1.flashShape(m_foundShapes.front(), 1);
        if (found.shapeType == mapcontrol::ShapeType::Polygon) {
            AreaLabel->setText(QStringLiteral("AREA"));
            AreaEdit->setText(areaText(m_foundShapes.front().area()));
            m_areaFlag = true;
        }
    }
    for (int i = 1; i <= m_foundCount; ++i) {
        ListBox1->addItem(QString::number(i));
    }
    if (m_foundCount > 0 && !databaseLink) {
        ListBox2->addItems(found.lines.front());
    }
    ListBox3->addItems(recordStoreLines(found));

    m_firstRecord.clear();
    for (qsizetype i = 0; i < found.firstNames.size() && i < found.firstValues.size(); ++i) {
        m_firstRecord.emplace_back(found.firstNames[i], found.firstValues[i]);
    }
    const MediaNames names = mediaNames(found.firstNames, found.firstValues);
    m_controls.media.setNames(names, mediaFolder(line));
    Foto->setVisible(names.hasPhoto);
    FilmeSom->setVisible(names.hasFilm);
    DocLegenda->setVisible(names.hasDocument);
}

void IdentifyTool::showRecord(int k) {
    if (k < 0 || k >= static_cast<int>(m_foundShapes.size())) {
        return;
    }
    m_controls.map1.flashShape(m_foundShapes[static_cast<std::size_t>(k)], 1);
    ListBox2->clear();
    ListBox2->addItems(recordLines(listLines(*ListBox3), k + 1));
}

void IdentifyTool::print() {
    if (!m_hooks.printLines || !m_hooks.printLines(listLines(*ListBox2))) {
        m_dialogs.message(&m_controls.attributes, kPrintErrorMessage, platform::MessageKind::Error);
    }
}

void IdentifyTool::saveToFile() {
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.dat");
    options.filter = QStringLiteral("dat|*.dat");
    const std::optional<QString> chosen = m_dialogs.saveFile(&m_controls.attributes, options);
    if (!chosen) {
        return;
    }
    const platform::Result written = platform::writeTextLines(*chosen, listLines(*ListBox2));
    if (!written) {
        m_dialogs.message(&m_controls.attributes,
                          written.message + QStringLiteral("\n") + written.detail,
                          platform::MessageKind::Error);
    } else if (m_hooks.status) {
        m_hooks.status->fileWritten(*chosen);
    }
}

void IdentifyTool::showArea() {
    if (m_areaFlag) {
        m_controls.area.show();
        m_controls.area.raise();
    }
}

void IdentifyTool::back() {
    m_controls.attributes.close();
    m_controls.media.close();
}

}  // namespace query
