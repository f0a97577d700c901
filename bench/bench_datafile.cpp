// Times Save and Open of a full data file: encoding plus writing, and
// reading plus parsing, 50 runs each. Build in Release for figures.
#include "files/datafile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace vextrum;

namespace {

constexpr int kRuns = 50;

void report(const char *what, std::vector<double> ms)
{
    const auto mid = ms.begin() + std::ptrdiff_t(ms.size() / 2);
    std::nth_element(ms.begin(), mid, ms.end());
    const double median = *mid;
    const double least = *std::min_element(ms.begin(), ms.end());
    std::printf("%-28s median %7.3f ms   min %7.3f ms   (%d runs)\n", what, median, least, kRuns);
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

    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    QRandomGenerator rng(7);
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            (*store)[s][i] = std::int16_t(rng.bounded(256));

    std::vector<double> encodeMs, writeMs, parseMs, readMs;
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

        auto back = std::make_unique<Store>();
        timer.start();
        const OpenResult parsed = parseDataFile(enc.bytes, *back);
        parseMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        const OpenResult read = readDataFile(path, *back);
        readMs.push_back(timer.nsecsElapsed() / 1e6);
        if (parsed.status != OpenResult::Ok || read.status != OpenResult::Ok
            || !std::equal((*back)[199].begin(), (*back)[199].begin() + kFileValues, (*store)[199].begin())) {
            std::fprintf(stderr, "read back failed\n");
            return 1;
        }
    }
    report("encode (in memory)", encodeMs);
    report("encode + write file", writeMs);
    report("parse (in memory)", parseMs);
    report("read file + parse", readMs);
    return 0;
}
