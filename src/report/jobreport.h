#pragma once
// The inspection report a client signs: a vector PDF/A-1b on A4. First
// the summary (the job details and a table of indications, one row per
// memory, continued over as many pages as it needs with its header
// repeated), then one page per memory (its A-scan drawn large in the
// viewer's colours, the settings that matter for evaluation, the echoes
// measured in the gates, the instrument's readings and the notes). Every
// page carries the letterhead, the report number, "Page n of N" and the
// signature lines.

#include "report/export.h"
#include "report/letterhead.h"
#include "store/job.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace vextrum {

class Archive;

// What one row of the indication table shows for a memory: the highest
// echo in gate 1 (gate 2 when gate 1 is not drawn), measured as the A-scan
// Viewer measures it. Texts as printed; "-" for what cannot be known.
struct Indication
{
    QString memory, time, gate, amplitude, toDac, path, depth, surface, notes, evaluation;
};
Indication indicationOf(const ExportMemory &memory, const Job &job);

struct InspectionReport
{
    QByteArray pdf; // empty when it could not be made
    int pages = 0;
    QString sha256; // of pdf, hex
};

// The report of `memories` in the order given, dated `date`.
InspectionReport inspectionReport(const QList<ExportMemory> &memories, const Job &job, const Letterhead &letterhead,
                                  const QDate &date);

// Writes the report's bytes beside `path` and renames them into place.
bool writeReportFile(const QString &path, const InspectionReport &report, QString *error);

// The inspection report of `memories` with `job`, dated today, written to
// `path` and recorded in `archive`. False with the reason when it could not
// be written; `unrecorded` gets why it is not in the archive, if it is not.
bool writeInspectionReport(const QString &path, const QList<ExportMemory> &memories,
                           const Job &job, Archive &archive, int *pages, QString *error,
                           QString *unrecorded);
// The reports already exported under the job's number, as one line for
// the user; empty when the number is new (or there is none).
QString reportNumberUsed(const Job &job, const Archive &archive);

} // namespace vextrum
