// The A-scan viewer's measuring picture: pixels to sound path and
// amplitude, the highest echo in each gate, zoom and the compared trace.
#include "display/ascanplot.h"

#include <QPainter>
#include <QtTest>
#include <cmath>
#include <tuple>

using namespace vextrum;

namespace {

Record memory(const QString &range, const QString &delay)
{
    Record r = emptyRecord();
    auto field = [&r](int first, const QString &text) { setRecordText(r, first, text.leftJustified(7)); };
    field(267, range);
    field(281, delay);
    for (int first : {295, 323, 411, 460, 516, 600})
        field(first, QStringLiteral("OFF"));
    return r;
}

AscanPlot plotOf(const Record &r, QSize size = QSize(800, 500))
{
    AscanPlot plot;
    plot.setSize(size);
    plot.setRecord(r, memoryName(r, QStringLiteral("shown")));
    return plot;
}

// The pixel where the graticule's column i (0..10) and an amplitude meet.
QPointF at(const AscanPlot &plot, double column, double percent)
{
    const QRectF r = plot.plotRect();
    return {r.left() + r.width() * column / 10, plot.pixelY(210 - 2 * percent)};
}

} // namespace

class tst_ascanplot : public QObject
{
    Q_OBJECT
private slots:
    void readout_data();
    void readout();
    void gatePeaks();
    void zoomKeepsReadoutRight();
    void comparedTraceInItsColour();
    void echoPlaces_data();
    void echoPlaces();
    void echoAgainstDac();
};

void tst_ascanplot::readout_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("d");
    QTest::addColumn<QStringList>("labels"); // first, second, last
    QTest::newRow("100 from 0") << "100" << "0.0" << 100.0 << 0.0 << QStringList{"0", "10", "100"};
    QTest::newRow("fractional delay, range 12") << "12 MM" << "2.5" << 12.0 << 2.5
                                                << QStringList{"2.5", "3.7", "14.5"};
    QTest::newRow("range 37, delay 0.25") << "037" << "000.25" << 37.0 << 0.25
                                          << QStringList{"0.25", "3.95", "37.25"};
}

void tst_ascanplot::readout()
{
    QFETCH(QString, range);
    QFETCH(QString, delay);
    QFETCH(double, r);
    QFETCH(double, d);
    QFETCH(QStringList, labels);
    Record rec = memory(range, delay);
    rec[99] = 63; // sample 99 stands at x = 100
    for (QSize size : {QSize(800, 500), QSize(1500, 400)}) {
        const AscanPlot plot = plotOf(rec, size);
        QVERIFY(plot.hasScale());
        for (int column : {0, 3, 10}) {
            const Readout o = plot.readoutAt(at(plot, column, 40));
            QVERIFY(o.inside);
            QCOMPARE(o.path, d + r * column / 10);
            QVERIFY(qAbs(o.amplitude - 40) < 1e-9);
        }
        // The sample under the pointer, even a little off its column.
        const Readout o = plot.readoutAt(QPointF(plot.pixelX(100.3), plot.pixelY(50)));
        QCOMPARE(o.sample, 99);
        QCOMPARE(o.samplePath, d + r * 99 / 250);
        QCOMPARE(o.sampleAmplitude, 63);
        QCOMPARE(o.amplitude, 80.0);
        const QList<DivisionLabel> l = plot.divisionLabels();
        QCOMPARE(l.size(), 11);
        QCOMPARE((QStringList{l[0].text, l[1].text, l[10].text}), labels);
        QCOMPARE(l[10].x, plot.plotRect().right());
    }
    QVERIFY(!plotOf(memory(QStringLiteral("OFF"), delay)).readoutAt(at(plotOf(rec), 3, 40)).hasPath);
    QVERIFY(plotOf(memory(QStringLiteral("OFF"), delay)).divisionLabels().isEmpty());
}

void tst_ascanplot::gatePeaks()
{
    Record rec = memory(QStringLiteral("100"), QStringLiteral("0.0"));
    rec[80] = 60, rec[81] = 60; // inside gate 1: the first of two equal
    rec[120] = 90;              // gate 2's
    rec[200] = 100;             // in no gate
    auto gates = [&rec](const char *g1, const char *g2) {
        setRecordText(rec, 295, QString::fromLatin1(g1));
        setRecordText(rec, 302, QStringLiteral("30%    ")); // x 75 to 100: samples 74..99
        setRecordText(rec, 309, QStringLiteral("10%    "));
        setRecordText(rec, 316, QStringLiteral("40%    "));
        setRecordText(rec, 323, QString::fromLatin1(g2));
        setRecordText(rec, 330, QStringLiteral("40%    ")); // samples 99..149
        setRecordText(rec, 337, QStringLiteral("20%    "));
        setRecordText(rec, 344, QStringLiteral("50%    "));
        return plotOf(rec).gatePeaks();
    };
    QList<GatePeak> p = gates("ON     ", "ON     ");
    QCOMPARE(p.size(), 2);
    QCOMPARE(p[0].gate, 1);
    QVERIFY(p[0].found);
    QCOMPARE(p[0].sample, 80);
    QCOMPARE(p[0].amplitude, 60);
    QCOMPARE(p[0].path, 32.0);
    QCOMPARE(p[1].gate, 2);
    QCOMPARE(p[1].sample, 120);
    QCOMPARE(p[1].amplitude, 90);
    QVERIFY(peakText(p[1], true, 1).startsWith(QStringLiteral("Gate 2: 90 % at 48.0 mm (sample 120)\n")));
    // Only drawn gates count: "DAC -6 " draws no gate 1 line.
    p = gates("DAC -6 ", "ON     ");
    QCOMPARE(p.size(), 1);
    QCOMPARE(p[0].gate, 2);
    QVERIFY(gates("OFF    ", "OFF    ").isEmpty());
}

