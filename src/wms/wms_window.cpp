#include "wms/wms_window.h"

#include "net/picture_cache.h"

#include "net/answers_in_order.h"
#include "net/downloader.h"
#include "platform/dialogs.h"
#include "platform/radio_group.h"
#include "platform/text_file.h"
#include "wms/capabilities.h"
#include "wms/macro_file.h"
#include "wms/urls.h"
#include "wms/wms_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace wms {

const QString WmsWindow::kCatalogueUpdated =
    QStringLiteral("Relação de mapas do Kestram atualizada");
const QString WmsWindow::kConnectionProblem =
    QStringLiteral("Problemas com a conexão - verifique!");
const QString WmsWindow::kNotCapabilities = QStringLiteral(
    "O serviço %1 não respondeu com um documento de capacidades WMS "
    "(GetCapabilities):\n%2");
const QString WmsWindow::kMacroFilter = QStringLiteral("*.end|*.end");

OpacityUpDown::OpacityUpDown(QWidget* parent) : QSpinBox(parent) {
    setRange(0, 10);
    setValue(5);
    setToolTip(QStringLiteral("Controla a opacidade "));
    setEnabled(false);
}

void OpacityUpDown::stepBy(int steps) {
    emit stepping(value());
    QSpinBox::stepBy(steps);
}

namespace {

const QString kFieldAreaHint = QStringLiteral(
    "Guarda as imagens dos layers marcados na área do mapa com 2, 4 e 8 vezes o detalhe da "
    "tela, para ver a área sem conexão");

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = {}) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint.isEmpty() ? caption : hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLineEdit* makeEdit(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

}  // namespace

WmsWindow::WmsWindow(Surroundings surroundings) : m_s(std::move(surroundings)) {
    buildControls();
    loadCatalogue();
}

QString WmsWindow::programFile(const char* name) const {
    return QDir(m_s.programFolder).filePath(QLatin1String(name));
}

