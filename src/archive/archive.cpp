#include "archive/archive.h"

#include "store/fields.h"

#include <QCryptographicHash>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace vextrum {

namespace {

// The layout, one step per version: step n takes an archive from version
// n - 1 to n. Steps are only ever added, never changed, so an archive of
// any earlier version comes up to date through the same statements. The
// PC's archive (SQLite) and the team's (PostgreSQL) share the tables and
// their columns; what differs is how each finds words, that only the PC
// keeps a queue for the server, and that only the server guards its
// history. In the statements, {id} is a row number given by the database
// and {bytes} a column of bytes.
struct LayoutStep
{
    QStringList both, local, server;
};

const QList<LayoutStep> &layoutSteps()
{
    static const QList<LayoutStep> steps = {
        // 1: memories, each time one was seen, and note versions.
        {{
             QStringLiteral("CREATE TABLE archive_version (version INTEGER NOT NULL)"),
             QStringLiteral("INSERT INTO archive_version (version) VALUES (0)"),
             QStringLiteral("CREATE TABLE memory ("
                            " id {id},"
                            " uid TEXT NOT NULL UNIQUE,"
                            " hash TEXT NOT NULL UNIQUE,"
                            " record {bytes} NOT NULL,"
                            " memory_number INTEGER NOT NULL,"
                            " taken TEXT NOT NULL,"
                            " range_text TEXT NOT NULL,"
                            " gain_text TEXT NOT NULL,"
                            " probe TEXT NOT NULL,"
                            " note1 TEXT NOT NULL, note2 TEXT NOT NULL, note3 TEXT NOT NULL, note4 TEXT NOT NULL,"
                            " first_arrived TEXT NOT NULL)"),
             QStringLiteral("CREATE INDEX memory_by_taken ON memory (taken, id)"),
             QStringLiteral("CREATE INDEX memory_by_number ON memory (memory_number, taken)"),
             QStringLiteral("CREATE TABLE arrival ("
                            " id {id},"
                            " uid TEXT NOT NULL UNIQUE,"
                            " memory_id INTEGER NOT NULL REFERENCES memory (id),"
                            " at TEXT NOT NULL,"
                            " station TEXT NOT NULL,"
                            " user_name TEXT NOT NULL,"
                            " source TEXT NOT NULL,"
                            " file_path TEXT NOT NULL,"
                            " file_time TEXT NOT NULL)"),
             QStringLiteral("CREATE INDEX arrival_by_memory ON arrival (memory_id, file_path)"),
             QStringLiteral("CREATE INDEX arrival_by_station ON arrival (station, memory_id)"),
             QStringLiteral("CREATE TABLE note_version ("
                            " id {id},"
                            " uid TEXT NOT NULL UNIQUE,"
                            " memory_id INTEGER NOT NULL REFERENCES memory (id),"
                            " at TEXT NOT NULL,"
                            " station TEXT NOT NULL,"
                            " user_name TEXT NOT NULL,"
                            " old1 TEXT NOT NULL, old2 TEXT NOT NULL, old3 TEXT NOT NULL, old4 TEXT NOT NULL,"
                            " note1 TEXT NOT NULL, note2 TEXT NOT NULL, note3 TEXT NOT NULL, note4 TEXT NOT NULL,"
                            " after_hash TEXT NOT NULL)"),
             QStringLiteral("CREATE INDEX note_version_by_memory ON note_version (memory_id, id)"),
             QStringLiteral("CREATE INDEX note_version_by_hash ON note_version (after_hash)"),
         },
         {},
         {}},
        // 2: the words of each memory's latest notes and its probe, for
        // full-text search, filled from what the archive holds. The PC
        // indexes words; the server indexes letter triples of the text, so
        // any part of a word finds it.
        {{},
         {
             QStringLiteral("CREATE VIRTUAL TABLE memory_text USING fts5"
                            " (notes, probe, tokenize = 'unicode61 remove_diacritics 2')"),
             QStringLiteral("INSERT INTO memory_text (rowid, notes, probe)"
                            " SELECT m.id, COALESCE(v.note1, m.note1) || ' ' || COALESCE(v.note2, m.note2) || ' '"
                            " || COALESCE(v.note3, m.note3) || ' ' || COALESCE(v.note4, m.note4), m.probe"
                            " FROM memory m LEFT JOIN note_version v"
                            " ON v.id = (SELECT max(id) FROM note_version WHERE memory_id = m.id)"),
         },
         {
             QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
             QStringLiteral("ALTER TABLE memory ADD COLUMN search_text TEXT GENERATED ALWAYS AS"
                            " (probe || ' ' || note1 || ' ' || note2 || ' ' || note3 || ' ' || note4) STORED"),
             QStringLiteral("ALTER TABLE note_version ADD COLUMN search_text TEXT GENERATED ALWAYS AS"
                            " (note1 || ' ' || note2 || ' ' || note3 || ' ' || note4) STORED"),
             QStringLiteral("CREATE INDEX memory_words ON memory USING gin (search_text gin_trgm_ops)"),
             QStringLiteral("CREATE INDEX note_version_words ON note_version USING gin (search_text gin_trgm_ops)"),
         }},
        // 3: the PC queues every fact for the team's server, from the
        // first it holds; the server keeps its history: nothing in it is
        // changed or removed, and inspectors may only add and read.
        {{},
         {
             QStringLiteral("CREATE TABLE push_queue (id INTEGER PRIMARY KEY, kind TEXT NOT NULL,"
                            " fact_id INTEGER NOT NULL)"),
             QStringLiteral("INSERT INTO push_queue (kind, fact_id) SELECT 'memory', id FROM memory ORDER BY id"),
             QStringLiteral("INSERT INTO push_queue (kind, fact_id) SELECT 'arrival', id FROM arrival ORDER BY id"),
             QStringLiteral("INSERT INTO push_queue (kind, fact_id) SELECT 'note', id FROM note_version ORDER BY id"),
         },
         {
             QStringLiteral("CREATE FUNCTION archive_keeps_history() RETURNS trigger LANGUAGE plpgsql AS $$"
                            " BEGIN RAISE EXCEPTION 'the archive keeps its history: % of % refused', TG_OP,"
                            " TG_TABLE_NAME; END $$"),
             QStringLiteral("CREATE TRIGGER memory_kept BEFORE UPDATE OR DELETE ON memory"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER arrival_kept BEFORE UPDATE OR DELETE ON arrival"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER note_version_kept BEFORE UPDATE OR DELETE ON note_version"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER no_truncate BEFORE TRUNCATE ON memory"
                            " FOR EACH STATEMENT EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("DO $$ BEGIN"
                            " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vextrum_inspector') THEN"
                            " CREATE ROLE vextrum_inspector NOLOGIN; END IF;"
                            " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vextrum_reader') THEN"
                            " CREATE ROLE vextrum_reader NOLOGIN; END IF; END $$"),
             QStringLiteral("REVOKE ALL ON memory, arrival, note_version, archive_version FROM PUBLIC"),
             QStringLiteral("GRANT SELECT ON memory, arrival, note_version, archive_version"
                            " TO vextrum_inspector, vextrum_reader"),
             QStringLiteral("GRANT INSERT ON memory, arrival, note_version TO vextrum_inspector"),
             QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO vextrum_inspector"),
         }},
        // 4: the job details kept with the memories (a version each time
        // they are set), and every inspection report exported: its number,
        // who and when, the memories it holds and the SHA-256 of the file.
        // Memories are named by content hash, as they were when reported.
        {{
             QStringLiteral("CREATE TABLE job_version ("
                            " id {id},"
                            " uid TEXT NOT NULL UNIQUE,"
                            " report_number TEXT NOT NULL,"
                            " details TEXT NOT NULL,"
                            " at TEXT NOT NULL,"
                            " station TEXT NOT NULL,"
                            " user_name TEXT NOT NULL)"),
             QStringLiteral("CREATE TABLE job_memory ("
                            " job_uid TEXT NOT NULL,"
                            " memory_hash TEXT NOT NULL,"
                            " memory_number INTEGER NOT NULL,"
                            " PRIMARY KEY (job_uid, memory_hash))"),
             QStringLiteral("CREATE INDEX job_memory_by_hash ON job_memory (memory_hash)"),
             QStringLiteral("CREATE TABLE report ("
                            " id {id},"
                            " uid TEXT NOT NULL UNIQUE,"
                            " report_number TEXT NOT NULL,"
                            " at TEXT NOT NULL,"
                            " station TEXT NOT NULL,"
                            " user_name TEXT NOT NULL,"
                            " memories TEXT NOT NULL,"
                            " pages INTEGER NOT NULL,"
                            " sha256 TEXT NOT NULL,"
                            " file_path TEXT NOT NULL,"
                            " details TEXT NOT NULL)"),
             QStringLiteral("CREATE INDEX report_by_number ON report (report_number)"),
             QStringLiteral("CREATE TABLE report_memory ("
                            " report_uid TEXT NOT NULL,"
                            " memory_hash TEXT NOT NULL,"
                            " memory_number INTEGER NOT NULL,"
                            " PRIMARY KEY (report_uid, memory_hash))"),
         },
         {},
         {
             QStringLiteral("CREATE TRIGGER job_version_kept BEFORE UPDATE OR DELETE ON job_version"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER job_memory_kept BEFORE UPDATE OR DELETE ON job_memory"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER report_kept BEFORE UPDATE OR DELETE ON report"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER report_memory_kept BEFORE UPDATE OR DELETE ON report_memory"
                            " FOR EACH ROW EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER no_truncate BEFORE TRUNCATE ON job_version"
                            " FOR EACH STATEMENT EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER no_truncate BEFORE TRUNCATE ON job_memory"
                            " FOR EACH STATEMENT EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER no_truncate BEFORE TRUNCATE ON report"
                            " FOR EACH STATEMENT EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("CREATE TRIGGER no_truncate BEFORE TRUNCATE ON report_memory"
                            " FOR EACH STATEMENT EXECUTE FUNCTION archive_keeps_history()"),
             QStringLiteral("REVOKE ALL ON job_version, job_memory, report, report_memory FROM PUBLIC"),
             QStringLiteral("GRANT SELECT ON job_version, job_memory, report, report_memory"
                            " TO vextrum_inspector, vextrum_reader"),
             QStringLiteral("GRANT INSERT ON job_version, job_memory, report, report_memory TO vextrum_inspector"),
             QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO vextrum_inspector"),
         }},
    };
    return steps;
}

// A step's statements for one engine, in order.
QStringList statementsOf(const LayoutStep &step, ArchiveEngine engine)
{
    QStringList all = step.both + (engine == ArchiveEngine::Local ? step.local : step.server);
    for (QString &s : all) {
        if (engine == ArchiveEngine::Local) {
            s.replace(QLatin1String("{id}"), QLatin1String("INTEGER PRIMARY KEY"));
            s.replace(QLatin1String("{bytes}"), QLatin1String("BLOB"));
        } else {
            s.replace(QLatin1String("{id}"), QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
            s.replace(QLatin1String("{bytes}"), QLatin1String("BYTEA"));
            s.replace(QLatin1String("INTEGER NOT NULL REFERENCES"), QLatin1String("BIGINT NOT NULL REFERENCES"));
        }
    }
    return all;
}

// A note as kept: its leading blanks stay, so the record is rebuilt exactly.
QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// Texts go in as text, never NULL: an empty note is an empty string.
QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString fieldValue(const Record &record, Field f)
{
    const FieldInfo &info = fieldInfo(f);
    return nonNull(info.first < 0 ? QString() : recordText(record, info.first, info.length).trimmed());
}

QStringList notesOf(const Record &record)
{
    QStringList notes;
    for (Field f : fieldsOf(FieldKind::Note))
        notes << nonNull(withoutTrailingBlanks(noteText(record, fieldInfo(f).first)));
    return notes;
}

QString utcNow()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

// The day and minute the memory was taken: the instrument's clock when it
// ran, else `fallback` (when it arrived, or the file's time).
QString takenText(const Record &record, const QDateTime &fallback)
{
    QDateTime t = instrumentTime(record);
    if (!t.isValid())
        t = fallback.toLocalTime();
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm"));
}

// The words typed, as a full-text query that takes each word literally:
// every word a quoted phrase (its own quotes doubled), matched as typed or
// as the start of a longer word. Words without a letter or digit find
// nothing to search by and are left out, so no input makes a bad query.
QString textQuery(const QString &typed)
{
    QStringList phrases;
    for (const QString &word : typed.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        bool searchable = false;
        for (const QChar c : word)
            searchable = searchable || c.isLetterOrNumber();
        if (searchable)
            phrases << QLatin1Char('"') + QString(word).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                           + QStringLiteral("\"*");
    }
    return phrases.join(QLatin1Char(' '));
}

// The statements each memory kept runs, prepared once for the connection.
enum class Statement {
    MemoryByHash, MemoryByNotes, AddMemory, DropWords, AddWords, AddArrival, SeenArrival, Queue, Count
};
const char *const kStatements[int(Statement::Count)] = {
    "SELECT id FROM memory WHERE hash = ?",
    "SELECT memory_id FROM note_version WHERE after_hash = ? ORDER BY id DESC LIMIT 1",
    "INSERT INTO memory (uid, hash, record, memory_number, taken, range_text, gain_text, probe, note1, note2, note3,"
    " note4, first_arrived) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
    "DELETE FROM memory_text WHERE rowid = ?",
    "INSERT INTO memory_text (rowid, notes, probe) VALUES (?, ?, ?)",
    "INSERT INTO arrival (uid, memory_id, at, station, user_name, source, file_path, file_time)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
    "SELECT 1 FROM arrival WHERE memory_id = ? AND file_path = ? AND file_time = ?",
    "INSERT INTO push_queue (kind, fact_id) VALUES (?, ?)",
};

constexpr int kFewMatches = 20000;

// Each memory's latest note version, if any, as v. The server walks its
// memories newest first and looks the version up for each (LATERAL); the
// PC's SQLite has no LATERAL and does the same with a subquery.
QString latestNotes(ArchiveEngine engine)
{
    return engine == ArchiveEngine::Local
               ? QStringLiteral(" LEFT JOIN note_version v"
                                " ON v.id = (SELECT max(id) FROM note_version WHERE memory_id = m.id)")
               : QStringLiteral(" LEFT JOIN LATERAL (SELECT * FROM note_version WHERE memory_id = m.id"
                                " ORDER BY id DESC LIMIT 1) v ON true");
}

} // namespace

QByteArray recordBytes(const Record &record)
{
    bool bytes = true;
    for (std::int16_t v : record)
        bytes = bytes && v >= 0 && v <= 255;
    QByteArray out;
    out.reserve(bytes ? kRecordSize : 2 * kRecordSize);
    for (std::int16_t v : record) {
        if (bytes) {
            out.append(char(v));
        } else {
            out.append(char(std::uint16_t(v) & 0xFF));
            out.append(char(std::uint16_t(v) >> 8));
        }
    }
    return out;
}

std::optional<Record> recordFromBytes(const QByteArray &bytes)
{
    Record r{};
    if (bytes.size() == kRecordSize) {
        for (int i = 0; i < kRecordSize; ++i)
            r[std::size_t(i)] = std::int16_t(std::uint8_t(bytes[i]));
    } else if (bytes.size() == 2 * kRecordSize) {
        for (int i = 0; i < kRecordSize; ++i)
            r[std::size_t(i)] = std::int16_t(std::uint16_t(std::uint8_t(bytes[2 * i]))
                                             | std::uint16_t(std::uint8_t(bytes[2 * i + 1])) << 8);
    } else {
        return std::nullopt;
    }
    return r;
}

QString contentHash(const Record &record)
{
    return QString::fromLatin1(QCryptographicHash::hash(recordBytes(record), QCryptographicHash::Sha256).toHex());
}

const char *archiveColumnTitle(ArchiveColumn column)
{
    static const char *const titles[kArchiveColumnCount] = {
        "Id", "Taken", "Mem", "Station", "Arrived", "Range", "Gain", "Probe",
        "Operator", "Job detail", "Defect detail", "Remark", "User",
    };
    return titles[int(column)];
}

Archive::Archive(QObject *parent)
    : QObject(parent),
      connection_(QStringLiteral("archive-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      station_(QSysInfo::machineHostName())
{
    user_ = qEnvironmentVariable("USER");
    if (user_.isEmpty())
        user_ = qEnvironmentVariable("USERNAME");
}

Archive::~Archive()
{
    close();
}

const char *const Archive::kPathKey = "Archive/Path";

QString Archive::chosenPath(const QString &given)
{
    if (!given.isEmpty())
        return given;
    const QString chosen = QSettings().value(QString::fromLatin1(kPathKey)).toString();
    return chosen.isEmpty() ? defaultPath() : chosen;
}

QString Archive::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("archive.sqlite"));
}

void Archive::openAtFirstUse(const QString &path)
{
    close();
    path_ = path;
    pending_ = true;
}

void Archive::openNow()
{
    if (pending_) {
        const QString path = path_; // open() sets path_ from it
        open(path);
    }
}

void Archive::close()
{
    pending_ = false;
    statements_.clear();
    steered_ = false;
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

QString Archive::why() const
{
    settle();
    if (!openError_.isEmpty())
        return openError_;
    if (!isOpen())
        return tr("Memories are not being archived: no archive is open.");
    return writeError_;
}

bool Archive::fail(const QString &what)
{
    close();
    openError_ = engine_ == ArchiveEngine::Local
                     ? tr("Memories are not being archived: %1.").arg(what)
                     : tr("The team archive is not in use: %1. Memories are archived on this PC.").arg(what);
    emit stateChanged();
    return false;
}

bool Archive::writeFailed(const QString &what)
{
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    const bool was = writeError_.isEmpty();
    writeError_ = tr("Memories are not being archived: the archive %1 could not be written (%2).")
                      .arg(QDir::toNativeSeparators(path_), what);
    if (was)
        emit stateChanged();
    return false;
}

void Archive::wrote()
{
    emit kept();
    if (!writeError_.isEmpty()) {
        writeError_.clear();
        emit stateChanged();
    }
}

bool Archive::open(const QString &path, int upTo)
{
    close();
    engine_ = ArchiveEngine::Local;
    path_ = path;
    openError_.clear();
    writeError_.clear();
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);

    // An existing file is read first without writing to it (a read-only
    // connection writes nothing, not even a checkpoint), so a file that is
    // no archive of ours, or one of a newer program, stays as it is.
    int version = 0;
    if (info.exists()) {
        if (!info.isFile())
            return fail(tr("%1 is not a file").arg(shown));
        if (info.size() > 0) {
            {
                QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
                check.setDatabaseName(path);
                check.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
                QString problem;
                if (!check.open()) {
                    problem = tr("the archive %1 cannot be read (%2)").arg(shown, check.lastError().text());
                } else {
                    QSqlQuery q(check);
                    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
                        problem = tr("the archive %1 is damaged or no database (%2); it is left as it is")
                                      .arg(shown, q.lastError().text());
                    } else {
                        QStringList tables;
                        while (q.next())
                            tables << q.value(0).toString();
                        if (tables.contains(QStringLiteral("archive_version"))) {
                            if (q.exec(QStringLiteral("SELECT version FROM archive_version")) && q.next())
                                version = q.value(0).toInt();
                            else
                                problem = tr("the archive %1 is damaged (%2); it is left as it is")
                                              .arg(shown, q.lastError().text());
                        } else if (!tables.isEmpty()) {
                            problem = tr("%1 is a database but no archive of this program; it is left as it is")
                                          .arg(shown);
                        }
                    }
                }
                check.close();
                check = QSqlDatabase();
                QSqlDatabase::removeDatabase(connection_);
                if (!problem.isEmpty())
                    return fail(problem);
            }
            if (version > kArchiveVersion)
                return fail(tr("the archive %1 was written by a newer Vextrum DGS (archive version %2; this"
                               " program knows up to %3); it is left as it is")
                                .arg(shown)
                                .arg(version)
                                .arg(kArchiveVersion));
        }
    }

    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        return fail(tr("the folder %1 cannot be made").arg(QDir::toNativeSeparators(info.absolutePath())));
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path);
    // Another program on the same archive holds the lock for a few
    // milliseconds a memory; wait for it rather than fail.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db_.open())
        return fail(tr("the archive %1 cannot be opened (%2)").arg(shown, db_.lastError().text()));
    QSqlQuery q(db_);
    // Write-ahead log with a full sync at each commit: a memory committed
    // survives a crash or a power cut.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !q.exec(QStringLiteral("PRAGMA synchronous = FULL"))
        || !q.exec(QStringLiteral("PRAGMA foreign_keys = ON"))
        // Room for the indexes of a large archive: imports slow down less.
        || !q.exec(QStringLiteral("PRAGMA cache_size = -32768")))
        return fail(tr("the archive %1 cannot be written (%2)").arg(shown, q.lastError().text()));

    if (!begin())
        return fail(tr("the archive %1 cannot be written (%2)").arg(shown, sqlError_));
    // Read again under the write lock: another program may have brought
    // the archive up to date meanwhile.
    version = 0;
    if (q.exec(QStringLiteral("SELECT version FROM archive_version")) && q.next())
        version = q.value(0).toInt();
    if (version > kArchiveVersion) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return fail(tr("the archive %1 was written by a newer Vextrum DGS; it is left as it is").arg(shown));
    }
    version_ = std::max(version, std::min(upTo, kArchiveVersion));
    if (!migrate(version, upTo) || !commit()) {
        const QString error = sqlError_;
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return fail(tr("the archive %1 could not be brought up to date (%2); it is left as it was")
                        .arg(shown, error));
    }
    emit stateChanged();
    return true;
}

