#include "archive/archivemodel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace vextrum {

ArchiveModel::ArchiveModel(const Archive &archive, QObject *parent)
    : QSqlQueryModel(parent), archive_(archive),
      connection_(QStringLiteral("archive-rows-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

ArchiveModel::~ArchiveModel()
{
    clear();
    if (reader_.isValid()) {
        reader_.close();
        reader_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool ArchiveModel::search(const ArchiveFilter &filter)
{
    if (!archive_.isOpen()) {
        clear();
        return false;
    }
    // Rows are read as they are shown, so the query stays open: on a
    // connection of its own, read-only, it never holds up the archive's
    // writes (a connection reading an old snapshot cannot write).
    if (!reader_.isValid() || reader_.databaseName() != archive_.database().databaseName()) {
        clear();
        if (reader_.isValid()) {
            reader_.close();
            reader_ = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection_);
        }
        reader_ = QSqlDatabase::cloneDatabase(archive_.database(), connection_);
        reader_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        reader_.open();
    }
    QVariantList binds;
    QSqlQuery q(reader_);
    q.prepare(archive_.findSql(filter, &binds));
    for (const QVariant &v : binds)
        q.addBindValue(v);
    q.exec();
    setQuery(std::move(q));
    return !lastError().isValid();
}

qint64 ArchiveModel::idAt(int row) const
{
    return QSqlQueryModel::data(index(row, int(ArchiveColumn::Id))).toLongLong();
}

int ArchiveModel::memoryAt(int row) const
{
    return QSqlQueryModel::data(index(row, int(ArchiveColumn::Memory))).toInt();
}

namespace {

// A search result's cell as shown.
QVariant cellText(int column, const QVariant &value)
{
    switch (ArchiveColumn(column)) {
    case ArchiveColumn::Taken:
        return value.toString().replace(QLatin1Char('T'), QLatin1Char(' '));
    case ArchiveColumn::Arrived: // kept in UTC, shown in the PC's time
        return QDateTime::fromString(value.toString(), Qt::ISODateWithMs)
            .toLocalTime()
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
        return value;
    }
}

} // namespace

QVariant ArchiveModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, role);
    return role == Qt::DisplayRole ? cellText(index.column(), value) : value;
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kArchiveColumnCount)
        return QString::fromLatin1(archiveColumnTitle(ArchiveColumn(section)));
    return QSqlQueryModel::headerData(section, orientation, role);
}

ArchiveRows::ArchiveRows(QObject *parent) : QAbstractTableModel(parent) {}

void ArchiveRows::setRows(const QList<QVariantList> &rows)
{
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

QList<QVariantList> ArchiveRows::read(QSqlQuery &query, int most)
{
    QList<QVariantList> rows;
    while (rows.size() < most && query.next()) {
        QVariantList row;
        for (int c = 0; c < kArchiveColumnCount; ++c)
            row << query.value(c);
        rows << row;
    }
    return rows;
}

int ArchiveRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int ArchiveRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kArchiveColumnCount;
}

QVariant ArchiveRows::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_.size())
        return {};
    return cellText(index.column(), rows_[index.row()].value(index.column()));
}

QVariant ArchiveRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kArchiveColumnCount)
        return QString::fromLatin1(archiveColumnTitle(ArchiveColumn(section)));
    return QAbstractTableModel::headerData(section, orientation, role);
}

qint64 ArchiveRows::idAt(int row) const
{
    return rows_.value(row).value(int(ArchiveColumn::Id)).toLongLong();
}

int ArchiveRows::memoryAt(int row) const
{
    return rows_.value(row).value(int(ArchiveColumn::Memory)).toInt();
}

} // namespace vextrum
