#include "files/jobfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vextrum {

namespace {
constexpr qint64 kMaxJobFileBytes = 1024 * 1024; // a job is a few kilobytes
}

QString jobFilePath(const QString &dataFile)
{
    return dataFile + QStringLiteral(".job");
}

std::optional<Job> readJobFile(const QString &dataFile, QString *why)
{
    const QString path = jobFilePath(dataFile);
    const QFileInfo info(path);
    auto refuse = [why, &path](const QString &reason) -> std::optional<Job> {
        if (why)
            *why = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return std::nullopt;
    };
    if (!info.exists())
        return Job();
    // A pipe or a device could block or never end.
    if (!info.isFile())
        return refuse(QStringLiteral("it is not a regular file"));
    if (info.size() > kMaxJobFileBytes)
        return refuse(QStringLiteral("it is too large to hold job details"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    QString reason;
    std::optional<Job> job = jobFromJson(file.read(kMaxJobFileBytes), &reason);
    return job ? job : refuse(reason);
}

bool writeJobFile(const QString &dataFile, const Job &job, QString *error)
{
    const QString path = jobFilePath(dataFile);
    auto failed = [error, &path](const QString &reason) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (job.isEmpty())
        return removeJobFile(dataFile) || failed(QStringLiteral("the job file of an earlier save cannot be removed"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const QByteArray bytes = jobJson(job);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return failed(file.errorString());
    }
    return file.commit() || failed(file.errorString());
}

bool removeJobFile(const QString &dataFile)
{
    // A job file this program cannot read (a newer program's, say) is left
    // alone: it is nobody's to throw away, and no Open takes it for a job.
    const std::optional<Job> earlier = readJobFile(dataFile);
    return !earlier || earlier->isEmpty() || QFile::remove(jobFilePath(dataFile));
}

} // namespace vextrum