bool Archive::openServer(const QString &uri, const QString &password)
{
    return openServerAt(uri, password, false);
}

bool Archive::initServer(const QString &uri, const QString &password)
{
    return openServerAt(uri, password, true);
}

bool Archive::openServerAt(const QString &uri, const QString &password, bool init)
{
    close();
    engine_ = ArchiveEngine::Server;
    openError_.clear();
    writeError_.clear();
    // Named without any password the URI may hold.
    QUrl shown(uri);
    shown.setPassword(QString());
    QUrlQuery shownQuery(shown);
    shownQuery.removeAllQueryItems(QStringLiteral("password"));
    shown.setQuery(shownQuery);
    path_ = shown.isValid() && !shown.scheme().isEmpty() ? shown.toString() : uri;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    if (!db_.isValid())
        return fail(tr("this PC has no PostgreSQL driver for Qt (package libqt6sql6-psql)"));
    // The URI's parts as Qt's driver passes them on to libpq: user, host,
    // port and database, and its query (host=/socket/folder, sslmode, ...)
    // as options. Anything else is taken as libpq's key=value form.
    const QUrl url(uri);
    QStringList options;
    QString given = password;
    if (url.scheme() == QLatin1String("postgresql") || url.scheme() == QLatin1String("postgres")) {
        db_.setUserName(url.userName());
        db_.setHostName(url.host());
        if (url.port() > 0)
            db_.setPort(url.port());
        db_.setDatabaseName(url.path().mid(1));
        if (given.isEmpty())
            given = url.password();
        for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
            if (key == QLatin1String("password")) {
                if (given.isEmpty())
                    given = value;
                continue;
            }
            options << key + QLatin1Char('=') + value;
        }
    } else {
        options << uri.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    if (!given.isEmpty())
        db_.setPassword(given);
    // A server that takes the connection and never answers is given up.
    options << QStringLiteral("connect_timeout=5") << QStringLiteral("keepalives_idle=10")
            << QStringLiteral("keepalives_interval=5") << QStringLiteral("keepalives_count=3")
            << QStringLiteral("tcp_user_timeout=20000");
    db_.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db_.open())
        return fail(tr("the server %1 was not reached (%2)").arg(path_, db_.lastError().text().trimmed()));
    QSqlQuery q(db_);
    int version = 0;
    if (!run(q, QStringLiteral("SELECT to_regclass('archive_version') IS NOT NULL")) || !q.next())
        return fail(tr("the server %1 did not answer (%2)").arg(path_, sqlError_));
    if (q.value(0).toBool()) {
        if (!run(q, QStringLiteral("SELECT version FROM archive_version")) || !q.next())
            return fail(tr("the server %1 did not answer (%2)").arg(path_, sqlError_));
        version = q.value(0).toInt();
    } else if (!init) {
        return fail(tr("the server %1 holds no archive yet: its owner makes one with vextrum-archive server-init")
                        .arg(path_));
    }
    if (version > kArchiveVersion)
        return fail(tr("the archive on %1 was made by a newer Vextrum DGS (archive version %2; this program knows"
                       " up to %3)")
                        .arg(path_)
                        .arg(version)
                        .arg(kArchiveVersion));
    if (init && version < kArchiveVersion) {
        // One transaction: the layout comes up to date whole or not at all.
        if (!begin() || !run(q, QStringLiteral("SELECT pg_advisory_xact_lock(7262001)"))
            || !migrate(version, kArchiveVersion) || !commit()) {
            const QString error = sqlError_;
            QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
            return fail(tr("the archive on %1 could not be made (%2)").arg(path_, error));
        }
        version = kArchiveVersion;
    }
    if (version < kArchiveVersion)
        return fail(tr("the archive on %1 is of an earlier version (%2): its owner brings it up to date with"
                       " vextrum-archive server-init")
                        .arg(path_)
                        .arg(version));
    version_ = version;
    emit stateChanged();
    return true;
}

