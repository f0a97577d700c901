#include "display/setupview.h"

#include "display/ascan.h"
#include "display/dac.h"

#include "display/setupfields.h"

namespace vextrum {

QString SetupView::text(const QString &name) const
{
    for (auto it = texts.crbegin(); it != texts.crend(); ++it)
        if (it->first == name)
            return it->second;
    return QString();
}

const QList<NoteField> &noteFields()
{
    static const QList<NoteField> notes = {
        {"txtopname", "OPERATOR .........", 1010},
        {"txtraw", "JOB DETAIL ........", 1030},
        {"txtaxno", "DEFECT DETAIL ", 1050},
        {"txtremark", "REMARK ..............", 1070},
    };
    return notes;
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
        const QString c = recordText(record, kTimeFirst, 10);
        label = QStringLiteral("Tm: ") + c.mid(0, 2) + QLatin1Char(':') + c.mid(2, 2) + QStringLiteral(" Dt:")
                + c.mid(4, 2) + QLatin1Char('/') + c.mid(6, 2) + QLatin1Char('/') + c.mid(8, 2);
    }
    return label;
}

SetupView decodeSetup(const Record &record)
{
    SetupView v;
    QString gate1, gate2, dac, dgs, mea, clock;
    for (const SetupField &f : setupFields()) {
        if (f.captionLabel)
            v.texts.append({QString::fromLatin1(f.captionLabel), recordText(record, f.captionFirst, 7)});
        const QString box = QString::fromLatin1(f.box);
        QString text = f.first < 0 ? QString::fromLatin1(f.start) : recordText(record, f.first, f.shown);
        if (box == QLatin1String("txtgain"))
            text += QStringLiteral("  ");
        v.texts.append({box, text});
        if (box == QLatin1String("txtdac") && text == mode::OnTcg) {
            text = mode::On;
            v.texts.append({box, text});
            v.texts.append({QStringLiteral("labdac"), QStringLiteral("TCG")});
        }
        if (box == QLatin1String("txtgate"))
            gate1 = text;
        else if (box == QLatin1String("txtgate2"))
            gate2 = text;
        else if (box == QLatin1String("txtdac"))
            dac = text;
        else if (box == QLatin1String("txtdgs"))
            dgs = text;
        else if (box == QLatin1String("txtmea"))
            mea = text;
        else if (box == QLatin1String("txtclock"))
            clock = text;
    }

    v.texts.append({QStringLiteral("txttmdt"), timeLabel(clock, record)});

    for (const MeasureBox &mb : measureBoxes())
        v.texts.append({QString::fromLatin1(mb.box), mea == mode::Off ? QString() : recordText(record, mb.first, 8)});

    if (gate1 != mode::Off && gate1 != mode::Dac12 && gate1 != mode::Dac6)
        v.overlays.append(Overlay::Gate1);
    if (gate2 != mode::Off)
        v.overlays.append(Overlay::Gate2);
    if (dgs == mode::On)
        v.overlays.append(Overlay::DacCurve);
    if (dac == mode::On)
        v.overlays.append(Overlay::DacCurve);
    if (dac == mode::On614) {
        v.overlays.append(Overlay::DacCurve);
        v.overlays.append(Overlay::Dac614Curves);
    }

    for (const NoteField &n : noteFields())
        v.texts.append({QString::fromLatin1(n.box), noteText(record, n.first)});
    return v;
}

QString memoryToolTip(const Record &record)
{
    const SetupView v = decodeSetup(record);
    return v.text(QStringLiteral("txttmdt")) + QStringLiteral("\nOperator: ")
           + v.text(QStringLiteral("txtopname")).trimmed() + QStringLiteral("\nJob detail: ")
           + v.text(QStringLiteral("txtraw")).trimmed();
}

void drawOverlays(Surface &surface, const Record &record, const SetupView &view)
{
    for (Overlay o : view.overlays) {
        switch (o) {
        case Overlay::Gate1:
            drawGateLine(surface, view.text(QStringLiteral("txtstart")), view.text(QStringLiteral("txtend")),
                         view.text(QStringLiteral("txtlevel")));
            break;
        case Overlay::Gate2:
            drawGateLine(surface, view.text(QStringLiteral("txtstart2")), view.text(QStringLiteral("txtend2")),
                         view.text(QStringLiteral("txtlevel2")));
            break;
        case Overlay::DacCurve:
            drawDacCurve(surface, record);
            break;
        case Overlay::Dac614Curves:
            drawDac614Curves(surface, record);
            break;
        }
    }
}

void drawMemoryPicture(Canvas &canvas, const Record &record, const SetupView &view)
{
    drawPattern(canvas, record);
    drawOverlays(canvas, record, view);
    drawScaleLabels(canvas, readNumber(view.text(QStringLiteral("txtrange"))),
                    readNumber(view.text(QStringLiteral("txtdelay"))));
}

} // namespace vextrum
