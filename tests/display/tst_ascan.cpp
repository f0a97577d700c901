// The A-scan picture, pixel by pixel at the points that matter, and the
// scale labels under it.
#include "display/ascan.h"
#include "display/memorypicture.h"
#include "simkit/replybuilder.h"

#include <QPainter>
#include <QPicture>
#include <QtTest>

using namespace vextrum;

namespace {

QColor at(const Canvas &c, double x, double y)
{
    return c.image().pixelColor(c.toPixel(x), c.toPixel(y));
}

Record flatRecord(int amplitude)
{
    Record r = emptyRecord();
    for (int k = 0; k <= 250; ++k)
        r[k] = std::int16_t(amplitude);
    return r;
}

bool anyPixel(const Canvas &c, const QColor &colour, int pxTop, int pxBottom)
{
    const QImage &img = c.image();
    for (int y = std::max(0, pxTop); y <= std::min(img.height() - 1, pxBottom); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

class tst_ascan : public QObject
{
    Q_OBJECT
private slots:
    void pictureSize();
    void baselineAndTrace();
    void topClampAndNegativeSample();
    void graticuleDots();
    void gateLine();
    void extremeSamplesDraw();
    void formatLabel_data();
    void formatLabel();
    void scaleLabels_data();
    void scaleLabels();
    void labelsAreWritten();
    void writtenPictureDrawsAsTheScreen();
};

void tst_ascan::pictureSize()
{
    const QSize s = ascan::imageSize();
    // The inner area is about 257 by 230 points.
    QCOMPARE(s, QSize(343, 307));
    auto c = makeAscanCanvas();
    QCOMPARE(c->sizePixels(), s);
}

void tst_ascan::baselineAndTrace()
{
    auto c = makeAscanCanvas();
    drawPattern(*c, flatRecord(50));
    QCOMPARE(c->drawWidth(), 2);
    QCOMPARE(at(*c, 100, 210), kBlack);  // baseline under a raised trace
    QCOMPARE(at(*c, 252, 210), kBlack);  // it runs to x = 252
    QCOMPARE(at(*c, 100, 110), kGreen);  // 50 % lies at y = 110
    QCOMPARE(at(*c, 198, 110), kGreen); // between two graticule dots
    QCOMPARE(at(*c, 100, 150), kWhite);  // nothing between
    QCOMPARE(at(*c, 100, 205), kWhite);

    drawPattern(*c, flatRecord(0)); // all zero: the trace covers the baseline
    QCOMPARE(at(*c, 100, 210), kGreen);
    QCOMPARE(at(*c, 100, 110), kWhite); // the earlier drawing is gone
}

void tst_ascan::topClampAndNegativeSample()
{
    Record r = emptyRecord();
    r[97] = 150; // x = 98 and 99, clear of the graticule dots
    r[98] = 150;
    r[149] = -5; // x = 150, below the baseline at y = 220
    auto c = makeAscanCanvas();
    drawPattern(*c, r);
    QCOMPARE(at(*c, 98.5, 10), kGreen);
    QVERIFY(!anyPixel(*c, kGreen, 0, c->toPixel(10) - 2)); // cut flat at the top line
    QCOMPARE(at(*c, 150, 220), kGreen);
}

void tst_ascan::graticuleDots()
{
    auto c = makeAscanCanvas();
    drawPattern(*c, flatRecord(0));
    // Rows every 20 units with dots every 5, columns every 25, ticks below.
    QCOMPARE(at(*c, 6, 30), kBlack);
    QCOMPARE(at(*c, 246, 190), kBlack);
    QCOMPARE(at(*c, 8.5, 30), kWhite); // between two dots
    QCOMPARE(at(*c, 26, 15), kBlack);
    QCOMPARE(at(*c, 251, 205), kBlack);
    QCOMPARE(at(*c, 126, 213), kBlack); // tick under the baseline
    QCOMPARE(at(*c, 126, 216), kWhite);
    QCOMPARE(at(*c, 6, 200), kWhite);   // no row at 200
    // The dots are drawn over the trace: a column dot on the baseline.
    QCOMPARE(at(*c, 26, 210), kBlack);
    QCOMPARE(at(*c, 30, 210), kGreen);
}

void tst_ascan::gateLine()
{
    auto c = makeAscanCanvas();
    drawPattern(*c, flatRecord(0));
    drawGateLine(*c, u"30%", u"70%", u"40%");
    // START 30 and END 70 give x = 75 to 75 + 175 = 250 at y = 130.
    QCOMPARE(at(*c, 80, 130), kGreen);
    QCOMPARE(at(*c, 249, 130), kGreen);
    QCOMPARE(at(*c, 70, 130), kWhite);
    QCOMPARE(at(*c, 80, 125), kWhite);
    QCOMPARE(at(*c, 254, 130), kWhite); // END is added to START, not beyond
}

void tst_ascan::extremeSamplesDraw()
{
    Record r = emptyRecord();
    r[10] = -32768;
    r[12] = 32767;
    r[13] = 32767;
    auto c = makeAscanCanvas();
    drawPattern(*c, r);
    drawGateLine(*c, u"1e300", u"-1e300", u"1e300");
    drawScaleLabels(*c, 1e300, -1e300);
    QCOMPARE(at(*c, 13.5, 10), kGreen);
}

void tst_ascan::formatLabel_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("minus zero") << -0.0 << " 0";
    QTest::newRow("whole") << 20.0 << " 20";
    QTest::newRow("fraction") << 102.5 << " 102.5";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << " 0.3";
    QTest::newRow("fifteen digits") << 123456789012345.0 << " 123456789012345";
}

void tst_ascan::formatLabel()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(vextrum::formatLabel(value), text);
}

void tst_ascan::scaleLabels_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("xs");
    QTest::newRow("100, 0") << "100" << "0.0"
                            << QStringList{" 0", " 20", " 40", " 60", " 80", " 100"}
                            << QList<int>{0, 41, 91, 141, 191, 239};
    QTest::newRow("12, 0") << "12" << "0" << QStringList{" 0", " 12"} << QList<int>{0, 232};
    QTest::newRow("100, 2.5") << "100" << "2.5" << QStringList{" 2.5", " 102.5"} << QList<int>{0, 229};
    QTest::newRow("100, 0.5") << "100" << "0.5" << QStringList{" 0.5", " 100.5"} << QList<int>{0, 229};
    QTest::newRow("range 0") << "0" << "5" << QStringList{} << QList<int>{};
    QTest::newRow("range OFF") << "OFF" << "5" << QStringList{} << QList<int>{};
    QTest::newRow("units") << "250 MM" << "10" << QStringList{" 10", " 60", " 110", " 160", " 210", " 260"}
                           << QList<int>{0, 41, 91, 141, 191, 239};
    QTest::newRow("negative delay") << "50" << "-10" << QStringList{"-10", " 0", " 10", " 20", " 30", " 40"}
                                    << QList<int>{0, 41, 91, 141, 191, 239};
    QTest::newRow("fractional range") << "12.5" << "0" << QStringList{" 0", " 12.5"} << QList<int>{0, 232};
}

