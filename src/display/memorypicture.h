#pragma once
// The A-scan picture of a memory as the program draws it everywhere (main
// window, export, report, viewer): the trace and graticule, then what the
// record's settings draw over it, then the scale labels.

#include "store/fields.h"
#include "store/record.h"

#include <QColor>

namespace vextrum {

class Canvas;
class Surface;

// The colours of what the picture draws from the memory. The main window
// and the printed report draw everything in the instrument's green; the
// viewer and exported pictures tell trace, gates and DAC apart.
struct PictureColours
{
    QColor trace, gate1, gate2, dac;
};
const PictureColours &screenColours();
const PictureColours &measuringColours();

// The gate lines and DAC curves the settings call for, in their order.
void drawOverlays(Surface &surface, const Record &record, const SetupView &view,
                  const PictureColours &colours = screenColours());

// The overlays, then the scale labels from the RANGE and DELAY texts:
// what the settings add to the trace once the record is on screen.
void drawSettings(Surface &surface, const Record &record, const SetupView &view,
                  const PictureColours &colours = screenColours());

// The whole picture: trace and graticule, then drawSettings. `canvas` is
// an A-scan canvas (makeAscanCanvas); the view is decodeSetup(record).
void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view,
                       const PictureColours &colours = screenColours());

// A legend of the colours for what `view` draws, at the picture's top
// right in logical units (exported pictures).
void drawLegend(Surface &surface, const SetupView &view, const PictureColours &colours);
// Its rows: the trace, then each gate and the DAC curve drawn.
QList<std::pair<QColor, QString>> legendRows(const SetupView &view, const PictureColours &colours);

// The gate lines of gates 1 and 2: start, end and level fields.
struct GateFields
{
    Overlay overlay;
    int gate;
    Field start, end, level;
};
const std::array<GateFields, 2> &gateFields();

} // namespace vextrum
