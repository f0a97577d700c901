#include "report/printchoice.h"

#include "store/record.h"

namespace vextrum {

QList<int> memoriesToPrint(PrintChoice choice, const QStringList &entries, const QList<bool> &selected)
{
    QList<int> chosen;
    for (int i = 0; i < entries.size(); ++i) {
        const bool take = (choice == PrintChoice::Selected && i < selected.size() && selected[i])
                          || (choice == PrintChoice::All && isCapturedEntry(entries[i], i));
        if (take)
            chosen.append(i);
    }
    return chosen;
}

} // namespace vextrum
