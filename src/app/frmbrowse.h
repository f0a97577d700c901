#pragma once
// "Memory Browser": the 200 memories as a table that sorts by any column
// and filters by a typed text; a double-click or Enter shows the memory
// as the memory list's double-click does. It follows the store as
// memories are captured, opened and given notes.

#include "app/viewwindow.h"

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace vextrum {
class MemoryStore;
class MemoryTable;
} // namespace vextrum

class frmbrowse : public ViewWindow
{
    Q_OBJECT
public:
    frmbrowse(vextrum::MemoryStore &store, QWidget *parent = nullptr);

    QTableView *table() const { return table_; }
    // Reads the 200 memories and which are captured again.
    void refresh();
    // Shows the memory of a row of the table as it is sorted and filtered.
    void showRow(int row);
    // The slots of the selected rows, ascending: what Print and the exports
    // offer as "the memories selected in the browser".
    QList<int> selectedSlots() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void filterTyped(const QString &text);
    void updateCount();

    vextrum::MemoryStore &store_;
    vextrum::MemoryTable *model_;
    QSortFilterProxyModel *proxy_;
    QTableView *table_;
    QLineEdit *filter_;
    QLabel *count_;
};
