#include "display/demotrace.h"

#include <array>
#include <initializer_list>

namespace vextrum {

namespace {

struct DemoRun
{
    int first;
    std::initializer_list<int> values;
};

const std::array<DemoRun, 7> kDemoTrace = {{
    {10, {10, 32, 59, 100, 100, 100, 100, 100, 100, 100, 80, 58, 32, 12, 0}},
    {50, {6, 46, 57, 59, 75, 72, 67, 56, 32, 13, 2}},
    {90, {3, 31, 45, 65, 60, 52, 47, 32, 21, 3}},
    {130, {5, 27, 39, 57, 50, 42, 35, 22, 14}},
    {170, {3, 23, 31, 48, 41, 35, 25, 13, 7}},
    {210, {2, 20, 27, 35, 29, 17, 7}},
    {245, {5, 13, 27, 22, 18, 7, 2}},
}};

} // namespace

void loadDemoTrace(Record &record)
{
    for (int p = 1; p <= 260; ++p)
        record[p] = 0;
    for (const DemoRun &run : kDemoTrace) {
        int p = run.first;
        for (int v : run.values)
            record[p++] = std::int16_t(v);
    }
}

} // namespace vextrum
