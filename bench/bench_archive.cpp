// What the archive costs:
//   1. a memory filed from the instrument: Archive::keepFiled of distinct
//      memories (each its own transaction, WAL, full sync) against the
//      floor of writing the memory's 1101 bytes to a file and syncing it,
//      taken in turns in the same run (default 200 of each);
//   2. vextrum-archive import of full data files, 200 captured memories
//      each (default 1000 files), through the tool's own import loop, and
//      the archive's size per memory;
//   3. find --text over a large archive (default 1 000 000 memories, built
//      1000 to a transaction): a word ten memories hold and a word all of
//      them hold, the first 200 rows of each;
//   4. the Archive window's first screen at that size: the model's search
//      with nothing filled in and its first 256 rows.
// The archives are made in a temporary folder under TMPDIR (or /tmp); the
// figures are those of that disk. Build in Release for figures.
// Usage: bench_archive [filed memories] [import files] [archive memories]
//   (0 leaves that part out)
#include "archive/archivemodel.h"
#include "archiveimport.h"
#include "files/datafile.h"
#include "simkit/replybuilder.h"
#include "store/fields.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace vextrum;

namespace {

double median(std::vector<double> v)
{
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-44s median %9.3f ms   min %9.3f ms   (%zu runs)\n", what, median(ms),
                *std::min_element(ms.begin(), ms.end()), ms.size());
}

// Every sample memory in every setup, made once: 1200 records to build
// distinct memories from by their notes.
const QList<Record> &baseRecords()
{
    static const QList<Record> records = [] {
        QList<Record> r;
        for (int v = 0; v < kSampleVariants; ++v)
            for (int n = 1; n <= kMemoryCount; ++n)
                r << sampleRecord(n, v);
        return r;
    }();
    return records;
}

QString note(const Record &record, int i)
{
    return noteText(record, pos::NotesFirst + i * pos::NoteLength).trimmed();
}

// Memory `n` (1..200) of a run of memories, `serial` making it unlike any
// other; `remark` replaces the sample's fourth note when given.
Record distinctMemory(int n, qint64 serial, const QString &third, const QString &remark = QString())
{
    Record r = baseRecords()[int((serial / kMemoryCount) % kSampleVariants) * kMemoryCount + n - 1];
    saveNotes(r, {note(r, 0), QStringLiteral("BATCH %1").arg(serial), third, remark.isEmpty() ? note(r, 3) : remark});
    return r;
}

