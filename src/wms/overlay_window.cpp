#include "wms/overlay_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace wms {

OverlayWindow::OverlayWindow(QWidget& form) {
    auto* layout = new QVBoxLayout(&form);
    auto* box = new QGroupBox(
        QStringLiteral("Configura o modo que realiza a sobreposição de layers wms"), &form);
    box->setObjectName(QStringLiteral("RadioGroup1"));
    auto* boxLayout = new QVBoxLayout(box);
    RadioGroup1 = new QButtonGroup(box);
    const char* captions[] = {"Soma imagens com sobreposição RGB", "Soma cores sem recortar",
                              "Soma imagens recortando - externo branco", "Soma usando tecnica A",
                              "Soma invertendo"};
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(captions[i]), box);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        RadioGroup1->addButton(radio, i);
        boxLayout->addWidget(radio);
    }
    RadioGroup1->button(0)->setChecked(true);
    layout->addWidget(box);
    Volta = new QPushButton(QStringLiteral("Volta"), &form);
    Volta->setObjectName(QStringLiteral("Volta"));
    layout->addWidget(Volta);
    connect(Volta, &QPushButton::clicked, &form, &QWidget::close);
}

OverlayMode OverlayWindow::mode() const {
    return static_cast<OverlayMode>(RadioGroup1->checkedId());
}

}  // namespace wms
