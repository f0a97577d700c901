#include "store/fields.h"

namespace vextrum {

namespace {

using K = FieldKind;
using F = Field;

// field, kind, name, first, length, caption, reportCaption, row, column, start
constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {F::Zero, K::Setup, "txtzero", 260, 7, "ZERO", nullptr, 0, 0, "108"},
    {F::Range, K::Setup, "txtrange", 267, 7, "RANGE", nullptr, 0, 1, "100"},
    {F::Velocity, K::Setup, "txtvelo", 274, 7, "VEL ", "VEL", 0, 2, "5920"},
    {F::Delay, K::Setup, "txtdelay", 281, 7, "DELAY", nullptr, 0, 3, "0.0"},
    {F::Gain, K::Setup, "txtgain", 288, 5, "Gain", nullptr, kLastLine, 0, "25"},
    {F::Gate1, K::Setup, "txtgate", 295, 7, "GATE 1", nullptr, 1, 0, "OFF"},
    {F::Gate1Start, K::Setup, "txtstart", 302, 7, "START", nullptr, 1, 1, "30%"},
    {F::Gate1End, K::Setup, "txtend", 309, 7, "END", nullptr, 1, 2, "70%"},
    {F::Gate1Level, K::Setup, "txtlevel", 316, 7, "LEVEL", nullptr, 1, 3, "40%"},
    {F::Gate2, K::Setup, "txtgate2", 323, 7, "GATE 2", nullptr, 2, 0, "OFF"},
    {F::Gate2Start, K::Setup, "txtstart2", 330, 7, "START", nullptr, 2, 1, "30%"},
    {F::Gate2End, K::Setup, "txtend2", 337, 7, "END", nullptr, 2, 2, "70%"},
    {F::Gate2Level, K::Setup, "txtlevel2", 344, 7, "LEVEL", nullptr, 2, 3, "40%"},
    {F::MemoryMode, K::Setup, "txtmem", 351, 7, "MEMORY", nullptr, 3, 0, "A SCAN"},
    {F::MemoryNumber, K::Setup, "txtmemno", 358, 7, "MEM NO", nullptr, 3, 1, "1"},
    {F::Action, K::Setup, "txtaction", 365, 7, "ACTION", nullptr, 3, 2, "SEND"},
    {F::RefGain, K::Setup, "txtrefg", 372, 4, "REF", nullptr, kLastLine, 1, "25"},
    {F::Note, K::Setup, "txtent", -1, 0, "NOTE", nullptr, 3, 3, "ENTER"},
    {F::Reject, K::Setup, "txtreject", 376, 7, "REJECT", nullptr, 4, 0, "00%"},
    {F::Power, K::Setup, "txtpower", 383, 7, "POWER", nullptr, 4, 1, "HI"},
    {F::Damping, K::Setup, "txtdamp", 390, 7, "DAMPING", nullptr, 4, 2, "HIGH"},
    {F::Mode, K::Setup, "txtmode", 397, 7, "MODE", nullptr, 4, 3, "SINGLE"},
    {F::DacCaption, K::Caption, "labdac", 404, 7, nullptr, nullptr, 5, 0, "DAC"},
    {F::Dac, K::Setup, "txtdac", 411, 7, nullptr, nullptr, 5, 0, "OFF"},
    {F::CursorCaption, K::Caption, "labgsta1", 418, 7, nullptr, nullptr, 5, 1, "STRT G1"},
    {F::Cursor, K::Setup, "txtcur", 425, 7, nullptr, nullptr, 5, 1, "30%"},
    {F::PointCaption, K::Caption, "labpnt", 432, 7, nullptr, nullptr, 5, 2, "POINT"},
    {F::Point, K::Setup, "txtpoint", 439, 7, nullptr, nullptr, 5, 2, "001"},
    {F::PressCaption, K::Caption, "labpress", 446, 7, nullptr, nullptr, 5, 3, "PRESS"},
    {F::Press, K::Setup, "Txtpress", 453, 7, nullptr, nullptr, 5, 3, "ENTER"},
    {F::Measure, K::Setup, "txtmea", 460, 7, "MEASURE", nullptr, 6, 0, "OFF"},
    {F::XOffset, K::Setup, "txtxoff", 467, 7, "X-OFF", nullptr, 6, 1, "000"},
    {F::Angle, K::Setup, "txtangle", 474, 7, "ANGLE", nullptr, 6, 2, "000"},
    {F::Thickness, K::Setup, "txtthick", 481, 7, "THICK", nullptr, 6, 3, "0100"},
    {F::Trigger, K::Setup, "txttrig", 488, 7, "TRIGGER", nullptr, 7, 0, "FLANK"},
    {F::Hud, K::Setup, "txthud", 495, 7, "HUD", nullptr, 7, 1, "OFF"},
    {F::SetRef, K::Setup, "txtsetref", 502, 7, "SET REF", nullptr, 7, 2, "OFF"},
    {F::Unit, K::Setup, "txtunit", 509, 7, "UNIT", nullptr, 7, 3, "METRIC"},
    {F::Clock, K::Setup, "txtclock", 516, 7, "CLOCK", nullptr, 8, 0, "OFF"},
    {F::Colour, K::Setup, "txtcolor", 523, 7, "COLOR", nullptr, 8, 1, "005"},
    {F::Video, K::Setup, "txtVideo", 530, 7, "VIDEO", nullptr, 8, 2, "ENVELOP"},
    {F::Brightness, K::Setup, "txtbrt", 537, 6, "BRIGHT", nullptr, 8, 3, "50%"},
    {F::Config, K::Setup, "txtcinfig", 544, 7, "CONFIG", nullptr, 9, 0, "DAC"},
    {F::Horn, K::Setup, "txthorn", 551, 7, "HORN", nullptr, 9, 1, "OFF"},
    {F::Beep, K::Setup, "txtbeep", 558, 7, "BEEP", nullptr, 9, 2, "OFF"},
    {F::Prf, K::Setup, "txtprf", 565, 7, "PRF", nullptr, 9, 3, "HI"},
    {F::MeasurePoint1, K::Setup, "txtmp1", 572, 7, "MEA PO1", nullptr, 10, 0, "OFF"},
    {F::MeasurePoint2, K::Setup, "txtmp2", 579, 7, "MEA PO2", nullptr, 10, 1, "OFF"},
    {F::MeasurePoint3, K::Setup, "txtmp3", 586, 7, "MEA PO3", nullptr, 10, 2, "OFF"},
    {F::Blank1, K::Setup, "txtblk1", 593, 7, nullptr, "     ", 10, 3, ""},
    {F::Dgs, K::Setup, "txtdgs", 600, 7, "DGS", nullptr, 11, 0, "OFF"},
    {F::StartGate1, K::Setup, "txtstrtg1", 607, 7, "STRT G1", nullptr, 11, 1, "30 %"},
    {F::DgsRef, K::Setup, "txtdgsref", 614, 7, "DGS-REF", nullptr, 11, 2, "OFF"},
    {F::TlCorrection, K::Setup, "txttlcorr", 621, 7, "TL-CORR", nullptr, 11, 3, "00.0 dB"},
    {F::ScaleNumber, K::Setup, "txtscaleno", 628, 7, "SCALE NO", "SCAL NO", 12, 0, "002"},
    {F::ProbeName, K::Setup, "txtprbname", 635, 7, "PRBNAME", nullptr, 12, 1, "M2SN"},
    {F::ProbeFrequency, K::Setup, "txtpfreq", 642, 7, "PRBFREQ", nullptr, 12, 2, "2.00MHZ"},
    {F::DelayVelocity, K::Setup, "txtdelvel", 649, 7, "DEL-VEL", nullptr, 12, 3, "2500M/S"},
    {F::DEffective, K::Setup, "txtdefft", 656, 7, "D EFFT", nullptr, 13, 0, "23.1 MM"},
    {F::DgsCurve, K::Setup, "txtdgscrv", 663, 7, "DGS-CRV", nullptr, 13, 1, "11.0 MM"},
    {F::RefType, K::Setup, "txtrefecho", 670, 7, "REFTYPE", nullptr, 13, 2, "FBH"},
    {F::RefSize, K::Setup, "txtrefsize", 677, 7, "REFSIZE", nullptr, 13, 3, "11.0 MM"},
    {F::Exit, K::Setup, "txtexit", 684, 7, "EXIT", "     ", 14, 0, ""},
    {F::AttRef, K::Setup, "txtattref", 691, 7, "ATT-REF", nullptr, 14, 1, "00.0 dB"},
    {F::AttObject, K::Setup, "txtattobj", 698, 7, "ATT-OBJ", nullptr, 14, 2, "00.0 dB"},
    {F::AmplitudeCorrection, K::Setup, "txtamplcor", 705, 7, "AMPLCOR", nullptr, 14, 3, "00.0 dB"},
    {F::TimeDate, K::Time, "txttmdt", 712, 10, nullptr, nullptr, kLastLine, 2, "Tm: 7:55  Dt: 28/4/2003"},
    {F::Reading1, K::Reading, "txtmeapo1", 722, 8, nullptr, nullptr, 0, 0, ""},
    {F::Reading2, K::Reading, "txtmeapo2", 730, 8, nullptr, nullptr, 1, 0, ""},
    {F::Reading3, K::Reading, "txtmeapo3", 738, 8, nullptr, nullptr, 2, 0, ""},
    {F::Reading4, K::Reading, "txtmeapo4", 746, 8, nullptr, nullptr, 3, 0, ""},
    {F::Operator, K::Note, "txtopname", 1010, 20, "OPERATOR .........", "OPERATOR", 0, 0, ""},
    {F::JobDetail, K::Note, "txtraw", 1030, 20, "JOB DETAIL ........", "JOB DETAIL", 1, 0, ""},
    {F::DefectDetail, K::Note, "txtaxno", 1050, 20, "DEFECT DETAIL ", "DEFECT DETAIL", 2, 0, ""},
    {F::Remark, K::Note, "txtremark", 1070, 20, "REMARK ..............", "REMARK", 3, 0, ""},
}};