QString Archive::serverFault(const QString &error)
{
    const QString e = error.toLower();
    if (e.contains(QLatin1String("password authentication failed")))
        return tr("password refused");
    if (e.contains(QLatin1String("no password supplied")) || e.contains(QLatin1String("password is required")))
        return tr("password needed");
    if (e.contains(QLatin1String("newer vextrum")))
        return tr("archive of a newer program");
    if (e.contains(QLatin1String("no archive yet")) || e.contains(QLatin1String("earlier version")))
        return tr("no archive of this version on the server");
    if (e.contains(QLatin1String("permission denied")))
        return tr("not allowed to add to the archive");
    if (e.contains(QLatin1String("does not exist")))
        return tr("no such database or user");
    return tr("not reachable");
}

qint64 Archive::waiting() const
{
    settle();
    QSqlQuery q(db_);
    if (engine_ == ArchiveEngine::Local && version_ >= 3 && q.exec(QStringLiteral("SELECT count(*) FROM push_queue"))
        && q.next())
        return q.value(0).toLongLong();
    return 0;
}

int Archive::pushTo(Archive &server, int most)
{
    if (!isOpen() || engine_ != ArchiveEngine::Local || !server.isOpen())
        return -1;
    struct Item
    {
        qint64 id;
        QString kind;
        qint64 fact;
    };
    QList<Item> items;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT id, kind, fact_id FROM push_queue ORDER BY id LIMIT ?"));
    q.addBindValue(most);
    if (!run(q))
        return -1;
    while (q.next())
        items << Item{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong()};
    q.finish();
    if (items.isEmpty())
        return 0;

    QSqlDatabase there = server.db_;
    QSqlQuery memory(db_), arrival(db_), note(db_);
    memory.prepare(QStringLiteral("SELECT uid, hash, record, memory_number, taken, range_text, gain_text, probe,"
                                  " note1, note2, note3, note4, first_arrived FROM memory WHERE id = ?"));
    arrival.prepare(QStringLiteral("SELECT a.uid, m.hash, a.at, a.station, a.user_name, a.source, a.file_path,"
                                   " a.file_time FROM arrival a JOIN memory m ON m.id = a.memory_id WHERE a.id = ?"));
    note.prepare(QStringLiteral("SELECT n.uid, m.hash, n.at, n.station, n.user_name, n.old1, n.old2, n.old3, n.old4,"
                                " n.note1, n.note2, n.note3, n.note4, n.after_hash"
                                " FROM note_version n JOIN memory m ON m.id = n.memory_id WHERE n.id = ?"));
    QSqlQuery known(there), findMemory(there), addMemory(there), addArrival(there), addNote(there);
    // A memory the server knows by a note save's result is that memory.
    known.prepare(QStringLiteral("SELECT 1 FROM note_version WHERE after_hash = ?"));
    findMemory.prepare(QStringLiteral("SELECT id FROM memory WHERE hash = ?"
                                      " UNION ALL SELECT memory_id FROM note_version WHERE after_hash = ? LIMIT 1"));
    addMemory.prepare(QStringLiteral("INSERT INTO memory (uid, hash, record, memory_number, taken, range_text,"
                                     " gain_text, probe, note1, note2, note3, note4, first_arrived)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    addArrival.prepare(QStringLiteral("INSERT INTO arrival (uid, memory_id, at, station, user_name, source,"
                                      " file_path, file_time) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    addNote.prepare(QStringLiteral("INSERT INTO note_version (uid, memory_id, at, station, user_name, old1, old2,"
                                   " old3, old4, note1, note2, note3, note4, after_hash)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    auto serverFailed = [&server](QSqlQuery &failed) {
        server.sqlError_ = failed.lastError().text();
        QSqlQuery(server.db_).exec(QStringLiteral("ROLLBACK"));
        return -1;
    };
    auto memoryThere = [&](const QString &hash) -> std::optional<qint64> {
        findMemory.addBindValue(hash);
        findMemory.addBindValue(hash);
        if (findMemory.exec() && findMemory.next())
            return findMemory.value(0).toLongLong();
        return std::nullopt;
    };
    if (!server.begin())
        return -1;
    for (const Item &item : items) {
        const auto sent = std::find_if(sentFacts().begin(), sentFacts().end(),
                                       [&item](const SentFact &f) { return item.kind == QLatin1String(f.kind); });
        if (sent != sentFacts().end()) {
            if (!sendFact(*sent, item.fact, server)) {
                QSqlQuery(server.db_).exec(QStringLiteral("ROLLBACK"));
                return -1;
            }
            continue;
        }
        QSqlQuery &read = item.kind == QLatin1String("memory") ? memory
                          : item.kind == QLatin1String("arrival") ? arrival
                                                                   : note;
        read.addBindValue(item.fact);
        if (!run(read) || !read.next()) {
            // Unread, the fact must stay queued: nothing of the batch is sent.
            if (sqlError_.isEmpty())
                sqlError_ = tr("a queued fact is missing from this PC's archive");
            QSqlQuery(server.db_).exec(QStringLiteral("ROLLBACK"));
            return -1;
        }
        if (&read == &memory) {
            known.addBindValue(read.value(1));
            if (!known.exec())
                return serverFailed(known);
            if (known.next())
                continue;
            for (int c = 0; c < 13; ++c)
                addMemory.addBindValue(read.value(c));
            if (!addMemory.exec())
                return serverFailed(addMemory);
        } else {
            const std::optional<qint64> there = memoryThere(read.value(1).toString());
            if (!there) {
                server.sqlError_ = tr("the server lacks the memory of a fact sent");
                QSqlQuery(server.db_).exec(QStringLiteral("ROLLBACK"));
                return -1;
            }
            QSqlQuery &add = &read == &arrival ? addArrival : addNote;
            add.addBindValue(read.value(0));
            add.addBindValue(*there);
            const int columns = &read == &arrival ? 8 : 14;
            for (int c = 2; c < columns; ++c)
                add.addBindValue(read.value(c));
            if (!add.exec())
                return serverFailed(add);
        }
    }
    // No read of this connection stays open: its snapshot would keep it
    // from writing once another program has written meanwhile.
    memory.finish();
    arrival.finish();
    note.finish();
    if (!server.commit())
        return -1;
    // The server holds them: exactly these wait no more. Should this fail,
    // they are sent again and the server adds nothing twice.
    QSqlQuery done(db_);
    done.prepare(QStringLiteral("DELETE FROM push_queue WHERE id = ? AND kind = ? AND fact_id = ?"));
    if (!begin()) {
        sqlError_ = tr("this PC's archive: %1").arg(sqlError_);
        return -1;
    }
    for (const Item &item : items) {
        done.addBindValue(item.id);
        done.addBindValue(item.kind);
        done.addBindValue(item.fact);
        if (!run(done)) {
            QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
            return -1;
        }
    }
    if (!commit()) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return -1;
    }
    return int(items.size());
}

bool Archive::migrate(int from, int to)
{
    const QList<LayoutStep> &steps = layoutSteps();
    QSqlQuery q(db_);
    for (int v = from + 1; v <= std::min(to, int(steps.size())); ++v) {
        for (const QString &statement : statementsOf(steps[v - 1], engine_))
            if (!run(q, statement))
                return false;
        q.prepare(QStringLiteral("UPDATE archive_version SET version = ?"));
        q.addBindValue(v);
        if (!run(q))
            return false;
    }
    return true;
}

bool Archive::run(QSqlQuery &q, const QString &statement)
{
    if (statement.isEmpty() ? q.exec() : q.exec(statement))
        return true;
    sqlError_ = q.lastError().text();
    return false;
}

bool Archive::begin()
{
    QSqlQuery q(db_);
    // On the PC the write lock is taken at once, so two programs wait for
    // each other at the start rather than fail half-way.
    return run(q, engine_ == ArchiveEngine::Local ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
}

bool Archive::queue(const char *kind, qint64 fact)
{
    if (engine_ != ArchiveEngine::Local || version_ < 3)
        return true;
    QSqlQuery &q = statement(int(Statement::Queue));
    q.addBindValue(QString::fromLatin1(kind));
    q.addBindValue(fact);
    return run(q);
}

bool Archive::commit()
{
    QSqlQuery q(db_);
    return run(q, QStringLiteral("COMMIT"));
}

QSqlQuery &Archive::statement(int which)
{
    if (statements_.empty()) {
        statements_.reserve(std::size_t(Statement::Count));
        for (int s = 0; s < int(Statement::Count); ++s) {
            statements_.emplace_back(db_);
            statements_.back().prepare(QString::fromLatin1(kStatements[s]));
        }
    }
    return statements_[std::size_t(which)];
}

std::optional<qint64> Archive::memoryFor(const QString &hash)
{
    // The memory as first kept, or as a note save left it.
    for (Statement s : {Statement::MemoryByHash, Statement::MemoryByNotes}) {
        QSqlQuery &q = statement(int(s));
        q.addBindValue(hash);
        const bool found = q.exec() && q.next();
        const qint64 id = found ? q.value(0).toLongLong() : 0;
        q.finish();
        if (found)
            return id;
    }
    return std::nullopt;
}

std::optional<qint64> Archive::addMemory(const Record &record, const QString &hash, const QString &taken)
{
    QSqlQuery &q = statement(int(Statement::AddMemory));
    q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
    q.addBindValue(hash);
    q.addBindValue(recordBytes(record));
    q.addBindValue(memoryNumber(record));
    q.addBindValue(taken);
    q.addBindValue(fieldValue(record, Field::Range));
    q.addBindValue(fieldValue(record, Field::Gain));
    q.addBindValue(fieldValue(record, Field::ProbeName));
    for (const QString &note : notesOf(record))
        q.addBindValue(note);
    q.addBindValue(utcNow());
    if (!run(q))
        return std::nullopt;
    const qint64 id = q.lastInsertId().toLongLong();
    if (!setSearchText(id, record) || !queue("memory", id))
        return std::nullopt;
    return id;
}

bool Archive::setSearchText(qint64 memory, const Record &record)
{
    if (version_ < 2) // an archive kept at an earlier layout has no search words
        return true;
    QSqlQuery &drop = statement(int(Statement::DropWords));
    drop.addBindValue(memory);
    if (!run(drop))
        return false;
    QSqlQuery &q = statement(int(Statement::AddWords));
    q.addBindValue(memory);
    q.addBindValue(notesOf(record).join(QLatin1Char(' ')));
    q.addBindValue(fieldValue(record, Field::ProbeName));
    return run(q);
}

bool Archive::addArrival(qint64 memory, const QString &source, const QString &file, const QString &fileTime)
{
    QSqlQuery &q = statement(int(Statement::AddArrival));
    q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
    q.addBindValue(memory);
    q.addBindValue(utcNow());
    q.addBindValue(nonNull(station_));
    q.addBindValue(nonNull(user_));
    q.addBindValue(source);
    q.addBindValue(nonNull(file));
    q.addBindValue(nonNull(fileTime));
    return run(q) && queue("arrival", q.lastInsertId().toLongLong());
}

void Archive::keepFiled(const Record &record)
{
    if (!isOpen())
        return;
    if (!begin())
        return (void)writeFailed(sqlError_);
    const QString hash = contentHash(record);
    std::optional<qint64> id = memoryFor(hash);
    if (!id)
        id = addMemory(record, hash, takenText(record, QDateTime::currentDateTime()));
    if (!id || !addArrival(*id, QStringLiteral("instrument"), QString(), QString()) || !commit())
        return (void)writeFailed(sqlError_);
    wrote();
}

void Archive::keepOpened(const QList<Record> &records, const QString &path)
{
    keepFile(records, path, path.isEmpty() ? QDateTime() : QFileInfo(path).lastModified());
}

std::optional<ImportTally> Archive::keepFile(const QList<Record> &records, const QString &path,
                                             const QDateTime &fileTime)
{
    if (!isOpen())
        return std::nullopt;
    if (!begin()) {
        writeFailed(sqlError_);
        return std::nullopt;
    }
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    const QString time = fileTime.isValid() ? fileTime.toUTC().toString(Qt::ISODate) : QString();
    ImportTally tally;
    QSqlQuery &seen = statement(int(Statement::SeenArrival));
    for (const Record &record : records) {
        ++tally.memories;
        const QString hash = contentHash(record);
        std::optional<qint64> id = memoryFor(hash);
        if (!id) {
            id = addMemory(record, hash, takenText(record, fileTime.isValid() ? fileTime : QDateTime::currentDateTime()));
            if (!id) {
                writeFailed(sqlError_);
                return std::nullopt;
            }
            ++tally.added;
        } else {
            // The same file read again adds nothing.
            seen.addBindValue(*id);
            seen.addBindValue(nonNull(absolute));
            seen.addBindValue(nonNull(time));
            const bool again = seen.exec() && seen.next();
            seen.finish();
            if (again)
                continue;
        }
        if (!addArrival(*id, QStringLiteral("file"), absolute, time)) {
            writeFailed(sqlError_);
            return std::nullopt;
        }
    }
    if (!commit()) {
        writeFailed(sqlError_);
        return std::nullopt;
    }
    wrote();
    return tally;
}

bool Archive::keepNotes(const Record &before, const Record &after)
{
    if (!isOpen())
        return false;
    const QStringList old = notesOf(before), now = notesOf(after);
    if (old == now)
        return true; // nothing new to keep
    if (!begin())
        return writeFailed(sqlError_);
    const QString hash = contentHash(before);
    std::optional<qint64> id = memoryFor(hash);
    // A memory that reached the store while nothing was archived is kept
    // as it was before its notes changed.
    if (!id) {
        id = addMemory(before, hash, takenText(before, QDateTime::currentDateTime()));
        if (!id || !addArrival(*id, QStringLiteral("notes"), QString(), QString()))
            return writeFailed(sqlError_);
    }
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO note_version (uid, memory_id, at, station, user_name, old1, old2, old3,"
                             " old4, note1, note2, note3, note4, after_hash)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
    q.addBindValue(*id);
    q.addBindValue(utcNow());
    q.addBindValue(nonNull(station_));
    q.addBindValue(nonNull(user_));
    for (const QString &n : old)
        q.addBindValue(n);
    for (const QString &n : now)
        q.addBindValue(n);
    q.addBindValue(contentHash(after));
    if (!run(q) || !queue("note", q.lastInsertId().toLongLong()) || !setSearchText(*id, after) || !commit())
        return writeFailed(sqlError_);
    wrote();
    return true;
}

const QList<SentFact> &sentFacts()
{
    static const QList<SentFact> facts = {
        {"job", "job_version", "uid, report_number, details, at, station, user_name", "job_memory", "job_uid",
         "job_uid, memory_hash, memory_number"},
        {"report", "report", "uid, report_number, at, station, user_name, memories, pages, sha256, file_path, details",
         "report_memory", "report_uid", "report_uid, memory_hash, memory_number"},
    };
    return facts;
}

bool Archive::sendFact(const SentFact &fact, qint64 id, Archive &server)
{
    const QString columns = QString::fromLatin1(fact.columns), childColumns = QString::fromLatin1(fact.childColumns);
    auto placeholders = [](const QString &list) {
        QStringList marks;
        for (qsizetype n = list.count(QLatin1Char(',')) + 1; n > 0; --n)
            marks << QStringLiteral("?");
        return marks.join(QStringLiteral(", "));
    };
    // Copies the row `read` is on into `table` there; one already there
    // (same uid, or the same memory row) is not added again.
    auto copy = [&](const QSqlQuery &read, const char *table, const QString &list) {
        QSqlQuery add(server.db_);
        add.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                        .arg(QLatin1String(table), list, placeholders(list)));
        const int n = int(list.count(QLatin1Char(',')) + 1);
        for (int c = 0; c < n; ++c)
            add.addBindValue(read.value(c));
        if (add.exec())
            return true;
        server.sqlError_ = add.lastError().text();
        return false;
    };
    QSqlQuery row(db_), children(db_);
    row.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE id = ?").arg(columns, QLatin1String(fact.table)));
    row.addBindValue(id);
    if (!run(row) || !row.next()) {
        if (sqlError_.isEmpty())
            sqlError_ = tr("a queued fact is missing from this PC's archive");
        return false;
    }
    if (!copy(row, fact.table, columns))
        return false;
    children.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                         .arg(childColumns, QLatin1String(fact.childTable), QLatin1String(fact.childKey)));
    children.addBindValue(row.value(0)); // the uid
    if (!run(children))
        return false;
    while (children.next())
        if (!copy(children, fact.childTable, childColumns))
            return false;
    return true;
}

void Archive::keepJob(const Job &job, const QList<Record> &memories)
{
    if (!isOpen() || version_ < 4)
        return;
    const QString details = QString::fromUtf8(jobJson(job));
    // A data file opened again brings the job it had: kept once.
    if (!memories.isEmpty()) {
        QSqlQuery last(db_);
        last.prepare(QStringLiteral("SELECT j.details FROM job_version j JOIN job_memory m ON m.job_uid = j.uid"
                                    " WHERE m.memory_hash = ? ORDER BY j.id DESC LIMIT 1"));
        last.addBindValue(contentHash(memories.front()));
        if (last.exec() && last.next() && last.value(0).toString() == details)
            return;
    }
    if (!begin()) {
        writeFailed(sqlError_);
        return;
    }
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO job_version (uid, report_number, details, at, station, user_name)"
                             " VALUES (?, ?, ?, ?, ?, ?)"));
    q.addBindValue(uid);
    q.addBindValue(nonNull(job.text(JobDetail::ReportNumber)));
    q.addBindValue(details);
    q.addBindValue(utcNow());
    q.addBindValue(nonNull(station_));
    q.addBindValue(nonNull(user_));
    if (!run(q) || !queue("job", q.lastInsertId().toLongLong())) {
        writeFailed(sqlError_);
        return;
    }
    QSqlQuery link(db_);
    link.prepare(QStringLiteral("INSERT INTO job_memory (job_uid, memory_hash, memory_number)"
                                " VALUES (?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const Record &r : memories) {
        link.addBindValue(uid);
        link.addBindValue(contentHash(r));
        link.addBindValue(memoryNumber(r));
        if (!run(link)) {
            writeFailed(sqlError_);
            return;
        }
    }
    if (!commit()) {
        writeFailed(sqlError_);
        return;
    }
    wrote();
}

std::optional<Job> Archive::jobFor(const QList<qint64> &ids) const
{
    if (!isOpen() || version_ < 4)
        return std::nullopt;
    // A memory is named by its content as first kept or as any note save
    // left it. The newest job version linked to any of them is the job;
    // its evaluations hold only for the memories it was set for.
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT j.id, j.uid, j.details, m.memory_number FROM job_memory m"
                             " JOIN job_version j ON j.uid = m.job_uid WHERE m.memory_hash IN"
                             " (SELECT hash FROM memory WHERE id = ? UNION SELECT after_hash FROM note_version"
                             " WHERE memory_id = ?)"));
    qint64 newest = -1;
    QString details, uid;
    QMap<QString, QList<int>> linked; // job uid -> memory numbers given here that it was set for
    for (qint64 id : ids) {
        q.addBindValue(id);
        q.addBindValue(id);
        if (!q.exec())
            return std::nullopt;
        while (q.next()) {
            linked[q.value(1).toString()] << q.value(3).toInt();
            if (q.value(0).toLongLong() > newest) {
                newest = q.value(0).toLongLong();
                uid = q.value(1).toString();
                details = q.value(2).toString();
            }
        }
    }
    if (newest < 0)
        return std::nullopt;
    std::optional<Job> job = jobFromJson(details.toUtf8());
    if (!job)
        return std::nullopt;
    const QList<int> numbers = linked.value(uid);
    for (int n : job->evaluations.keys())
        if (!numbers.contains(n))
            job->evaluations.remove(n);
    return job;
}

