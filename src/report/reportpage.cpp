#include "report/reportpage.h"

#include "display/ascan.h"
#include "display/memorypicture.h"

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

// Points of the parameter table's rows: captions, then values, for the
// panel's rows 0..14; the last line in one row of its own.
constexpr int kCaptionY[15] = {5, 29, 53, 77, 101, 125, 150, 174, 198, 222, 246, 270, 294, 318, 342};
constexpr int kValueY[15] = {15, 39, 63, 87, 111, 136, 160, 184, 208, 232, 256, 280, 304, 328, 352};
constexpr int kLastLineY = 366;

// The readings under the picture, points from the section's left.
constexpr double kReadingX[4] = {4, 69, 134, 200};

// The setup field of each panel cell (nullptr: an empty cell).
using Grid = std::array<std::array<const FieldInfo *, 4>, kLastLine + 1>;
const Grid &panelGrid()
{
    static const Grid grid = [] {
        Grid g{};
        for (const FieldInfo &f : fieldTable())
            if (f.kind == FieldKind::Setup || f.kind == FieldKind::Time)
                g[std::size_t(f.row)][std::size_t(f.column)] = &f;
        return g;
    }();
    return grid;
}

QString caption(const FieldInfo &f)
{
    return QString::fromLatin1(f.reportCaption ? f.reportCaption : f.caption ? f.caption : "");
}

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

QString tableText(const ReportInputs &in, int row, int column, bool captions)
{
    const FieldInfo *f = panelGrid()[std::size_t(row)][std::size_t(column)];
    if (!f)
        return {};
    // A field that reads nothing of the record always shows its start text.
    const QString value = f->first < 0 ? QString::fromLatin1(f->start) : in.view.text(f->field);
    if (row == kLastLine) // one row: "Gain 25", "REF 25", the time
        return f->kind == FieldKind::Time ? value : caption(*f) + QLatin1Char(' ') + value;
    if (!captions)
        return value;
    if (const FieldInfo *c = captionFieldOf(*f))
        return in.view.text(c->field);
    return caption(*f);
}

ReportInputs screenInputs(const SetupView &onScreen, const QImage &picture)
{
    ReportInputs in;
    in.ascan = picture;
    in.view = onScreen;
    const QList<Field> readings = fieldsOf(FieldKind::Reading), notes = fieldsOf(FieldKind::Note);
    for (int k = 0; k < 4; ++k) {
        in.measurements[size_t(k)] = onScreen.text(readings[k]);
        in.notes[size_t(k)] = onScreen.text(notes[k]);
    }
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
    for (int k = 0; k < 4; ++k)
        echo.text(kReadingX[k], kEchoMeasureY, measurements[size_t(k)]);
    frame(echo, kEchoFrame);
}

void drawParameterTable(Canvas &setup, const ReportInputs &in)
{
    setup.resize({setup.sizePixels().width(), twipsToPixels(kSetupHeightTwips)});
    auto row = [&setup, &in](int r, double y, bool captions) {
        for (int col = 0; col < 4; ++col) {
            const QString text = tableText(in, r, col, captions);
            if (!text.isEmpty())
                setup.text(kTableColumns[col], y, text);
        }
    };
    for (int r = 0; r < 15; ++r) {
        row(r, kCaptionY[r], true);
        row(r, kValueY[r], false);
    }
    row(kLastLine, kLastLineY, false);
    setup.line(kSeparatorFrom, kSeparatorY, kSeparatorTo, kSeparatorY, kBlack);
    frame(setup, kSetupFrame);
}

void drawNotes(Canvas &note, const std::array<QString, 4> &notes)
{
    note.resize(pixels(kNoteWidthTwips, kNoteHeightTwips));
    for (Field f : fieldsOf(FieldKind::Note)) {
        const FieldInfo &info = fieldInfo(f);
        const double y = kNoteFirstY + kNoteStep * info.row;
        note.text(kNoteLabelX, y, QString::fromLatin1(info.reportCaption));
        note.text(kNoteValueX, y, QLatin1Char(':') + notes[size_t(info.row)]);
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
    ReportInputs in = screenInputs(decodeSetup(record), QImage());
    in.record = std::make_shared<const Record>(record);
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
