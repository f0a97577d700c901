#pragma once
// The choice of memories that the print options and the export options
// share: the window's size and bold caption font, the blue-captioned frame
// and its three option buttons, "Currently Displayed Ascan Report" chosen,
// and the memories a choice covers.

#include "report/printchoice.h"

class QGroupBox;
class QRadioButton;
class QString;
class QWidget;

namespace vextrum {

struct OptionFrame
{
    QGroupBox *frame = nullptr;
    QRadioButton *opsingle = nullptr;
    QRadioButton *opselect = nullptr;
    QRadioButton *opall = nullptr;
    QRadioButton *opbrowser = nullptr; // only when the browser has a selection

    PrintChoice choice() const;
    // A top in twips on the window for what stands below the frame: moved
    // down by the browser's option when there is one.
    int below(int top) const;
};

// Sizes `window` and sets its font, then builds the frame ("Frame1",
// captioned `title`) with the buttons "opsingle", "opselect" and "opall",
// and with `browser` a fourth, "opbrowser", under them: the window and the
// frame grow by its line.
OptionFrame buildOptionFrame(QWidget *window, const QString &title, bool browser = false);

struct ReportContext;
// The store slots `choice` covers, as memoriesToPrint gives them.
QList<int> memoriesChosen(PrintChoice choice, const ReportContext &context);

} // namespace vextrum
