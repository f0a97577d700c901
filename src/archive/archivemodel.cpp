#include "archive/archivemodel.h"

#include <QSqlError>
#include <QSqlQuery>

namespace vextrum {

ArchiveModel::ArchiveModel(const Archive &archive, QObject *parent) : QSqlQueryModel(parent), archive_(archive) {}

bool ArchiveModel::search(const ArchiveFilter &filter)
{
    if (!archive_.isOpen()) {
        clear();
        return false;
    }
    QVariantList binds;
    QSqlQuery q(archive_.database());
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

QVariant ArchiveModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, role);
    if (role != Qt::DisplayRole)
        return value;
    switch (ArchiveColumn(index.column())) {
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

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kArchiveColumnCount)
        return QString::fromLatin1(archiveColumnTitle(ArchiveColumn(section)));
    return QSqlQueryModel::headerData(section, orientation, role);
}

} // namespace vextrum
