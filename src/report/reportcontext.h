#pragma once
// What the print and export windows work from, handed to them by the main
// window: the memory store with the memory on screen, the memory list's
// selection, the A-scan picture as it is on screen and the printer chosen
// in PrintSetup. They never see the main window itself.

#include "report/printsettings.h"
#include "report/reportpage.h"

#include <QImage>
#include <QList>
#include <functional>

class QWidget;

namespace vextrum {

class MemoryStore;

struct ReportContext
{
    MemoryStore &store;
    PrintSettings &print;
    QWidget *window;                          // the main window: parent of messages
    std::function<QList<int>()> selected;     // slots of the selected list entries, ascending
    std::function<QImage()> screenPicture;    // the A-scan picture as on screen
    std::function<QList<int>()> inBrowser;    // slots selected in the Memory Browser, ascending; may be empty

    // Whether the Memory Browser has a selection to offer.
    bool browserHasSelection() const { return inBrowser && !inBrowser().isEmpty(); }

    // The memory on screen as shown: panel, readings, notes as typed, picture.
    ReportInputs screen() const;
};

} // namespace vextrum
