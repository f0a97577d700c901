#include "display/memorypicture.h"

#include "display/ascan.h"
#include "display/canvas.h"
#include "display/dac.h"

namespace vextrum {

const std::array<GateFields, 2> &gateFields()
{
    static const std::array<GateFields, 2> gates{{
        {Overlay::Gate1, 1, Field::Gate1Start, Field::Gate1End, Field::Gate1Level},
        {Overlay::Gate2, 2, Field::Gate2Start, Field::Gate2End, Field::Gate2Level},
    }};
    return gates;
}

const PictureColours &screenColours()
{
    static const PictureColours c{kGreen, kGreen, kGreen, kGreen};
    return c;
}

const PictureColours &measuringColours()
{
    // Told apart also in grey print and by most colour-blind readers.
    static const PictureColours c{QColor(0, 130, 0), QColor(220, 0, 0), QColor(0, 0, 230), QColor(200, 110, 0)};
    return c;
}

void drawOverlays(Surface &surface, const Record &record, const SetupView &view, const PictureColours &colours)
{
    for (Overlay o : view.overlays) {
        switch (o) {
        case Overlay::Gate1:
        case Overlay::Gate2: {
            const GateFields &g = gateFields()[o == Overlay::Gate1 ? 0 : 1];
            drawGateLine(surface, view.text(g.start), view.text(g.end), view.text(g.level),
                         g.gate == 1 ? colours.gate1 : colours.gate2);
            break;
        }
        case Overlay::DacCurve:
            drawDacCurve(surface, record, colours.dac);
            break;
        case Overlay::Dac614Curves:
            drawDac614Curves(surface, record, colours.dac);
            break;
        }
    }
}

void drawSettings(Surface &surface, const Record &record, const SetupView &view, const PictureColours &colours)
{
    drawOverlays(surface, record, view, colours);
    drawScaleLabels(surface, readNumber(view.text(Field::Range)), readNumber(view.text(Field::Delay)));
}

void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view, const PictureColours &colours)
{
    drawPattern(canvas, record, colours.trace);
    drawSettings(canvas, record, view, colours);
}

QList<std::pair<QColor, QString>> legendRows(const SetupView &view, const PictureColours &colours)
{
    QList<std::pair<QColor, QString>> rows{{colours.trace, QStringLiteral("Trace")}};
    if (view.overlays.contains(Overlay::Gate1))
        rows.append({colours.gate1, QStringLiteral("Gate 1")});
    if (view.overlays.contains(Overlay::Gate2))
        rows.append({colours.gate2, QStringLiteral("Gate 2")});
    if (view.overlays.contains(Overlay::DacCurve))
        rows.append({colours.dac, QStringLiteral("DAC")});
    return rows;
}

void drawLegend(Surface &surface, const SetupView &view, const PictureColours &colours)
{
    const QList<std::pair<QColor, QString>> rows = legendRows(view, colours);
    double y = 14;
    for (const auto &row : rows) {
        surface.line(190, y + 4, 202, y + 4, row.first);
        surface.text(215, y, row.second);
        y += 10;
    }
}

} // namespace vextrum
