// Save and Open of a full data file against what the machine needs for the
// same bytes, in the same run: Save against writing the 880 000 bytes to a
// temporary file, fdatasync and rename over the target; Open against a plain
// read of the file. The runs alternate, so both see the same noise. Also the
// encoding and parsing alone. Build in Release for figures.
#include "files/datafile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace vextrum;

namespace {

constexpr int kRuns = 50;

double median(std::vector<double> ms)
{
    const auto mid = ms.begin() + std::ptrdiff_t(ms.size() / 2);
    std::nth_element(ms.begin(), mid, ms.end());
    return *mid;
}

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-28s median %7.3f ms   min %7.3f ms   (%d runs)\n", what, median(ms),
                *std::min_element(ms.begin(), ms.end()), kRuns);
}

// What any save of these bytes must do: write them beside the target, make
// them durable, put them in the target's place.
bool writeSyncRename(const QByteArray &tmp, const QByteArray &target, const QByteArray &bytes)
{
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    const bool ok = done == bytes.size() && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok && ::rename(tmp.constData(), target.constData()) == 0;
}

// What any open must do: read the file whole.
qsizetype plainRead(const QByteArray &path, std::vector<char> &buffer)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return -1;
    qsizetype total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data() + total, buffer.size() - size_t(total));
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString path = dir.filePath("bench.dat");
    const QByteArray floorPath = dir.filePath("floor.dat").toLocal8Bit();
    const QByteArray floorTmp = dir.filePath("floor.dat.tmp").toLocal8Bit();

    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    QRandomGenerator rng(7);
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            (*store)[s][i] = std::int16_t(rng.bounded(256));

    std::vector<double> encodeMs, writeMs, floorWriteMs, parseMs, readMs, floorReadMs;
    std::vector<char> buffer(size_t(kDataFileSize) + 1);
    QElapsedTimer timer;
    for (int run = 0; run < kRuns; ++run) {
        timer.start();
        const EncodeResult enc = encodeStore(*store);
        encodeMs.push_back(timer.nsecsElapsed() / 1e6);
        if (enc.bytes.size() != kDataFileSize)
            return 1;

        QString error;
        timer.start();
        if (!writeDataFile(path, *store, &error)) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(error));
            return 1;
        }
        writeMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        if (!writeSyncRename(floorTmp, floorPath, enc.bytes)) {
            std::fprintf(stderr, "plain write failed\n");
            return 1;
        }
        floorWriteMs.push_back(timer.nsecsElapsed() / 1e6);

        auto back = std::make_unique<Store>();
        timer.start();
        const OpenResult parsed = parseDataFile(enc.bytes, *back);
        parseMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        const OpenResult read = readDataFile(path, *back);
        readMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        const qsizetype plain = plainRead(floorPath, buffer);
        floorReadMs.push_back(timer.nsecsElapsed() / 1e6);
        if (parsed.status != OpenResult::Ok || read.status != OpenResult::Ok || plain != kDataFileSize
            || !std::equal((*back)[199].begin(), (*back)[199].begin() + kFileValues, (*store)[199].begin())) {
            std::fprintf(stderr, "read back failed\n");
            return 1;
        }
    }
    report("encode (in memory)", encodeMs);
    report("encode + write file", writeMs);
    report("parse (in memory)", parseMs);
    report("read file + parse", readMs);
    report("floor: write+fdatasync+rename", floorWriteMs);
    report("floor: plain read", floorReadMs);
    std::printf("Save %.3f ms, floor %.3f ms: %.2fx\n", median(writeMs), median(floorWriteMs),
                median(writeMs) / median(floorWriteMs));
    std::printf("Open %.3f ms, floor %.3f ms: %.2fx\n", median(readMs), median(floorReadMs),
                median(readMs) / median(floorReadMs));
    return 0;
}
