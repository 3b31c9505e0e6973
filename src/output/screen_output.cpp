#include "output/screen_output.h"

#include "mapcontrol/map_widget.h"
#include "platform/dialogs.h"
#include "platform/status_line.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace output {

const QString ScreenOutput::kNoScaleMessage = QStringLiteral(
    "A escala atual do mapa não é conhecida: use antes \"Escala numérica\" para calculá-la.");

qint64 listedScale(const QString& text) {
    QString digits = text.trimmed();
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

double metafileFactor(const QString& scaleField, const QString& chosen) {
    bool ok = false;
    const double current = scaleField.trimmed().toDouble(&ok);
    const qint64 target = listedScale(chosen);
    if (!ok || !std::isfinite(current) || current <= 0 || target == 0) {
        return 0.0;
    }
    return current / static_cast<double>(target);
}

ScreenOutput::ScreenOutput(Controls controls, Hooks hooks, workspace::AppState& state,
                           platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    QWidget& form = m_controls.metafileForm;
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("Escala de geração"), &form));
    ComboBox1 = new QComboBox(&form);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({"100.000", "250.000", "500.000", "1000.000", "500.000", "2.000.000",
                         "2.500.000", "3.000.000", "3.500.000", "4.000.000", "4.500.000",
                         "5.000.000"});
    layout->addWidget(ComboBox1);
    SpeedButton1 = new QToolButton(&form);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Exporta metafile"));
    layout->addWidget(SpeedButton1);
    connect(SpeedButton1, &QToolButton::clicked, this, &ScreenOutput::exportMetafile);
}

void ScreenOutput::report(QWidget* parent, const platform::Result& result, const QString& written) {
    if (!result) {
        m_dialogs.message(parent,
                          result.detail.isEmpty()
                              ? result.message
                              : result.message + QLatin1Char('\n') + result.detail,
                          platform::MessageKind::Error);
    } else if (!written.isEmpty() && m_hooks.status) {
        m_hooks.status->fileWritten(written);
    }
}

void ScreenOutput::saveScreen(const QString& extension) {
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.") + extension;
    options.filter = options.fileName + QLatin1Char('|') + options.fileName;
    QWidget* parent = m_controls.map1.window();
    if (const std::optional<QString> chosen = m_dialogs.saveFile(parent, options)) {
        report(parent,
               m_controls.map1.exportMap(mapcontrol::MapWidget::ExportPicture, *chosen, 1.0),
               *chosen);
    }
}

void ScreenOutput::showMetafileWindow() {
    m_controls.metafileForm.show();
    m_controls.metafileForm.raise();
}

void ScreenOutput::exportMetafile() {
    QWidget* parent = &m_controls.metafileForm;
    const double factor = metafileFactor(m_controls.scaleField.text(), ComboBox1->currentText());
    if (factor <= 0) {
        m_dialogs.message(parent, kNoScaleMessage, platform::MessageKind::Warning);
        return;
    }
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.emf");
    options.filter = QStringLiteral("*.emf|*.emf|SVG|*.svg|PDF|*.pdf");
    // The export writes by the extension: "grande.png" would be a metafile
    // under a picture's name.
    options.onlyListedTypes = true;
    const std::optional<QString> chosen = m_dialogs.saveFile(parent, options);
    if (!chosen) {
        return;
    }
    platform::Result exported;
    {
        // A metafile at a large scale takes seconds and tells nothing while it draws.
        std::optional<platform::StatusLine::Task> busy;
        if (m_hooks.status) {
            busy.emplace(*m_hooks.status, QStringLiteral("Exportando %1").arg(*chosen));
            busy->showNow();
        }
        exported =
            m_controls.map1.exportMap(mapcontrol::MapWidget::ExportMetafile, *chosen, factor);
    }
    report(parent, exported, *chosen);
    if (exported) {
        m_controls.metafileForm.close();
    }
}

void ScreenOutput::print() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    if (!m_state.themesLoaded) {
        return;
    }
    QPrinter printer;
    if (m_dialogs.print(m_controls.map1.window(), printer) &&
        m_controls.map1.printMap(QStringLiteral("Mapa"), printer, true) && m_hooks.status) {
        m_hooks.status->printed(printer);
    }
}

void ScreenOutput::copyToClipboard() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    report(m_controls.map1.window(),
           m_controls.map1.exportMap(mapcontrol::MapWidget::ExportClipboard, QString(), 1.0));
    if (m_controls.remotePicture.isVisible() && !m_controls.remotePicture.pixmap().isNull()) {
        // A remote picture shown in place of the map is what the user sees.
        QApplication::clipboard()->setPixmap(m_controls.remotePicture.pixmap());
    }
    if (m_hooks.stopMapTips) m_hooks.stopMapTips();
}

}  // namespace output
