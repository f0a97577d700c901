#pragma once
// DAC curves over the A-scan: the instrument's reference curve, and for
// "ON 6/14" the curves at half and at one fifth of its amplitude.

#include "display/surface.h"
#include "store/record.h"

namespace vextrum {

// One pass over the 251 curve values at height 210 - v / divisor. Points
// above the top line are drawn on it; points below y = 208 are gaps that
// break the curve, and a run's first point only sets the current point.
void drawCurvePass(Surface &surface, const Record &record, double divisor, const QColor &colour = kGreen);

void drawDacCurve(Surface &surface, const Record &record, const QColor &colour = kGreen);     // divisor 1
void drawDac614Curves(Surface &surface, const Record &record, const QColor &colour = kGreen); // 2, then 5

} // namespace vextrum
