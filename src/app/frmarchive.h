#pragma once
// "Archive": every memory the archive keeps, newest first, found by the
// words of its notes and probe, the day it was taken, its memory number
// and the station it arrived on. A memory can be shown (in the main window
// and the A-scan Viewer, with its notes saved back into the archive), put
// into its slot, exported, printed, and its note versions read.

#include "app/viewwindow.h"
#include "report/reportcontext.h"

#include <QList>
#include <functional>

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
class ArchiveRows;
class ServerSync;
struct ArchiveFilter;
struct ExportMemory;
} // namespace vextrum

class frmarchive : public ViewWindow
{
    Q_OBJECT
public:
    // `sync`, when given, is the team's server: searched while reachable.
    frmarchive(vextrum::Archive &archive, vextrum::ServerSync *sync, const vextrum::ReportContext &context,
               QWidget *parent = nullptr);

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
    // "Reports...": every inspection report exported, newest first.
    void showReports();
    void exportPdf();
    void exportCsv();
    void printSelected();

signals:
    // A memory was put on screen: the A-scan Viewer shows it too.
    void memoryShown();
    void status(const QString &text);

private:
    vextrum::ArchiveFilter filter() const;
    qint64 idAt(int row) const;
    // The memories `ids` from where the table's rows come, handed to `act`
    // (at once from this PC, when the server answers from there).
    void withMemories(const QList<qint64> &ids, std::function<void(const QList<vextrum::ExportMemory> &)> act);
    void putIntoSlots(const QList<vextrum::ExportMemory> &found);
    void exportPdf(const QList<vextrum::ExportMemory> &memories);
    void exportCsv(const QList<vextrum::ExportMemory> &memories);
    void print(const QList<vextrum::ExportMemory> &memories);
    void showHistory(const QString &text);
    void showSource();
    void showState();
    void chooseArchive();

    vextrum::Archive &archive_;
    vextrum::ServerSync *sync_;
    vextrum::ReportContext context_;
    vextrum::ArchiveModel *model_;
    vextrum::ArchiveRows *team_;
    QLabel *source_;
    bool onServer_ = false; // the rows shown are the server's
    int questions_ = 0;     // searches sent to the server
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
