#pragma once
// What the parameter panel shows for a record: every box and caption
// text, in the order they are filled, and what is drawn over the trace.

#include "store/record.h"

#include <QList>
#include <QPair>
#include <QString>

namespace vextrum {

// Mode texts, compared exactly, trailing blanks included.
namespace mode {
inline const QString Off = QStringLiteral("OFF    ");
inline const QString On = QStringLiteral("ON     ");
inline const QString OnTcg = QStringLiteral("ON  TCG");
inline const QString On614 = QStringLiteral("ON 6/14");
inline const QString Dac12 = QStringLiteral("DAC -12");
inline const QString Dac6 = QStringLiteral("DAC -6 ");
} // namespace mode

enum class Overlay { Gate1, Gate2, DacCurve, Dac614Curves };

struct SetupView
{
    // objectName and text, in filling order: fields, time, readings, notes.
    QList<QPair<QString, QString>> texts;
    QList<Overlay> overlays; // in drawing order
    QString text(const QString &name) const; // the last text given to name
};

// Note boxes, in order, with the first record position of each.
struct NoteField
{
    const char *box;
    const char *label;
    int first;
};
const QList<NoteField> &noteFields();

// A note's 20 characters, or empty when all 20 are blanks.
QString noteText(const Record &record, int first);

// "Tm:" alone with the clock off, else "Tm: hh:mm Dt:dd/mm/yy".
QString timeLabel(const QString &clockText, const Record &record);

SetupView decodeSetup(const Record &record);

// What a captured entry of the memory list tells on hovering: the time
// and date as the panel shows them, the operator and the job detail.
QString memoryToolTip(const Record &record);

class Canvas;
class Surface;
// What the settings of a record draw over its trace, in their order: the
// gate lines and DAC curves.
void drawOverlays(Surface &surface, const Record &record, const SetupView &view);

// The A-scan picture of a record as the main window shows it once the
// record is on screen: trace and graticule, then the gate lines and DAC
// curves its settings call for, then the scale labels. `canvas` is an
// A-scan canvas (makeAscanCanvas); the view is decodeSetup(record).
void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view);

} // namespace vextrum
