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
class frmmain;
struct Module1;

namespace vextrum {
class MemoryTable;
}

class frmbrowse : public ViewWindow
{
    Q_OBJECT
public:
    frmbrowse(Module1 &m, frmmain &main, QWidget *parent = nullptr);

    QTableView *table() const { return table_; }
    // Reads the 200 memories and their captured marks again.
    void refresh();
    // Shows the memory of a row of the table as it is sorted and filtered.
    void showRow(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void filterTyped(const QString &text);
    void updateCount();

    Module1 &m_;
    frmmain &main_;
    vextrum::MemoryTable *model_;
    QSortFilterProxyModel *proxy_;
    QTableView *table_;
    QLineEdit *filter_;
    QLabel *count_;
};