void tst_ascanplot::zoomKeepsReadoutRight()
{
    Record rec = memory(QStringLiteral("12"), QStringLiteral("2.5"));
    rec[60] = 71;
    AscanPlot plot = plotOf(rec);
    QVERIFY(!plot.zoomToPixels(300, 302)); // a click, not a drag
    QVERIFY(!plot.zoomed());
    // Drag from column 2 to column 4 (right to left works the same).
    QVERIFY(plot.zoomToPixels(at(plot, 4, 0).x(), at(plot, 2, 0).x()));
    QVERIFY(plot.zoomed());
    // 4.9 to 7.3 mm, widened to ten round divisions of 0.5 mm.
    const double lo = 4.5, hi = 9.5;
    QCOMPARE(plot.readoutAt(at(plot, 0, 10)).path, lo);
    QCOMPARE(plot.readoutAt(at(plot, 10, 10)).path, hi);
    QCOMPARE(plot.readoutAt(at(plot, 5, 10)).path, (lo + hi) / 2);
    const Readout o = plot.readoutAt(QPointF(plot.pixelX(61), plot.pixelY(68)));
    QCOMPARE(o.sample, 60);
    QCOMPARE(o.sampleAmplitude, 71);
    QCOMPARE(o.samplePath, 2.5 + 12.0 * 60 / 250);
    QStringList labels;
    for (const DivisionLabel &l : plot.divisionLabels())
        labels << l.text;
    QCOMPARE(labels, (QStringList{"4.5", "5.0", "5.5", "6.0", "6.5", "7.0", "7.5", "8.0", "8.5", "9.0", "9.5"}));
    // Sample 60 is drawn at its zoomed place.
    QImage image(plot.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    plot.paint(painter);
    painter.end();
    QCOMPARE(image.pixelColor(QPointF(plot.pixelX(61), plot.pixelY(68)).toPoint()), measuringColours().trace);

    plot.showWholeRange();
    QVERIFY(!plot.zoomed());
    QCOMPARE(plot.readoutAt(at(plot, 10, 10)).path, 14.5);
}

void tst_ascanplot::comparedTraceInItsColour()
{
    Record shown = memory(QStringLiteral("100"), QStringLiteral("0.0"));
    setRecordText(shown, 358, QStringLiteral("007"));
    Record other = shown;
    setRecordText(other, 358, QStringLiteral("012"));
    for (int k = 0; k < 250; ++k)
        other[k] = 50;
    AscanPlot plot = plotOf(shown, QSize(900, 600));
    plot.setCompare(other, memoryName(other, QString()));
    QCOMPARE(plot.name(), QStringLiteral("Mem 7"));
    QCOMPARE(plot.compareName(), QStringLiteral("Mem 12"));
    QImage image(plot.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    plot.paint(painter);
    painter.end();
    const QPoint mid = QPointF(plot.pixelX(100), plot.pixelY(110)).toPoint();
    QCOMPARE(image.pixelColor(mid), kCompareColour);
    QCOMPARE(image.pixelColor(QPointF(plot.pixelX(102), plot.pixelY(210)).toPoint()), measuringColours().trace); // shown trace
    // The legend: a swatch of each colour near the top right corner.
    auto swatches = [&image, &plot](const QColor &c) {
        int n = 0;
        const QRectF r = plot.plotRect();
        for (int y = int(r.top()); y < int(r.top()) + 60; ++y)
            for (int x = int(r.right()) - 200; x < int(r.right()); ++x)
                n += image.pixelColor(x, y) == c;
        return n;
    };
    QVERIFY(swatches(measuringColours().trace) > 10);
    QVERIFY(swatches(kCompareColour) > 10);

    // A memory of another range and delay is drawn on the shown one's
    // sound-path axis: its echo at 45 mm (range 50 from 25, sample 100)
    // stands at 45 mm (x = 113.5), not at sample 100's column (x = 101).
    Record deeper = memory(QStringLiteral("50"), QStringLiteral("25"));
    deeper[100] = 80;
    plot.setCompare(deeper, QStringLiteral("Mem 9"));
    image.fill(Qt::white);
    painter.begin(&image);
    plot.paint(painter);
    painter.end();
    auto redNear = [&image, &plot](double x) {
        int n = 0;
        const int y = int(plot.pixelY(130)); // 40 %
        for (int px = int(plot.pixelX(x)) - 3; px <= int(plot.pixelX(x)) + 3; ++px)
            n += image.pixelColor(px, y) == kCompareColour;
        return n;
    };
    QVERIFY(redNear(113.5) > 0);
    QCOMPARE(redNear(101), 0);
}

// Worked by hand from the probe's geometry: depth s·cos θ, surface distance
// s·sin θ − X-OFF, leg n while the depth is below (n − 1)·T, folded back up
// on even legs. -1 stands for "-".
void tst_ascanplot::echoPlaces_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("xOffset");
    QTest::addColumn<double>("thick");
    QTest::addColumn<double>("path");
    QTest::addColumn<double>("depth");
    QTest::addColumn<double>("surface");
    QTest::addColumn<int>("leg");
    QTest::newRow("0 deg") << 0.0 << 10.0 << 20.0 << 50.0 << 50.0 << -1.0 << -1;
    QTest::newRow("45 deg, first leg") << 45.0 << 10.0 << 100.0 << 100.0 << 70.71 << 60.71 << 1;
    QTest::newRow("45 deg, skip") << 45.0 << 10.0 << 50.0 << 100.0 << 29.29 << 60.71 << 2;
    QTest::newRow("70 deg, first leg") << 70.0 << 0.0 << 20.0 << 50.0 << 17.10 << 46.98 << 1;
    QTest::newRow("70 deg, skip") << 70.0 << 0.0 << 20.0 << 100.0 << 5.80 << 93.97 << 2;
    QTest::newRow("70 deg, third leg") << 70.0 << 5.0 << 10.0 << 60.0 << 0.52 << 51.38 << 3;
    QTest::newRow("60 deg, no THICK") << 60.0 << 0.0 << 0.0 << 100.0 << 50.0 << 86.60 << -1;
}

void tst_ascanplot::echoPlaces()
{
    QFETCH(double, angle);
    QFETCH(double, xOffset);
    QFETCH(double, thick);
    QFETCH(double, path);
    QFETCH(double, depth);
    QFETCH(double, surface);
    QFETCH(int, leg);
    const EchoPlace e = echoPlace(path, angle, xOffset, thick);
    QVERIFY(e.depth.known);
    QVERIFY(std::abs(e.depth.value - depth) < 0.01);
    QCOMPARE(e.surface.known, surface >= 0);
    if (surface >= 0)
        QVERIFY(std::abs(e.surface.value - surface) < 0.01);
    else
        QVERIFY(!e.surface.why.isEmpty());
    QCOMPARE(e.leg.known, leg > 0);
    if (leg > 0)
        QCOMPARE(int(e.leg.value), leg);
    else
        QVERIFY(!e.leg.why.isEmpty());
}

// The gate's highest echo against the DAC curve point at its own column:
// 80 % over a curve at 40 % is +6.0 dB, 20 % is -6.0 dB; no curve, "-".
void tst_ascanplot::echoAgainstDac()
{
    for (const auto &[echo, dac, shown] : {std::tuple{80, "ON     ", "to DAC +6.0 dB"},
                                           std::tuple{20, "ON     ", "to DAC -6.0 dB"},
                                           std::tuple{80, "OFF    ", "to DAC -"}}) {
        Record rec = memory(QStringLiteral("100"), QStringLiteral("0"));
        setRecordText(rec, 295, QStringLiteral("ON     "));
        setRecordText(rec, 302, QStringLiteral("30%    ")); // samples 74..174
        setRecordText(rec, 309, QStringLiteral("40%    "));
        setRecordText(rec, 316, QStringLiteral("50%    "));
        setRecordText(rec, 411, QString::fromLatin1(dac));
        rec[100] = std::int16_t(echo);
        for (int j = 0; j <= 250; ++j)
            rec[754 + j] = j < 90 ? 160 : 80 - (j - 101); // 80 (40 %) at sample 100's column
        const QList<GatePeak> p = plotOf(rec).gatePeaks();
        QCOMPARE(p.size(), 1);
        QVERIFY2(peakText(p[0], true, 1).endsWith(QLatin1String(shown)), qPrintable(peakText(p[0], true, 1)));
        QCOMPARE(peakWhy(p[0]).contains(QLatin1String("to DAC")), QByteArray(shown).endsWith("-"));
    }
}

QTEST_MAIN(tst_ascanplot)
#include "tst_ascanplot.moc"
