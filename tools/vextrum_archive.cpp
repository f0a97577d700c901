// vextrum-archive: the inspection archive without a display or a window:
// data files in, searches out, archived memories exported.
#include "archiveimport.h"

#include "app/fonts.h"
#include "archive/archive.h"
#include "archive/serversync.h"
#include "files/datafile.h"
#include "report/export.h"
#include "report/jobreport.h"
#include "report/letterhead.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace vextrum;

namespace {

constexpr char kUsage[] =
    "Usage: vextrum-archive import PATH... [--archive FILE]\n"
    "       vextrum-archive find [--text WORDS] [--since DATE] [--until DATE]\n"
    "                            [--memory N] [--station NAME] [--csv] [--archive FILE]\n"
    "       vextrum-archive export ID... [--pdf OUT.pdf] [--csv OUT.csv]\n"
    "                              [--report OUT.pdf [--again]] [--archive FILE]\n"
    "       vextrum-archive push [--server URI] [--archive FILE]\n"
    "       vextrum-archive server-init URI\n"
    "\n"
    "Works on the archive of Vextrum DGS (View, Archive) without a display.\n"
    "\n"
    "  import PATH...   keeps the captured memories of data files (as written by\n"
    "                   File, Save) in the archive, each file in one transaction.\n"
    "                   A folder gives every file under it. A memory already in\n"
    "                   the archive is not added again. A file that is no data\n"
    "                   file is named on standard error and skipped; a file read\n"
    "                   in part gives the memories it captured, as File, Open.\n"
    "                   Ends with one line: data files read, the memories in\n"
    "                   them, how many were new, and files skipped.\n"
    "  find             the archived memories that match all that is given, newest\n"
    "                   first, one a line: id, when it first arrived, memory\n"
    "                   number, when it was taken (the instrument's time and\n"
    "                   date) and the four notes, separated by tabs.\n"
    "    --text WORDS   words of the notes or the probe name, as typed; each\n"
    "                   finds the words it begins.\n"
    "    --since DATE   taken on DATE (yyyy-MM-dd) or later.\n"
    "    --until DATE   taken on DATE or earlier.\n"
    "    --memory N     memory number N, 1 to 200.\n"
    "    --station NAME arrived on the PC named NAME.\n"
    "    --csv          CSV (RFC 4180, UTF-8) with a header row instead.\n"
    "    --server URI   searches the team's archive on that server instead.\n"
    "  export ID...     archived memories by the id find gives, with their latest\n"
    "                   notes, to one file or both:\n"
    "    --pdf OUT.pdf  one report page per memory, as printed, with the\n"
    "                   letterhead set in the program (Report Letterhead).\n"
    "    --csv OUT.csv  one row per memory, as File, Export CSV writes it.\n"
    "    --report OUT.pdf  the inspection report (PDF/A) of the memories in the\n"
    "                   order given, with the job details last kept with any of\n"
    "                   them, recorded in the archive; a report number exported\n"
    "                   before is refused unless --again is given.\n"
    "  push             sends what waits in this PC's archive to the team's server\n"
    "                   (default: the one set under Server... in the Archive\n"
    "                   window); the server adds nothing it holds already.\n"
    "  server-init URI  makes the archive's tables, roles (vextrum_inspector adds\n"
    "                   and reads, vextrum_reader reads) and guards on a\n"
    "                   PostgreSQL database, or brings them up to date: for the\n"
    "                   database's owner.\n"
    "  URI              a PostgreSQL connection URI, as libpq takes it\n"
    "                   (postgresql://user@host:5432/vextrum?sslmode=verify-full);\n"
    "                   passwords come from the password file, a service file or\n"
    "                   PGPASSWORD, never from the command line.\n"
    "  --archive FILE   the archive; default: the one the program uses,\n"
    "                   %s\n"
    "  --help           this text.\n"
    "  --               ends the options: what follows are paths or ids.\n"
    "\n"
    "find and export never make an archive where there is none.\n"
    "Exit status: 0 on success; 1 when the archive cannot be opened or written,\n"
    "an id is not in the archive, an output cannot be written or import finds\n"
    "no data file; 2 for a bad command line. Errors are one line on standard\n"
    "error.\n";

int fail(int code, const QString &message)
{
    std::fprintf(stderr, "vextrum-archive: %s\n", qPrintable(message));
    return code;
}

// Sends what waits, batch by batch, until nothing does.
int pushCommand(Archive &local, QString uri)
{
    if (uri.isEmpty())
        uri = QSettings().value(QString::fromLatin1(ServerSync::kServerKey)).toString();
    if (uri.isEmpty())
        return fail(2, QStringLiteral("no server: give --server URI, or set one under Server... (see --help)"));
    Archive team;
    if (!team.openServer(uri))
        return fail(1, team.why());
    qint64 sent = 0;
    for (;;) {
        const int n = local.pushTo(team, 500);
        if (n < 0)
            return fail(1, QStringLiteral("the server %1 took no more (%2); %3 sent, %4 wait")
                               .arg(team.path(), team.lastFailure().isEmpty() ? local.lastFailure() : team.lastFailure())
                               .arg(sent)
                               .arg(local.waiting()));
        if (n == 0)
            break;
        sent += n;
    }
    std::printf("%s sent to %s; nothing waits.\n", qPrintable(groupedNumber(sent)), qPrintable(team.path()));
    return 0;
}

int usage()
{
    std::printf(kUsage, qPrintable(QDir::toNativeSeparators(Archive::chosenPath())));
    return 0;
}

// Only this program's own lines reach standard error; the platform's and
// the database driver's notes are not the user's business here.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "vextrum-archive: %s\n", qPrintable(message));
}

bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The progress line on a terminal, rewritten in place; nothing elsewhere,
// so a log of the run holds only what it should.
class ProgressLine
{
public:
    ProgressLine() : terminal_(stderrIsTerminal()) { shownAt_.start(); }
    void show(int done, int total)
    {
        // A few times a second is all an eye can follow.
        if (!terminal_ || (done < total && width_ > 0 && shownAt_.elapsed() < 100))
            return;
        shownAt_.restart();
        const QByteArray text = QStringLiteral("import: %1 of %2 files").arg(groupedNumber(done), groupedNumber(total)).toUtf8();
        std::fprintf(stderr, "\r%s", text.constData());
        for (qsizetype i = text.size(); i < width_; ++i)
            std::fputc(' ', stderr);
        width_ = std::max(width_, text.size());
        std::fflush(stderr);
    }
    void clear()
    {
        if (width_ == 0)
            return;
        std::fprintf(stderr, "\r%*s\r", int(width_), "");
        std::fflush(stderr);
        width_ = 0;
    }

private:
    bool terminal_;
    qsizetype width_ = 0;
    QElapsedTimer shownAt_;
};

int importCommand(Archive &archive, const QStringList &paths)
{
    const QStringList files = filesToImport(paths);
    ProgressLine line;
    ImportReport report;
    report.progress = [&line](int done, int total) { line.show(done, total); };
    report.skipped = [&line](const QString &path, const QString &reason) {
        line.clear();
        std::fprintf(stderr, "vextrum-archive: skipped: %s: %s\n", qPrintable(shown(path)), qPrintable(reason));
    };
    report.readInPart = [&line](const QString &path, const QString &reason) {
        line.clear();
        std::fprintf(stderr, "vextrum-archive: read in part: %s: %s\n", qPrintable(shown(path)),
                     qPrintable(reason));
    };
    ImportCount count;
    const bool written = importFiles(archive, files, &count, report);
    line.clear();
    QString summary = QStringLiteral("%1 %2, %3 %4, %5 new")
                          .arg(groupedNumber(count.files), count.files == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                               groupedNumber(count.memories),
                               count.memories == 1 ? QStringLiteral("memory") : QStringLiteral("memories"),
                               groupedNumber(count.added));
    if (count.skipped > 0)
        summary += QStringLiteral(", %1 skipped").arg(groupedNumber(count.skipped));
    // What went in before a failure is in the archive: say how much.
    std::printf("%s\n", qPrintable(summary));
    std::fflush(stdout);
    if (!written)
        return fail(1, archive.why());
    if (count.files == 0)
        return fail(1, QStringLiteral("no data file found in %1").arg(paths.join(QLatin1Char(' '))));
    return 0;
}

// One field of an RFC 4180 row: quoted when it holds a comma, a quote or a
// line break, its quotes doubled.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

// A field of a tab-separated line: its own tabs and line breaks would
// split the line, so they become blanks.
QByteArray tabField(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text.toUtf8();
}