// Each entry stands at its field's index: the enum and the table agree.
constexpr bool inFieldOrder()
{
    for (int i = 0; i < kFieldCount; ++i)
        if (int(kFields[std::size_t(i)].field) != i)
            return false;
    return true;
}
static_assert(inFieldOrder(), "the field table must list the fields in enum order");

} // namespace

const std::array<FieldInfo, kFieldCount> &fieldTable()
{
    return kFields;
}

const FieldInfo *captionFieldOf(const FieldInfo &field)
{
    if (field.kind != FieldKind::Setup)
        return nullptr;
    for (const FieldInfo &f : kFields)
        if (f.kind == FieldKind::Caption && f.row == field.row && f.column == field.column)
            return &f;
    return nullptr;
}

QList<Field> fieldsOf(FieldKind kind)
{
    QList<Field> list;
    for (const FieldInfo &f : kFields)
        if (f.kind == kind)
            list.append(f.field);
    return list;
}

SetupView startView()
{
    SetupView v;
    for (const FieldInfo &f : kFields)
        v.text(f.field) = QString::fromLatin1(f.start);
    return v;
}

QString noteText(const Record &record, int first)
{
    for (int p = first; p < first + pos::NoteLength; ++p)
        if (record[p] != kBlank)
            return recordText(record, first, pos::NoteLength);
    return QString();
}

