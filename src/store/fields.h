#pragma once
// The fields of a memory record as the program shows them: one table
// giving, for each field, its place in the record, the objectName of the
// box or label that shows it, its caption and its cell on the panel (from
// which the report's cell follows). The panel, the report, the CSV
// export, the browser and the viewer all walk this table; nothing else
// names a field by its text. Also what a record shows in its fields:
// SetupView, decoded from the record without any window.

#include "store/record.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace vextrum {

// Every field, in the order the panel fills them: the setup block in
// record order (a caption the instrument sends comes before its field),
// then the time and date, the measurement readings and the notes.
enum class Field : int {
    Zero, Range, Velocity, Delay, Gain,
    Gate1, Gate1Start, Gate1End, Gate1Level,
    Gate2, Gate2Start, Gate2End, Gate2Level,
    MemoryMode, MemoryNumber, Action, RefGain, Note,
    Reject, Power, Damping, Mode,
    DacCaption, Dac, CursorCaption, Cursor, PointCaption, Point, PressCaption, Press,
    Measure, XOffset, Angle, Thickness,
    Trigger, Hud, SetRef, Unit,
    Clock, Colour, Video, Brightness,
    Config, Horn, Beep, Prf,
    MeasurePoint1, MeasurePoint2, MeasurePoint3, Blank1,
    Dgs, StartGate1, DgsRef, TlCorrection,
    ScaleNumber, ProbeName, ProbeFrequency, DelayVelocity,
    DEffective, DgsCurve, RefType, RefSize,
    Exit, AttRef, AttObject, AmplitudeCorrection,
    TimeDate,
    Reading1, Reading2, Reading3, Reading4,
    Operator, JobDetail, DefectDetail, Remark,
};
constexpr int kFieldCount = int(Field::Remark) + 1;

enum class FieldKind {
    Setup,   // a box of the parameter panel
    Caption, // a panel label whose text the record gives, over the box of its cell
    Time,    // the time and date label of the panel's last line
    Reading, // a measurement reading under the A-scan picture
    Note,    // a note box under the picture
};

constexpr int kLastLine = 15; // panel row of Gain, REF and the time

struct FieldInfo
{
    Field field;
    FieldKind kind;
    const char *name;          // objectName of the box or label showing it
    int first;                 // first record position; -1: reads nothing
    int length;                // characters shown
    const char *caption;       // fixed caption (panel, CSV header), or nullptr
    const char *reportCaption; // the report's caption where it differs, or nullptr
    int row;                   // panel row 0..14 or kLastLine; reading or note 0..3
    int column;                // panel column 0..3
    const char *start;         // text before any memory is shown
};

// The table, in filling order; field f is at index int(f).
const std::array<FieldInfo, kFieldCount> &fieldTable();
inline const FieldInfo &fieldInfo(Field f) { return fieldTable()[std::size_t(f)]; }
inline QString fieldName(Field f) { return QString::fromLatin1(fieldInfo(f).name); }
// The caption field over the box of the same panel cell, or nullptr.
const FieldInfo *captionFieldOf(const FieldInfo &field);
// The fields of one kind, in table order.
QList<Field> fieldsOf(FieldKind kind);

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

// What the panel, readings and notes show for a record, and what its
// settings draw over the trace.
struct SetupView
{
    std::array<QString, kFieldCount> texts;
    QList<Overlay> overlays; // in drawing order
    const QString &text(Field f) const { return texts[std::size_t(f)]; }
    QString &text(Field f) { return texts[std::size_t(f)]; }
};

// The texts the panel shows before any memory is: every field's start text.
SetupView startView();
SetupView decodeSetup(const Record &record);

// A note's 20 characters, or empty when all 20 are blanks.
QString noteText(const Record &record, int first);

// The instrument's time and date of a record (hhmmddmmyy; two-digit years
// 00-79 are 20yy, 80-99 19yy); invalid with the clock off or digits that
// make no time.
QDateTime instrumentTime(const Record &record);

// "Tm:" alone with the clock off, else "Tm: hh:mm Dt:dd/mm/yy".
QString timeLabel(const QString &clockText, const Record &record);

// What a captured entry of the memory list tells on hovering: the time
// and date as the panel shows them, the operator and the job detail.
QString memoryToolTip(const Record &record);

// "Detail/Note SAVE": each text replaces its whole note field, padded with
// blanks, so a shorter note never keeps the tail of the old one and an
// emptied box clears its field. Texts in note order; at most 20 characters
// of each are taken.
void saveNotes(Record &slot, const QStringList &texts);

} // namespace vextrum
