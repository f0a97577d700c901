#pragma once
// The print option window: which memories get a report page, and the
// print run over them. Made when opened, destroyed when closed, so every
// opening starts with "Currently Displayed Ascan Report" chosen. Always
// made with new: it deletes itself when closed.

#include "report/optionframe.h"
#include "report/printreport.h"
#include "report/reportcontext.h"

#include <QPointer>
#include <QWidget>

class QPushButton;

class frmprintop : public QWidget
{
    Q_OBJECT
public:
    frmprintop(const vextrum::ReportContext &context, QWidget *parent = nullptr);

    // The print run of the chosen option, then the window closes. To a
    // PDF file the run's reports are the pages of one file.
    void cmdprint_Click();
    vextrum::PrintChoice choice() const;

signals:
    // After each report of a run: the slot printed (-1: the screen as it
    // was, for the current memory choice) and how the report went.
    void reportPrinted(int slot, const ReportResult &result);
    // The run is over: a line for the status bar.
    void runDone(const QString &status);

private:
    ReportResult report(ReportJob &job, int slot);

    vextrum::ReportContext context_;
    QPointer<QWidget> mainWindow_; // gone if the main window closed mid-run
    vextrum::OptionFrame options_;
    QPushButton *cmdprint_ = nullptr;
};
