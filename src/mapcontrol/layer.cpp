#include "mapcontrol/layer.h"

namespace mapcontrol {

QString layerNameOf(const QString& dataFile) {
    QString name = dataFile;
    const qsizetype slash =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0) {
        name = name.mid(slash + 1);
    }
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}

Layer::Layer(QString dataFile) : m_dataFile(std::move(dataFile)), m_name(layerNameOf(m_dataFile)) {}

}  // namespace mapcontrol
