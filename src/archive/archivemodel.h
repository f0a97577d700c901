#pragma once
// The archive's memories matching a search, newest first, for a table
// view. Rows are fetched from the database as the view shows them, so the
// first screen comes as fast from a million memories as from ten.

#include "archive/archive.h"

#include <QAbstractTableModel>
#include <QSqlQueryModel>

namespace vextrum {

class ArchiveModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    explicit ArchiveModel(const Archive &archive, QObject *parent = nullptr);
    ~ArchiveModel() override;

    // Runs the search; false, with the reason in lastError(), when the
    // archive cannot answer.
    bool search(const ArchiveFilter &filter);
    qint64 idAt(int row) const;
    int memoryAt(int row) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Archive &archive_;
    QString connection_;
    QSqlDatabase reader_;
};

// The same columns for a search answered by the team's server: its first
// rows, read on the sending thread and handed over whole.
class ArchiveRows : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ArchiveRows(QObject *parent = nullptr);

    void setRows(const QList<QVariantList> &rows);
    // Up to `most` rows of a search's answer.
    static QList<QVariantList> read(QSqlQuery &query, int most);
    qint64 idAt(int row) const;
    int memoryAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<QVariantList> rows_;
};

} // namespace vextrum
