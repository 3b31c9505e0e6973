#include "platform/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>

namespace platform {

QButtonGroup* fillRadioGroup(QGroupBox* box, const QString& name, const QStringList& items,
                             int columns) {
    auto* layout = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    group->setObjectName(name + QStringLiteral("Buttons"));
    const int perColumn = (static_cast<int>(items.size()) + columns - 1) / std::max(1, columns);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        radio->setObjectName(name + QStringLiteral("Item%1").arg(i));
        group->addButton(radio, i);
        layout->addWidget(radio, i % std::max(1, perColumn), i / std::max(1, perColumn));
    }
    return group;
}

QButtonGroup* addRadioGroup(QWidget* parent, QLayout* into, const QString& name,
                            const QString& caption, const QStringList& items, int checked) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    QButtonGroup* group = fillRadioGroup(box, name, items);
    if (checked >= 0 && checked < items.size()) group->button(checked)->setChecked(true);
    into->addWidget(box);
    return group;
}

}  // namespace platform
