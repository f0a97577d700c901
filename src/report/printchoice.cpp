#include "report/printchoice.h"

#include "store/record.h"

#include <algorithm>

namespace vextrum {

QList<int> memoriesToPrint(PrintChoice choice, const QList<int> &captured, const QList<int> &selected,
                           const QList<int> &inBrowser)
{
    QList<int> chosen;
    if (choice == PrintChoice::Selected)
        chosen = selected;
    else if (choice == PrintChoice::Browser)
        chosen = inBrowser;
    else if (choice == PrintChoice::All)
        chosen = captured;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    chosen.erase(std::remove_if(chosen.begin(), chosen.end(), [](int s) { return s < 0 || s >= kMemoryCount; }),
                 chosen.end());
    return chosen;
}

} // namespace vextrum
