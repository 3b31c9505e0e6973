#include "output/zoom_window.h"

#include "mapcontrol/map_widget.h"
#include "output/zoom_coordinates.h"
#include "platform/dialogs.h"
#include "platform/status_line.h"
#include "platform/text_file.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QButtonGroup>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace output {

const QString ZoomWindow::kNoFileMessage = QStringLiteral("Arquivo não existe");
const QString ZoomWindow::kConnectedMessage =
    QStringLiteral("Existe conexão, faça a desconexão remota");

namespace {

QButtonGroup* radioGroup(QWidget* parent, QGridLayout* layout, int row, const QString& name,
                         const QString& title, const QStringList& items, int checked) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* boxLayout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        boxLayout->addWidget(item);
    }
    group->button(checked)->setChecked(true);
    layout->addWidget(box, row, 0, 1, 5);
    return group;
}

double number(const QLineEdit* edit) {
    return edit->text().trimmed().toDouble();  // text that is not a number reads as 0
}

}  // namespace

ZoomWindow::ZoomWindow(Controls controls, Hooks hooks, workspace::AppState& state,
                       platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    buildControls();
}

void ZoomWindow::buildControls() {
    QWidget& form = m_controls.form;
    auto* layout = new QGridLayout(&form);
    auto* title = new QLabel(QStringLiteral("Area de zoom - GMS"), &form);
    title->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(title, 0, 0, 1, 5);

    // Edit names per corner: degrees, minutes, seconds, decimal.
    const int names[4][4] = {{1, 2, 3, 15}, {7, 8, 9, 16}, {4, 13, 14, 17}, {10, 11, 12, 18}};
    const char* const captions[4] = {"Latitude ou   coordenada  Y", "Longitude ou coordenada  X",
                                     "Latitude ou   coordenada   Y", "Longitude ou coordenada  X"};
    int row = 1;
    for (int c = 0; c < 4; ++c) {
        if (c == Top || c == Bottom) {
            layout->addWidget(new QLabel(c == Top ? QStringLiteral("Vértice superior esquerdo")
                                                  : QStringLiteral("Vértice inferior direito"),
                                         &form),
                              row++, 0, 1, 5);
        }
        layout->addWidget(new QLabel(QString::fromUtf8(captions[c]), &form), row, 0);
        for (int k = 0; k < 3; ++k) {
            auto* edit = new QLineEdit(&form);
            edit->setObjectName(QStringLiteral("Edit%1").arg(names[c][k]));
            dms[c][k] = edit;
            layout->addWidget(edit, row, 1 + k);
        }
        decimal[c] = new QLineEdit(&form);
        decimal[c]->setObjectName(QStringLiteral("Edit%1").arg(names[c][3]));
        decimal[c]->hide();
        layout->addWidget(decimal[c], row, 4);
        ++row;
    }

    RadioGroup3 = radioGroup(
        &form, layout, row++, QStringLiteral("RadioGroup3"), QStringLiteral("Valores"),
        {QStringLiteral("Graus,minutos e segundos"), QStringLiteral("décimos de graus")}, 0);
    RadioGroup2 =
        radioGroup(&form, layout, row++, QStringLiteral("RadioGroup2"),
                   QStringLiteral("Quanto a operação de  zoom"),
                   {QStringLiteral("Não altera contexto"), QStringLiteral("Altera  contexto ")}, 0);
    RadioGroup1 =
        radioGroup(&form, layout, row++, QStringLiteral("RadioGroup1"),
                   QStringLiteral("Esta_janela_na_tela_apos_zoom"),
                   {QStringLiteral("Sempre na tela"), QStringLiteral("Sai da tela apos zoom")}, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const char* text) {
        auto* b = new QToolButton(&form);
        b->setObjectName(QLatin1String(name));
        b->setText(QString::fromUtf8(text));
        buttons->addWidget(b);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", "REALIZA O ZOOM");
    SpeedButton2 = button("SpeedButton2", "Grava arq. tif / tfw");
    SpeedButton3 = button("SpeedButton3", "Grava arquivo de zoom");
    SpeedButton5 = button("SpeedButton5", "Abre arquivo de zoom");
    SpeedButton4 = button("SpeedButton4", "Apaga - lat lon");
    SpeedButton3->setEnabled(false);
    SpeedButton5->setEnabled(false);
    layout->addLayout(buttons, row, 0, 1, 5);

    connect(SpeedButton1, &QToolButton::clicked, this, &ZoomWindow::zoom);
    connect(SpeedButton2, &QToolButton::clicked, this, &ZoomWindow::exportPicture);
    connect(SpeedButton3, &QToolButton::clicked, this, &ZoomWindow::saveZoomFile);
    connect(SpeedButton5, &QToolButton::clicked, this, &ZoomWindow::openZoomFile);
    connect(SpeedButton4, &QToolButton::clicked, this, &ZoomWindow::clearCorners);
    connect(RadioGroup3, &QButtonGroup::idClicked, this, &ZoomWindow::inputForm);
    form.installEventFilter(this);
}

bool ZoomWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_controls.form && event->type() == QEvent::Show) {
        onShow();
    }
    return QObject::eventFilter(watched, event);
}

