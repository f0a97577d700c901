#pragma once
// The report page's four sections, composed from what the main window
// shows or from a stored record: the heading, the A-scan picture with the measurement readings,
// the parameter table and the notes. Plain drawing onto Canvases; the
// printing run that saves, loads and places them is in printreport.h.

#include "display/canvas.h"
#include "store/fields.h"
#include "store/record.h"

#include <QImage>
#include <QList>
#include <QString>
#include <array>
#include <memory>

namespace vextrum {

// One section canvas of the composition window.
struct ReportSection
{
    const char *name;            // objectName of its picture box
    int widthTwips, heightTwips; // size before the report sets it
    double pixelsPerUnit;        // kPixelsPerPoint or kPixelsPerTwip
    const char *family;
    double points;
    bool bold;
    const char *file; // temporary bitmap in the working directory
};

// picecho, picsetup, Picnote, pichead: the order they are cleared in.
const QList<ReportSection> &reportSections();
const ReportSection &reportSection(const char *name);
// A white canvas of the design size in the section's unit and font, lines
// 2 pixels wide.
std::unique_ptr<Canvas> makeSectionCanvas(const ReportSection &section);

// Where a section file goes on the page, top-left corner in twips from
// the printable area's top-left; in the order they are placed.
struct Placement
{
    const char *file;
    int x, y;
};
const QList<Placement> &pagePlacements();
// The four temporary files in the order they are deleted.
const QList<const char *> &tempFiles();

// Everything a report page shows: the picture, the readings and notes,
// and the panel's texts for the parameter table.
struct ReportInputs
{
    QImage ascan;                        // the A-scan picture as on screen
    std::array<QString, 4> measurements; // the four readings
    SetupView view;                      // the panel's texts, by field
    std::array<QString, 4> notes;        // operator, job, defect, remark
    // Set when the inputs come from a record rather than the screen: the
    // A-scan is then drawn afresh from it instead of copied as a picture.
    std::shared_ptr<const Record> record;
};
// The memory on screen as the main window shows it: its panel, readings
// and notes as typed, and its picture.
ReportInputs screenInputs(const SetupView &onScreen, const QImage &picture);
// The same texts for a stored record, as the main window would show them
// with the record on screen, without any window.
ReportInputs reportInputs(const Record &record);

// The parameter table: the panel's cells, row for row, at fixed points;
// each row of captions over its row of values.
constexpr int kTableColumns[4] = {6, 63, 127, 184}; // points
// The text of table row `row` (0..14 settings, kLastLine the last line),
// column 0..3; captions: the caption row, else the values.
QString tableText(const ReportInputs &in, int row, int column, bool captions);

// The heading's two lines, blanks and all.
extern const char kHeadingLine1[];
extern const char kHeadingLine2[];

// A-scan section: the picture as background at its natural size, the
// canvas as wide as the picture and 5495 twips high. A null picture takes
// away any earlier one, so no other memory's trace can show through.
void setAscanPicture(Canvas &echo, const QImage &picture);
// The measurement readings and the frame, over the picture.
void drawAscanSection(Canvas &echo, const std::array<QString, 4> &measurements);
// Height 7675 twips; the rows, the separator, the frame.
void drawParameterTable(Canvas &setup, const ReportInputs &in);
// 5195 x 2245 twips; the four note rows and the frame.
void drawNotes(Canvas &note, const std::array<QString, 4> &notes);
// Line 1 at the top, line 2 at the start of the next text line.
void drawHeading(Canvas &head);

// The whole page onto a painter whose unit is one canvas pixel (15 twips)
// and whose origin is the printable area's top-left corner: the sections
// at their placements, in placement order, each as the printed route
// composes it, so the page has the printed one's layout drawn as vectors.
void drawReportPage(QPainter &page, const ReportInputs &in);

} // namespace vextrum
