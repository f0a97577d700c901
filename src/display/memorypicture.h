#pragma once
// The A-scan picture of a memory as the program draws it everywhere (main
// window, export, report, viewer): the trace and graticule, then what the
// record's settings draw over it, then the scale labels.

#include "store/fields.h"
#include "store/record.h"

namespace vextrum {

class Canvas;
class Surface;

// The gate lines and DAC curves the settings call for, in their order.
void drawOverlays(Surface &surface, const Record &record, const SetupView &view);

// The overlays, then the scale labels from the RANGE and DELAY texts:
// what the settings add to the trace once the record is on screen.
void drawSettings(Surface &surface, const Record &record, const SetupView &view);

// The whole picture: trace and graticule, then drawSettings. `canvas` is
// an A-scan canvas (makeAscanCanvas); the view is decodeSetup(record).
void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view);

// The gate lines of gates 1 and 2: start, end and level fields.
struct GateFields
{
    Overlay overlay;
    int gate;
    Field start, end, level;
};
const std::array<GateFields, 2> &gateFields();

} // namespace vextrum
