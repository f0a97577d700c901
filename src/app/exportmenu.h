#pragma once
// File, "Export PDF...", "Export CSV..." and "Export Picture...": the
// choice of memories, the file chooser, the export and what the user is
// told (in `window`'s status bar, or a message). The exports themselves
// are in report/export.h.

#include "report/export.h"
#include "store/job.h"

class QMainWindow;
class QWidget;
namespace vextrum {
class Archive;
class PrintSettings;
struct ReportContext;
}

void mnuexportpdf_Click(const vextrum::ReportContext &context, QMainWindow &window);
void mnuexportcsv_Click(const vextrum::ReportContext &context, QMainWindow &window);
// File, "Export Inspection Report...": the memories chosen as for
// printing, with the store's job, to a PDF the user names; the report is
// recorded in `archive`. A report number already used asks first.
void mnuexportreport_Click(const vextrum::ReportContext &context, QMainWindow &window, vextrum::Archive &archive);
void mnuexportpic_Click(const vextrum::ReportContext &context, QMainWindow &window);

// The memories given, to a PDF (on the page of the printer chosen in
// PrintSetup) or a CSV file the user names. Returns what to tell the user;
// empty when the user cancelled or a failure was shown.
QString exportPdfOf(const QList<vextrum::ExportMemory> &memories, vextrum::PrintSettings &print,
                    QWidget *parent);
// The same for any memories and job (the Archive window's selection).
QString exportReportOf(const QList<vextrum::ExportMemory> &memories, const vextrum::Job &job,
                       vextrum::Archive &archive, QWidget *parent);
QString exportCsvOf(const QList<vextrum::ExportMemory> &memories, QWidget *parent);
