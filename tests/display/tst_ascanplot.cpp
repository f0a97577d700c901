// The A-scan viewer's measuring picture: pixels to sound path and
// amplitude, the highest echo in each gate, zoom and the compared trace.
#include "display/ascanplot.h"

#include <QPainter>
#include <QtTest>

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
    QCOMPARE(peakText(p[1], true, 1), QStringLiteral("Gate 2: 90 % at 48.0 mm (sample 120)"));
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
    const double lo = 2.5 + 12 * 0.2, hi = 2.5 + 12 * 0.4;
    QCOMPARE(plot.readoutAt(at(plot, 0, 10)).path, lo);
    QCOMPARE(plot.readoutAt(at(plot, 10, 10)).path, hi);
    QCOMPARE(plot.readoutAt(at(plot, 5, 10)).path, (lo + hi) / 2);
    const Readout o = plot.readoutAt(QPointF(plot.pixelX(61), plot.pixelY(68)));
    QCOMPARE(o.sample, 60);
    QCOMPARE(o.sampleAmplitude, 71);
    QCOMPARE(o.samplePath, 2.5 + 12.0 * 60 / 250);
    QCOMPARE(plot.divisionLabels().first().text, QStringLiteral("4.90"));
    QCOMPARE(plot.divisionLabels().last().text, QStringLiteral("7.30"));
    // Sample 60 is drawn at its zoomed place.
    QImage image(plot.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    plot.paint(painter);
    painter.end();
    QCOMPARE(image.pixelColor(QPointF(plot.pixelX(61), plot.pixelY(68)).toPoint()), kGreen);

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
    QCOMPARE(image.pixelColor(QPointF(plot.pixelX(102), plot.pixelY(210)).toPoint()), kGreen); // shown trace
    // The legend: a swatch of each colour near the top right corner.
    auto swatches = [&image, &plot](const QColor &c) {
        int n = 0;
        const QRectF r = plot.plotRect();
        for (int y = int(r.top()); y < int(r.top()) + 60; ++y)
            for (int x = int(r.right()) - 200; x < int(r.right()); ++x)
                n += image.pixelColor(x, y) == c;
        return n;
    };
    QVERIFY(swatches(kGreen) > 10);
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

QTEST_MAIN(tst_ascanplot)
#include "tst_ascanplot.moc"
