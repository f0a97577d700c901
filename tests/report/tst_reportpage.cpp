// The report's four sections composed onto their canvases: what lands
// where, in which size.
#include "app/fonts.h"
#include "report/ink.h"
#include "report/reportpage.h"

#include <QFontMetrics>
#include <QtTest>

using namespace vextrum;

namespace {

constexpr int kTableX[4] = {6, 63, 127, 184}; // points

int pt(double p) { return int(std::floor(p * 4.0 / 3.0 + 0.5)); } // points to pixels
int tw(double t) { return int(std::floor(t / 15.0 + 0.5)); }      // twips to pixels

QImage compose(const char *section, const ReportInputs &in = {})
{
    auto c = makeSectionCanvas(reportSection(section));
    if (!qstrcmp(section, "picsetup"))
        drawParameterTable(*c, in);
    else if (!qstrcmp(section, "Picnote"))
        drawNotes(*c, in.notes);
    else if (!qstrcmp(section, "pichead"))
        drawHeading(*c);
    else {
        setAscanPicture(*c, in.ascan);
        drawAscanSection(*c, in.measurements);
    }
    return c->image();
}

QFontMetrics metrics(const char *section)
{
    auto c = makeSectionCanvas(reportSection(section));
    return QFontMetrics(c->font(), &c->image());
}

// Black pixels in column x from y0 to y1: a 2-pixel line crossing gives 2.
int blackRun(const QImage &img, int x, int y0, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        n += img.pixel(x, y) == qRgb(0, 0, 0);
    return n;
}

} // namespace

class tst_reportpage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void fonts();
    void tableValueCells_data();
    void tableValueCells();
    void tableLabelRows_data();
    void tableLabelRows();
    void tableFixedCellsAndLines();
    void notes();
    void headingKeepsItsBlanks();
    void ascanSection();
};

// The named faces, or their metric-compatible stand-ins.
void tst_reportpage::fonts()
{
    const struct
    {
        const char *section;
        double points;
        bool bold;
        const char *family;
    } fonts[] = {{"pichead", 12, true, "Liberation Sans"},
                 {"picecho", 9.75, false, "Liberation Mono"},
                 {"picsetup", 9, true, "Liberation Sans"},
                 {"Picnote", 9.75, true, "Liberation Sans"}};
    for (const auto &f : fonts) {
        const QFont font = makeSectionCanvas(reportSection(f.section))->font();
        QCOMPARE(font.pointSizeF(), f.points);
        QCOMPARE(font.bold(), f.bold);
        QCOMPARE(QFontInfo(font).family(), QString::fromLatin1(f.family));
    }
}

void tst_reportpage::tableValueCells_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("column");
    const struct
    {
        int y;
        const char *names[4];
    } rows[] = {
        {15, {"txtzero", "txtrange", "txtvelo", "txtdelay"}},
        {39, {"txtgate", "txtstart", "txtend", "txtlevel"}},
        {63, {"txtgate2", "txtstart2", "txtend2", "txtlevel2"}},
        {87, {"txtmem", "txtmemno", "txtaction", nullptr}},
        {111, {"txtreject", "txtpower", "txtdamp", "txtmode"}},
        {125, {"labdac", "labgsta1", "labpnt", "labpress"}},
        {136, {"txtdac", "txtcur", "txtpoint", "Txtpress"}},
        {160, {"txtmea", "txtxoff", "txtangle", "txtthick"}},
        {184, {"txttrig", "txthud", "txtsetref", "txtunit"}},
        {208, {"txtclock", "txtcolor", "txtVideo", "txtbrt"}},
        {232, {"txtcinfig", "txthorn", "txtbeep", "txtprf"}},
        {256, {"txtmp1", "txtmp2", "txtmp3", "txtblk1"}},
        {280, {"txtdgs", "txtstrtg1", "txtdgsref", "txttlcorr"}},
        {304, {"txtscaleno", "txtprbname", "txtpfreq", "txtdelvel"}},
        {328, {"txtdefft", "txtdgscrv", "txtrefecho", "txtrefsize"}},
        {352, {"txtexit", "txtattref", "txtattobj", "txtamplcor"}},
        {366, {"txtgain", "txtrefg", "txttmdt", nullptr}},
    };
    for (const auto &r : rows)
        for (int col = 0; col < 4; ++col)
            if (r.names[col])
                QTest::newRow(r.names[col]) << QString::fromLatin1(r.names[col]) << r.y << col;
}

// Only the named box's (or caption's) cell changes with its text; a long
// text runs on to the canvas edge, unwrapped.
void tst_reportpage::tableValueCells()
{
    QFETCH(QString, name);
    QFETCH(int, y);
    QFETCH(int, column);
    ReportInputs in;
    const QImage before = compose("picsetup", in);
    for (const FieldInfo &f : fieldTable())
        if (QLatin1String(f.name) == name)
            in.view.text(f.field) = QString(40, QLatin1Char('M'));
    const QRect d = diffBox(before, compose("picsetup", in));
    QVERIFY(d.top() >= pt(y) && d.bottom() < pt(y) + metrics("picsetup").height());
    const int x = pt(kTableX[column]);
    const int start = y == 366 && column < 2 ? x + metrics("picsetup").horizontalAdvance(column ? "REF " : "Gain ")
                                             : x;
    QVERIFY2(qAbs(d.left() - start) <= 2, qPrintable(QString::number(d.left())));
    QCOMPARE(d.right(), before.width() - 1);
}

