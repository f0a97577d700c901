#pragma once
// "Archive": every memory the archive keeps, newest first, found by the
// words of its notes and probe, the day it was taken, its memory number
// and the station it arrived on. A memory can be shown (in the main window
// and the A-scan Viewer, with its notes saved back into the archive), put
// into its slot, exported, printed, and its note versions read.

#include "app/viewwindow.h"
#include "report/reportcontext.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QTimer;

namespace vextrum {
class Archive;
class ArchiveModel;
struct ArchiveFilter;
struct ExportMemory;
} // namespace vextrum

class frmarchive : public ViewWindow
{
    Q_OBJECT
public:
    frmarchive(vextrum::Archive &archive, const vextrum::ReportContext &context, QWidget *parent = nullptr);

    QTableView *table() const { return table_; }
    vextrum::ArchiveModel *model() const { return model_; }
    // Runs the search with the filter as set now (typing waits a moment).
    void search();
    // The selected rows' memories, in the table's order.
    QList<qint64> selectedIds() const;

    void showSelected();
    void showMemory(qint64 id);
    void putIntoSlots();
    void showNoteHistory();
    void exportPdf();
    void exportCsv();
    void printSelected();

signals:
    // A memory was put on screen: the A-scan Viewer shows it too.
    void memoryShown();
    void status(const QString &text);

private:
    vextrum::ArchiveFilter filter() const;
    QList<vextrum::ExportMemory> selectedMemories() const;
    void showState();
    void chooseArchive();

    vextrum::Archive &archive_;
    vextrum::ReportContext context_;
    vextrum::ArchiveModel *model_;
    QLabel *file_;
    QLineEdit *find_;
    QCheckBox *useSince_, *useUntil_;
    QDateEdit *since_, *until_;
    QSpinBox *memory_;
    QComboBox *station_;
    QTableView *table_;
    QLabel *result_;
    QTimer *typing_;
};
