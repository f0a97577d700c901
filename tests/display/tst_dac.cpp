// DAC curves on a blank picture, at the values where they bend, clamp or
// break.
#include "display/ascan.h"
#include "display/dac.h"

#include <QtTest>

using namespace vextrum;

namespace {

Record curve(std::initializer_list<std::pair<int, int>> runs, int rest = 0)
{
    Record r = emptyRecord();
    for (int j = 0; j <= 250; ++j)
        r[pos::DacFirst + j] = std::int16_t(rest);
    for (auto [j, v] : runs)
        r[pos::DacFirst + j] = std::int16_t(v);
    return r;
}

QColor at(const Canvas &c, double x, double y)
{
    return c.image().pixelColor(c.toPixel(x), c.toPixel(y));
}

bool blank(const Canvas &c)
{
    const QImage &img = c.image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != kWhite)
                return false;
    return true;
}

} // namespace

class tst_dac : public QObject
{
    Q_OBJECT
private slots:
    void allZeroDrawsNothing();
    void topClampAndFractions();
    void gapBreaksTheCurve();
    void gapLimits_data();
    void gapLimits();
    void lonePointLeavesNoMark();
    void passesStartAfresh();
    void extremeValues();
};

void tst_dac::allZeroDrawsNothing()
{
    auto c = makeAscanCanvas();
    drawDacCurve(*c, curve({}));
    drawDac614Curves(*c, curve({}));
    QVERIFY(blank(*c));
}

void tst_dac::topClampAndFractions()
{
    auto c = makeAscanCanvas();
    drawDacCurve(*c, curve({}, 250));
    QCOMPARE(at(*c, 100, 10), kGreen);
    QCOMPARE(at(*c, 100, 20), kWhite);
    QCOMPARE(c->drawWidth(), 2);

    auto d = makeAscanCanvas();
    drawDac614Curves(*d, curve({}, 200));
    QCOMPARE(at(*d, 100, 110), kGreen); // half of 200
    QCOMPARE(at(*d, 100, 170), kGreen); // a fifth of 200
    QCOMPARE(at(*d, 100, 10), kWhite);  // 6/14 alone leaves out the DAC curve
}

void tst_dac::gapBreaksTheCurve()
{
    // 50 falls to 1 at x = 100 and back: y = 209 is a gap.
    auto c = makeAscanCanvas();
    drawDacCurve(*c, curve({{100, 1}}, 50));
    QCOMPARE(at(*c, 98.5, 160), kGreen);
    QCOMPARE(at(*c, 102.5, 160), kGreen);
    QCOMPARE(at(*c, 100, 160), kWhite); // no joining line across the gap
    QCOMPARE(at(*c, 100, 209), kWhite);
}

void tst_dac::gapLimits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("DAC 2 at 208") << 2 << 1 << true;
    QTest::newRow("DAC 1 at 209") << 1 << 1 << false;
    QTest::newRow("DAC 3 at 207") << 3 << 1 << true;
    QTest::newRow("half 3 at 208.5") << 3 << 2 << false;
    QTest::newRow("half 4 at 208") << 4 << 2 << true;
    QTest::newRow("fifth 9 at 208.2") << 9 << 5 << false;
    QTest::newRow("fifth 10 at 208") << 10 << 5 << true;
}

void tst_dac::gapLimits()
{
    QFETCH(int, value);
    QFETCH(int, divisor);
    QFETCH(bool, drawn);
    auto c = makeAscanCanvas();
    c->setDrawWidth(2);
    drawCurvePass(*c, curve({}, value), divisor);
    QCOMPARE(!blank(*c), drawn);
    if (drawn)
        QCOMPARE(at(*c, 120, 210 - double(value) / divisor), kGreen);
}

void tst_dac::lonePointLeavesNoMark()
{
    auto c = makeAscanCanvas();
    drawDacCurve(*c, curve({{100, 50}}));
    QVERIFY(blank(*c));
    drawDacCurve(*c, curve({{100, 50}, {101, 50}})); // two points: a short line
    QCOMPARE(at(*c, 100.5, 160), kGreen);
}

void tst_dac::passesStartAfresh()
{
    auto c = makeAscanCanvas();
    drawDac614Curves(*c, curve({}, 200));
    // A line joining the end of the half curve (250, 110) to the start of
    // the fifth curve (0, 170) would cross (125, 140).
    QCOMPARE(at(*c, 125, 140), kWhite);
}

void tst_dac::extremeValues()
{
    auto c = makeAscanCanvas();
    drawDacCurve(*c, curve({{10, -32768}, {11, 32767}, {12, 32767}}, -32768));
    drawDac614Curves(*c, curve({}, -32768));
    QCOMPARE(at(*c, 11.5, 10), kGreen);
}

QTEST_MAIN(tst_dac)
#include "tst_dac.moc"