void tst_reportpage::tableLabelRows_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("5") << 5 << QStringList{"ZERO", "RANGE", "VEL", "DELAY"};
    QTest::newRow("29") << 29 << QStringList{"GATE 1", "START", "END", "LEVEL"};
    QTest::newRow("53") << 53 << QStringList{"GATE 2", "START", "END", "LEVEL"};
    QTest::newRow("77") << 77 << QStringList{"MEMORY", "MEM NO", "ACTION", "NOTE"};
    QTest::newRow("101") << 101 << QStringList{"REJECT", "POWER", "DAMPING", "MODE"};
    QTest::newRow("150") << 150 << QStringList{"MEASURE", "X-OFF", "ANGLE", "THICK"};
    QTest::newRow("174") << 174 << QStringList{"TRIGGER", "HUD", "SET REF", "UNIT"};
    QTest::newRow("198") << 198 << QStringList{"CLOCK", "COLOR", "VIDEO", "BRIGHT"};
    QTest::newRow("222") << 222 << QStringList{"CONFIG", "HORN", "BEEP", "PRF"};
    QTest::newRow("246") << 246 << QStringList{"MEA PO1", "MEA PO2", "MEA PO3", "     "};
    QTest::newRow("270") << 270 << QStringList{"DGS", "STRT G1", "DGS-REF", "TL-CORR"};
    QTest::newRow("294") << 294 << QStringList{"SCAL NO", "PRBNAME", "PRBFREQ", "DEL-VEL"};
    QTest::newRow("318") << 318 << QStringList{"D EFFT", "DGS-CRV", "REFTYPE", "REFSIZE"};
    QTest::newRow("342") << 342 << QStringList{"     ", "ATT-REF", "ATT-OBJ", "AMPLCOR"};
    QTest::newRow("87 (fixed value)") << 87 << QStringList{"", "", "", "ENTER"};
    QTest::newRow("366 (empty boxes)") << 366 << QStringList{"Gain", "REF", "", ""};
}

// With every box empty, each cell shows its label at the column's left
// edge, as wide as the label's text; blank labels leave the cell empty.
void tst_reportpage::tableLabelRows()
{
    QFETCH(int, y);
    QFETCH(QStringList, labels);
    const QImage img = compose("picsetup");
    for (int col = 0; col < 4; ++col) {
        const int left = pt(kTableX[col]), right = col < 3 ? pt(kTableX[col + 1]) - 1 : pt(253);
        const QRect ink = inkBox(img, QRect(QPoint(left, pt(y)), QPoint(right, pt(y) + metrics("picsetup").height() - 1)));
        if (labels[col].trimmed().isEmpty()) {
            QVERIFY(ink.isNull());
        } else {
            QVERIFY(ink.left() <= left + 2);
            QVERIFY2(qAbs(ink.width() - metrics("picsetup").horizontalAdvance(labels[col])) <= 4,
                     qPrintable(labels[col]));
        }
    }
}

void tst_reportpage::tableFixedCellsAndLines()
{
    const QImage img = compose("picsetup");
    QCOMPARE(img.size(), QSize(5175 / 15, 7675 / 15));
    // The separator at y = 268 from x = 5 to 245; the frame (1, 1) - (255, 380).
    QCOMPARE(blackRun(img, pt(100), pt(268) - 3, pt(268) + 3), 2);
    QCOMPARE(blackRun(img, pt(5) + 1, pt(268) - 3, pt(268) + 3), 2);
    QCOMPARE(blackRun(img, pt(245) + 3, pt(268) - 3, pt(268) + 3), 0);
    QCOMPARE(blackRun(img, pt(100), 0, 5), 2);
    QCOMPARE(blackRun(img, pt(100), pt(380) - 3, img.height() - 1), 2);
    QVERIFY(inkBox(img, QRect(0, pt(380) + 2, img.width(), 9)).isNull());
    for (int y : {pt(27), pt(364)}) // between rows
        QCOMPARE(inkBox(img, QRect(0, y, img.width(), 1)), QRect(pt(1) - 1, y, pt(255) - pt(1) + 2, 1));
}

