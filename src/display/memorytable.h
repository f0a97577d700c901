#pragma once
// The 200 memories as a table: number, captured or empty, time and date,
// the four notes, range and gain, each as the panel would show it, with a
// sort key for every cell. No window needed.

#include "store/record.h"

#include <QAbstractTableModel>
#include <QList>
#include <QVariant>
#include <array>

namespace vextrum {

class MemoryTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Number, Captured, TimeDate, Operator, Job, Defect, Remark, Range, Gain, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int SlotRole = Qt::UserRole + 1;

    explicit MemoryTable(QObject *parent = nullptr);

    // Rebuilds every row from the store; captured[s] tells whether memory
    // s + 1 is in it (its list entry carries the captured mark).
    void refresh(const Store &store, const QList<bool> &captured);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        bool captured = false;
        std::array<QString, ColumnCount> text;
        std::array<QVariant, ColumnCount> key;
    };
    QList<Row> rows_;
};

} // namespace vextrum
