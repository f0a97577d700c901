#pragma once
// Which memories a print run covers.

#include <QList>
#include <QStringList>

namespace vextrum {

enum class PrintChoice {
    None,     // no option chosen: nothing is printed
    Single,   // the memory on screen, as it is shown
    Selected, // every selected list entry
    All,      // every entry marked captured ("Mem n *" exactly)
};

// The store slots a run prints one after the other, in list order (which
// is ascending memory number). Single and None give none: Single prints
// the screen as it stands without showing a stored memory. `selected`
// holds the entries' selection marks; missing marks count as unselected.
QList<int> memoriesToPrint(PrintChoice choice, const QStringList &entries, const QList<bool> &selected);

} // namespace vextrum