void tst_ascan::scaleLabels()
{
    QFETCH(QString, range);
    QFETCH(QString, delay);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, xs);
    const QList<ScaleLabel> labels = vextrum::scaleLabels(readNumber(range), readNumber(delay));
    QCOMPARE(labels.size(), texts.size());
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(labels[i].text, texts[i]);
        QCOMPARE(labels[i].x, double(xs[i]));
        QCOMPARE(labels[i].y, 215.0);
    }
}

void tst_ascan::labelsAreWritten()
{
    auto c = makeAscanCanvas();
    drawPattern(*c, flatRecord(0));
    const QImage before = c->image().copy();
    drawScaleLabels(*c, 100, 0);
    // Text appears in the label row and nowhere above it.
    const QImage &after = c->image();
    bool changedBelow = false, changedAbove = false;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y))
                (y >= c->toPixel(215) ? changedBelow : changedAbove) = true;
    QVERIFY(changedBelow);
    QVERIFY(!changedAbove);
}

// A painter that writes what it draws (here a QPicture, as a PDF page does)
// gets the dots, runs of lines and words in pieces of its own; played back
// onto pixels, it is the screen's picture to the pixel.
void tst_ascan::writtenPictureDrawsAsTheScreen()
{
    for (int memory : {3, 5, 7}) {
        const Record r = sampleMemory(memory); // 5: gates and DAC curve
        const SetupView view = decodeSetup(r);
        auto screen = makeAscanCanvas();
        drawMemoryPicture(*screen, r, view);

        QPicture written;
        {
            QPainter p(&written);
            const auto c = makeAscanCanvas(&p);
            drawMemoryPicture(*c, r, view);
        }
        QImage played(screen->sizePixels(), QImage::Format_RGB32);
        played.fill(Qt::white);
        QPainter p(&played);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        written.play(&p);
        p.end();
        QRect differ;
        for (int y = 0; y < played.height(); ++y)
            for (int x = 0; x < played.width(); ++x)
                if (played.pixel(x, y) != screen->image().pixel(x, y))
                    differ |= QRect(x, y, 1, 1);
        QVERIFY2(differ.isNull(), qPrintable(QStringLiteral("memory %1: pixels differ in %2,%3 %4x%5")
                                                 .arg(memory).arg(differ.x()).arg(differ.y())
                                                 .arg(differ.width()).arg(differ.height())));
    }
}

QTEST_MAIN(tst_ascan)
#include "tst_ascan.moc"