bool Archive::keepReport(const ReportEntry &report, const Job &job, const QList<std::pair<int, Record>> &memories)
{
    if (!isOpen() || version_ < 4)
        return false;
    if (!begin())
        return writeFailed(sqlError_);
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO report (uid, report_number, at, station, user_name, memories, pages,"
                             " sha256, file_path, details) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(uid);
    q.addBindValue(nonNull(report.number));
    q.addBindValue((report.at.isValid() ? report.at : QDateTime::currentDateTimeUtc()).toUTC().toString(Qt::ISODateWithMs));
    q.addBindValue(nonNull(station_));
    q.addBindValue(nonNull(user_));
    q.addBindValue(nonNull(report.memories));
    q.addBindValue(report.pages);
    q.addBindValue(nonNull(report.sha256));
    q.addBindValue(nonNull(report.path));
    q.addBindValue(QString::fromUtf8(jobJson(job)));
    if (!run(q) || !queue("report", q.lastInsertId().toLongLong()))
        return writeFailed(sqlError_);
    QSqlQuery link(db_);
    link.prepare(QStringLiteral("INSERT INTO report_memory (report_uid, memory_hash, memory_number)"
                                " VALUES (?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const auto &[number, record] : memories) {
        link.addBindValue(uid);
        link.addBindValue(contentHash(record));
        link.addBindValue(number);
        if (!run(link))
            return writeFailed(sqlError_);
    }
    if (!commit())
        return writeFailed(sqlError_);
    wrote();
    return true;
}

QList<ReportEntry> Archive::reports(const QString &number) const
{
    QList<ReportEntry> list;
    if (!isOpen() || version_ < 4)
        return list;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT report_number, at, station, user_name, memories, pages, sha256, file_path"
                             " FROM report%1 ORDER BY at DESC, id DESC")
                  .arg(number.isNull() ? QString() : QStringLiteral(" WHERE report_number = ?")));
    if (!number.isNull())
        q.addBindValue(number);
    if (!q.exec())
        return list;
    while (q.next()) {
        ReportEntry r;
        r.number = q.value(0).toString();
        r.at = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
        r.station = q.value(2).toString();
        r.user = q.value(3).toString();
        r.memories = q.value(4).toString();
        r.pages = q.value(5).toInt();
        r.sha256 = q.value(6).toString();
        r.path = q.value(7).toString();
        list.append(r);
    }
    return list;
}

