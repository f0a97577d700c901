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

void drawOverlays(Surface &surface, const Record &record, const SetupView &view)
{
    for (Overlay o : view.overlays) {
        switch (o) {
        case Overlay::Gate1:
        case Overlay::Gate2: {
            const GateFields &g = gateFields()[o == Overlay::Gate1 ? 0 : 1];
            drawGateLine(surface, view.text(g.start), view.text(g.end), view.text(g.level));
            break;
        }
        case Overlay::DacCurve:
            drawDacCurve(surface, record);
            break;
        case Overlay::Dac614Curves:
            drawDac614Curves(surface, record);
            break;
        }
    }
}

void drawSettings(Surface &surface, const Record &record, const SetupView &view)
{
    drawOverlays(surface, record, view);
    drawScaleLabels(surface, readNumber(view.text(Field::Range)), readNumber(view.text(Field::Delay)));
}

void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view)
{
    drawPattern(canvas, record);
    drawSettings(canvas, record, view);
}

} // namespace vextrum
