#pragma once

#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"
#include "mapcontrol/view_transform.h"

#include <QString>

#include <optional>

class QPainter;

namespace mapcontrol {

// A theme of the map: a vector layer or an image layer. A layer whose file
// could not be read exists all the same, with isValid() false; it draws
// nothing and has an empty extent. Layers are owned by the layer collection of
// one map; the data behind them may be shared between maps.
class Layer {
public:
    enum class Kind { Vector, Image };

    virtual ~Layer() = default;

    virtual Kind kind() const = 0;
    // The name the layer is found by: for vector layers the file name
    // without folders, cut before its first "."; for image layers the file
    // name with its extension; or the name given by setName.
    const QString& name() const { return m_name; }
    // Names the layer as its owner finds it (the program names layers from
    // the Windows-form path of their theme, whatever the case on disk).
    void setName(QString name) { m_name = std::move(name); }
    // The native path the layer was read from.
    const QString& dataFile() const { return m_dataFile; }
    virtual bool isValid() const = 0;
    // The visibility a map gives the layer when it is added to it; each map
    // then keeps its own (LayerCollection::isVisible).
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // In map units; empty for an invalid layer.
    virtual Rectangle extent() const = 0;
    // Why the layer is invalid (file, driver or GDAL message); empty when valid.
    const QString& error() const { return m_error; }
    // The system the layer's coordinates are drawn in: the map's when the
    // layer was brought into it, else the layer's own; none when the layer
    // declares none.
    const std::optional<CoordinateSystem>& coordinateSystem() const { return m_system; }
    // Why the layer's own system could not be read, or the layer could not
    // be brought into the map's (PROJ's reason); empty when neither.
    const QString& systemProblem() const { return m_systemProblem; }

    // Draws the layer into `painter`, which covers the picture of `view`.
    virtual void draw(QPainter& painter, const ViewTransform& view) const = 0;

protected:
    explicit Layer(QString dataFile);
    void setError(QString error) { m_error = std::move(error); }
    void setCoordinateSystem(std::optional<CoordinateSystem> system, QString problem) {
        m_system = std::move(system);
        m_systemProblem = std::move(problem);
    }

private:
    std::optional<CoordinateSystem> m_system;
    QString m_systemProblem;
    QString m_dataFile;
    QString m_name;
    QString m_error;
    bool m_visible = true;
};

// The layer name of a data file: its name without folders, cut before the
// first "." ("/d/Geo.Unid.shp" gives "Geo").
QString layerNameOf(const QString& dataFile);

}  // namespace mapcontrol
