#pragma once
// The instrument's built-in trace, shown before the first capture.

#include "store/record.h"

namespace vextrum {

// Writes the trace into positions 1 to 260 of the record: an initial
// pulse saturating at 100, then six echoes of falling height, zero
// elsewhere. Other positions are left as they are.
void loadDemoTrace(Record &record);

} // namespace vextrum
