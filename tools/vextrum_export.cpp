// vextrum-export: the memories of a data file as a report PDF, a CSV file
// and A-scan pictures, without a display or a window.
#include "app/fonts.h"
#include "archive/archive.h"
#include "filesync.h"
#include "files/datafile.h"
#include "files/jobfile.h"
#include "report/export.h"
#include "report/jobreport.h"
#include "report/letterhead.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <memory>

using namespace vextrum;

namespace {

constexpr char kUsage[] =
    "Usage: vextrum-export DATAFILE [--memories LIST] [--pdf OUT.pdf] [--csv OUT.csv]\n"
    "                      [--png DIR [--scale N]] [--report OUT.pdf [--again]]\n"
    "                      [--archive FILE]\n"
    "\n"
    "Exports memories of a Vextrum DGS data file (as written by File, Save)\n"
    "without a display.\n"
    "\n"
    "  --memories LIST  memory numbers 1 to 200, such as 1-20,35; default: all.\n"
    "                   Only captured memories are exported (those whose own\n"
    "                   number matches their slot, as File, Open marks them);\n"
    "                   chosen memories that are not captured are named on one\n"
    "                   line on standard error and skipped.\n"
    "  --pdf OUT.pdf    one report page per memory, as printed, as a vector PDF,\n"
    "                   with the letterhead set in the program (Report Letterhead).\n"
    "  --csv OUT.csv    one row per memory: settings, readings, notes, A-scan\n"
    "                   samples and DAC points (UTF-8, comma separated).\n"
    "  --png DIR        the A-scan picture of each memory as DIR/memNNN.png.\n"
    "  --scale N        size of the pictures, 1 to 4 times the screen's (1).\n"
    "  --report OUT.pdf the inspection report (PDF/A), with the job details\n"
    "                   kept beside the data file (DATAFILE.job, written by\n"
    "                   File, Save), as File, Export Inspection Report makes it.\n"
    "                   It is recorded in the archive (an archive that cannot\n"
    "                   be opened refuses it); a report number exported\n"
    "                   before is refused unless --again is given.\n"
    "  --archive FILE   the archive to record the report in; default: the\n"
    "                   program's.\n"
    "  --help           this text.\n"
    "  --               ends the options: what follows is the data file.\n"
    "\n"
    "No two outputs may name the same path, nor the data file.\n"
    "Each output is written beside its name and renamed into place only when\n"
    "complete. Exit status: 0 when something was exported; 1 when the data\n"
    "file cannot be read, no chosen memory is captured or an output cannot be\n"
    "written; 2 for a bad command line. Errors are one line on standard error.\n";

int fail(int code, const QString &message)
{
    std::fprintf(stderr, "vextrum-export: %s\n", qPrintable(message));
    return code;
}

// Only this program's own lines reach standard error; the platform's
// notes (no runtime folder, fonts) are not the user's business here.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "vextrum-export: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // fonts without a display
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Tarvonix"));
    QGuiApplication::setApplicationName(QStringLiteral("Vextrum DGS")); // the program's settings
    installFontSubstitutes();

    QStringList args = QCoreApplication::arguments().mid(1);
    QString dataFile, memories, pdf, csv, pngDir, scaleText, report, archivePath;
    bool optionsEnded = false, again = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        if (!optionsEnded && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            if (!dataFile.isEmpty())
                return fail(2, QStringLiteral("one data file only, not also %1 (see --help)").arg(a));
            dataFile = a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (a == QLatin1String("--again")) {
            again = true;
            continue;
        }
        QString *target = a == QLatin1String("--memories") ? &memories
                          : a == QLatin1String("--pdf")    ? &pdf
                          : a == QLatin1String("--csv")    ? &csv
                          : a == QLatin1String("--png")    ? &pngDir
                          : a == QLatin1String("--scale")  ? &scaleText
                          : a == QLatin1String("--report") ? &report
                          : a == QLatin1String("--archive") ? &archivePath
                                                           : nullptr;
        if (!target)
            return fail(2, QStringLiteral("unknown option %1 (see --help)").arg(a));
        // The next word is the value, unless there is none or it is the
        // next option: "--pdf --csv x" must not write a file named "--csv".
        if (i + 1 >= args.size() || args[i + 1].isEmpty() || args[i + 1].startsWith(QLatin1String("--")))
            return fail(2, QStringLiteral("%1 needs a value (see --help)").arg(a));
        if (!target->isEmpty())
            return fail(2, QStringLiteral("%1 given twice (see --help)").arg(a));
        *target = args[++i];
    }
    const bool memoriesGiven = !memories.isEmpty();
    if (dataFile.isEmpty())
        return fail(2, QStringLiteral("no data file given (see --help)"));
    if (pdf.isEmpty() && csv.isEmpty() && pngDir.isEmpty() && report.isEmpty())
        return fail(2, QStringLiteral("nothing to write: give --pdf, --csv, --png or --report (see --help)"));
    if (again && report.isEmpty())
        return fail(2, QStringLiteral("--again goes with --report (see --help)"));
    int scale = 1;
    if (!scaleText.isEmpty()) {
        if (pngDir.isEmpty())
            return fail(2, QStringLiteral("--scale sizes the pictures of --png, and no --png was given (see --help)"));
        bool whole = false;
        scale = scaleText.toInt(&whole);
        if (!whole || scale < 1 || scale > 4)
            return fail(2, QStringLiteral("--scale takes a whole number from 1 to 4, not %1 (see --help)").arg(scaleText));
    }
    // Two outputs on one path would leave only the last; an output on the
    // data file would destroy what it is made from.
    const QList<std::pair<QString, QString>> paths = {
        {QStringLiteral("the data file"), dataFile}, {QStringLiteral("--pdf"), pdf},
        {QStringLiteral("--csv"), csv}, {QStringLiteral("--png"), pngDir}, {QStringLiteral("--report"), report},
        {QStringLiteral("--archive"), archivePath}, {QStringLiteral("the job file"), jobFilePath(dataFile)}};
    for (int j = 1; j < paths.size(); ++j)
        for (int k = 0; k < j; ++k)
            if (!paths[j].second.isEmpty() && !paths[k].second.isEmpty()
                && sameFile(paths[j].second, paths[k].second))
                return fail(2, QStringLiteral("%1 and %2 name the same path %3 (see --help)")
                                   .arg(paths[k].first, paths[j].first, paths[j].second));