QSqlQuery Archive::find(const ArchiveFilter &filter, int most) const
{
    settle();
    QVariantList binds;
    bool walk = false;
    QString sql = findSql(filter, &binds, &walk);
    if (most > 0)
        sql += QStringLiteral(" LIMIT %1").arg(most);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    // The server's planner cannot tell how many memories hold a word in
    // their latest text, and would read and sort them all rather than walk
    // the newest first; for a common word it is kept to the walk.
    // The setting stays until the next search: the rows are read after
    // this returns, and the server's other statements here go by index.
    const bool steer = walk && engine_ == ArchiveEngine::Server;
    if (steer != steered_ && engine_ == ArchiveEngine::Server) {
        QSqlQuery(db_).exec(steer ? QStringLiteral("SET enable_seqscan = off") : QStringLiteral("RESET enable_seqscan"));
        steered_ = steer;
    }
    if (q.prepare(sql)) {
        for (const QVariant &v : binds)
            q.addBindValue(v);
        q.exec();
    }
    return q;
}

QString Archive::findSql(const ArchiveFilter &filter, QVariantList *binds, bool *walk) const
{
    settle();
    QString sql = QStringLiteral(
        "SELECT m.id, m.taken, m.memory_number,"
        " (SELECT a.station FROM arrival a WHERE a.memory_id = m.id ORDER BY a.id LIMIT 1),"
        " m.first_arrived, m.range_text, m.gain_text, m.probe,"
        " COALESCE(v.note1, m.note1), COALESCE(v.note2, m.note2), COALESCE(v.note3, m.note3),"
        " COALESCE(v.note4, m.note4),"
        " (SELECT a.user_name FROM arrival a WHERE a.memory_id = m.id ORDER BY a.id LIMIT 1) FROM memory m");
    sql += latestNotes(engine_);
    QStringList where;
    const QString words = textQuery(filter.text);
    if (!words.isEmpty() && engine_ == ArchiveEngine::Local) {
        // Few matches: take them and sort them. Many (a common word): walk
        // the memories newest first and test each, so the first screen
        // comes without sorting them all ("+" keeps the search off m.id).
        QSqlQuery many(db_);
        many.prepare(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM memory_text WHERE memory_text MATCH ?"
                                    " LIMIT %1)")
                         .arg(kFewMatches));
        many.addBindValue(words);
        const bool common = many.exec() && many.next() && many.value(0).toInt() >= kFewMatches;
        where << (common ? QStringLiteral("+m.id IN (SELECT rowid FROM memory_text WHERE memory_text MATCH ?)")
                         : QStringLiteral("m.id IN (SELECT rowid FROM memory_text WHERE memory_text MATCH ?)"));
        *binds << words;
    } else if (!words.isEmpty()) {
        // Each word as typed, anywhere in the latest notes or the probe.
        QStringList likes;
        for (QString word : filter.text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            word.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                .replace(QLatin1Char('%'), QLatin1String("\\%"))
                .replace(QLatin1Char('_'), QLatin1String("\\_"));
            likes << QLatin1Char('%') + word + QLatin1Char('%');
        }
        // A word many memories hold is found by walking the memories newest
        // first (find() keeps the server to that plan); a rarer one gives
        // its candidates through the letter-triple indexes. The latest
        // text decides for every word. Counting stops at kFewMatches: the
        // server reads a common word's first rows, or a rare word's index.
        QSqlQuery many(db_);
        many.prepare(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM memory WHERE search_text ILIKE ? LIMIT %1) x")
                         .arg(kFewMatches));
        for (const QString &like : likes) {
            many.addBindValue(like);
            const bool common = many.exec() && many.next() && many.value(0).toInt() >= kFewMatches;
            if (common && walk)
                *walk = true;
            if (!common) {
                where << QStringLiteral("m.id IN (SELECT id FROM memory WHERE search_text ILIKE ?"
                                        " UNION ALL SELECT memory_id FROM note_version WHERE search_text ILIKE ?)");
                *binds << like << like;
            }
            where << QStringLiteral("(m.probe || ' ' || COALESCE(v.search_text, m.search_text)) ILIKE ?");
            *binds << like;
        }
    } else if (!filter.text.trimmed().isEmpty()) {
        where << QStringLiteral("0 = 1"); // only punctuation typed: nothing holds such a word
    }
    if (filter.since.isValid()) {
        where << QStringLiteral("m.taken >= ?");
        *binds << filter.since.toString(Qt::ISODate);
    }
    if (filter.until.isValid()) {
        where << QStringLiteral("m.taken < ?");
        *binds << filter.until.addDays(1).toString(Qt::ISODate);
    }
    if (filter.memory > 0) {
        where << QStringLiteral("m.memory_number = ?");
        *binds << filter.memory;
    }
    if (!filter.station.isEmpty()) {
        where << QStringLiteral("EXISTS (SELECT 1 FROM arrival s WHERE s.memory_id = m.id AND s.station = ?)");
        *binds << filter.station;
    }
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    return sql + QStringLiteral(" ORDER BY m.taken DESC, m.id DESC");
}

