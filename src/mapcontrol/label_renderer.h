#pragma once

#include "mapcontrol/renderer.h"

#include <QString>

#include <map>
#include <memory>

namespace mapcontrol {

// Text of the labels: height in map units (so labels keep their ground size
// while zooming, though never drawn under 7 pixels), colour and font family.
struct TextSymbol {
    double height = 0.0;
    ColourInt colour = 0;
    QString family = QStringLiteral("DejaVu Sans");
};

// Labels the features with a field's values: inside each polygon (at its
// label point), at the middle of each line, beside each point. The features
// themselves are drawn first by the background renderer, or with the
// layer's symbol when there is none.
//
// Placement switches, addressed by number as the program sets them:
//   2  draw the features under the labels (background)       default on
//   3  mask each label with a white halo                      default off
//   6  leave out a label that would overlap one already drawn default off
//  11  keep polygon labels inside their polygon's box         default on
// Any other number is kept and has no effect.
class LabelRenderer final : public Renderer {
public:
    enum Switch { DrawBackground = 2, Halo = 3, RemoveOverlaps = 6, InsidePolygons = 11 };

    Kind kind() const override { return Kind::Labels; }

    const QString& field() const { return m_field; }
    void setField(const QString& field) { m_field = field; }

    TextSymbol& textSymbol() { return m_text; }
    const TextSymbol& textSymbol() const { return m_text; }

    Renderer* background() const { return m_background.get(); }
    // Takes the renderer that draws the features under the labels.
    void setBackground(std::unique_ptr<Renderer> renderer) { m_background = std::move(renderer); }
    std::unique_ptr<Renderer> takeBackground() { return std::move(m_background); }

    bool isOn(int number) const;
    void setSwitch(int number, bool on) { m_switches[number] = on; }

    void prepare(const VectorData& data) const override {
        if (m_background) m_background->prepare(data);
    }
    void draw(const RenderContext& context) const override;

private:
    QString m_field;
    TextSymbol m_text;
    std::unique_ptr<Renderer> m_background;
    std::map<int, bool> m_switches{
        {DrawBackground, true}, {Halo, false}, {RemoveOverlaps, false}, {InsidePolygons, true}};
};

}  // namespace mapcontrol