QString timeLabel(const QString &clockText, const Record &record)
{
    QString label = QStringLiteral("Tm:");
    if (clockText != mode::Off) {
        const FieldInfo &t = fieldInfo(Field::TimeDate);
        const QString c = recordText(record, t.first, t.length);
        label = QStringLiteral("Tm: ") + c.mid(0, 2) + QLatin1Char(':') + c.mid(2, 2) + QStringLiteral(" Dt:")
                + c.mid(4, 2) + QLatin1Char('/') + c.mid(6, 2) + QLatin1Char('/') + c.mid(8, 2);
    }
    return label;
}

QDateTime instrumentTime(const Record &record)
{
    if (recordText(record, fieldInfo(Field::Clock).first, fieldInfo(Field::Clock).length) == mode::Off)
        return {};
    const FieldInfo &t = fieldInfo(Field::TimeDate);
    const QString c = recordText(record, t.first, t.length);
    for (const QChar ch : c)
        if (!ch.isDigit())
            return {};
    const int yy = c.mid(8, 2).toInt();
    const QDateTime time(QDate(yy < 80 ? 2000 + yy : 1900 + yy, c.mid(6, 2).toInt(), c.mid(4, 2).toInt()),
                         QTime(c.mid(0, 2).toInt(), c.mid(2, 2).toInt()));
    return time.isValid() ? time : QDateTime();
}