void WmsWindow::buildControls() {
    QWidget& f = m_s.form;
    auto* outer = new QHBoxLayout(&f);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    outer->addLayout(left, 3);
    outer->addLayout(right, 2);

    left->addWidget(new QLabel(QStringLiteral("Serviços WMS do KESTRAM-disponíveis"), &f));
    auto* catalogueRow = new QHBoxLayout;
    ComboBox3 = new QComboBox(&f);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->setMinimumContentsLength(40);
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    SpeedButton12 = makeButton(&f, QStringLiteral("SpeedButton12"),
                               QStringLiteral("Atualiza a lista por donwload"));
    SpeedButton14 =
        makeButton(&f, QStringLiteral("SpeedButton14"), QStringLiteral("Anexa serviço"));
    catalogueRow->addWidget(ComboBox3, 1);
    catalogueRow->addWidget(SpeedButton12);
    catalogueRow->addWidget(SpeedButton14);
    left->addLayout(catalogueRow);

    left->addWidget(new QLabel(QStringLiteral("Endereço - WMS - ativo"), &f));
    auto* addressRow = new QHBoxLayout;
    Edit1 = makeEdit(&f, QStringLiteral("Edit1"));
    SpeedButton13 =
        makeButton(&f, QStringLiteral("SpeedButton13"), QStringLiteral("Apaga endereço - ativo"));
    SpeedButton5 = makeButton(&f, QStringLiteral("SpeedButton5"),
                              QStringLiteral("Anexa endereço ativo na lista WMS"));
    addressRow->addWidget(Edit1, 1);
    addressRow->addWidget(SpeedButton13);
    addressRow->addWidget(SpeedButton5);
    left->addLayout(addressRow);

    left->addWidget(new QLabel(QStringLiteral("Lista  dos serviços WMS"), &f));
    ListBox1 = new QListWidget(&f);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    left->addWidget(ListBox1, 1);
    auto* serviceButtons = new QHBoxLayout;
    SpeedButton17 = makeButton(&f, QStringLiteral("SpeedButton17"),
                               QStringLiteral("Apaga serv. selecionado da lista WMS"));
    SpeedButton3 = makeButton(&f, QStringLiteral("SpeedButton3"), QStringLiteral("Apaga endereço"));
    SpeedButton6 =
        makeButton(&f, QStringLiteral("SpeedButton6"), QStringLiteral("Apaga a lista toda WMS"));
    SpeedButton2 = makeButton(&f, QStringLiteral("SpeedButton2"), QStringLiteral("Layers"),
                              QStringLiteral("Lê os layers dos serviços da lista"));
    for (QToolButton* b : {SpeedButton17, SpeedButton3, SpeedButton6, SpeedButton2}) {
        serviceButtons->addWidget(b);
    }
    serviceButtons->addStretch(1);
    left->addLayout(serviceButtons);

    left->addWidget(new QLabel(QStringLiteral("Lista de layers "), &f));
    CheckListBox1 = new QListWidget(&f);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    left->addWidget(CheckListBox1, 2);
    auto* layerButtons = new QHBoxLayout;
    SpeedButton18 = makeButton(&f, QStringLiteral("SpeedButton18"), QStringLiteral("Apaga layer"));
    SpeedButton1 = makeButton(&f, QStringLiteral("SpeedButton1"), QStringLiteral("Mapa"),
                              QStringLiteral("Mostra o mapa dos layers selecionados"));
    SpeedButton16 = makeButton(&f, QStringLiteral("SpeedButton16"), QStringLiteral("Mapa indice"));
    SpeedButton4 = makeButton(&f, QStringLiteral("SpeedButton4"), QStringLiteral("Desconecta"));
    SpeedButton11 = makeButton(&f, QStringLiteral("SpeedButton11"), QStringLiteral("Legenda"),
                               QStringLiteral("Mostra a legenda do layer selecionado"));
    GuardaCampo = makeButton(&f, QStringLiteral("GuardaCampo"),
                             QStringLiteral("Guardar área para campo"), kFieldAreaHint);
    for (QToolButton* b :
         {SpeedButton18, SpeedButton1, SpeedButton16, SpeedButton4, SpeedButton11, GuardaCampo}) {
        layerButtons->addWidget(b);
    }
    layerButtons->addStretch(1);
    left->addLayout(layerButtons);

    right->addWidget(new QLabel(
        QStringLiteral("Endereço e layer  selecionado  para  a função identify e legenda"), &f));
    Edit6 = makeEdit(&f, QStringLiteral("Edit6"));
    Edit7 = makeEdit(&f, QStringLiteral("Edit7"));
    right->addWidget(Edit6);
    right->addWidget(Edit7);
    RadioGroup2 = platform::addRadioGroup(&f, right, QStringLiteral("RadioGroup2"),
                                          QStringLiteral("Função identifica (i)"),
                                          {QStringLiteral("Responde ao layer WMS selecionado"),
                                           QStringLiteral("Responde  a shape local selecionada")},
                                          1);
    auto* extent = new QGridLayout;
    const QString names[] = {QStringLiteral("Edit2"), QStringLiteral("Edit3"),
                             QStringLiteral("Edit4"), QStringLiteral("Edit5")};
    const QString labels[] = {QStringLiteral("N"), QStringLiteral("S"), QStringLiteral("E"),
                              QStringLiteral("W")};
    QLineEdit** edits[] = {&Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 4; ++i) {
        *edits[i] = makeEdit(&f, names[i]);
        extent->addWidget(new QLabel(labels[i], &f), i, 0);
        extent->addWidget(*edits[i], i, 1);
    }
    right->addLayout(extent);
    RadioGroup1 = platform::addRadioGroup(
        &f, right, QStringLiteral("RadioGroup1"), QStringLiteral("Contexto- da tela em Lat-Lon"),
        {QStringLiteral("Default - Lat e Lon  dos arquivos originais vindos através do  wms"),
         QStringLiteral("Atual - coordenadas da tela em uso")},
        0);
    CheckBox1 = new QCheckBox(QStringLiteral("Geologia e relevo"), &f);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->hide();
    right->addWidget(CheckBox1);
    Memo1 = new QPlainTextEdit(&f);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->hide();

    auto* tools = new QHBoxLayout;
    SpeedButton7 = makeButton(&f, QStringLiteral("SpeedButton7"), QStringLiteral("Configura"));
    SpeedButton10 = makeButton(&f, QStringLiteral("SpeedButton10"), QStringLiteral("Zoom"),
                               QStringLiteral("Zoom com entrada de coordenadas"));
    SpeedButton19 = makeButton(&f, QStringLiteral("SpeedButton19"), QStringLiteral("Vetor"));
    up1 = new OpacityUpDown(&f);
    up1->setObjectName(QStringLiteral("up1"));
    for (QWidget* w : {static_cast<QWidget*>(SpeedButton7), static_cast<QWidget*>(SpeedButton10),
                       static_cast<QWidget*>(SpeedButton19), static_cast<QWidget*>(up1)}) {
        tools->addWidget(w);
    }
    right->addLayout(tools);
    auto* macros = new QHBoxLayout;
    SpeedButton8 =
        makeButton(&f, QStringLiteral("SpeedButton8"), QStringLiteral("Grava arquivo macro"));
    SpeedButton9 =
        makeButton(&f, QStringLiteral("SpeedButton9"), QStringLiteral("Le arquivo macro"));
    macros->addWidget(SpeedButton8);
    macros->addWidget(SpeedButton9);
    right->addLayout(macros);
    right->addStretch(1);

    connect(SpeedButton12, &QToolButton::clicked, this, &WmsWindow::SpeedButton12Click);
    connect(SpeedButton14, &QToolButton::clicked, this, &WmsWindow::SpeedButton14Click);
    connect(SpeedButton13, &QToolButton::clicked, Edit1, &QLineEdit::clear);
    connect(SpeedButton5, &QToolButton::clicked, this, &WmsWindow::SpeedButton5Click);
    connect(SpeedButton17, &QToolButton::clicked, this, &WmsWindow::SpeedButton17Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &WmsWindow::SpeedButton3Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &WmsWindow::SpeedButton6Click);
    connect(SpeedButton18, &QToolButton::clicked, this, &WmsWindow::SpeedButton18Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &WmsWindow::ReadCapabilities);
    connect(SpeedButton8, &QToolButton::clicked, this, &WmsWindow::SaveMacro);
    connect(SpeedButton9, &QToolButton::clicked, this, &WmsWindow::LoadMacro);
    connect(ListBox1, &QListWidget::itemClicked, this, &WmsWindow::ListBox1Click);
    connect(CheckListBox1, &QListWidget::itemClicked, this, &WmsWindow::CheckListBox1Click);
}

