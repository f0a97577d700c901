#include "display/dac.h"

namespace vextrum {

void drawCurvePass(Surface &surface, const Record &record, double divisor, const QColor &colour)
{
    double x = 0;
    bool connected = false;
    for (int p = pos::DacFirst; p <= pos::DacLast; ++p) {
        // Whole numbers for the DAC curve itself (divisor 1) come out the
        // same in floating point, and nothing here can overflow.
        double y = 210 - record[p] / divisor;
        if (y < 10)
            y = 10;
        if (y > 208)
            connected = false;
        if (connected)
            surface.lineTo(x, y, colour);
        if (y <= 208) {
            surface.moveTo(x, y);
            connected = true;
        }
        x += 1;
    }
}

void drawDacCurve(Surface &surface, const Record &record, const QColor &colour)
{
    surface.setDrawWidth(2);
    drawCurvePass(surface, record, 1, colour);
}

void drawDac614Curves(Surface &surface, const Record &record, const QColor &colour)
{
    surface.setDrawWidth(2);
    drawCurvePass(surface, record, 2, colour);
    drawCurvePass(surface, record, 5, colour);
}

} // namespace vextrum