    QList<int> chosen;
    QString error;
    if (memoriesGiven && !parseMemoryNumbers(memories, &chosen, &error))
        return fail(2, error);
    if (!memoriesGiven)
        for (int n = 1; n <= kMemoryCount; ++n)
            chosen << n;

    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    const OpenResult read = readDataFile(dataFile, *store);
    if (read.status != OpenResult::Ok)
        return fail(1, QStringLiteral("%1: %2").arg(dataFile, read.message()));

    QList<int> slotsToExport, skipped;
    for (int n : chosen)
        (read.captured[size_t(n - 1)] ? slotsToExport : skipped) << n - 1;
    for (int &s : skipped)
        ++s; // memory numbers from here on
    if (slotsToExport.isEmpty())
        return fail(1, QStringLiteral("%1: no captured memory to export%2")
                           .arg(dataFile, memoriesGiven ? QStringLiteral(" (not captured: %1)").arg(memoryNumbersText(skipped))
                                                        : QString()));
    if (memoriesGiven && !skipped.isEmpty())
        std::fprintf(stderr, "vextrum-export: not captured, skipped: %s\n", qPrintable(memoryNumbersText(skipped)));
    const QList<ExportMemory> list = storedMemories(*store, slotsToExport);

    // The report's job, its archive and its number are checked before
    // anything is written, so a refusal leaves no output behind.
    std::optional<Job> job;
    Archive archive;
    if (!report.isEmpty()) {
        QString why;
        job = readJobFile(dataFile, &why);
        if (!job)
            return fail(1, QStringLiteral("the job details cannot be read: %1").arg(why));
        if (!archive.open(Archive::chosenPath(archivePath)))
            return fail(1, QStringLiteral("the report could not be recorded: %1").arg(archive.why()));
        const QString used = reportNumberUsed(*job, archive);
        if (!used.isEmpty() && !again)
            return fail(1, used + QStringLiteral(" Give --again to export another under it."));
    }

    if (!pdf.isEmpty()) {
        if (!exportPdf(pdf, list, loadLetterhead(), defaultReportLayout(), &error))
            return fail(1, error);
        std::printf("%s: %lld pages\n", qPrintable(pdf), static_cast<long long>(list.size()));
    }
    if (!csv.isEmpty()) {
        if (!exportCsv(csv, list, &error))
            return fail(1, error);
        std::printf("%s: %lld rows\n", qPrintable(csv), static_cast<long long>(list.size()));
    }
    if (!pngDir.isEmpty()) {
        if (!QDir().mkpath(pngDir))
            return fail(1, QStringLiteral("%1 cannot be made as a folder").arg(pngDir));
        QList<PictureFile> files;
        for (const ExportMemory &m : list)
            files.append({QDir(pngDir).filePath(QStringLiteral("mem%1.png").arg(m.number, 3, 10, QLatin1Char('0'))),
                          m.record});
        if (!exportPngs(files, scale, fileSystemFlush(pngDir), &error))
            return fail(1, error);
        std::printf("%s: %lld pictures\n", qPrintable(pngDir), static_cast<long long>(list.size()));
    }
    if (!report.isEmpty()) {
        int pages = 0;
        QString unrecorded;
        if (!writeInspectionReport(report, list, *job, archive, &pages, &error, &unrecorded))
            return fail(1, error);
        std::printf("%s: %d pages\n", qPrintable(report), pages);
        if (!unrecorded.isEmpty())
            return fail(1, QStringLiteral("the report is not recorded in the archive: %1").arg(unrecorded));
    }
    return 0;
}
