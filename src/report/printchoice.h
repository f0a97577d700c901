#pragma once
// Which memories a print run or an export covers.

#include <QList>

namespace vextrum {

enum class PrintChoice {
    None,     // no option chosen: nothing is printed
    Single,   // the memory on screen, as it is shown
    Selected, // every selected list entry
    All,      // every captured memory
    Browser,  // every memory selected in the Memory Browser
};

// The store slots a run prints one after the other, in list order (which
// is ascending memory number), from the slots holding captured memories
// and the slots whose list entries are selected. Single and None give
// none: Single prints the screen as it stands without showing a stored
// memory.
QList<int> memoriesToPrint(PrintChoice choice, const QList<int> &captured, const QList<int> &selected,
                           const QList<int> &inBrowser = {});

} // namespace vextrum
