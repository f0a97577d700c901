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

#include "store/job.h"
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
constexpr int kArchiveVersion = 4;

// Where an archive lives: this PC's own (SQLite), or the team's server
// (PostgreSQL).
enum class ArchiveEngine { Local, Server };

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
    User, // who it first arrived with (the window shows it beside the station)
};
constexpr int kArchiveColumnCount = int(ArchiveColumn::User) + 1;
const char *archiveColumnTitle(ArchiveColumn column);

struct NoteVersion
{
    QDateTime at; // UTC
    QString station, user;
    QStringList before, after; // the four notes
};

// An inspection report that left the office, as the archive records it.
struct ReportEntry
{
    QString number;   // the job's report number
    QDateTime at;     // when it was exported, UTC
    QString station, user;
    QString memories; // "1-20,35"
    int pages = 0;
    QString sha256;   // of the PDF file, hex
    QString path;     // where it was written
};

// Facts the archive sends to the team's server beside memories: each row
// of `table` with its rows in `childTable` (named by `childKey` = uid).
struct SentFact
{
    const char *kind, *table, *columns, *childTable, *childKey, *childColumns;
};
const QList<SentFact> &sentFacts();

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
    // Opens the archive at `path` as open does, at its first use or at
    // openNow(), whichever comes first: a window can show before the
    // database is read, and nothing kept or asked for misses it.
    void openAtFirstUse(const QString &path);
    // Given to openAtFirstUse and not opened yet.
    bool opensLater() const { return pending_; }
    // Opens an archive given to openAtFirstUse now; else nothing.
    void openNow();
    // The team's archive on a PostgreSQL server, at a libpq connection URI
    // (postgresql://user@host/db?sslmode=verify-full; TLS and the password
    // file as libpq takes them). `password`, when given, is used for this
    // connection only and kept nowhere. It is read and searched as the
    // PC's archive is; memories reach it only through pushTo. A server
    // archive of another layout version is refused: a newer one because
    // this program cannot read it, an older one until its owner runs
    // initServer.
    bool openServer(const QString &uri, const QString &password = QString());
    // Makes the archive's layout on the server, or brings it up to date,
    // with its roles (vextrum_inspector adds and reads, vextrum_reader
    // reads) and the guard that refuses any change or removal: for the
    // database's owner.
    bool initServer(const QString &uri, const QString &password = QString());
    ArchiveEngine engine() const { return engine_; }
    void close();
    bool isOpen() const
    {
        settle();
        return db_.isOpen();
    }
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
    // A version of the job details, with the memories it is for.
    void keepJob(const Job &job, const QList<Record> &memories) override;
    // The job last kept with any of the memories (archive ids); nullopt
    // when none was.
    std::optional<Job> jobFor(const QList<qint64> &ids) const;
    // An inspection report exported: `report` with the job it shows and
    // its memories (number, record as exported). False when it could not
    // be kept (why() says so).
    bool keepReport(const ReportEntry &report, const Job &job, const QList<std::pair<int, Record>> &memories);
    // The reports kept, newest first; only those of one report number when
    // `number` is given.
    QList<ReportEntry> reports(const QString &number = QString()) const;
    // A data file's captured memories, with the file's path and time;
    // nullopt when nothing could be written.
    std::optional<ImportTally> keepFile(const QList<Record> &records, const QString &path,
                                        const QDateTime &fileTime);

    // Facts of this PC not yet on the team's server.
    qint64 waiting() const;
    // Sends up to `most` waiting facts to `server` in one transaction and
    // forgets them here once the server holds them; a fact the server
    // holds already is not added again. The number sent; -1 when the
    // server did not take them (server.why()) or this archive failed.
    int pushTo(Archive &server, int most);
    // A server's failure in a few words for the status bar: "password
    // refused", "not reachable", ...
    static QString serverFault(const QString &error);
    // The database's words for the last statement that failed.
    const QString &lastFailure() const { return sqlError_; }

    // A search: the statement (columns as ArchiveColumn, newest first) and
    // the values to bind to it in order; `walk`, when given, tells that a
    // word is common enough to walk the memories newest first.
    QString findSql(const ArchiveFilter &filter, QVariantList *binds, bool *walk = nullptr) const;
    // The search run: its rows read forward (check lastError()); the
    // first `most` only when most > 0.
    QSqlQuery find(const ArchiveFilter &filter, int most = 0) const;
    // The memory with its latest notes.
    std::optional<Record> memory(qint64 id) const;
    QList<NoteVersion> noteHistory(qint64 id) const;
    // The stations memories arrived on, for a choice.
    QStringList stations() const;
    QSqlDatabase database() const
    {
        settle();
        return db_;
    }

signals:
    // Archiving stopped or came back; why() tells.
    void stateChanged();
    // Something new was kept (and waits for the team's server).
    void kept();

private:
    // Every read and write of the archive goes through here first.
    void settle() const
    {
        if (pending_)
            const_cast<Archive *>(this)->openNow();
    }
    bool fail(const QString &what);
    bool openServerAt(const QString &uri, const QString &password, bool init);
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
    bool queue(const char *kind, qint64 fact);
    // Copies one job version or report with its memory rows to `server`,
    // inside the server's open transaction.
    bool sendFact(const SentFact &fact, qint64 id, Archive &server);
    bool commit();
    // Runs the prepared query, or `statement`; a failure's reason goes to sqlError_.
    bool run(QSqlQuery &q, const QString &statement = QString());

    QString connection_;
    QSqlDatabase db_;
    int version_ = 0; // the layout of the archive open
    ArchiveEngine engine_ = ArchiveEngine::Local;
    QString path_;
    bool pending_ = false; // path_ is opened at the first use
    QString openError_;
    QString writeError_;
    QString sqlError_; // the reason the last statement failed
    std::vector<QSqlQuery> statements_;
    mutable bool steered_ = false; // the server walks the memories for a common word
    QString station_, user_;
};

} // namespace vextrum
