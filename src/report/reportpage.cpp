#include "report/reportpage.h"

#include "report/reporthost.h"
#include "display/ascan.h"
#include "display/setupview.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <cstring>

namespace vextrum {

namespace {

constexpr int kLineWidth = 2; // every line of the report, in pixels

constexpr int kEchoHeightTwips = 5495;
constexpr double kEchoMeasureY = 240;
constexpr double kEchoFrame[4] = {1, 1, 256, 271}; // points

constexpr int kSetupHeightTwips = 7675;
constexpr double kSeparatorY = 268, kSeparatorFrom = 5, kSeparatorTo = 245;
constexpr double kSetupFrame[4] = {1, 1, 255, 380}; // points

constexpr int kNoteWidthTwips = 5195, kNoteHeightTwips = 2245;
constexpr double kNoteFirstY = 220, kNoteStep = 460, kNoteLabelX = 100, kNoteValueX = 1650;
constexpr double kNoteFrame[4] = {10, 10, 5120, 2175}; // twips

constexpr TableCell lit(const char *text) { return {TableCell::Literal, text, ""}; }
constexpr TableCell box(const char *name) { return {TableCell::Box, name, ""}; }
constexpr TableCell after(const char *prefix, const char *name) { return {TableCell::Box, name, prefix}; }
constexpr TableCell cap(const char *label) { return {TableCell::Caption, label, ""}; }
constexpr TableCell none() { return {TableCell::Empty, "", ""}; }

QSize pixels(int widthTwips, int heightTwips)
{
    return {twipsToPixels(widthTwips), twipsToPixels(heightTwips)};
}

void frame(Canvas &c, const double (&r)[4])
{
    c.rectangle(r[0], r[1], r[2], r[3], kBlack);
}

} // namespace

const char kHeadingLine1[] = "                                            Ultrasonic  Test  Report ";
const char kHeadingLine2[] =
    "                       A Scan                                                      Menu Data";

const QList<ReportSection> &reportSections()
{
    static const QList<ReportSection> sections = {
        {"picecho", 5175, 6090, kPixelsPerPoint, "Courier", 9.75, false, "gtp101.bmp"},
        {"picsetup", 5175, 6975, kPixelsPerPoint, "Arial", 9, true, "gtp102.bmp"},
        {"Picnote", 5175, 1050, kPixelsPerTwip, "Arial", 9.75, true, "gtp104.bmp"},
        {"pichead", 9615, 615, kPixelsPerTwip, "MS Sans Serif", 12, true, "gtp103.bmp"},
    };
    return sections;
}

const ReportSection &reportSection(const char *name)
{
    for (const ReportSection &s : reportSections())
        if (std::strcmp(s.name, name) == 0)
            return s;
    Q_ASSERT_X(false, "reportSection", name);
    return reportSections().front();
}

std::unique_ptr<Canvas> makeSectionCanvas(const ReportSection &section)
{
    auto c = std::make_unique<Canvas>(pixels(section.widthTwips, section.heightTwips), section.pixelsPerUnit);
    QFont f(QString::fromLatin1(section.family));
    f.setPointSizeF(section.points);
    f.setBold(section.bold);
    c->setFont(f);
    c->setDrawWidth(kLineWidth);
    return c;
}

const QList<Placement> &pagePlacements()
{
    static const QList<Placement> placements = {
        {"gtp103.bmp", 1300, 4000},  // heading
        {"gtp101.bmp", 870, 4700},   // A-scan section
        {"gtp102.bmp", 5990, 4700},  // parameter table
        {"gtp104.bmp", 870, 10130},  // notes, over the foot of the A-scan
    };
    return placements;
}

const QList<const char *> &tempFiles()
{
    static const QList<const char *> files = {"gtp101.bmp", "gtp102.bmp", "gtp103.bmp", "gtp104.bmp"};
    return files;
}

const QList<TableRow> &parameterTable()
{
    static const QList<TableRow> rows = {
        {5, {lit("ZERO"), lit("RANGE"), lit("VEL"), lit("DELAY")}},
        {15, {box("txtzero"), box("txtrange"), box("txtvelo"), box("txtdelay")}},
        {29, {lit("GATE 1"), lit("START"), lit("END"), lit("LEVEL")}},
        {39, {box("txtgate"), box("txtstart"), box("txtend"), box("txtlevel")}},
        {53, {lit("GATE 2"), lit("START"), lit("END"), lit("LEVEL")}},
        {63, {box("txtgate2"), box("txtstart2"), box("txtend2"), box("txtlevel2")}},
        {77, {lit("MEMORY"), lit("MEM NO"), lit("ACTION"), lit("NOTE")}},
        {87, {box("txtmem"), box("txtmemno"), box("txtaction"), lit("ENTER")}},
        {101, {lit("REJECT"), lit("POWER"), lit("DAMPING"), lit("MODE")}},
        {111, {box("txtreject"), box("txtpower"), box("txtdamp"), box("txtmode")}},
        {125, {cap("labdac"), cap("labgsta1"), cap("labpnt"), cap("labpress")}},
        {136, {box("txtdac"), box("txtcur"), box("txtpoint"), box("Txtpress")}},
        {150, {lit("MEASURE"), lit("X-OFF"), lit("ANGLE"), lit("THICK")}},
        {160, {box("txtmea"), box("txtxoff"), box("txtangle"), box("txtthick")}},
        {174, {lit("TRIGGER"), lit("HUD"), lit("SET REF"), lit("UNIT")}},
        {184, {box("txttrig"), box("txthud"), box("txtsetref"), box("txtunit")}},
        {198, {lit("CLOCK"), lit("COLOR"), lit("VIDEO"), lit("BRIGHT")}},
        {208, {box("txtclock"), box("txtcolor"), box("txtVideo"), box("txtbrt")}},
        {222, {lit("CONFIG"), lit("HORN"), lit("BEEP"), lit("PRF")}},
        {232, {box("txtcinfig"), box("txthorn"), box("txtbeep"), box("txtprf")}},
        {246, {lit("MEA PO1"), lit("MEA PO2"), lit("MEA PO3"), lit("     ")}},
        {256, {box("txtmp1"), box("txtmp2"), box("txtmp3"), box("txtblk1")}},
        {270, {lit("DGS"), lit("STRT G1"), lit("DGS-REF"), lit("TL-CORR")}},
        {280, {box("txtdgs"), box("txtstrtg1"), box("txtdgsref"), box("txttlcorr")}},
        {294, {lit("SCAL NO"), lit("PRBNAME"), lit("PRBFREQ"), lit("DEL-VEL")}},
        {304, {box("txtscaleno"), box("txtprbname"), box("txtpfreq"), box("txtdelvel")}},
        {318, {lit("D EFFT"), lit("DGS-CRV"), lit("REFTYPE"), lit("REFSIZE")}},
        {328, {box("txtdefft"), box("txtdgscrv"), box("txtrefecho"), box("txtrefsize")}},
        {342, {lit("     "), lit("ATT-REF"), lit("ATT-OBJ"), lit("AMPLCOR")}},
        {352, {box("txtexit"), box("txtattref"), box("txtattobj"), box("txtamplcor")}},
        {366, {after("Gain ", "txtgain"), after("REF ", "txtrefg"), cap("txttmdt"), none()}},
    };
    return rows;
}

QString cellText(const TableCell &cell, const ReportInputs &in)
{
    switch (cell.kind) {
    case TableCell::Empty:
        return {};
    case TableCell::Literal:
        return QString::fromLatin1(cell.text);
    case TableCell::Box:
    case TableCell::Caption:
        return QString::fromLatin1(cell.prefix) + in.panel.value(QString::fromLatin1(cell.text));
    }
    return {};
}

const QList<NoteRow> &noteRows()
{
    static const QList<NoteRow> rows = {
        {"OPERATOR", "txtopname"},
        {"JOB DETAIL", "txtraw"},
        {"DEFECT DETAIL", "txtaxno"},
        {"REMARK", "txtremark"},
    };
    return rows;
}

const QList<MeasureCell> &measureCells()
{
    static const QList<MeasureCell> cells = {
        {"txtmeapo1", 4}, {"txtmeapo2", 69}, {"txtmeapo3", 134}, {"txtmeapo4", 200}};
    return cells;
}

ReportInputs gatherReportInputs(const ReportHost &main)
{
    ReportInputs in;
    in.ascan = main.ascanImage();
    auto boxText = [&main](const char *name) { return main.boxText(name); };
    for (int k = 0; k < measureCells().size(); ++k)
        in.measurements[size_t(k)] = boxText(measureCells()[k].box);
    for (const TableRow &row : parameterTable()) {
        for (const TableCell &cell : row.cells) {
            const QString name = QString::fromLatin1(cell.text);
            if (cell.kind == TableCell::Box) {
                in.panel.insert(name, boxText(cell.text));
            } else if (cell.kind == TableCell::Caption) {
                in.panel.insert(name, main.captionText(cell.text));
            }
        }
    }
    for (int k = 0; k < noteRows().size(); ++k)
        in.notes[size_t(k)] = boxText(noteRows()[k].box);
    return in;
}

void setAscanPicture(Canvas &echo, const QImage &picture)
{
    echo.setBackgroundPicture(picture);
    if (!picture.isNull())
        echo.resize(picture.size());
    echo.clear(); // the drawing gone, the new picture underneath
    echo.resize({echo.sizePixels().width(), twipsToPixels(kEchoHeightTwips)});
}

void drawAscanSection(Canvas &echo, const std::array<QString, 4> &measurements)
{
    for (int k = 0; k < measureCells().size(); ++k)
        echo.text(measureCells()[k].x, kEchoMeasureY, measurements[size_t(k)]);
    frame(echo, kEchoFrame);
}

void drawParameterTable(Canvas &setup, const ReportInputs &in)
{
    setup.resize({setup.sizePixels().width(), twipsToPixels(kSetupHeightTwips)});
    for (const TableRow &row : parameterTable())
        for (int col = 0; col < 4; ++col) {
            const QString text = cellText(row.cells[col], in);
            if (!text.isEmpty())
                setup.text(kTableColumns[col], row.y, text);
        }
    setup.line(kSeparatorFrom, kSeparatorY, kSeparatorTo, kSeparatorY, kBlack);
    frame(setup, kSetupFrame);
}

void drawNotes(Canvas &note, const std::array<QString, 4> &notes)
{
    note.resize(pixels(kNoteWidthTwips, kNoteHeightTwips));
    for (int k = 0; k < noteRows().size(); ++k) {
        const double y = kNoteFirstY + kNoteStep * k;
        note.text(kNoteLabelX, y, QString::fromLatin1(noteRows()[k].label));
        note.text(kNoteValueX, y, QLatin1Char(':') + notes[size_t(k)]);
    }
    frame(note, kNoteFrame);
}

void drawHeading(Canvas &head)
{
    head.text(0, 0, QString::fromLatin1(kHeadingLine1));
    const QPointF next = head.currentPoint();
    head.text(next.x(), next.y(), QString::fromLatin1(kHeadingLine2));
}

ReportInputs reportInputs(const Record &record)
{
    const SetupView view = decodeSetup(record);
    ReportInputs in;
    in.record = std::make_shared<const Record>(record);
    for (int k = 0; k < measureCells().size(); ++k)
        in.measurements[size_t(k)] = view.text(QString::fromLatin1(measureCells()[k].box));
    for (const TableRow &row : parameterTable())
        for (const TableCell &cell : row.cells)
            if (cell.kind == TableCell::Box || cell.kind == TableCell::Caption) {
                const QString name = QString::fromLatin1(cell.text);
                in.panel.insert(name, view.text(name));
            }
    for (int k = 0; k < noteRows().size(); ++k)
        in.notes[size_t(k)] = view.text(QString::fromLatin1(noteRows()[k].box));
    return in;
}

namespace {

const ReportSection &sectionOfFile(const char *file)
{
    for (const ReportSection &s : reportSections())
        if (std::strcmp(s.file, file) == 0)
            return s;
    return reportSections().front();
}

// The A-scan section on a painter: the picture (copied, or drawn afresh
// from the record at the picture's size), then what the report adds.
void drawEchoSection(Canvas &echo, QPainter &page, const ReportInputs &in)
{
    if (!in.record) {
        setAscanPicture(echo, in.ascan);
    } else {
        echo.resize({ascan::imageSize().width(), twipsToPixels(kEchoHeightTwips)});
        echo.clear();
        auto picture = makeAscanCanvas(&page);
        drawMemoryPicture(*picture, *in.record, decodeSetup(*in.record));
        echo.resize(echo.sizePixels()); // back to the section's own clip
    }
    drawAscanSection(echo, in.measurements);
}

} // namespace

void drawReportPage(QPainter &page, const ReportInputs &in)
{
    for (const Placement &p : pagePlacements()) {
        const ReportSection &section = sectionOfFile(p.file);
        page.save();
        page.translate(p.x / double(kTwipsPerPixel), p.y / double(kTwipsPerPixel));
        const auto canvas = std::make_unique<Canvas>(page, pixels(section.widthTwips, section.heightTwips),
                                                     section.pixelsPerUnit);
        QFont f(QString::fromLatin1(section.family));
        f.setPointSizeF(section.points);
        f.setBold(section.bold);
        canvas->setFont(f);
        canvas->setDrawWidth(kLineWidth);
        if (std::strcmp(section.name, "picecho") != 0)
            canvas->clear(); // the A-scan section clears at its own size
        if (std::strcmp(section.name, "picecho") == 0)
            drawEchoSection(*canvas, page, in);
        else if (std::strcmp(section.name, "picsetup") == 0)
            drawParameterTable(*canvas, in);
        else if (std::strcmp(section.name, "Picnote") == 0)
            drawNotes(*canvas, in.notes);
        else
            drawHeading(*canvas);
        page.restore();
    }
}

} // namespace vextrum