SetupView decodeSetup(const Record &record)
{
    SetupView v;
    for (const FieldInfo &f : kFields) {
        QString &text = v.text(f.field);
        switch (f.kind) {
        case FieldKind::Setup:
        case FieldKind::Caption:
            text = f.first < 0 ? QString::fromLatin1(f.start) : recordText(record, f.first, f.length);
            break;
        case FieldKind::Time:
            text = timeLabel(v.text(Field::Clock), record);
            break;
        case FieldKind::Reading:
            text = v.text(Field::Measure) == mode::Off ? QString() : recordText(record, f.first, f.length);
            break;
        case FieldKind::Note:
            text = noteText(record, f.first);
            break;
        }
    }
    // The gain box holds two blanks after its five characters.
    v.text(Field::Gain) += QStringLiteral("  ");
    // A DAC in TCG mode shows as ON under the caption TCG.
    if (v.text(Field::Dac) == mode::OnTcg) {
        v.text(Field::Dac) = mode::On;
        v.text(Field::DacCaption) = QStringLiteral("TCG");
    }

    const QString &gate1 = v.text(Field::Gate1), &dac = v.text(Field::Dac);
    if (gate1 != mode::Off && gate1 != mode::Dac12 && gate1 != mode::Dac6)
        v.overlays.append(Overlay::Gate1);
    if (v.text(Field::Gate2) != mode::Off)
        v.overlays.append(Overlay::Gate2);
    if (v.text(Field::Dgs) == mode::On)
        v.overlays.append(Overlay::DacCurve);
    if (dac == mode::On)
        v.overlays.append(Overlay::DacCurve);
    if (dac == mode::On614) {
        v.overlays.append(Overlay::DacCurve);
        v.overlays.append(Overlay::Dac614Curves);
    }
    return v;
}

QString memoryToolTip(const Record &record)
{
    const SetupView v = decodeSetup(record);
    return v.text(Field::TimeDate) + QStringLiteral("\nOperator: ") + v.text(Field::Operator).trimmed()
           + QStringLiteral("\nJob detail: ") + v.text(Field::JobDetail).trimmed();
}

void saveNotes(Record &slot, const QStringList &texts)
{
    const QList<Field> notes = fieldsOf(FieldKind::Note);
    for (int n = 0; n < notes.size() && n < texts.size(); ++n) {
        const QString &text = texts[n];
        const int first = fieldInfo(notes[n]).first;
        for (int k = 0; k < pos::NoteLength; ++k)
            slot[first + k] = k < text.size() ? charToCode(text[k]) : kBlank;
    }
}

} // namespace vextrum
