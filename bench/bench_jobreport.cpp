// The inspection report of all 200 memories (the sample memories, with a
// job and a letterhead): the median time to make it and write it, its
// pages and its size per page, against the plain vector export of the
// same memories in the same run. With an argument, the report is kept
// there; with a second, the data file and its job file are written there
// too (for vextrum-export --report).
#include "app/fonts.h"
#include "files/datafile.h"
#include "files/jobfile.h"
#include "report/export.h"
#include "report/jobreport.h"
#include "simkit/replybuilder.h"
#include "median.h"
#include "samplestore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace vextrum;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutes();
    QTemporaryDir dir;
    auto store = std::make_unique<Store>();
    const QList<ExportMemory> memories = fillWithSampleMemories(*store);
    Job job;
    const char *const texts[] = {"VX-2026-0142", "Harbour Cranes plc", "Dock 4, Eastport", "Boom weld W-12/3",
                                 "S355J2", "25 mm", "After welding, cap ground", "ISO 17640 technique 2",
                                 "ISO 11666 level 2"};
    for (int d = 0; d < int(std::size(texts)); ++d)
        job.text(JobDetail(d)) = QString::fromLatin1(texts[d]);
    job = prefilledJob(job, QList<Record>{memories.front().record});
    job.text(JobDetail::Inspector) = QStringLiteral("A. Inspector");
    job.text(JobDetail::Qualification) = QStringLiteral("ISO 9712 UT level 2");
    job.text(JobDetail::Reviewer) = QStringLiteral("R. Reviewer");
    for (int n = 1; n <= kMemoryCount; ++n)
        job.setEvaluation(n, Evaluation(n % kEvaluationCount));
    Letterhead letterhead;
    letterhead.company = QStringLiteral("Northgate Inspection Ltd");
    letterhead.address = {QStringLiteral("12 Foundry Lane"), QStringLiteral("Sheffield S1 2AB"), QString()};

    const QString report = dir.filePath(QStringLiteral("report.pdf"));
    const QString plain = dir.filePath(QStringLiteral("plain.pdf"));
    bool ok = true;
    InspectionReport made;
    const double reportMs = medianMs(5, [&] {
        made = inspectionReport(memories, job, letterhead, QDate(2026, 12, 8));
        ok = writeReportFile(report, made, nullptr) && ok;
    });
    const double plainMs =
        medianMs(5, [&] { ok = exportPdf(plain, memories, letterhead, defaultReportLayout(), nullptr) && ok; });
    std::printf("Inspection report of 200 memories: median %.0f ms over 5 runs (aim under 2000 ms), %d pages, "
                "%lld bytes, %.1f KiB per page\n",
                reportMs, made.pages, static_cast<long long>(made.pdf.size()), made.pdf.size() / 1024.0 / made.pages);
    std::printf("Plain vector export of the same 200 memories: median %.0f ms, %lld bytes; ratio %.2f\n", plainMs,
                static_cast<long long>(QFile(plain).size()), reportMs / plainMs);
    if (argc > 1) {
        QFile::remove(QString::fromLocal8Bit(argv[1]));
        QFile::copy(report, QString::fromLocal8Bit(argv[1]));
    }
    if (argc > 2) {
        const QString data = QString::fromLocal8Bit(argv[2]);
        ok = writeDataFile(data, *store) && writeJobFile(data, job) && ok;
    }
    return ok ? 0 : 1;
}
