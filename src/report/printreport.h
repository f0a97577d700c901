#pragma once
// The report routine and the printer: one page for what the main window
// shows, sent as one print job to the current printer, and the platform's
// printer set-up dialog that chooses that printer.

#include "store/module1.h"

class QPrinter;
class QWidget;
namespace vextrum {
class ReportHost;
}

// What became of one report. Every failure has already been shown to the
// user; callers may ignore the result.
struct ReportResult
{
    bool printed = false; // the job reached the printer
    int failures = 0;     // operations that failed, one message each
};

// Composes the page from the main window's picture, panel and notes,
// passes it through the temporary bitmaps gtp101.bmp to gtp104.bmp in the
// working directory and prints it. Each failing operation shows
// "The Report can't be printed." and the routine goes on with the next.
ReportResult print_report(Module1 &m, vextrum::ReportHost &main);

// The current printer; a default one is made on first use.
QPrinter &currentPrinter(Module1 &m);

// The platform's printer selection and set-up dialog on the current
// printer, modal. Accepting makes the choice the one later reports go to
// (a PDF file included); cancelling changes nothing.
void printerSetup(Module1 &m, QWidget *parent);
