#pragma once
// The inspection archive: a database that keeps every memory that reaches
// the PC (from the instrument or a data file), every note save as a new
// version, and finds them again. Facts are only ever added: a memory is
// kept once by its content (a SHA-256 of its record), each time it is seen
// again adds an arrival, each note save adds a note version.
//
// One object is one connection, used from the thread that opened it. It
// never stops the program's own work: when the archive cannot be opened or
// written, `why()` says so and the store goes on without it.

#include "store/memorystore.h"
#include "store/record.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QSqlQuery>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

namespace vextrum {

// The newest archive layout this program writes and reads.
constexpr int kArchiveVersion = 2;

// A record's bytes as kept: one byte a position when every value is a
// byte (always so from the instrument), else two bytes a position, little
// endian, so a data file's odd numbers come back exactly.
QByteArray recordBytes(const Record &record);
std::optional<Record> recordFromBytes(const QByteArray &bytes);
// SHA-256 of recordBytes, in hex: the memory's identity by content.
QString contentHash(const Record &record);

// What the user searches by; empty parts match everything.
struct ArchiveFilter
{
    QString text;        // words as typed, punctuation and all
    QDate since, until;  // inclusive, on the day the memory was taken
    int memory = 0;      // memory number 1..200, 0 for any
    QString station;     // a station the memory arrived on
};

// The columns of a search result, in the order `findSql` selects them.
enum class ArchiveColumn : int {
    Id, Taken, Memory, Station, Arrived, Range, Gain, Probe, Note1, Note2, Note3, Note4,
};
constexpr int kArchiveColumnCount = int(ArchiveColumn::Note4) + 1;
const char *archiveColumnTitle(ArchiveColumn column);

struct NoteVersion
{
    QDateTime at; // UTC
    QString station, user;
    QStringList before, after; // the four notes
};

struct ImportTally
{
    int memories = 0; // captured memories read
    int added = 0;    // of them new to the archive
};

class Archive : public QObject, public MemoryKeeper
{
    Q_OBJECT
public:
    explicit Archive(QObject *parent = nullptr);
    ~Archive() override;

    // archive.sqlite in the user's application data folder.
    static QString defaultPath();
    // The archive to use: `given` (--archive), else the one the user last
    // chose (kept in the settings under kPathKey), else the default.
    static QString chosenPath(const QString &given = QString());
    static const char *const kPathKey;

    // Opens the archive at `path`, making it when there is none and
    // bringing an older layout up to date in one transaction. An archive
    // of a newer program, a file that is no archive and a folder that
    // cannot be written are left exactly as they are: false, and why()
    // says so. `upTo` stops the layout at an earlier version (an archive
    // as an earlier program left it).
    bool open(const QString &path, int upTo = kArchiveVersion);
    void close();
    bool isOpen() const { return db_.isOpen(); }
    // Archiving goes on: open, and the last write went through.
    bool isArchiving() const { return isOpen() && writeError_.isEmpty(); }
    const QString &path() const { return path_; }
    // Empty while archiving; else one sentence: what is wrong, and that
    // memories are not being archived.
    QString why() const;

    // Who and where, as every arrival and note version records them.
    void setStation(const QString &station) { station_ = station; }
    void setUser(const QString &user) { user_ = user; }

    // MemoryKeeper: each in one transaction, durable when it returns.
    void keepFiled(const Record &record) override;
    void keepOpened(const QList<Record> &records, const QString &path) override;
    bool keepNotes(const Record &before, const Record &after) override;
    // A data file's captured memories, with the file's path and time;
    // nullopt when nothing could be written.
    std::optional<ImportTally> keepFile(const QList<Record> &records, const QString &path,
                                        const QDateTime &fileTime);

    // A search: the statement (columns as ArchiveColumn, newest first) and
    // the values to bind to it in order.
    QString findSql(const ArchiveFilter &filter, QVariantList *binds) const;
    // The memory with its latest notes.
    std::optional<Record> memory(qint64 id) const;
    QList<NoteVersion> noteHistory(qint64 id) const;
    // The stations memories arrived on, for a choice.
    QStringList stations() const;
    QSqlDatabase database() const { return db_; }

signals:
    // Archiving stopped or came back; why() tells.
    void stateChanged();

private:
    bool fail(const QString &what);
    bool writeFailed(const QString &what);
    void wrote();
    bool migrate(int from, int to);
    std::optional<qint64> memoryFor(const QString &hash);
    std::optional<qint64> addMemory(const Record &record, const QString &hash, const QString &taken);
    bool addArrival(qint64 memory, const QString &source, const QString &file, const QString &fileTime);
    bool setSearchText(qint64 memory, const Record &record);
    bool begin();
    // A statement of those every memory kept runs, prepared on first use.
    QSqlQuery &statement(int which);
    bool commit();
    // Runs the prepared query, or `statement`; a failure's reason goes to sqlError_.
    bool run(QSqlQuery &q, const QString &statement = QString());

    QString connection_;
    QSqlDatabase db_;
    int version_ = 0; // the layout of the archive open
    QString path_;
    QString openError_;
    QString writeError_;
    QString sqlError_; // the reason the last statement failed
    std::vector<QSqlQuery> statements_;
    QString station_, user_;
};

} // namespace vextrum
