#include "display/dac.h"

namespace vextrum {

void drawCurvePass(Surface &surface, const Record &record, double divisor, const QColor &colour)
{
    // Each run of points at or above 208 is one line through them.
    QList<QPointF> run;
    auto endRun = [&] {
        if (run.size() > 1)
            surface.polyline(run, colour);
        else if (run.size() == 1)
            surface.moveTo(run.front().x(), run.front().y());
        run.clear();
    };
    double x = 0;
    for (int p = pos::DacFirst; p <= pos::DacLast; ++p) {
        // Whole numbers for the DAC curve itself (divisor 1) come out the
        // same in floating point, and nothing here can overflow.
        double y = 210 - record[p] / divisor;
        if (y < 10)
            y = 10;
        if (y > 208)
            endRun();
        else
            run.append(QPointF(x, y));
        x += 1;
    }
    endRun();
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