void ZoomWindow::onShow() {
    const int kind = m_hooks.connectionKind ? m_hooks.connectionKind() : -1;
    if (kind != 0 && kind != 1) {
        SpeedButton1->setEnabled(true);
        for (QAbstractButton* b : RadioGroup2->buttons()) b->setEnabled(true);
    }
    if (!m_state.wmsActive) {
        m_state.currentExtent = m_controls.map1.extent();
    }
    ShowExtentInZoomWindow();
    if (!m_state.themesLoaded && kind < 0 && !m_state.wmsActive) {
        for (auto& corner : dms) {
            for (QLineEdit* edit : corner) edit->clear();
        }
    }
}

void ZoomWindow::ShowExtentInZoomWindow() {
    const mapcontrol::Rectangle& e = m_state.currentExtent;
    const double values[4] = {e.top(), e.left(), e.bottom(), e.right()};
    for (int c = 0; c < 4; ++c) {
        const DmsTexts texts = dmsTexts(values[c]);
        dms[c][0]->setText(texts.degrees);
        dms[c][1]->setText(texts.minutes);
        dms[c][2]->setText(texts.seconds);
    }
}

void ZoomWindow::afterZoom() {
    ShowExtentInZoomWindow();
    if (RadioGroup1->checkedId() == 0) {
        m_controls.form.show();
    }
}

double ZoomWindow::corner(Corner c) const {
    return cornerValue(dms[c][0]->text(), dms[c][1]->text(), dms[c][2]->text());
}

void ZoomWindow::zoom() {
    if (number(dms[Bottom][0]) > number(dms[Top][0]) ||
        number(dms[Right][0]) < number(dms[Left][0])) {
        return;  // corners in the wrong order
    }
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    m_controls.zoomWindow.setChecked(true);
    if (m_state.mapTipsActive && m_hooks.stopMapTips) m_hooks.stopMapTips();
    m_state.currentExtent =
        mapcontrol::Rectangle(corner(Left), corner(Right), corner(Top), corner(Bottom));
    mapcontrol::MapWidget& map = m_controls.map1;
    const bool keepContext = RadioGroup2->checkedId() != 1;
    if (!m_state.distanceActive) {
        if (!keepContext) {
            map.setFullExtent(m_state.currentExtent);
        }
        map.setExtent(m_state.currentExtent);
        map.refresh();
        if (!keepContext) {
            if (m_hooks.showCoordinates) m_hooks.showCoordinates();
            m_state.coordsVisible = true;
        }
        if (m_state.scaleBarShown && m_hooks.refreshScaleBar) m_hooks.refreshScaleBar();
    }
    if (keepContext) {
        // Back to the local map, whatever remote picture was shown.
        map.setExtent(m_state.currentExtent);
        map.refresh();
        m_state.wmsActive = false;
        m_state.memoryMode = false;
        m_controls.remotePicture.hide();
        map.show();
        m_controls.pan.setChecked(false);
        if (m_hooks.stopMapTips) m_hooks.stopMapTips();
        if (m_hooks.clearDistance) m_hooks.clearDistance();
    }
}