void WmsWindow::loadCatalogue() {
    ComboBox3->clear();
    const QString path = programFile("listawms.txt");
    if (!QFile::exists(path)) {
        return;
    }
    const platform::TextLines file = platform::readTextLines(path);
    ComboBox3->addItem(QString());
    ComboBox3->addItems(file.lines);
}

void WmsWindow::SpeedButton12Click() {
    const platform::Result got =
        m_s.downloader.download(catalogueUrl(m_s.gatewayHost), programFile("listawms.txt"));
    if (got) {
        loadCatalogue();
        m_s.dialogs.message(&m_s.form, kCatalogueUpdated);
    } else {
        m_s.dialogs.message(&m_s.form, kConnectionProblem, platform::MessageKind::Warning);
    }
}

void WmsWindow::SpeedButton14Click() {
    if (ComboBox3->currentIndex() < 0) {
        return;
    }
    Edit1->setText(catalogueAddress(ComboBox3->currentText()));
}

void WmsWindow::SpeedButton5Click() {
    ListBox1->addItem(Edit1->text());
    Edit1->clear();
}

void WmsWindow::SpeedButton17Click() {
    if (ListBox1->count() > 0 && ListBox1->currentRow() >= 0) {
        delete ListBox1->takeItem(ListBox1->currentRow());
    }
    CheckListBox1->clear();
    Edit7->clear();
    Edit6->clear();
}

void WmsWindow::SpeedButton3Click() {
    if (ListBox1->count() == 0) {
        return;  // nothing to delete
    }
    // The last selected item; the first one when none is selected.
    int row = 0;
    for (int i = 0; i < ListBox1->count(); ++i) {
        if (ListBox1->item(i)->isSelected()) row = i;
    }
    delete ListBox1->takeItem(row);
    CheckListBox1->clear();
}

void WmsWindow::SpeedButton6Click() {
    ListBox1->clear();
    CheckListBox1->clear();
    Edit6->clear();
    Edit7->clear();
}

void WmsWindow::SpeedButton18Click() {
    if (CheckListBox1->count() > 0 && CheckListBox1->currentRow() >= 0) {
        delete CheckListBox1->takeItem(CheckListBox1->currentRow());
    }
    Edit7->clear();
    Edit6->clear();
}

void WmsWindow::ListBox1Click() {
    if (const QListWidgetItem* item = ListBox1->currentItem()) {
        Edit6->setText(item->text());
    }
}