qint64 archiveBytes(Archive &archive)
{
    // The write-ahead log folded in first: what the archive keeps, not
    // what is waiting to be folded.
    QSqlQuery(archive.database()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return QFileInfo(archive.path()).size() + QFileInfo(archive.path() + QStringLiteral("-wal")).size();
}

bool openArchive(Archive &archive, const QString &path)
{
    if (archive.open(path))
        return true;
    std::fprintf(stderr, "bench_archive: %s\n", qPrintable(archive.why()));
    return false;
}

bool filing(const QDir &dir, int count)
{
    Archive archive;
    if (!openArchive(archive, dir.filePath(QStringLiteral("filed.sqlite"))))
        return false;
    std::vector<double> keptMs, fileMs;
    QElapsedTimer t;
    for (int i = 0; i < count; ++i) {
        const Record record = distinctMemory(1 + i % kMemoryCount, i, QStringLiteral("FILED"));
        t.start();
        archive.keepFiled(record);
        keptMs.push_back(t.nsecsElapsed() / 1e6);
        if (!archive.isArchiving()) {
            std::fprintf(stderr, "bench_archive: %s\n", qPrintable(archive.why()));
            return false;
        }

        const QByteArray bytes = recordBytes(record);
        QFile f(dir.filePath(QStringLiteral("mem%1.bin").arg(i)));
        t.start();
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush() || ::fsync(f.handle()) != 0) {
            std::fprintf(stderr, "bench_archive: %s cannot be written\n", qPrintable(f.fileName()));
            return false;
        }
        f.close();
        fileMs.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("1. filing one memory (%d distinct memories, in turns)\n", count);
    report("Archive::keepFiled", keptMs);
    report("write + fsync of its 1101 bytes", fileMs);
    std::printf("%-44s %.2f\n", "ratio of the medians", median(keptMs) / median(fileMs));
    return true;
}

bool importing(const QDir &dir, int files)
{
    const QString folder = dir.filePath(QStringLiteral("files"));
    QDir().mkpath(folder);
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    QElapsedTimer t;
    t.start();
    for (int f = 0; f < files; ++f) {
        for (int n = 1; n <= kMemoryCount; ++n)
            (*store)[size_t(n - 1)] = distinctMemory(n, qint64(f) * kMemoryCount + n - 1, QStringLiteral("FILE %1").arg(f));
        QString error;
        if (!writeDataFile(QDir(folder).filePath(QStringLiteral("site%1.dat").arg(f, 4, 10, QLatin1Char('0'))), *store,
                           &error)) {
            std::fprintf(stderr, "bench_archive: %s\n", qPrintable(error));
            return false;
        }
    }
    std::printf("\n2. import of %d data files of %d captured memories, %lld bytes each (written in %.2f s)\n", files,
                kMemoryCount, static_cast<long long>(kDataFileSize), t.nsecsElapsed() / 1e9);

    Archive archive;
    if (!openArchive(archive, dir.filePath(QStringLiteral("imported.sqlite"))))
        return false;
    ImportCount count;
    t.start();
    const bool written = importFiles(archive, filesToImport({folder}), &count);
    const double s = t.nsecsElapsed() / 1e9;
    if (!written || count.added != qint64(files) * kMemoryCount) {
        std::fprintf(stderr, "bench_archive: import: %s (%lld new)\n", qPrintable(archive.why()),
                     static_cast<long long>(count.added));
        return false;
    }
    const qint64 bytes = archiveBytes(archive);
    std::printf("%s files, %s memories, %s new in %.1f s: %.1f files/s, %.0f memories/s\n",
                qPrintable(groupedNumber(count.files)), qPrintable(groupedNumber(count.memories)),
                qPrintable(groupedNumber(count.added)), s, count.files / s, count.memories / s);
    std::printf("archive %.1f MB: %.0f bytes per memory\n", bytes / 1e6, double(bytes) / double(count.added));
    QDir(folder).removeRecursively();
    return true;
}

bool searching(const QDir &dir, qint64 memories)
{
    Archive archive;
    if (!openArchive(archive, dir.filePath(QStringLiteral("large.sqlite"))))
        return false;
    // One memory in a tenth of the whole holds the rare word: ten in all.
    const qint64 rareEvery = std::max<qint64>(1, memories / 10);
    constexpr int kBatch = 1000;
    QList<Record> batch;
    batch.reserve(kBatch);
    qint64 added = 0;
    QElapsedTimer t;
    t.start();
    for (qint64 i = 0; i < memories;) {
        batch.clear();
        for (; i < memories && batch.size() < kBatch; ++i)
            batch << distinctMemory(int(1 + i % kMemoryCount), i, QStringLiteral("HULL SECTION %1").arg(i % 97),
                                    i % rareEvery == rareEvery / 2 ? QStringLiteral("ZIRCON INCLUSION") : QString());
        const std::optional<ImportTally> tally = archive.keepFile(batch, QString(), QDateTime());
        if (!tally) {
            std::fprintf(stderr, "bench_archive: %s\n", qPrintable(archive.why()));
            return false;
        }
        added += tally->added;
    }
    const double s = t.nsecsElapsed() / 1e9;
    const qint64 bytes = archiveBytes(archive);
    std::printf("\n3. find --text over %s memories (built %d to a transaction in %.1f s: %.0f memories/s;"
                " %.1f MB, %.0f bytes per memory)\n",
                qPrintable(groupedNumber(added)), kBatch, s, added / s, bytes / 1e6, double(bytes) / double(added));

    constexpr int kRuns = 5, kRows = 200;
    for (const auto &[word, what] : {std::pair{"zircon", "rare word (10 hold it), first 200 rows"},
                                     std::pair{"hull", "common word (all hold it), first 200 rows"}}) {
        std::vector<double> ms;
        int rows = 0;
        for (int run = 0; run < kRuns; ++run) {
            ArchiveFilter filter;
            filter.text = QString::fromLatin1(word);
            QVariantList binds;
            t.start();
            QSqlQuery q(archive.database());
            q.setForwardOnly(true);
            q.prepare(archive.findSql(filter, &binds));
            for (const QVariant &v : binds)
                q.addBindValue(v);
            q.exec();
            rows = 0;
            while (rows < kRows && q.next()) {
                for (int c = 0; c < kArchiveColumnCount; ++c)
                    (void)q.value(c);
                ++rows;
            }
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        char label[96];
        std::snprintf(label, sizeof label, "%s: %d rows", what, rows);
        report(label, ms);
    }

    std::printf("\n4. the Archive window's first screen over %s memories\n", qPrintable(groupedNumber(added)));
    std::vector<double> ms;
    int rows = 0;
    for (int run = 0; run < kRuns; ++run) {
        ArchiveModel model(archive);
        t.start();
        model.search(ArchiveFilter{});
        while (model.rowCount() < 256 && model.canFetchMore())
            model.fetchMore();
        rows = std::min(256, model.rowCount());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kArchiveColumnCount; ++c)
                (void)model.data(model.index(r, c));
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    char label[96];
    std::snprintf(label, sizeof label, "ArchiveModel::search, %d rows shown", rows);
    report(label, ms);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as it comes, into a file too
    const int filed = argc > 1 ? std::atoi(argv[1]) : 200;
    const int files = argc > 2 ? std::atoi(argv[2]) : 1000;
    const qint64 memories = argc > 3 ? std::atoll(argv[3]) : 1000000;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_archive: no temporary folder\n");
        return 1;
    }
    std::printf("archives in %s\n\n", qPrintable(dir.path()));
    const QDir d(dir.path());
    if (filed > 0 && !filing(d, filed))
        return 1;
    if (files > 0 && !importing(d, files))
        return 1;
    if (memories > 0 && !searching(d, memories))
        return 1;
    return 0;
}
