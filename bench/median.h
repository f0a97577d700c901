#pragma once
// The median time of a piece of work run several times, in milliseconds:
// the figure the benchmarks print, steadier on a shared machine than a mean.

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

template <typename F> double medianMs(int runs, F f)
{
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