void WmsWindow::CheckListBox1Click() {
    const QListWidgetItem* item = CheckListBox1->currentItem();
    if (!item) {
        return;
    }
    Edit7->setText(item->text());
    const std::optional<LayerEntry> entry = parseLayerEntry(item->text());
    if (entry && entry->service >= 0 && entry->service < ListBox1->count()) {
        Edit6->setText(ListBox1->item(entry->service)->text());
    }
}

int WmsWindow::extentChoice() const {
    return RadioGroup1->checkedId();
}

int WmsWindow::identifyChoice() const {
    return RadioGroup2->checkedId();
}

void WmsWindow::setIdentifyChoice(int item) {
    RadioGroup2->button(item)->setChecked(true);
}

mapcontrol::Rectangle WmsWindow::extentFromEdits() const {
    return {numberOrZero(Edit5->text()), numberOrZero(Edit4->text()), numberOrZero(Edit2->text()),
            numberOrZero(Edit3->text())};
}

void WmsWindow::writeExtentEdits(const mapcontrol::Rectangle& extent, int decimals, int width) {
    Edit2->setText(fixedText(extent.top(), decimals, width));
    Edit3->setText(fixedText(extent.bottom(), decimals, width));
    Edit4->setText(fixedText(extent.right(), decimals, width));
    Edit5->setText(fixedText(extent.left(), decimals, width));
}

void WmsWindow::writeMapExtentEdits() {
    const mapcontrol::Rectangle& e = m_s.state.currentExtent;
    Edit2->setText(defaultRealText(e.top()));
    Edit3->setText(defaultRealText(e.bottom()));
    Edit4->setText(defaultRealText(e.right()));
    Edit5->setText(defaultRealText(e.left()));
}

QStringList WmsWindow::services() const {
    QStringList addresses;
    for (int i = 0; i < ListBox1->count(); ++i) {
        addresses << ListBox1->item(i)->text();
    }
    return addresses;
}

std::vector<std::pair<QString, bool>> WmsWindow::layerEntries() const {
    std::vector<std::pair<QString, bool>> entries;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        entries.emplace_back(item->text(), item->checkState() == Qt::Checked);
    }
    return entries;
}

