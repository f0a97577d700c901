#pragma once
// Reports and data for a client, without any window: the chosen memories
// as one vector PDF with the printed report's layout, as one CSV file, and
// the A-scan picture of one memory as PNG or SVG. Every output is written
// beside its target and renamed into place once complete, so a failure
// never leaves a half-written file.

#include "report/letterhead.h"
#include "store/record.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <functional>

namespace vextrum {

class MemoryStore;

struct ExportMemory
{
    int number; // memory number, 1 to 200; 0: a record that is no memory
    Record record;
};

// The stored memories of `slots`, in that order.
QList<ExportMemory> storedMemories(const Store &store, const QList<int> &memorySlots);
// The record on screen, under its own memory number; 0 when it names
// none (the built-in trace at start-up).
ExportMemory memoryOnScreen(const Record &current);
// The same for what the main window shows: the stored memory on screen
// (with its notes as last saved), else the current record.
ExportMemory memoryOnScreen(const MemoryStore &store);

// "1-20,35": ascending numbers, runs of three or more as ranges.
QString memoryNumbersText(QList<int> numbers);
// The inverse, for numbers 1 to 200: "1-20,35", "7", "3,1-2". Gives the
// numbers ascending without repeats; false with a one-line reason on an
// empty item, a number outside 1..200 or a range that runs backwards.
bool parseMemoryNumbers(const QString &text, QList<int> *numbers, QString *error);

// A4 upright, printable area the whole page.
QPageLayout defaultReportLayout();

// One page per memory in order, the report page of each drawn as vectors
// with its text as text, the letterhead (if any) in the band above it.
bool exportPdf(const QString &path, const QList<ExportMemory> &memories, const Letterhead &letterhead,
               const QPageLayout &layout, QString *error);

// RFC 4180 CSV in UTF-8 (with a byte order mark so spreadsheet programs
// take it as UTF-8), CRLF line ends, a header row, one row per memory:
// memory number (empty for 0), the time as ISO 8601, every field under a
// name of its own (a number in the unit its name gives where its text reads
// as one, else the text as shown), the measurement readings, the notes, the
// A-scan samples 0..249 and the DAC points 0..250 in percent of screen
// height. Trailing blanks of texts are removed.
QByteArray csvText(const QList<ExportMemory> &memories);
bool exportCsv(const QString &path, const QList<ExportMemory> &memories, QString *error);

// The A-scan picture of a record as the main window draws it, redrawn at
// `scale` (1 to 4) times its size.
QImage ascanPicture(const Record &record, int scale);
// A picture of at most 256 colours goes into the PNG file with a palette:
// the same pixels in a smaller file, written in less time.
bool exportPng(const QString &path, const Record &record, int scale, QString *error);
// The pictures of many records, each into its own PNG file as exportPng
// writes it, each complete in its place or not there at all. With
// `flushAll` (which makes everything written so far durable at once, as a
// sync of the file system does), the files are written, flushAll is called
// once for a group of them, and only then does each take its name, which
// spares each file a sync of its own. On a failure, the files before it
// are still put in place.
struct PictureFile
{
    QString path;
    Record record;
};
bool exportPngs(const QList<PictureFile> &files, int scale, const std::function<bool()> &flushAll,
                QString *error);
bool exportSvg(const QString &path, const Record &record, QString *error);

} // namespace vextrum
