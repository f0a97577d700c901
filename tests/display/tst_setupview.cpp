// The parameter panel's texts for a record, field by field, and the mode
// texts that decide what is drawn over the trace.
#include "store/fields.h"

#include <QtTest>

using namespace vextrum;

namespace {

int fieldWidth(const FieldInfo &f)
{
    return f.first == 372 ? 4 : 7;
}

// Distinct text for field i: "Fnn" and letters, as wide as the field.
QString fieldText(int i, int width)
{
    return QStringLiteral("F%1abcd").arg(i, 2, 10, QLatin1Char('0')).left(width);
}

Record recordWithDistinctFields()
{
    Record r = emptyRecord();
    int i = 0;
    for (Field field : fieldsOf(FieldKind::Setup)) {
        const FieldInfo &f = fieldInfo(field);
        if (f.first >= 0)
            setRecordText(r, f.first, fieldText(i, fieldWidth(f)));
        if (const FieldInfo *c = captionFieldOf(f))
            setRecordText(r, c->first, QStringLiteral("CAP%1").arg(i, 2, 10, QLatin1Char('0')) + QLatin1Char('x'));
        ++i;
    }
    return r;
}

// A 7-character field holding text and, after it, codes 0 (not blanks).
void setField(Record &r, int first, const QString &text)
{
    for (int p = first; p < first + 7; ++p)
        r[p] = 0;
    setRecordText(r, first, text);
}

Record recordWithModes(const QString &gate1, const QString &gate2, const QString &dac, const QString &dgs)
{
    Record r = emptyRecord();
    setField(r, 295, gate1);
    setField(r, 323, gate2);
    setField(r, 411, dac);
    setField(r, 600, dgs);
    return r;
}

} // namespace

class tst_setupview : public QObject
{
    Q_OBJECT
private slots:
    void tableCoversTheSetupBlock();
    void fields_data();
    void fields();
    void captionsComeFromTheRecord();
    void tcgRewrite();
    void clock_data();
    void clock();
    void measureOff();
    void overlays_data();
    void overlays();
    void notes_data();
    void notes();
    void neverFilledSlot();
};

void tst_setupview::tableCoversTheSetupBlock()
{
    // 65 fields back to back from 260 to 711, the 7-character caption
    // fields included; txtent reads nothing.
    int next = 260, fields = 0;
    for (const FieldInfo &f : fieldTable()) {
        if (f.first < 0 || (f.kind != FieldKind::Setup && f.kind != FieldKind::Caption))
            continue;
        QCOMPARE(f.first, next);
        next += fieldWidth(f);
        ++fields;
    }
    QCOMPARE(next, 712);
    QCOMPARE(fields, 65);
}

void tst_setupview::fields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("expected");
    int i = 0;
    for (Field field : fieldsOf(FieldKind::Setup)) {
        const FieldInfo &f = fieldInfo(field);
        QString expected = f.first < 0 ? QStringLiteral("ENTER") : fieldText(i, fieldWidth(f)).left(f.length);
        if (f.first == 288) // the gain box
            expected += QStringLiteral("  ");
        QTest::newRow(f.name) << int(field) << expected;
        ++i;
    }
}

void tst_setupview::fields()
{
    QFETCH(int, field);
    QFETCH(QString, expected);
    const SetupView v = decodeSetup(recordWithDistinctFields());
    QCOMPARE(v.text(Field(field)), expected);
}

void tst_setupview::captionsComeFromTheRecord()
{
    const SetupView v = decodeSetup(recordWithDistinctFields());
    QCOMPARE(v.text(Field::DacCaption), QStringLiteral("CAP22x "));
    QCOMPARE(v.text(Field::CursorCaption), QStringLiteral("CAP23x "));
    QCOMPARE(v.text(Field::PressCaption), QStringLiteral("CAP25x "));
    // Gain shows 288..292 only, brightness 537..542, REF 372..375.
    Record r = emptyRecord();
    setRecordText(r, 288, u"12.5dBX");
    setRecordText(r, 537, u"50%  XY");
    setRecordText(r, 372, u"REF1REJ");
    const SetupView g = decodeSetup(r);
    QCOMPARE(g.text(Field::Gain), QStringLiteral("12.5d  "));
    QCOMPARE(g.text(Field::Brightness), QStringLiteral("50%  X"));
    QCOMPARE(g.text(Field::RefGain), QStringLiteral("REF1"));
    QCOMPARE(g.text(Field::Reject), QStringLiteral("REJ    "));
}

void tst_setupview::tcgRewrite()
{
    Record r = recordWithModes(mode::Off, mode::Off, mode::OnTcg, mode::Off);
    setRecordText(r, 404, u"DAC    ");
    const SetupView v = decodeSetup(r);
    QCOMPARE(v.text(Field::Dac), mode::On);
    QCOMPARE(v.text(Field::DacCaption), QStringLiteral("TCG"));
    QCOMPARE(v.overlays, QList<Overlay>{Overlay::DacCurve});
}

