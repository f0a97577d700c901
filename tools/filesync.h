#pragma once
// Making a batch of files durable at once, where the system can.

#include <QString>
#include <functional>

namespace vextrum {

// A call that makes everything written to the file system holding `folder`
// durable in one go (syncfs on Linux), for exportPngs; empty where there is
// no such call, so each file is synced on its own.
std::function<bool()> fileSystemFlush(const QString &folder);

} // namespace vextrum
