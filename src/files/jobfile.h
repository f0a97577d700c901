#pragma once
// The job details of a data file, kept in a small file of their own beside
// it ("day1.dat" has "day1.dat.job"), so the data file stays exactly as the
// instrument's format has it. Written whole or not at all.

#include "store/job.h"

#include <QString>
#include <optional>

namespace vextrum {

QString jobFilePath(const QString &dataFile);

// The job beside `dataFile`: an empty job when there is no job file;
// nullopt with the reason when there is one that cannot be read (not a
// regular file, over 1 MB, no job details in it).
std::optional<Job> readJobFile(const QString &dataFile, QString *why = nullptr);
// Writes the job beside `dataFile`; an empty job takes away a job file
// of an earlier save, so the two files belong together (one this program
// cannot read is left alone). False with the
// reason when it cannot be written.
bool writeJobFile(const QString &dataFile, const Job &job, QString *error = nullptr);

// Takes away the job file beside `dataFile` that this program can read;
// true when none is left there that could be taken for it.
bool removeJobFile(const QString &dataFile);

} // namespace vextrum
