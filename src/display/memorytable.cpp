#include "display/memorytable.h"

#include "store/fields.h"

#include <QBrush>
#include <QColor>

namespace vextrum {

namespace {

QString fieldText(const Record &r, Field f)
{
    const FieldInfo &info = fieldInfo(f);
    return recordText(r, info.first, info.length);
}

QString trimmedRight(QString s)
{
    int n = int(s.size());
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    s.truncate(n);
    return s;
}

// hhmmddmmyy as stored, sortable as yyyymmddhhmm; empty with the clock off.
QString timeKey(const QString &clock, const Record &r)
{
    if (clock == mode::Off)
        return QString();
    const QString c = fieldText(r, Field::TimeDate);
    const QString century = c.mid(8, 2) < QStringLiteral("70") ? QStringLiteral("20") : QStringLiteral("19");
    return century + c.mid(8, 2) + c.mid(6, 2) + c.mid(4, 2) + c.mid(0, 2) + c.mid(2, 2);
}

} // namespace

MemoryTable::MemoryTable(QObject *parent) : QAbstractTableModel(parent) {}

void MemoryTable::refresh(const Store &store, const QList<bool> &captured)
{
    QList<Row> rows;
    rows.reserve(kMemoryCount);
    for (int s = 0; s < kMemoryCount; ++s) {
        Row row;
        row.captured = s < captured.size() && captured[s];
        row.text[Number] = QString::number(s + 1);
        row.key[Number] = s + 1;
        row.text[Captured] = row.captured ? QStringLiteral("Captured") : QStringLiteral("Empty");
        row.key[Captured] = row.captured ? 0 : 1;
        const Record &r = store[std::size_t(s)];
        if (row.captured) {
            const QString clock = fieldText(r, Field::Clock);
            row.text[TimeDate] = timeLabel(clock, r);
            row.key[TimeDate] = timeKey(clock, r);
            const QList<Field> notes = fieldsOf(FieldKind::Note);
            for (int n = 0; n < 4; ++n) {
                row.text[Operator + n] = trimmedRight(noteText(r, fieldInfo(notes[n]).first));
                row.key[Operator + n] = row.text[Operator + n].toCaseFolded();
            }
            row.text[Range] = trimmedRight(fieldText(r, Field::Range));
            row.key[Range] = readNumber(row.text[Range]);
            row.text[Gain] = trimmedRight(fieldText(r, Field::Gain));
            row.key[Gain] = readNumber(row.text[Gain]);
        } else {
            for (int c = TimeDate; c < ColumnCount; ++c)
                row.key[c] = (c == Range || c == Gain) ? QVariant(0.0) : QVariant(QString());
        }
        rows.append(std::move(row));
    }
    if (rows_.size() == rows.size()) {
        // Same rows, new contents: the view keeps its selection and order.
        rows_ = std::move(rows);
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, ColumnCount - 1));
    } else {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
}

int MemoryTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int MemoryTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MemoryTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row &row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.text[std::size_t(index.column())];
    case SortRole:
        return row.key[std::size_t(index.column())];
    case SlotRole:
        return index.row();
    case Qt::ForegroundRole:
        return row.captured ? QVariant() : QVariant(QBrush(QColor(140, 140, 140)));
    case Qt::BackgroundRole:
        return row.captured ? QVariant(QBrush(QColor(224, 244, 224))) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == Number || index.column() == Range || index.column() == Gain)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant MemoryTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const headers[ColumnCount] = {"No",       "Captured",      "Time and date",
                                                     "Operator", "Job detail",    "Defect detail",
                                                     "Remark",   "Range",         "Gain"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(headers[section]) : QVariant();
}

} // namespace vextrum
