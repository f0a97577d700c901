#pragma once
// File, "Export PDF...", "Export CSV...", "Export Picture..." and
// "Report Letterhead...": the choice of memories, the file chooser, the
// export and what the user is told. The exports themselves are in
// report/export.h.

struct Module1;
class frmmain;
class QWidget;

void mnuexportpdf_Click(Module1 &m, frmmain &main);
void mnuexportcsv_Click(Module1 &m, frmmain &main);
void mnuexportpic_Click(Module1 &m, frmmain &main);
// The letterhead window; an open one is brought to the front.
QWidget *mnuletterhead_Click(Module1 &m, frmmain &main);
