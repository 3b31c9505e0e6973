#pragma once

#include "files/project_lines.h"
#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace mapcontrol {
class Layer;
class MapWidget;
class VectorLayer;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
class DriveTable;
}  // namespace platform

namespace files {

// Renderer kind of a theme's legend: unique values, or class breaks.
enum RenderKind : int { RenderUniqueValues = 0, RenderClassBreaks = 1 };

// Gives a shape layer one class per distinct value of its last field, in
// ascending text order, all pure blue (circles for points).
void buildDefaultRenderer(mapcontrol::VectorLayer& layer);

// Turns theme lines into the layers of the main map and the overview map:
// one layer object per theme, in both maps, at the theme's index. Paths are
// Windows-form and opened through the drive table; messages go through the
// dialogs. Borrows everything it is given.
//
// It also decides the map's coordinate system: that of the first theme, in
// the order the layers are built (from the bottom of the list up), that
// declares one; none while no theme does. Every later theme in another
// system is brought into it as its layer is built; a theme that declares
// none is taken as it is. A theme that cannot be brought into it is added as
// it is, with a message naming it and PROJ's reason.
class LayerBuilder {
public:
    // Replaces the reading of colour files (native path) by another; the
    // builder reads them itself with ApplyColourFile otherwise.
    using ColourFileReader =
        std::function<void(mapcontrol::VectorLayer& layer, const QString& colourFile)>;

    LayerBuilder(mapcontrol::MapWidget& map1, mapcontrol::MapWidget& map2,
                 const platform::DriveTable& drives, platform::Dialogs& dialogs);

    void setColourFileReader(ColourFileReader reader) { m_readColourFile = std::move(reader); }
    // Keeps the map's coordinate system in `system` (the shared state's)
    // instead of in the builder itself.
    void keepMapSystemIn(std::optional<mapcontrol::CoordinateSystem>& system) {
        m_mapSystem = &system;
    }
    const std::optional<mapcontrol::CoordinateSystem>& mapSystem() const { return *m_mapSystem; }
    // Called before each theme's layer of a rebuild (or the one theme added)
    // is built, and while a large file of it is read: `done` themes of
    // `total` built so far, with the share of the theme being read as its
    // fraction; `path` the theme's file (Windows form).
    void setProgress(std::function<void(double done, int total, const QString& path)> handler) {
        m_progress = std::move(handler);
    }
    // Called after each layer is added (the map tools come back on).
    void setLayerAdded(std::function<void()> handler) { m_layerAdded = std::move(handler); }

    // Removes every layer of both maps and forgets the map's coordinate
    // system, then adds one per theme from the last
    // to theme 0 (which ends on top), each visible as its check mark says,
    // and finally shows `currentExtent` in the main map. A shapefile that is
    // unchanged since a removed layer read it is not read again. A layer the
    // main map refuses (a damaged or missing file) is reported and replaced
    // by a placeholder that draws nothing, as is the layer of a line naming
    // no known kind of file, so theme i is always layer i. `renderKinds` has
    // a slot per theme. False when some layer was refused.
    bool rebuildAllLayers(const std::vector<ThemeEntry>& themes, std::vector<int>& renderKinds,
                          const mapcontrol::Rectangle& currentExtent);

    // Adds the layer of a theme about to enter the list on top (a path or a
    // whole theme line), visible, on top of both maps; old layers stay. The
    // file is read once. False, with the message and the reason, when the
    // main map refuses it: then both maps are as they were.
    bool buildThemeLayer(const QString& pathOrLine);

    // Gives the layer the classes of its data with the colours and styles of
    // its colour file (native path).
    void ApplyColourFile(mapcontrol::VectorLayer& layer, const QString& colourFile);

private:
    enum class Mode { Rebuild, AddOne };
    // One theme's layer; false when the main map refused it (after the
    // message). `renderKind`, when given, is the theme's slot to reset to
    // unique values when its legend comes from the data.
    bool buildLayer(const QString& path, bool visible, int* renderKind, Mode mode);
    QString nativePath(const QString& windowsPath) const;
    // Takes the system of a theme's new layer as the map's when the map has
    // none yet; reports a theme whose system could not be read or reached.
    void settleSystem(const mapcontrol::Layer& layer, const QString& path);

    mapcontrol::MapWidget& m_map1;
    mapcontrol::MapWidget& m_map2;
    const platform::DriveTable& m_drives;
    platform::Dialogs& m_dialogs;
    ColourFileReader m_readColourFile;
    std::function<void(double, int, const QString&)> m_progress;
    // The place of the theme being built among those of the build, for
    // the progress of its read.
    int m_progressDone = 0;
    int m_progressTotal = 1;
    std::function<void()> m_layerAdded;
    std::optional<mapcontrol::CoordinateSystem> m_ownMapSystem;
    std::optional<mapcontrol::CoordinateSystem>* m_mapSystem = &m_ownMapSystem;
};

}  // namespace files
