#include "wms/overlay_window.h"

#include "platform/radio_group.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace wms {

OverlayWindow::OverlayWindow(QWidget& form) {
    auto* layout = new QVBoxLayout(&form);
    QStringList captions;
    for (const char* caption :
         {"Soma imagens com sobreposição RGB", "Soma cores sem recortar",
          "Soma imagens recortando - externo branco", "Soma usando tecnica A", "Soma invertendo"}) {
        captions << QString::fromUtf8(caption);
    }
    RadioGroup1 = platform::addRadioGroup(
        &form, layout, QStringLiteral("RadioGroup1"),
        QStringLiteral("Configura o modo que realiza a sobreposição de layers wms"), captions, 0);
    Volta = new QPushButton(QStringLiteral("Volta"), &form);
    Volta->setObjectName(QStringLiteral("Volta"));
    layout->addWidget(Volta);
    connect(Volta, &QPushButton::clicked, &form, &QWidget::close);
}

OverlayMode OverlayWindow::mode() const {
    return static_cast<OverlayMode>(RadioGroup1->checkedId());
}

}  // namespace wms
