#pragma once
// A store whose 200 slots all hold the simulator's sample memories, and
// those memories in slot order as the exports take them: what the export
// benchmarks work on.
#include "report/export.h"
#include "simkit/replybuilder.h"

#include <memory>

inline QList<vextrum::ExportMemory> fillWithSampleMemories(vextrum::Store &store)
{
    vextrum::initialiseStore(store);
    QList<int> all;
    for (int s = 0; s < vextrum::kMemoryCount; ++s) {
        store[size_t(s)] = vextrum::sampleMemory(s + 1);
        all << s;
    }
    return vextrum::storedMemories(store, all);
}
