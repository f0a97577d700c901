#include "link/unpack.h"

namespace vextrum {

namespace {

// The runs must stay inside the menu block and the record's setup, DAC
// and note area, in ascending order without overlap.
constexpr bool runsAreOrdered()
{
    int nextRecord = pos::SetupFirst;
    int nextOffset = 0;
    for (const UnpackRun &run : kUnpackRuns) {
        if (run.count <= 0 || run.recordFirst < nextRecord || run.blockOffset < nextOffset)
            return false;
        nextRecord = run.recordFirst + run.count;
        nextOffset = run.blockOffset + run.count;
    }
    return nextRecord == pos::NotesLast + 1 && nextOffset <= kMenuBlockLength;
}
static_assert(runsAreOrdered(), "menu block runs out of order or out of range");

} // namespace

const std::array<UnpackRun, 62> &unpackRuns()
{
    return kUnpackRuns;
}

void unpackReply(const RxBuffer &buffer, Record &record)
{
    for (int p = pos::AscanFirst; p <= pos::AscanLast; ++p)
        record[p] = buffer[p + 1];
    for (const UnpackRun &run : kUnpackRuns) {
        for (int i = 0; i < run.count; ++i)
            record[run.recordFirst + i] = buffer[kMenuBufferFirst + run.blockOffset + i];
    }
    for (const FixedValue &fixed : kFixedValues)
        record[fixed.recordPosition] = fixed.value;
}

} // namespace vextrum
