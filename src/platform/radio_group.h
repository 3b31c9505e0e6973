#pragma once

#include <QString>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLayout;
class QWidget;

namespace platform {

// Fills `box` with one radio button per item, named `name` + "Item" + the
// item's index, laid out top to bottom in `columns` columns. Returns their
// group: a button's id is its item's index.
QButtonGroup* fillRadioGroup(QGroupBox* box, const QString& name, const QStringList& items,
                             int columns = 1);

// A titled radio group, the box named `name`, added to `into` with item
// `checked` on (-1 for none).
QButtonGroup* addRadioGroup(QWidget* parent, QLayout* into, const QString& name,
                            const QString& caption, const QStringList& items, int checked);

}  // namespace platform