void tst_reportpage::notes()
{
    ReportInputs in;
    const QImage empty = compose("Picnote", in);
    QCOMPARE(empty.size(), QSize(5195 / 15, 2245 / 15));
    const QFontMetrics fm = metrics("Picnote");
    const QStringList labels{"OPERATOR", "JOB DETAIL", "DEFECT DETAIL", "REMARK"};
    for (int k = 0; k < 4; ++k) {
        const int top = tw(220 + 460 * k);
        const QRect label = inkBox(empty, QRect(3, top, tw(1650) - 4, fm.height()));
        QVERIFY(label.left() >= tw(100) && label.left() <= tw(100) + 2);
        QVERIFY(qAbs(label.width() - fm.horizontalAdvance(labels[k])) <= 3);
        // An empty note leaves ":" alone; a note follows it directly.
        const QRect colon = inkBox(empty, QRect(tw(1650), top, empty.width() - tw(1650) - 6, fm.height()));
        QVERIFY(colon.left() >= tw(1650) && colon.right() <= tw(1650) + fm.horizontalAdvance(':'));
        in.notes = {};
        in.notes[size_t(k)] = QStringLiteral("JOHN SMITH          ");
        const QRect d = diffBox(empty, compose("Picnote", in));
        QVERIFY(d.top() >= top && d.bottom() < top + fm.height());
        QVERIFY(qAbs(d.left() - (tw(1650) + fm.horizontalAdvance(':'))) <= 2);
    }
    // The frame (10, 10) - (5120, 2175) twips.
    QCOMPARE(blackRun(empty, tw(3000), 0, 4), 2);
    QCOMPARE(blackRun(empty, tw(3000), tw(2175) - 3, empty.height() - 1), 2);
    QCOMPARE(inkBox(empty, QRect(0, tw(1000), empty.width(), 1)), QRect(tw(10) - 1, tw(1000), tw(5120) - tw(10) + 2, 1));
}

void tst_reportpage::headingKeepsItsBlanks()
{
    const QImage img = compose("pichead");
    QCOMPARE(img.size(), QSize(9615 / 15, 615 / 15));
    const QFontMetrics fm = metrics("pichead");
    const int lh = fm.height();
    const QString line2 = QString::fromLatin1(kHeadingLine2);
    QCOMPARE(QString::fromLatin1(kHeadingLine1), QString(44, ' ') + QStringLiteral("Ultrasonic  Test  Report "));
    QCOMPARE(line2, QString(23, ' ') + QStringLiteral("A Scan") + QString(54, ' ') + QStringLiteral("Menu Data"));
    QVERIFY(2 * lh <= img.height());
    QVERIFY(qAbs(inkBox(img, QRect(0, 0, img.width(), lh)).left() - fm.horizontalAdvance(QString(44, ' '))) <= 2);
    // Line 2 one line lower: "A Scan", a gap, "Menu Data" (a descender of
    // line 1 may reach into its first row).
    const int aScan = fm.horizontalAdvance(QString(23, ' '));
    const int menu = fm.horizontalAdvance(line2.left(line2.indexOf(QLatin1String("Menu"))));
    QVERIFY(qAbs(inkBox(img, QRect(0, lh, img.width(), lh)).left() - aScan) <= 2);
    QVERIFY(inkBox(img, QRect(QPoint(aScan + fm.horizontalAdvance("A Scan") + 2, lh + 2), QPoint(menu - 2, 2 * lh - 1)))
                .isNull());
    // On the page "A Scan" stands over the A-scan section, "Menu Data" over the table.
    QVERIFY(1300 + aScan * 15 > 870 && 1300 + aScan * 15 < 5990);
    QVERIFY(1300 + menu * 15 > 5990 && 1300 + (menu + fm.horizontalAdvance("Menu Data")) * 15 < 11165);
}

void tst_reportpage::ascanSection()
{
    ReportInputs in;
    in.ascan = QImage(343, 307, QImage::Format_RGB32);
    for (int y = 0; y < in.ascan.height(); ++y)
        for (int x = 0; x < in.ascan.width(); ++x)
            in.ascan.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    in.measurements = {"11.5", "22.5", "33.5", "44.5"};
    auto c = makeSectionCanvas(reportSection("picecho"));
    setAscanPicture(*c, in.ascan);
    drawAscanSection(*c, in.measurements);
    const QImage img = c->image();
    QCOMPARE(img.size(), QSize(343, 5495 / 15));
    QCOMPARE(img.copy(3, 3, 337, 303), in.ascan.copy(3, 3, 337, 303));
    // Readings at y = 240 and x = 4, 69, 134, 200 points; the frame
    // (1, 1) - (256, 271); nothing else below the picture.
    const int xs[4] = {4, 69, 134, 200};
    for (int x : xs) {
        const QRect r = inkBox(img, QRect(pt(x), pt(240), pt(60), metrics("picecho").height()));
        QVERIFY(r.left() <= pt(x) + 2 && r.top() >= pt(240));
    }
    QVERIFY(inkBox(img, QRect(4, 308, 330, pt(240) - 308)).isNull());
    QCOMPARE(inkBox(img, QRect(0, 340, img.width(), 1)), QRect(pt(1) - 1, 340, pt(256) - pt(1) + 2, 1));
    QCOMPARE(blackRun(img, 100, pt(271) - 4, img.height() - 1), 2);

    // The next report's picture failed to load: the old one is not kept.
    c->clear();
    setAscanPicture(*c, QImage());
    QCOMPARE(c->image().size(), QSize(343, 366));
    QVERIFY(!hasInk(c->image(), QRect(5, 5, 330, 300)));
}

QTEST_MAIN(tst_reportpage)
#include "tst_reportpage.moc"