int findCommand(const Archive &archive, const ArchiveFilter &filter, bool csv)
{
    // Read forward: a million rows are printed, never held.
    QSqlQuery q = archive.find(filter);
    if (q.lastError().isValid())
        return fail(1, QStringLiteral("the archive %1 cannot be searched (%2)")
                           .arg(shown(archive.path()), q.lastError().text()));

    const ArchiveColumn columns[] = {ArchiveColumn::Id,    ArchiveColumn::Arrived, ArchiveColumn::Memory,
                                     ArchiveColumn::Taken, ArchiveColumn::Note1,   ArchiveColumn::Note2,
                                     ArchiveColumn::Note3, ArchiveColumn::Note4};
    const QByteArray separator = csv ? "," : "\t";
    const QByteArray lineEnd = csv ? "\r\n" : "\n";
    QByteArray out;
    if (csv) {
        QByteArrayList header;
        for (ArchiveColumn c : columns)
            header << csvField(QString::fromLatin1(archiveColumnTitle(c)));
        out = header.join(separator) + lineEnd;
    }
    QByteArrayList row;
    while (q.next()) {
        row.clear();
        for (ArchiveColumn c : columns) {
            QString text = q.value(int(c)).toString();
            // As the Archive window shows them: arrivals are kept in UTC
            // and shown in the PC's time.
            if (c == ArchiveColumn::Arrived)
                text = QDateTime::fromString(text, Qt::ISODateWithMs)
                           .toLocalTime()
                           .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else if (c == ArchiveColumn::Taken)
                text.replace(QLatin1Char('T'), QLatin1Char(' '));
            row << (csv ? csvField(text) : tabField(text));
        }
        out += row.join(separator) + lineEnd;
        if (out.size() > 64 * 1024) {
            std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
            out.clear();
        }
    }
    if (q.lastError().isValid())
        return fail(1, QStringLiteral("the archive %1 cannot be searched (%2)")
                           .arg(shown(archive.path()), q.lastError().text()));
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : fail(1, QStringLiteral("the results cannot be written"));
}

