#pragma once
// Data files into the archive, file by file: what `vextrum-archive import`
// does, shared with the archive benchmark so the figures are the tool's.

#include "archive/archive.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace vextrum {

// The files to read for `paths`: a folder gives every file under it, in
// name order (hidden files and linked folders left out, and a data file's
// job file beside it, which comes in with it); anything else is
// taken as named, so a missing name is reported as a file that cannot be
// opened.
QStringList filesToImport(const QStringList &paths);

struct ImportCount
{
    int files = 0;        // data files read (in whole or in part)
    qint64 memories = 0;  // captured memories in them
    qint64 added = 0;     // of them new to the archive
    int skipped = 0;      // files that are no data file or cannot be opened
};

struct ImportReport
{
    std::function<void(int done, int total)> progress; // after each file
    // A file left out, or read only in part; `reason` is one sentence.
    std::function<void(const QString &path, const QString &reason)> skipped;
    std::function<void(const QString &path, const QString &reason)> readInPart;
};

// Reads each file and keeps its captured memories with the file's path and
// time (and the job kept beside it), one transaction per file, so an
// interrupted import leaves only whole files in the archive. A file read in part gives what it captured,
// as File, Open does. False when the archive could not be written
// (archive.why() says why); `count` then holds the files before it.
bool importFiles(Archive &archive, const QStringList &files, ImportCount *count, const ImportReport &report = {});

// "5 230": thousands set apart by a space, whatever the locale.
QString groupedNumber(qint64 n);

} // namespace vextrum
