#include "files/layer_builder.h"

#include "files/colour_file.h"
#include "files/theme_line.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/strings.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/text_file.h"

#include <QFileInfo>
#include <QSet>

namespace files {

namespace {

const QString kImageRefused = QStringLiteral("Non puede adicionar tema");
const QString kShapeRefused = QStringLiteral("Nao posso  adicionar tema");
const QString kAddRefused = QStringLiteral("Nao posso adicionar tema");
const QString kPictureUnreadable = QStringLiteral("Nao posso abrir arquivo");
const QString kNotTransformed = QStringLiteral(
    "O tema %1 não pôde ser levado ao sistema de coordenadas do mapa (%2) e foi adicionado "
    "como está.\nMotivo: %3");
const QString kSystemUnreadable = QStringLiteral(
    "O sistema de coordenadas do tema %1 não pôde ser lido; o tema foi adicionado como está."
    "\nMotivo: %2");

constexpr mapcontrol::ColourInt kPureBlue = 0xFF0000;  // red 0, green 0, blue 255

}  // namespace

void buildDefaultRenderer(mapcontrol::VectorLayer& layer) {
    auto renderer = std::make_unique<mapcontrol::ValueMapRenderer>();
    mapcontrol::ValueMapRenderer& r = *renderer;
    layer.setRenderer(std::move(renderer));
    mapcontrol::RecordSet records = layer.records();
    const QString field =
        records.fieldCount() > 0 ? records.fieldName(records.fieldCount() - 1) : QString();
    const mapcontrol::Strings values = records.distinctTexts(field);
    r.setField(field);
    r.setValueCount(static_cast<int>(values.count()));
    for (int j = 0; j < r.valueCount(); ++j) {
        r.setValue(j, values.item(j));
    }
    switch (layer.shapeType()) {
        case mapcontrol::ShapeType::Polygon:
            r.setSymbolType(mapcontrol::SymbolType::Fill);
            break;
        case mapcontrol::ShapeType::Line:
            r.setSymbolType(mapcontrol::SymbolType::Line);
            break;
        default:
            r.setSymbolType(mapcontrol::SymbolType::Marker);
            break;
    }
    for (int j = 0; j < r.valueCount(); ++j) {
        if (layer.shapeType() == mapcontrol::ShapeType::Point) {
            r.symbol(j).style = mapcontrol::MarkerCircle;
        }
        r.symbol(j).colour = kPureBlue;
    }
}

LayerBuilder::LayerBuilder(mapcontrol::MapWidget& map1, mapcontrol::MapWidget& map2,
                           const platform::DriveTable& drives, platform::Dialogs& dialogs)
    : m_map1(map1), m_map2(map2), m_drives(drives), m_dialogs(dialogs) {}

QString LayerBuilder::nativePath(const QString& windowsPath) const {
    // A path on no mapped drive names no file: the layer will be invalid.
    return m_drives.toNative(windowsPath).value_or(QString());
}

bool LayerBuilder::buildLayer(const QString& path, bool visible, int* renderKind, Mode mode) {
    const ThemeKind kind = themeKind(path);
    if (m_progress) {
        m_progress(m_progressDone, m_progressTotal, path);
    }
    mapcontrol::LoadProgress reading;
    if (m_progress) {
        reading = [this, &path](double share) {
            m_progress(m_progressDone + share, m_progressTotal, path);
        };
    }
    std::shared_ptr<mapcontrol::Layer> layer;
    if (isPictureKind(kind)) {
        layer = std::make_shared<mapcontrol::ImageLayer>(nativePath(path), *m_mapSystem);
    } else if (kind == ThemeKind::Vector) {
        // The file, and the layer of it the line names.
        const ThemeSource source = themeSource(path);
        layer = std::make_shared<mapcontrol::VectorLayer>(nativePath(source.file), source.layer,
                                                          *m_mapSystem, reading);
    } else {
        layer = std::make_shared<mapcontrol::VectorLayer>(nativePath(path), QString(), *m_mapSystem,
                                                          reading);
    }
    // Found by the theme line's own spelling, not by the name on disk.
    layer->setName(layerName(path));
    layer->setVisible(visible);
    // A theme whose file cannot be drawn still gets a layer that draws
    // nothing, so that every theme's place in the list is its layer's place
    // in both maps, as everything that works by position expects.
    const auto holdPlace = [&] {
        m_map2.layers().addPlaceholder(layer);
        m_map1.layers().addPlaceholder(layer);
    };
    if (kind == ThemeKind::None) {
        if (mode == Mode::Rebuild) holdPlace();
        return true;  // a line naming no known kind of file: no message
    }
    // Rebuilding adds to the overview first and lets the main map decide;
    // adding one theme asks the main map first.
    bool added = false;
    if (mode == Mode::Rebuild) {
        m_map2.layers().add(layer);
        added = m_map1.layers().add(layer);
    } else {
        added = m_map1.layers().add(layer);
        if (added) {
            m_map2.layers().add(layer);
        }
    }
    if (!added) {
        if (mode == Mode::AddOne) {
            // A picture the reader cannot open says so; the reason follows.
            const QString message = isPictureKind(kind) ? kPictureUnreadable : kAddRefused;
            m_dialogs.message(
                m_map1.window(),
                layer->error().isEmpty() ? message : message + QLatin1Char('\n') + layer->error(),
                platform::MessageKind::Warning);
            return false;
        }
        m_dialogs.message(m_map1.window(), isPictureKind(kind) ? kImageRefused : kShapeRefused,
                          platform::MessageKind::Warning);
        holdPlace();
        return false;
    }
    settleSystem(*layer, path);
    if (m_layerAdded) {
        m_layerAdded();
    }
    if (!isVectorKind(kind)) {
        return true;
    }
    auto& vector = static_cast<mapcontrol::VectorLayer&>(*layer);
    const std::optional<QString> colourFile = m_drives.toNative(colourFilePath(path));
    const bool hasColourFile = colourFile && QFileInfo(*colourFile).isFile();
    if (renderKind && !hasColourFile) {
        *renderKind = RenderUniqueValues;
    }
    if (!hasColourFile) {
        buildDefaultRenderer(vector);
    } else if (m_readColourFile) {
        m_readColourFile(vector, *colourFile);
    } else {
        ApplyColourFile(vector, *colourFile);
    }
    return true;
}

void LayerBuilder::settleSystem(const mapcontrol::Layer& layer, const QString& path) {
    const std::optional<mapcontrol::CoordinateSystem>& mapSystem = *m_mapSystem;
    if (!layer.systemProblem().isEmpty()) {
        const QString message =
            layer.coordinateSystem() && mapSystem
                ? kNotTransformed.arg(path, mapSystem->label(), layer.systemProblem())
                : kSystemUnreadable.arg(path, layer.systemProblem());
        m_dialogs.message(m_map1.window(), message, platform::MessageKind::Warning);
        return;
    }
    if (!mapSystem && layer.coordinateSystem()) {
        *m_mapSystem = layer.coordinateSystem();
    }
}

void LayerBuilder::ApplyColourFile(mapcontrol::VectorLayer& layer, const QString& colourFile) {
    const platform::TextLines text = platform::readTextLines(colourFile);
    if (!text.result) {
        // An unreadable colour file: reported, and the layer keeps the default legend.
        m_dialogs.message(m_map1.window(),
                          text.result.message + QStringLiteral("\n") + text.result.detail,
                          platform::MessageKind::Error);
        buildDefaultRenderer(layer);
        return;
    }
    applyColourTable(
        layer, parseColourFile(text.lines, geometryWord(static_cast<int>(layer.shapeType()))));
}

bool LayerBuilder::rebuildAllLayers(const std::vector<ThemeEntry>& themes,
                                    std::vector<int>& renderKinds,
                                    const mapcontrol::Rectangle& currentExtent) {
    // The old layers of files that are themes again stay alive until the new
    // layers are built, which then take their loaded data instead of reading
    // the files once more. The others go at once: opening another project
    // does not hold the data of both in memory.
    QSet<QString> themeFiles;
    for (const ThemeEntry& theme : themes) {
        themeFiles.insert(nativePath(themeFilePath(themePath(theme.line))));
    }
    m_mapSystem->reset();
    std::vector<std::shared_ptr<mapcontrol::Layer>> kept;
    for (mapcontrol::MapWidget* map : {&m_map1, &m_map2}) {
        for (std::shared_ptr<mapcontrol::Layer>& layer : map->layers().takeAll()) {
            if (layer->kind() == mapcontrol::Layer::Kind::Vector &&
                themeFiles.contains(layer->dataFile())) {
                kept.push_back(std::move(layer));
            }
        }
    }
    // A theme that cannot be built is reported and holds its place; the
    // themes above it are still built, so one damaged file does not take the
    // rest of the project with it.
    bool allBuilt = true;
    for (int i = static_cast<int>(themes.size()) - 1; i >= 0; --i) {
        const ThemeEntry& theme = themes[static_cast<std::size_t>(i)];
        int* kind = static_cast<std::size_t>(i) < renderKinds.size()
                        ? &renderKinds[static_cast<std::size_t>(i)]
                        : nullptr;
        m_progressTotal = static_cast<int>(themes.size());
        m_progressDone = m_progressTotal - 1 - i;
        allBuilt &= buildLayer(themePath(theme.line), theme.checked, kind, Mode::Rebuild);
    }
    kept.clear();  // the data of a file read again goes before the redraw
    m_map1.setExtent(currentExtent);
    return allBuilt;
}

bool LayerBuilder::buildThemeLayer(const QString& pathOrLine) {
    m_progressDone = 0;
    m_progressTotal = 1;
    return buildLayer(themePath(pathOrLine), true, nullptr, Mode::AddOne);
}

}  // namespace files