int exportCommand(Archive &archive, const QList<qint64> &ids, const QString &pdf, const QString &csv,
                  const QString &report, bool again)
{
    QList<ExportMemory> list;
    QStringList missing;
    for (qint64 id : ids) {
        const std::optional<Record> record = archive.memory(id);
        if (!record) {
            missing << QString::number(id);
            continue;
        }
        list << ExportMemory{memoryNumber(*record), *record};
    }
    if (!missing.isEmpty())
        return fail(1, QStringLiteral("not in the archive %1: %2").arg(shown(archive.path()), missing.join(QStringLiteral(", "))));
    // The report's job and number are settled before anything is written,
    // so a refusal leaves no output behind.
    Job job;
    if (!report.isEmpty()) {
        const std::optional<Job> kept = archive.jobFor(ids);
        if (!kept)
            std::fprintf(stderr, "vextrum-archive: no job details are kept with these memories; the report "
                                 "carries none\n");
        job = kept.value_or(Job());
        const QString used = reportNumberUsed(job, archive);
        if (!used.isEmpty() && !again)
            return fail(1, used + QStringLiteral(" Give --again to export another under it."));
    }
    QString error;
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
    if (!report.isEmpty()) {
        int pages = 0;
        QString unrecorded;
        if (!writeInspectionReport(report, list, job, archive, &pages, &error, &unrecorded))
            return fail(1, error);
        std::printf("%s: %d pages\n", qPrintable(report), pages);
        if (!unrecorded.isEmpty())
            return fail(1, QStringLiteral("the report is not recorded in the archive: %1").arg(unrecorded));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    // Only the report pages need fonts and so a platform; the rest runs
    // on the bare core.
    const bool exporting = argc > 1 && std::strcmp(argv[1], "export") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (exporting) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // fonts without a display
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvonix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vextrum DGS")); // the program's archive and settings
    if (exporting)
        installFontSubstitutes();

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return fail(2, QStringLiteral("no command given: import, find or export (see --help)"));
    const QString command = args[0];
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return usage();
    const bool importing = command == QLatin1String("import"), finding = command == QLatin1String("find");
    const bool pushing = command == QLatin1String("push"), initing = command == QLatin1String("server-init");
    if (!importing && !finding && !exporting && !pushing && !initing)
        return fail(2, QStringLiteral("unknown command %1: give import, find, export, push or server-init (see --help)")
                           .arg(command));

    QString archivePath, text, since, until, memory, station, pdf, csvOut, server, report;
    bool csv = false, again = false;
    QStringList words; // paths or ids
    bool optionsEnded = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        if (!optionsEnded && (a == QLatin1String("--help") || a == QLatin1String("-h")))
            return usage();
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            words << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (finding && a == QLatin1String("--csv")) {
            csv = true;
            continue;
        }
        if (exporting && a == QLatin1String("--again")) {
            again = true;
            continue;
        }
        QString *target = a == QLatin1String("--archive") ? &archivePath : nullptr;
        if (finding)
            target = a == QLatin1String("--text")      ? &text
                     : a == QLatin1String("--since")   ? &since
                     : a == QLatin1String("--until")   ? &until
                     : a == QLatin1String("--memory")  ? &memory
                     : a == QLatin1String("--station") ? &station
                                                       : target;
        if (exporting)
            target = a == QLatin1String("--pdf")      ? &pdf
                     : a == QLatin1String("--csv")    ? &csvOut
                     : a == QLatin1String("--report") ? &report
                                                      : target;
        if ((finding || pushing) && a == QLatin1String("--server"))
            target = &server;
        if (!target)
            return fail(2, QStringLiteral("unknown option %1 for %2 (see --help)").arg(a, command));
        // The next word is the value, unless there is none or it is the
        // next option: "--pdf --csv x" must not write a file named "--csv".
        if (i + 1 >= args.size() || args[i + 1].isEmpty() || args[i + 1].startsWith(QLatin1String("--")))
            return fail(2, QStringLiteral("%1 needs a value (see --help)").arg(a));
        if (!target->isEmpty())
            return fail(2, QStringLiteral("%1 given twice (see --help)").arg(a));
        *target = args[++i];
    }

    ArchiveFilter filter;
    QList<qint64> ids;
    if (importing && words.isEmpty())
        return fail(2, QStringLiteral("no data file or folder given (see --help)"));
    if (finding) {
        if (!words.isEmpty())
            return fail(2, QStringLiteral("find takes options only, not %1 (see --help)").arg(words.first()));
        filter.text = text; // as typed: the archive makes any text a safe query
        filter.station = station;
        const std::pair<const QString *, QDate *> dates[] = {{&since, &filter.since}, {&until, &filter.until}};
        for (const auto &[given, date] : dates) {
            if (given->isEmpty())
                continue;
            *date = QDate::fromString(*given, QStringLiteral("yyyy-MM-dd"));
            if (!date->isValid())
                return fail(2, QStringLiteral("%1 is no date: give it as yyyy-MM-dd (see --help)").arg(*given));
        }
        if (!memory.isEmpty()) {
            bool whole = false;
            filter.memory = memory.toInt(&whole);
            if (!whole || filter.memory < 1 || filter.memory > kMemoryCount)
                return fail(2, QStringLiteral("--memory takes a memory number from 1 to %1, not %2 (see --help)")
                                   .arg(kMemoryCount)
                                   .arg(memory));
        }
    }
    if (exporting) {
        if (words.isEmpty())
            return fail(2, QStringLiteral("no memory id given (see --help)"));
        for (const QString &w : words) {
            bool whole = false;
            const qint64 id = w.toLongLong(&whole);
            if (!whole || id < 1)
                return fail(2, QStringLiteral("%1 is no memory id: find gives the ids (see --help)").arg(w));
            ids << id;
        }
        if (pdf.isEmpty() && csvOut.isEmpty() && report.isEmpty())
            return fail(2, QStringLiteral("nothing to write: give --pdf, --csv or --report (see --help)"));
        if (again && report.isEmpty())
            return fail(2, QStringLiteral("--again goes with --report (see --help)"));
        const std::pair<const char *, const QString *> outs[] = {{"--pdf", &pdf}, {"--csv", &csvOut}, {"--report", &report}};
        for (std::size_t j = 1; j < std::size(outs); ++j)
            for (std::size_t k = 0; k < j; ++k)
                if (sameFile(*outs[j].second, *outs[k].second))
                    return fail(2, QStringLiteral("%1 and %2 name the same path %3 (see --help)")
                                       .arg(QLatin1String(outs[k].first), QLatin1String(outs[j].first),
                                            *outs[j].second));
    }

    if (initing) {
        if (words.size() != 1)
            return fail(2, QStringLiteral("server-init takes one server URI (see --help)"));
        Archive team;
        if (!team.initServer(words.front()))
            return fail(1, team.why());
        std::printf("The team archive on %s is ready (archive version %d).\n", qPrintable(team.path()),
                    kArchiveVersion);
        return 0;
    }
    if (pushing && !words.isEmpty())
        return fail(2, QStringLiteral("push takes options only, not %1 (see --help)").arg(words.first()));
    if (finding && !server.isEmpty()) {
        Archive team;
        if (!team.openServer(server))
            return fail(1, team.why());
        return findCommand(team, filter, csv);
    }

    archivePath = Archive::chosenPath(archivePath);
    // A search or an export of an archive that is not there is a mistyped
    // name: making an empty archive would only hide it.
    if (!importing && !QFileInfo::exists(archivePath))
        return fail(1, QStringLiteral("there is no archive %1").arg(shown(archivePath)));
    // An output over the archive would destroy what it is made from.
    for (const auto &[option, out] : {std::pair{"--pdf", &pdf}, std::pair{"--csv", &csvOut}, std::pair{"--report", &report}})
        if (exporting && sameFile(*out, archivePath))
            return fail(2, QStringLiteral("%1 names the archive %2 (see --help)").arg(QLatin1String(option), shown(archivePath)));
    Archive archive;
    if (!archive.open(archivePath))
        return fail(1, archive.why());
    if (importing)
        return importCommand(archive, words);
    if (finding)
        return findCommand(archive, filter, csv);
    if (pushing)
        return pushCommand(archive, server);
    return exportCommand(archive, ids, pdf, csvOut, report, again);
}