void ZoomWindow::exportPicture() {
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.tif");
    options.filter = QStringLiteral("*.tif|*.tif");
    const std::optional<QString> chosen = m_dialogs.saveFile(&m_controls.form, options);
    if (!chosen) {
        return;
    }
    mapcontrol::MapWidget& map = m_controls.map1;
    platform::Result written = platform::Result::failure(
        QStringLiteral("Não foi possível gravar o arquivo %1").arg(*chosen));
    if (map.isVisible() || !m_controls.remotePicture.isVisible()) {
        written = map.exportMap(mapcontrol::MapWidget::ExportPicture, *chosen, 1.0);
    } else if (auto* picture = qobject_cast<QLabel*>(&m_controls.remotePicture)) {
        // The remote picture is kept in its own bitmap format whatever the name says.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (picture->pixmap().save(&buffer, "BMP")) {
            written = platform::writeFileAtomically(*chosen, bytes);
        }
    }
    if (!written) {
        m_dialogs.message(&m_controls.form,
                          written.detail.isEmpty()
                              ? written.message
                              : written.message + QLatin1Char('\n') + written.detail,
                          platform::MessageKind::Error);
        return;
    }
    m_state.currentExtent = map.extent();
    const platform::Result world = platform::writeTextLines(
        worldFilePath(*chosen), worldFileLines(m_state.currentExtent, map.size()));
    if (!world) {
        m_dialogs.message(&m_controls.form, world.message + QStringLiteral("\n") + world.detail,
                          platform::MessageKind::Error);
    } else if (m_hooks.status) {
        m_hooks.status->fileWritten(*chosen);
    }
}

void ZoomWindow::inputForm(int item) {
    const bool decimalForm = item == 1;
    SpeedButton1->setEnabled(!decimalForm);
    for (QAbstractButton* b : RadioGroup2->buttons()) b->setEnabled(!decimalForm);
    SpeedButton3->setEnabled(decimalForm);
    SpeedButton5->setEnabled(decimalForm);
    for (int c = 0; c < 4; ++c) {
        for (QLineEdit* edit : dms[c]) edit->setVisible(!decimalForm);
        decimal[c]->setVisible(decimalForm);
        if (decimalForm) {
            decimal[c]->setText(decimalText(corner(static_cast<Corner>(c))));
        }
    }
}

void ZoomWindow::saveZoomFile() {
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.txt");
    options.filter = QStringLiteral("*.txt|*.txt");
    const std::optional<QString> chosen = m_dialogs.saveFile(&m_controls.form, options);
    if (!chosen) {
        return;
    }
    const ZoomCorners corners{decimal[Left]->text(), decimal[Top]->text(), decimal[Right]->text(),
                              decimal[Bottom]->text()};
    const platform::Result written = platform::writeTextLines(*chosen, zoomFileLines(corners));
    if (!written) {
        m_dialogs.message(&m_controls.form, written.message + QStringLiteral("\n") + written.detail,
                          platform::MessageKind::Error);
    } else if (m_hooks.status) {
        m_hooks.status->fileWritten(*chosen);
    }
}

void ZoomWindow::openZoomFile() {
    if (m_hooks.connectionKind && m_hooks.connectionKind() >= 0) {
        m_dialogs.message(&m_controls.form, kConnectedMessage, platform::MessageKind::Warning);
        return;
    }
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.txt");
    options.filter = QStringLiteral("*.txt|*.txt");
    const std::optional<QString> chosen = m_dialogs.openFile(&m_controls.form, options);
    if (!chosen) {
        return;
    }
    if (!QFileInfo(*chosen).isFile()) {
        m_dialogs.message(&m_controls.form, kNoFileMessage, platform::MessageKind::Warning);
        return;
    }
    const platform::TextLines text = platform::readTextLines(*chosen);
    if (!text.result) {
        m_dialogs.message(&m_controls.form,
                          text.result.message + QStringLiteral("\n") + text.result.detail,
                          platform::MessageKind::Error);
        return;
    }
    const ZoomCorners corners = readZoomFile(text.lines);
    decimal[Left]->setText(corners.left);
    decimal[Top]->setText(corners.top);
    decimal[Right]->setText(corners.right);
    decimal[Bottom]->setText(corners.bottom);
    for (int c = 0; c < 4; ++c) {
        const DmsTexts texts = dmsFromCommaText(decimal[c]->text());
        dms[c][0]->setText(texts.degrees);
        dms[c][1]->setText(texts.minutes);
        dms[c][2]->setText(texts.seconds);
    }
}

void ZoomWindow::clearCorners() {
    for (int c = 0; c < 4; ++c) {
        for (QLineEdit* edit : dms[c]) edit->clear();
        decimal[c]->clear();
    }
}

}  // namespace output
