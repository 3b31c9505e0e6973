#pragma once

#include "wms/service_pictures.h"

#include <QObject>

class QButtonGroup;
class QPushButton;
class QWidget;

namespace wms {

// TForm25, the overlay-mode window: how the pictures of several services
// combine. "Volta" closes it.
class OverlayWindow : public QObject {
    Q_OBJECT
public:
    explicit OverlayWindow(QWidget& form);

    OverlayMode mode() const;

    QButtonGroup* RadioGroup1 = nullptr;
    QPushButton* Volta = nullptr;
};

}  // namespace wms
