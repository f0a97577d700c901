#pragma once
// File, "Export PDF...", "Export CSV..." and "Export Picture...": the
// choice of memories, the file chooser, the export and what the user is
// told (in `window`'s status bar, or a message). The exports themselves
// are in report/export.h.

class QMainWindow;
namespace vextrum {
struct ReportContext;
}

void mnuexportpdf_Click(const vextrum::ReportContext &context, QMainWindow &window);
void mnuexportcsv_Click(const vextrum::ReportContext &context, QMainWindow &window);
void mnuexportpic_Click(const vextrum::ReportContext &context, QMainWindow &window);