std::optional<Record> Archive::memory(qint64 id) const
{
    settle();
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT m.record, v.note1, v.note2, v.note3, v.note4 FROM memory m")
              + latestNotes(engine_) + QStringLiteral(" WHERE m.id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    std::optional<Record> record = recordFromBytes(q.value(0).toByteArray());
    if (record && !q.isNull(1))
        saveNotes(*record, {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                            q.value(4).toString()});
    return record;
}

QList<NoteVersion> Archive::noteHistory(qint64 id) const
{
    settle();
    QList<NoteVersion> history;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT at, station, user_name, old1, old2, old3, old4, note1, note2, note3, note4"
                             " FROM note_version WHERE memory_id = ? ORDER BY id DESC"));
    q.addBindValue(id);
    if (!q.exec())
        return history;
    while (q.next()) {
        NoteVersion v;
        v.at = QDateTime::fromString(q.value(0).toString(), Qt::ISODateWithMs);
        v.station = q.value(1).toString();
        v.user = q.value(2).toString();
        for (int i = 0; i < 4; ++i) {
            v.before << q.value(3 + i).toString();
            v.after << q.value(7 + i).toString();
        }
        history << v;
    }
    return history;
}

QStringList Archive::stations() const
{
    settle();
    QStringList found;
    QSqlQuery q(db_);
    if (q.exec(QStringLiteral("SELECT DISTINCT station FROM arrival ORDER BY station")))
        while (q.next())
            found << q.value(0).toString();
    return found;
}

} // namespace vextrum