namespace {

void addLayerEntry(QListWidget* list, const QString& text, bool checked) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

// The document as the capabilities read keeps it: every line ended by CR LF.
QByteArray withCrLf(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r') {
            out.append("\r\n");
            if (i + 1 < bytes.size() && bytes.at(i + 1) == '\n') ++i;
        } else if (c == '\n') {
            out.append("\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

}  // namespace

void WmsWindow::ReadCapabilities() {
    CheckListBox1->clear();
    ExtentExtremes extremes;
    bool success = false;
    QDateTime keptAt;  // the oldest kept document used
    const QString target = programFile("layers.txt");
    // Every service is asked at once; the documents are read in list order
    // through "layers.txt", as when the services were asked in turn.
    std::vector<QString> urls;
    for (int k = 0; k < ListBox1->count(); ++k) {
        urls.push_back(capabilitiesUrl(ListBox1->item(k)->text()));
    }
    net::AnswersInOrder answers(m_s.downloader, target, urls);
    for (int k = 0; k < static_cast<int>(urls.size()) && k < ListBox1->count(); ++k) {
        QFile::remove(target);
        const QString& url = urls[static_cast<size_t>(k)];
        platform::Result got = answers.take(static_cast<size_t>(k));
        bool fromCache = false;
        if (!got && got.unreachable && !got.cancelled && m_s.cache) {
            // No server reached: the document kept from an earlier read of
            // the same address stands in.
            if (const std::optional<net::KeptEntry> kept = m_s.cache->findUrl(url)) {
                const std::optional<QByteArray> bytes = m_s.cache->read(*kept);
                if (bytes && checkCapabilitiesAnswer(*bytes) &&
                    platform::writeFileAtomically(target, *bytes)) {
                    got = platform::Result::success();
                    fromCache = true;
                    if (!keptAt.isValid() || kept->keptAt < keptAt) keptAt = kept->keptAt;
                } else if (bytes) {
                    m_s.cache->remove(*kept);
                }
            }
        }
        success = got.ok;
        if (got.cancelled) {
            break;  // the user ended the whole read
        }
        if (!success) {
            continue;
        }
        QFile file(target);
        QByteArray document;
        QByteArray received;  // as it came, for the cache
        if (file.open(QIODevice::ReadOnly)) {
            received = file.readAll();
            document = withCrLf(received);
            file.close();
            (void)platform::writeFileAtomically(target, document);  // kept for the user to read
        }
        // A web page or an exception report instead of the document gives
        // no layers: the user hears why, in the server's words.
        Capabilities read;
        if (const platform::Result answer = checkCapabilitiesAnswer(document)) {
            read = readCapabilities(document, k);
            if (m_s.cache && !fromCache) {
                (void)m_s.cache->keep({url, url, {}, {}, {}, {}}, received);  // read on regardless
            }
            m_listedSystems.insert(addressBeforeComma(ListBox1->item(k)->text()),
                                   readListedSystems(document));
        } else {
            m_s.dialogs.message(
                &m_s.form,
                kNotCapabilities.arg(addressBeforeComma(ListBox1->item(k)->text()), answer.message),
                platform::MessageKind::Warning);
        }
        for (const QString& entry : read.entries) {
            addLayerEntry(CheckListBox1, entry, false);
        }
        if (read.firstBox) {
            extremes.add(*read.firstBox);
        }
        ListBox1->item(k)->setText(addressBeforeComma(ListBox1->item(k)->text()));
        if (extentChoice() == 1) {
            writeMapExtentEdits();
        } else {
            writeExtentEdits(
                mapcontrol::Rectangle(extremes.west, extremes.east, extremes.north, extremes.south),
                8, 3);
            m_s.state.currentExtent = extentFromEdits();
        }
    }
    if (keptAt.isValid() && m_s.keptUsed) {
        m_s.keptUsed(keptAt);
    }
    if (!success) {
        m_s.dialogs.message(&m_s.form, kConnectionProblem, platform::MessageKind::Warning);
    }
    if (CheckBox1->isChecked()) {
        for (int i = 0; i < CheckListBox1->count(); ++i) {
            QListWidgetItem* item = CheckListBox1->item(i);
            const QString& text = item->text();
            if (text.contains(QLatin1String("lito")) || text.contains(QLatin1String("relevo")) ||
                text.contains(QLatin1String("Relevo"))) {
                item->setCheckState(Qt::Checked);
            }
        }
    }
    m_s.form.raise();
}

void WmsWindow::SaveMacro() {
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.end");
    options.filter = kMacroFilter;
    const std::optional<QString> path = m_s.dialogs.saveFile(&m_s.form, options);
    if (!path) {
        return;
    }
    MacroFile macro;
    macro.north = Edit2->text();
    macro.south = Edit3->text();
    macro.east = Edit4->text();
    macro.west = Edit5->text();
    macro.services = services();
    macro.layers = layerEntries();
    const platform::Result written = writeMacroFile(*path, macro);
    if (!written) {
        m_s.dialogs.message(&m_s.form, written.message + QStringLiteral("\n") + written.detail,
                            platform::MessageKind::Error);
    }
}

void WmsWindow::restoreLists(const MacroFile& macro) {
    ListBox1->clear();
    CheckListBox1->clear();
    ListBox1->addItems(macro.services);
    for (const auto& [entry, checked] : macro.layers) {
        addLayerEntry(CheckListBox1, entry, checked);
    }
}

void WmsWindow::LoadMacro() {
    ListBox1->clear();
    CheckListBox1->clear();
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.end");
    options.filter = kMacroFilter;
    options.mustExist = true;
    const std::optional<QString> path = m_s.dialogs.openFile(&m_s.form, options);
    if (!path) {
        return;
    }
    const MacroRead read = readMacroFile(*path);
    if (!read.result) {
        m_s.dialogs.message(&m_s.form,
                            read.result.message + QStringLiteral("\n") + read.result.detail,
                            platform::MessageKind::Error);
        return;
    }
    restoreLists(read.macro);
    ReadCapabilities();
    // The file's entries and check marks replace those the services gave.
    restoreLists(read.macro);
    if (extentChoice() == 0) {
        Edit2->setText(read.macro.north);
        Edit3->setText(read.macro.south);
        Edit4->setText(read.macro.east);
        Edit5->setText(read.macro.west);
        m_s.state.currentExtent = extentFromEdits();
    } else {
        writeMapExtentEdits();
    }
}

}  // namespace wms
