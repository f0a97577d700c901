// The parameter panel's texts for a record, field by field, and the mode
// texts that decide what is drawn over the trace.
#include "display/setupfields.h"
#include "display/setupview.h"

#include <QtTest>

using namespace vextrum;

namespace {

int fieldWidth(const SetupField &f)
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
    for (const SetupField &f : setupFields()) {
        if (f.first >= 0)
            setRecordText(r, f.first, fieldText(i, fieldWidth(f)));
        if (f.captionLabel)
            setRecordText(r, f.captionFirst, QStringLiteral("CAP%1").arg(i, 2, 10, QLatin1Char('0')) + QLatin1Char('x'));
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
    for (const SetupField &f : setupFields()) {
        if (f.captionLabel) {
            QCOMPARE(f.captionFirst, next);
            next += 7;
            ++fields;
        }
        if (f.first < 0)
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
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("expected");
    int i = 0;
    for (const SetupField &f : setupFields()) {
        QString expected = f.first < 0 ? QStringLiteral("ENTER") : fieldText(i, fieldWidth(f)).left(f.shown);
        if (QLatin1String(f.box) == QLatin1String("txtgain"))
            expected += QStringLiteral("  ");
        QTest::newRow(f.box) << QString::fromLatin1(f.box) << expected;
        ++i;
    }
}

void tst_setupview::fields()
{
    QFETCH(QString, box);
    QFETCH(QString, expected);
    const SetupView v = decodeSetup(recordWithDistinctFields());
    QCOMPARE(v.text(box), expected);
}

void tst_setupview::captionsComeFromTheRecord()
{
    const SetupView v = decodeSetup(recordWithDistinctFields());
    QCOMPARE(v.text(QStringLiteral("labdac")), QStringLiteral("CAP22x "));
    QCOMPARE(v.text(QStringLiteral("labgsta1")), QStringLiteral("CAP23x "));
    QCOMPARE(v.text(QStringLiteral("labpress")), QStringLiteral("CAP25x "));
    // Gain shows 288..292 only, brightness 537..542, REF 372..375.
    Record r = emptyRecord();
    setRecordText(r, 288, u"12.5dBX");
    setRecordText(r, 537, u"50%  XY");
    setRecordText(r, 372, u"REF1REJ");
    const SetupView g = decodeSetup(r);
    QCOMPARE(g.text(QStringLiteral("txtgain")), QStringLiteral("12.5d  "));
    QCOMPARE(g.text(QStringLiteral("txtbrt")), QStringLiteral("50%  X"));
    QCOMPARE(g.text(QStringLiteral("txtrefg")), QStringLiteral("REF1"));
    QCOMPARE(g.text(QStringLiteral("txtreject")), QStringLiteral("REJ    "));
}

void tst_setupview::tcgRewrite()
{
    Record r = recordWithModes(mode::Off, mode::Off, mode::OnTcg, mode::Off);
    setRecordText(r, 404, u"DAC    ");
    const SetupView v = decodeSetup(r);
    QCOMPARE(v.text(QStringLiteral("txtdac")), mode::On);
    QCOMPARE(v.text(QStringLiteral("labdac")), QStringLiteral("TCG"));
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
    QCOMPARE(decodeSetup(r).text(QStringLiteral("txttmdt")), label);
}

void tst_setupview::measureOff()
{
    Record r = emptyRecord();
    setRecordText(r, 722, u"12.3 MM 45.6 MM 78.9 MM 10.0 dB");
    setRecordText(r, 460, mode::Off);
    SetupView v = decodeSetup(r);
    for (const char *b : {"txtmeapo1", "txtmeapo2", "txtmeapo3", "txtmeapo4"})
        QCOMPARE(v.text(QString::fromLatin1(b)), QString());
    setRecordText(r, 460, mode::On);
    v = decodeSetup(r);
    QCOMPARE(v.text(QStringLiteral("txtmeapo1")), QStringLiteral("12.3 MM "));
    QCOMPARE(v.text(QStringLiteral("txtmeapo4")), QStringLiteral("10.0 dB "));
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
    for (const NoteField &n : noteFields()) {
        Record r = emptyRecord();
        setRecordText(r, n.first, stored);
        QCOMPARE(decodeSetup(r).text(QString::fromLatin1(n.box)), shown);
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
    for (const auto &t : v.texts)
        QVERIFY2(!t.second.contains(QChar(0)), qPrintable(t.first));
    QCOMPARE(v.text(QStringLiteral("txtzero")).size(), 7);
    QVERIFY(v.overlays.contains(Overlay::Gate1)); // "       " is not "OFF    "
}

QTEST_APPLESS_MAIN(tst_setupview)
#include "tst_setupview.moc"
