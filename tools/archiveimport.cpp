#include "archiveimport.h"

#include "files/datafile.h"
#include "files/jobfile.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>
#include <memory>

namespace vextrum {

QStringList filesToImport(const QStringList &paths)
{
    QStringList files;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        QStringList found;
        QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        std::sort(found.begin(), found.end());
        // A data file's job file comes in with it, not as a file of its own.
        for (const QString &f : std::as_const(found))
            if (!f.endsWith(QLatin1String(".job")) || !found.contains(f.chopped(4)))
                files << f;
    }
    return files;
}

namespace {

// OpenResult's message as a clause after the path: no capital, no stop.
QString reasonOf(const OpenResult &read)
{
    QString text = read.message();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

} // namespace

bool importFiles(Archive &archive, const QStringList &files, ImportCount *count, const ImportReport &report)
{
    auto store = std::make_unique<Store>(); // 440 kB: one for the whole run
    initialiseStore(*store);
    QList<Record> captured;
    captured.reserve(kMemoryCount);
    for (int i = 0; i < files.size(); ++i) {
        const QString &path = files[i];
        const OpenResult read = readDataFile(path, *store);
        if (read.status == OpenResult::CannotOpen || read.notADataFile()) {
            ++count->skipped;
            if (report.skipped)
                report.skipped(path, reasonOf(read));
        } else {
            if (read.status != OpenResult::Ok && report.readInPart)
                report.readInPart(path, reasonOf(read));
            captured.clear();
            for (int s = 0; s < kMemoryCount; ++s)
                if (read.captured[std::size_t(s)])
                    captured << (*store)[std::size_t(s)];
            // A file without a captured memory has nothing to keep: no
            // transaction, no wait for the disk.
            if (!captured.isEmpty()) {
                const std::optional<ImportTally> tally
                    = archive.keepFile(captured, path, QFileInfo(path).lastModified());
                if (!tally)
                    return false;
                count->memories += tally->memories;
                count->added += tally->added;
                // The job kept beside it goes with its memories.
                if (const std::optional<Job> job = readJobFile(path); job && !job->isEmpty())
                    archive.keepJob(*job, captured);
            }
            ++count->files;
        }
        if (report.progress)
            report.progress(i + 1, int(files.size()));
    }
    return true;
}

QString groupedNumber(qint64 n)
{
    QString text = QString::number(n);
    const qsizetype first = n < 0 ? 1 : 0; // after the sign
    for (qsizetype at = text.size() - 3; at > first; at -= 3)
        text.insert(at, QLatin1Char(' '));
    return text;
}

} // namespace vextrum
