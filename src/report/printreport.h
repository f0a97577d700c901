#pragma once
// The report routine and the printer: one page for what the main window
// shows, sent as one print job to the current printer, and the platform's
// printer set-up dialog that chooses that printer.

#include "report/letterhead.h"
#include "report/reportpage.h"

class QImage;
class QPainter;
class QPrinter;
class QWidget;
namespace vextrum {
class PrintSettings;
}

// What became of one report.
struct ReportResult
{
    bool printed = false; // the job reached the printer
    int failures = 0;     // operations that failed
};

// "The Report can't be printed.": shown once for a run with any failure.
QString reportFailureMessage();

// Where the reports of one print run go. On a printer whose output is a
// PDF file, every report of the run becomes a page of that one file, in
// order, and the file is written when the run ends; on a real printer each
// report is a print job of its own.
class ReportJob
{
public:
    explicit ReportJob(QPrinter &printer);
    ~ReportJob();
    ReportJob(const ReportJob &) = delete;
    ReportJob &operator=(const ReportJob &) = delete;

    bool toFile() const { return toFile_; }
    QString fileName() const;
    int pages() const { return pages_; } // reports that reached the page

    // Used by print_report for each report of the run.
    void beginReport();
    bool place(const QImage &picture, int xTwips, int yTwips);
    bool endPage() const;
    bool endReport();
    // Ends the run: the PDF file is closed. False when it could not be
    // written whole; true for a real printer and for a run without pages.
    bool finish();

private:
    QPrinter &printer_;
    QPainter *painter_;
    bool toFile_;
    bool pageOpen_ = false;
    bool pageOk_ = false;
    int pages_ = 0;
    vextrum::LetterheadArt letterhead_; // read and decoded once for the whole run
};

// Composes the page from the inputs, passes it through the temporary
// bitmaps gtp101.bmp to gtp104.bmp in the working directory and prints it
// on the current printer: as a job of its own, or as the next page of
// `job`. `window` (the main window) keeps the composition canvases. A
// failing operation is counted and the routine goes on with the next; a
// report of its own (no `job`) with any failure shows "The Report can't
// be printed." once, a report of a run leaves that to the run.
ReportResult print_report(const vextrum::ReportInputs &in, QWidget &window, vextrum::PrintSettings &print,
                          ReportJob *job = nullptr);
