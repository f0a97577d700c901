#include "store/record.h"

#include <QtTest>
#include <memory>

using namespace vextrum;

class tst_record : public QObject
{
    Q_OBJECT
private slots:
    void storeStartsWithResetValues();
    void emptyRecordPattern();
    void ownNumber_data();
    void ownNumber();
    void entryTexts();
    void readNumber_data();
    void readNumber();
    void textCodesRoundTrip();
};

void tst_record::storeStartsWithResetValues()
{
    auto store = std::make_unique<Store>();
    for (Record &r : *store)
        r.fill(-7);
    initialiseStore(*store);
    for (int s = 0; s < kMemoryCount; ++s)
        for (int p = 0; p < kRecordSize; ++p)
            QCOMPARE((*store)[s][p], std::int16_t(p <= 260 ? 0 : 32));
    for (int p = 0; p < kRecordSize; ++p)
        QCOMPARE((*store)[200][p], std::int16_t(0));
}

void tst_record::emptyRecordPattern()
{
    const Record r = emptyRecord();
    for (int p = 0; p < kRecordSize; ++p)
        QCOMPARE(r[p], std::int16_t(p <= 250 ? 0 : 32));
    QCOMPARE(vextrum::ownNumber(r), 0.0);
}

void tst_record::ownNumber_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<double>("number");
    QTest::newRow("007") << "007" << 7.0;
    QTest::newRow("125") << "125" << 125.0;
    QTest::newRow("200") << "200" << 200.0;
    QTest::newRow("blanks") << "   " << 0.0;
    QTest::newRow("blank inside") << "1 2" << 12.0;
    QTest::newRow("letter stops") << "1A2" << 1.0;
    QTest::newRow("250") << "250" << 250.0;
    QTest::newRow("sign") << "-12" << -12.0;
    QTest::newRow("point") << "1.5" << 1.5;
}

void tst_record::ownNumber()
{
    QFETCH(QString, digits);
    QFETCH(double, number);
    Record r = emptyRecord();
    setRecordText(r, 358, digits);
    QCOMPARE(vextrum::ownNumber(r), number);
}

void tst_record::entryTexts()
{
    QCOMPARE(entryText(0), QStringLiteral("Mem 1"));
    QCOMPARE(entryText(6, true), QStringLiteral("Mem 7 *"));
    QCOMPARE(entryText(199), QStringLiteral("Mem 200"));
}

void tst_record::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("percent") << "30%" << 30.0;
    QTest::newRow("OFF") << "OFF" << 0.0;
    QTest::newRow("0.0") << "0.0" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks anywhere") << " 1 0 0 " << 100.0;
    QTest::newRow("decimal") << "2.5" << 2.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative") << "-5" << -5.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("sign after digits stops") << "3-4" << 3.0;
    QTest::newRow("double sign") << "+-3" << 0.0;
    QTest::newRow("exponent") << "1E3" << 1000.0;
    QTest::newRow("exponent lower") << "2.5e-1" << 0.25;
    QTest::newRow("D exponent") << "1D2" << 100.0;
    QTest::newRow("exponent with blanks") << "1 e 2" << 100.0;
    QTest::newRow("dangling exponent") << "12E" << 12.0;
    QTest::newRow("dangling exponent sign") << "12E-" << 12.0;
    QTest::newRow("units") << "00.0 dB" << 0.0;
    QTest::newRow("megahertz") << "2.00MHZ" << 2.0;
    QTest::newRow("velocity") << "2500M/S" << 2500.0;
    QTest::newRow("too large") << "1e999" << 0.0;
    QTest::newRow("letter first") << "A1" << 0.0;
}

void tst_record::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(vextrum::readNumber(text), value);
}

void tst_record::textCodesRoundTrip()
{
    Record r = emptyRecord();
    r[400] = 0;
    r[401] = 233; // é
    r[402] = 300; // not a byte: from a hand-made file
    r[403] = -1;
    const QString t = recordText(r, 400, 4);
    QCOMPARE(t.size(), 4);
    QVERIFY(!t.contains(QChar(0)));
    QVERIFY(t[0] != QLatin1Char(' ')); // a NUL never passes for a blank
    QCOMPARE(t[1], QChar(233));
    QCOMPARE(vextrum::readNumber(QStringLiteral("1") + t[0] + QStringLiteral("2")), 1.0);
    Record back = emptyRecord();
    setRecordText(back, 400, t.left(2));
    QCOMPARE(back[400], std::int16_t(0));
    QCOMPARE(back[401], std::int16_t(233));
}

QTEST_APPLESS_MAIN(tst_record)
#include "tst_record.moc"