void tst_setupview::clock_data()
{
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("label");
    QTest::newRow("on") << "ON     " << "0930280403" << "Tm: 09:30 Dt:28/04/03";
    QTest::newRow("off") << "OFF    " << "0930280403" << "Tm:";
    QTest::newRow("off without blanks is on") << "OFF" << "1155010199" << "Tm: 11:55 Dt:01/01/99";
    QTest::newRow("blanks as stored") << "ON     " << "          " << "Tm:   :   Dt:  /  /  ";
}

void tst_setupview::clock()
{
    QFETCH(QString, clock);
    QFETCH(QString, stored);
    QFETCH(QString, label);
    Record r = emptyRecord();
    setField(r, 516, clock);
    setRecordText(r, 712, stored);
    QCOMPARE(decodeSetup(r).text(Field::TimeDate), label);
}

void tst_setupview::measureOff()
{
    Record r = emptyRecord();
    setRecordText(r, 722, u"12.3 MM 45.6 MM 78.9 MM 10.0 dB");
    setRecordText(r, 460, mode::Off);
    SetupView v = decodeSetup(r);
    for (Field f : fieldsOf(FieldKind::Reading))
        QCOMPARE(v.text(f), QString());
    setRecordText(r, 460, mode::On);
    v = decodeSetup(r);
    QCOMPARE(v.text(Field::Reading1), QStringLiteral("12.3 MM "));
    QCOMPARE(v.text(Field::Reading4), QStringLiteral("10.0 dB "));
}

void tst_setupview::overlays_data()
{
    QTest::addColumn<QString>("gate1");
    QTest::addColumn<QString>("gate2");
    QTest::addColumn<QString>("dac");
    QTest::addColumn<QString>("dgs");
    QTest::addColumn<QList<Overlay>>("overlays");
    using O = Overlay;
    QTest::newRow("all off") << mode::Off << mode::Off << mode::Off << mode::Off << QList<O>{};
    QTest::newRow("gates on") << mode::On << mode::On << mode::Off << mode::Off << QList<O>{O::Gate1, O::Gate2};
    QTest::newRow("gate 1 DAC -6") << mode::Dac6 << mode::On << mode::Off << mode::Off << QList<O>{O::Gate2};
    QTest::newRow("gate 1 DAC -12") << mode::Dac12 << mode::Off << mode::Off << mode::Off << QList<O>{};
    QTest::newRow("OFF without blanks draws") << "OFF" << "OFF" << mode::Off << mode::Off
                                              << QList<O>{O::Gate1, O::Gate2};
    QTest::newRow("DAC on") << mode::Off << mode::Off << mode::On << mode::Off << QList<O>{O::DacCurve};
    QTest::newRow("DGS on") << mode::Off << mode::Off << mode::Off << mode::On << QList<O>{O::DacCurve};
    QTest::newRow("DGS and DAC") << mode::Off << mode::Off << mode::On << mode::On
                                 << QList<O>{O::DacCurve, O::DacCurve};
    QTest::newRow("6/14") << mode::Off << mode::Off << mode::On614 << mode::Off
                          << QList<O>{O::DacCurve, O::Dac614Curves};
    QTest::newRow("TCG") << mode::Off << mode::Off << mode::OnTcg << mode::Off << QList<O>{O::DacCurve};
    QTest::newRow("ON without blanks") << mode::Off << mode::Off << "ON" << "ON" << QList<O>{};
}

void tst_setupview::overlays()
{
    QFETCH(QString, gate1);
    QFETCH(QString, gate2);
    QFETCH(QString, dac);
    QFETCH(QString, dgs);
    QFETCH(QList<Overlay>, overlays);
    QCOMPARE(decodeSetup(recordWithModes(gate1, gate2, dac, dgs)).overlays, overlays);
}

void tst_setupview::notes_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("name") << "JOHN" << "JOHN                ";
    QTest::newRow("one character") << "         X" << "         X          ";
    QTest::newRow("blank") << "" << "";
    QTest::newRow("full") << "ABCDEFGHIJKLMNOPQRST" << "ABCDEFGHIJKLMNOPQRST";
}

void tst_setupview::notes()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    for (Field f : fieldsOf(FieldKind::Note)) {
        Record r = emptyRecord();
        setRecordText(r, fieldInfo(f).first, stored);
        QCOMPARE(decodeSetup(r).text(f), shown);
    }
}

void tst_setupview::neverFilledSlot()
{
    // Start contents of a slot: 0 at 260, blanks after. Nothing matches a
    // mode by accident and no text holds a NUL.
    Record r{};
    for (int p = 261; p < kRecordSize; ++p)
        r[p] = 32;
    const SetupView v = decodeSetup(r);
    for (const FieldInfo &f : fieldTable())
        QVERIFY2(!v.text(f.field).contains(QChar(0)), f.name);
    QCOMPARE(v.text(Field::Zero).size(), 7);
    QVERIFY(v.overlays.contains(Overlay::Gate1)); // "       " is not "OFF    "
}

QTEST_APPLESS_MAIN(tst_setupview)
#include "tst_setupview.moc"
