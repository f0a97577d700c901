#include "app/frmbrowse.h"

#include "display/memorytable.h"
#include "store/memorystore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

using namespace vextrum;

frmbrowse::frmbrowse(MemoryStore &store, QWidget *parent)
    : ViewWindow("frmbrowse", QStringLiteral("Memory Browser"), parent), store_(store)
{
    model_ = new MemoryTable(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(MemoryTable::SortRole);
    proxy_->setFilterKeyColumn(-1); // every column
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtfilter"));
    filter_->setPlaceholderText(QStringLiteral("Type to show only the memories holding this text"));
    filter_->setClearButtonEnabled(true);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("labcount"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblmem"));
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(MemoryTable::Number, Qt::AscendingOrder);
    setUpRowTable(table_);
    table_->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Find:"), this));
    top->addWidget(filter_, 1);
    top->addWidget(count_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);

    connect(filter_, &QLineEdit::textChanged, this, &frmbrowse::filterTyped);
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { showRow(index.row()); });
    connect(&store_, &MemoryStore::changed, this, &frmbrowse::refresh);

    refresh();
    table_->resizeColumnsToContents();
    for (int c : {int(MemoryTable::Operator), int(MemoryTable::Job), int(MemoryTable::Defect),
                  int(MemoryTable::Remark)})
        table_->setColumnWidth(c, std::max(table_->columnWidth(c), table_->fontMetrics().horizontalAdvance(
                                                                        QStringLiteral("MMMMMMMMMMMMMMM"))));
    table_->setColumnWidth(MemoryTable::TimeDate,
                           table_->fontMetrics().horizontalAdvance(QStringLiteral("Tm: 00:00 Dt:00/00/00")) + 16);
    restoreSize(QSize(1000, 560));
}

void frmbrowse::refresh()
{
    QList<bool> captured;
    captured.reserve(kMemoryCount);
    for (int s = 0; s < kMemoryCount; ++s)
        captured << store_.isCaptured(s);
    model_->refresh(store_.records(), captured);
    updateCount();
}

void frmbrowse::showRow(int row)
{
    const QModelIndex index = proxy_->index(row, 0);
    if (!index.isValid())
        return;
    store_.show(proxy_->data(index, MemoryTable::SlotRole).toInt());
}

QList<int> frmbrowse::selectedSlots() const
{
    QList<int> slots_;
    for (const QModelIndex &row : table_->selectionModel()->selectedRows())
        slots_ << proxy_->data(row, MemoryTable::SlotRole).toInt();
    std::sort(slots_.begin(), slots_.end());
    return slots_;
}

void frmbrowse::filterTyped(const QString &text)
{
    proxy_->setFilterFixedString(text);
    updateCount();
}

void frmbrowse::updateCount()
{
    count_->setText(QStringLiteral("%1 of %2 shown").arg(proxy_->rowCount()).arg(model_->rowCount()));
}

bool frmbrowse::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (table_->currentIndex().isValid())
                showRow(table_->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
