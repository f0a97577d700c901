// The A-scan pictures of all 200 memories at 1x as PNG files into a fresh
// folder, as `vextrum-export --png` writes them (median of 7 runs), against
// the floor of the same run: drawing the 200 pictures and putting the
// bytes of this run's files into 200 files, each beside its target and
// renamed into place, made durable with one sync at the end. Every file
// is checked afterwards to hold the picture's pixels.
#include "filesync.h"
#include "report/export.h"
#include "simkit/replybuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace vextrum;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString fileOf(const QString &folder, int memory)
{
    return QDir(folder).filePath(QStringLiteral("mem%1.png").arg(memory, 3, 10, QLatin1Char('0')));
}

bool writeBatch(const QString &folder, const QList<ExportMemory> &memories)
{
    QList<PictureFile> files;
    for (const ExportMemory &m : memories)
        files.append({fileOf(folder, m.number), m.record});
    return exportPngs(files, 1, fileSystemFlush(folder), nullptr);
}

bool writeFloor(const QString &folder, const QList<ExportMemory> &memories, const std::vector<QByteArray> &bytes)
{
    size_t k = 0;
    for (const ExportMemory &m : memories) {
        const QImage picture = ascanPicture(m.record, 1);
        if (picture.isNull())
            return false;
        const QByteArray target = fileOf(folder, m.number).toLocal8Bit();
        const QByteArray tmp = target + ".tmp";
        const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray &b = bytes[k++];
        const bool ok = fd >= 0 && ::write(fd, b.constData(), size_t(b.size())) == b.size();
        if (fd < 0 || ::close(fd) != 0 || !ok || ::rename(tmp.constData(), target.constData()) != 0)
            return false;
    }
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const bool synced = dirFd >= 0 && ::syncfs(dirFd) == 0;
    if (dirFd >= 0)
        ::close(dirFd);
    return synced;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QList<ExportMemory> memories;
    for (int n = 1; n <= kMemoryCount; ++n)
        memories.append({n, sampleMemory(n)});

    QTemporaryDir dir;
    std::vector<double> batchMs, floorMs;
    std::vector<QByteArray> bytes;
    qint64 total = 0;
    for (int run = 0; run < 7; ++run) {
        const QString folder = dir.filePath(QStringLiteral("run%1").arg(run));
        const QString floorFolder = dir.filePath(QStringLiteral("floor%1").arg(run));
        QDir().mkpath(folder);
        QDir().mkpath(floorFolder);
        QElapsedTimer t;
        t.start();
        if (!writeBatch(folder, memories)) {
            std::fprintf(stderr, "bench_png: the pictures could not be written\n");
            return 1;
        }
        batchMs.push_back(t.nsecsElapsed() / 1e6);
        if (bytes.empty()) {
            for (const ExportMemory &m : memories) {
                QFile f(fileOf(folder, m.number));
                if (!f.open(QIODevice::ReadOnly))
                    return 1;
                bytes.push_back(f.readAll());
                total += bytes.back().size();
                if (QImage::fromData(bytes.back()).convertToFormat(QImage::Format_RGB32)
                    != ascanPicture(m.record, 1).convertToFormat(QImage::Format_RGB32)) {
                    std::fprintf(stderr, "bench_png: mem%03d.png does not hold the picture's pixels\n", m.number);
                    return 1;
                }
            }
        }
        t.start();
        if (!writeFloor(floorFolder, memories, bytes)) {
            std::fprintf(stderr, "bench_png: the floor's files could not be written\n");
            return 1;
        }
        floorMs.push_back(t.nsecsElapsed() / 1e6);
        QDir(folder).removeRecursively();
        QDir(floorFolder).removeRecursively();
    }
    std::printf("200 pictures at 1x to PNG files: median %.1f ms over 7 runs, %.1f KiB a picture\n",
                median(batchMs), total / 1024.0 / kMemoryCount);
    std::printf("floor: drawing them and writing those bytes, one sync: %.1f ms: %.2fx\n", median(floorMs),
                median(batchMs) / median(floorMs));
    return 0;
}
