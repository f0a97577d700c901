#include "archive/archive.h"

#include "store/fields.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>

namespace vextrum {

namespace {

// The layout, one step per version: step n takes an archive from version
// n - 1 to n. Steps are only ever added, never changed, so an archive of
// any earlier version comes up to date through the same statements.
const QList<QStringList> &layoutSteps()
{
    static const QList<QStringList> steps = {
        // 1: memories, each time one was seen, and note versions.
        {
            QStringLiteral("CREATE TABLE archive_version (version INTEGER NOT NULL)"),
            QStringLiteral("INSERT INTO archive_version (version) VALUES (0)"),
            QStringLiteral("CREATE TABLE memory ("
                           " id INTEGER PRIMARY KEY,"
                           " uid TEXT NOT NULL UNIQUE,"
                           " hash TEXT NOT NULL UNIQUE,"
                           " record BLOB NOT NULL,"
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
                           " id INTEGER PRIMARY KEY,"
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
                           " id INTEGER PRIMARY KEY,"
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
        // 2: the words of each memory's latest notes and its probe, for
        // full-text search, filled from what the archive holds.
        {
            QStringLiteral("CREATE VIRTUAL TABLE memory_text USING fts5"
                           " (notes, probe, tokenize = 'unicode61 remove_diacritics 2')"),
            QStringLiteral("INSERT INTO memory_text (rowid, notes, probe)"
                           " SELECT m.id, COALESCE(v.note1, m.note1) || ' ' || COALESCE(v.note2, m.note2) || ' '"
                           " || COALESCE(v.note3, m.note3) || ' ' || COALESCE(v.note4, m.note4), m.probe"
                           " FROM memory m LEFT JOIN note_version v"
                           " ON v.id = (SELECT max(id) FROM note_version WHERE memory_id = m.id)"),
        },
    };
    return steps;
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
        notes << nonNull(noteText(record, fieldInfo(f).first).trimmed());
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

int memoryNumber(const Record &record)
{
    const double n = ownNumber(record);
    return n >= 1 && n <= kMemoryCount && n == int(n) ? int(n) : 0;
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
enum class Statement { MemoryByHash, MemoryByNotes, AddMemory, DropWords, AddWords, AddArrival, SeenArrival, Count };
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
};

constexpr int kFewMatches = 20000;

const char *const kLatestNotes = " LEFT JOIN note_version v"
                                 " ON v.id = (SELECT max(id) FROM note_version WHERE memory_id = m.id)";

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
        "Operator", "Job detail", "Defect detail", "Remark",
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

void Archive::close()
{
    statements_.clear();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

QString Archive::why() const
{
    if (!openError_.isEmpty())
        return openError_;
    if (!isOpen())
        return tr("Memories are not being archived: no archive is open.");
    return writeError_;
}

bool Archive::fail(const QString &what)
{
    close();
    openError_ = tr("Memories are not being archived: %1.").arg(what);
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
    if (!writeError_.isEmpty()) {
        writeError_.clear();
        emit stateChanged();
    }
}

bool Archive::open(const QString &path, int upTo)
{
    close();
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

bool Archive::migrate(int from, int to)
{
    const QList<QStringList> &steps = layoutSteps();
    QSqlQuery q(db_);
    for (int v = from + 1; v <= std::min(to, int(steps.size())); ++v) {
        for (const QString &statement : steps[v - 1])
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
    return run(q, QStringLiteral("BEGIN IMMEDIATE"));
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
    if (!setSearchText(id, record))
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
    return run(q);
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
    if (!run(q) || !setSearchText(*id, after) || !commit())
        return writeFailed(sqlError_);
    wrote();
    return true;
}

QString Archive::findSql(const ArchiveFilter &filter, QVariantList *binds) const
{
    QString sql = QStringLiteral(
        "SELECT m.id, m.taken, m.memory_number,"
        " (SELECT a.station FROM arrival a WHERE a.memory_id = m.id ORDER BY a.id LIMIT 1),"
        " m.first_arrived, m.range_text, m.gain_text, m.probe,"
        " COALESCE(v.note1, m.note1), COALESCE(v.note2, m.note2), COALESCE(v.note3, m.note3),"
        " COALESCE(v.note4, m.note4) FROM memory m");
    sql += QLatin1String(kLatestNotes);
    QStringList where;
    const QString words = textQuery(filter.text);
    if (!words.isEmpty()) {
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
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT m.record, v.note1, v.note2, v.note3, v.note4 FROM memory m")
              + QLatin1String(kLatestNotes) + QStringLiteral(" WHERE m.id = ?"));
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
    QStringList found;
    QSqlQuery q(db_);
    if (q.exec(QStringLiteral("SELECT DISTINCT station FROM arrival ORDER BY station")))
        while (q.next())
            found << q.value(0).toString();
    return found;
}

} // namespace vextrum
