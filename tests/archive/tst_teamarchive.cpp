// The team archive on a real PostgreSQL server (the run's own, started by
// the fixture): what a PC sends arrives once whatever happens to the
// server or the PC on the way, two stations' copies of one memory are one
// memory seen twice, a server that refuses or is gone leaves the program
// working and saying so, and the server's history cannot be changed.
#include "app/frmarchive.h"
#include "app/frmserver.h"
#include "archive/serversync.h"
#include "common/program.h"
#include "simkit/replybuilder.h"
#include "simkit/simulator.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QPushButton>
#include <QTableView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace vextrum;

namespace {

const QString kDir = qEnvironmentVariable("VEXTRUM_SERVER_DIR");

QString uri(const QString &database, const QString &user)
{
    return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(database, kDir, user);
}

// Runs `sql` on the server as `user` (password as the server script sets
// it); the error's text, empty when it went through.
QString asUser(const QString &database, const QString &user, const QString &sql, QStringList *values = nullptr)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("direct"));
        db.setHostName(kDir);
        db.setDatabaseName(database);
        db.setUserName(user);
        db.setPassword(user);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            if (!q.exec(sql))
                error = q.lastError().text();
            while (values && q.next())
                *values << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return error;
}

int count(const QString &database, const QString &sql)
{
    QStringList v;
    return asUser(database, QStringLiteral("vextrum_owner"), sql, &v).isEmpty() && !v.isEmpty() ? v.front().toInt()
                                                                                                 : -1;
}

// A fresh team archive, as its owner makes it.
void freshDatabase(const QString &name)
{
    QVERIFY2(asUser(QStringLiteral("postgres"), QStringLiteral("vextrum_owner"),
                    QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name))
                 .isEmpty(),
             "drop");
    QVERIFY(asUser(QStringLiteral("postgres"), QStringLiteral("vextrum_owner"),
                   QStringLiteral("CREATE DATABASE %1").arg(name))
                .isEmpty());
    Archive owner;
    QVERIFY2(owner.initServer(uri(name, QStringLiteral("vextrum_owner"))), qPrintable(owner.why()));
}

bool server(const char *action)
{
    QProcess p;
    p.start(QStringLiteral(VEXTRUM_SOURCE_DIR "/scripts/archive-server"), {QString::fromLatin1(action), kDir});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// Memory i of many: a sample memory whose remark tells it apart.
Record piece(int i)
{
    Record r = sampleRecord(1 + i % kMemoryCount, i / kMemoryCount);
    QStringList notes;
    for (int n = 0; n < 3; ++n)
        notes << noteText(r, pos::NotesFirst + n * pos::NoteLength);
    saveNotes(r, notes << QStringLiteral("PIECE %1").arg(i));
    return r;
}

// `n` distinct memories kept on a PC's archive, as data files bring them.
void keep(Archive &pc, int first, int n)
{
    QList<Record> records;
    for (int i = first; i < first + n; ++i)
        records << piece(i);
    QVERIFY(pc.keepFile(records, QStringLiteral("/data/day.dat"), QDateTime::currentDateTime()));
}

} // namespace

class tst_teamarchive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void serverStoppedMidPush();
    void twoStationsOneMemory();
    void stationRestartedMidBatch();
    void programWithTheServer_data();
    void programWithTheServer();
    void newerServerArchive();
    void historyCannotBeChanged();
};

void tst_teamarchive::initTestCase()
{
    QVERIFY2(!kDir.isEmpty(), "VEXTRUM_SERVER_DIR names the fixture's server");
}

void tst_teamarchive::init()
{
    qputenv("PGPASSWORD", "inspector"); // as a password file would give it
}

void tst_teamarchive::serverStoppedMidPush()
{
    freshDatabase(QStringLiteral("stopped"));
    QTemporaryDir keepDir;
    const QString path = keepDir.filePath(QStringLiteral("pc.sqlite"));
    {
        Archive pc;
        QVERIFY(pc.open(path));
        keep(pc, 0, 3000);
        QCOMPARE(pc.waiting(), 6000); // each memory and its arrival
    }
    ServerSync sync(path);
    sync.setServer(uri(QStringLiteral("stopped"), QStringLiteral("inspector")));
    // Stopped once part has arrived; more is kept meanwhile; started again
    // while the PC retries.
    QVERIFY(QTest::qWaitFor([&] { return count(QStringLiteral("stopped"), QStringLiteral("SELECT count(*) FROM memory")) > 0; }, 30000));
    QVERIFY(server("stop"));
    {
        Archive pc;
        QVERIFY(pc.open(path));
        keep(pc, 3000, 500);
    }
    sync.pushSoon();
    QVERIFY(QTest::qWaitFor([&] { return sync.statusText() == QLatin1String("Archive server: not reachable"); }, 30000));
    QVERIFY(server("start"));
    QVERIFY(QTest::qWaitFor([&] { return sync.statusText() == QLatin1String("Archive: up to date"); }, 90000));
    QCOMPARE(count(QStringLiteral("stopped"), QStringLiteral("SELECT count(*) FROM memory")), 3500);
    QCOMPARE(count(QStringLiteral("stopped"), QStringLiteral("SELECT count(*) FROM arrival")), 3500);
    QCOMPARE(count(QStringLiteral("stopped"), QStringLiteral("SELECT count(DISTINCT hash) FROM memory")), 3500);
}

void tst_teamarchive::twoStationsOneMemory()
{
    freshDatabase(QStringLiteral("stations"));
    Archive team;
    QVERIFY(team.openServer(uri(QStringLiteral("stations"), QStringLiteral("inspector"))));
    QTemporaryDir keepDir;
    for (const char *station : {"LAPTOP-A", "LAPTOP-B"}) {
        Archive pc;
        QVERIFY(pc.open(keepDir.filePath(QString::fromLatin1(station))));
        pc.setStation(QString::fromLatin1(station));
        pc.keepFiled(sampleMemory(12));
        QCOMPARE(pc.pushTo(team, 500), 2);
    }
    QCOMPARE(count(QStringLiteral("stations"), QStringLiteral("SELECT count(*) FROM memory")), 1);
    QStringList stations;
    QVERIFY(asUser(QStringLiteral("stations"), QStringLiteral("reader"),
                   QStringLiteral("SELECT station FROM arrival ORDER BY station"), &stations)
                .isEmpty());
    QCOMPARE(stations, (QStringList{"LAPTOP-A", "LAPTOP-B"}));
}

void tst_teamarchive::stationRestartedMidBatch()
{
    // The PC stops after the server took a batch and before it forgot
    // the batch (its own transaction never committed): it sends the batch
    // again after the restart, and the server adds nothing twice.
    freshDatabase(QStringLiteral("restarted"));
    Archive team;
    QVERIFY(team.openServer(uri(QStringLiteral("restarted"), QStringLiteral("inspector"))));
    QTemporaryDir keepDir;
    const QString path = keepDir.filePath(QStringLiteral("pc.sqlite"));
    const QString before = keepDir.filePath(QStringLiteral("before.sqlite"));
    {
        Archive pc;
        QVERIFY(pc.open(path));
        keep(pc, 0, 150);
        Record noted = piece(2);
        saveNotes(noted, {QStringLiteral("RECHECKED")});
        QVERIFY(pc.keepNotes(piece(2), noted));
    }
    QVERIFY(QFile::copy(path, before));
    for (const QString &file : {path, before}) {
        Archive pc;
        QVERIFY(pc.open(file));
        while (pc.waiting() > 0)
            QVERIFY(pc.pushTo(team, 100) > 0);
    }
    QCOMPARE(count(QStringLiteral("restarted"), QStringLiteral("SELECT count(*) FROM memory")), 150);
    QCOMPARE(count(QStringLiteral("restarted"), QStringLiteral("SELECT count(*) FROM arrival")), 150);
    QCOMPARE(count(QStringLiteral("restarted"), QStringLiteral("SELECT count(*) FROM note_version")), 1);
}

void tst_teamarchive::programWithTheServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("kept"); // in the settings
    // A password typed into the URI is used, and kept nowhere.
    QTest::newRow("reachable") << QStringLiteral("postgresql://inspector:inspector@/program?host=%1").arg(kDir) << ""
                               << "Archive: up to date"
                               << QStringLiteral("postgresql://inspector@/program?host=%1").arg(kDir);
    QTest::newRow("wrong password") << uri(QStringLiteral("program"), QStringLiteral("inspector")) << "guess"
                                    << "Archive server: password refused"
                                    << uri(QStringLiteral("program"), QStringLiteral("inspector"));
    QTest::newRow("unreachable host") << QStringLiteral("postgresql://inspector@db.invalid/vextrum") << "inspector"
                                      << "Archive server: not reachable"
                                      << QStringLiteral("postgresql://inspector@db.invalid/vextrum");
}

void tst_teamarchive::programWithTheServer()
{
    QFETCH(QString, server);
    QFETCH(QString, password);
    QFETCH(QString, status);
    QFETCH(QString, kept);
    freshDatabase(QStringLiteral("program"));
    InstrumentSimulator instrument(fastInstrument());
    QTemporaryDir keepDir;
    const QString path = keepDir.filePath(QStringLiteral("pc.sqlite"));
    Program p(instrument.devicePath(), quickTimeouts(), path);
    ServerSync sync(path);
    QObject::connect(p.archive.get(), &Archive::kept, &sync, &ServerSync::pushSoon);
    p.main->setServerSync(&sync);
    qunsetenv("PGPASSWORD"); // only what is typed in the Server window
    {
        frmserver box(sync, p.main.get());
        box.findChild<QLineEdit *>(QStringLiteral("txturi"))->setText(server);
        QTest::keyClicks(box.findChild<QLineEdit *>(QStringLiteral("txtpassword")), password);
        box.findChild<QPushButton *>(QStringLiteral("cmdok"))->click();
    }
    QCOMPARE(QSettings().value(QString::fromLatin1(ServerSync::kServerKey)).toString(), kept);

    // A Capture files and archives on this PC whatever the server does.
    p.main->lstmem()->item(6)->setSelected(true);
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !p.main->capturing(); }, 10000));
    QCOMPARE(p.main->lstmem()->item(6)->text(), QStringLiteral("Mem 7 *"));
    const bool reachable = status == QLatin1String("Archive: up to date");
    if (reachable)
        QVERIFY(QTest::qWaitFor(
            [&] { return count(QStringLiteral("program"), QStringLiteral("SELECT count(*) FROM memory WHERE memory_number = 7")) == 1; },
            20000));
    QVERIFY(QTest::qWaitFor(
        [&] { return p.main->findChild<QLabel *>(QStringLiteral("archiveserver"))->text() == status; }, 20000));

    // The Archive window says where its rows come from.
    p.main->findChild<QAction *>(QStringLiteral("mnuarchive"))->trigger();
    auto *w = p.main->findChild<frmarchive *>();
    QLabel *source = w->findChild<QLabel *>(QStringLiteral("labsource"));
    if (reachable) {
        QVERIFY(QTest::qWaitFor([&] { return source->text() == QLatin1String("Team archive, server reachable"); }, 10000));
        QTest::keyClicks(w->findChild<QLineEdit *>(QStringLiteral("txtfind")), QStringLiteral("mwb60"));
        QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("txtfind")), Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return w->table()->model()->rowCount() == 1; }, 10000));
    } else {
        QVERIFY(source->text().startsWith(QLatin1String("This PC only: server not reachable since ")));
        QCOMPARE(p.archive->waiting(), 2);
    }
}

void tst_teamarchive::newerServerArchive()
{
    freshDatabase(QStringLiteral("newer"));
    QVERIFY(asUser(QStringLiteral("newer"), QStringLiteral("vextrum_owner"),
                   QStringLiteral("UPDATE archive_version SET version = 99"))
                .isEmpty());
    Archive team;
    QVERIFY(!team.openServer(uri(QStringLiteral("newer"), QStringLiteral("inspector"))));
    QVERIFY2(team.why().contains(QLatin1String("newer Vextrum DGS")), qPrintable(team.why()));
    QCOMPARE(count(QStringLiteral("newer"), QStringLiteral("SELECT version FROM archive_version")), 99);
}

void tst_teamarchive::historyCannotBeChanged()
{
    freshDatabase(QStringLiteral("history"));
    Archive team;
    QVERIFY(team.openServer(uri(QStringLiteral("history"), QStringLiteral("inspector"))));
    QTemporaryDir keepDir;
    Archive pc;
    QVERIFY(pc.open(keepDir.filePath(QStringLiteral("pc.sqlite"))));
    pc.keepFiled(sampleMemory(5));
    // The job and an inspection report of it go to the team too.
    Job job;
    job.text(JobDetail::ReportNumber) = QStringLiteral("R-5");
    pc.keepJob(job, {sampleMemory(5)});
    ReportEntry report;
    report.number = QStringLiteral("R-5");
    report.sha256 = QStringLiteral("ab12");
    QVERIFY(pc.keepReport(report, job, {{5, sampleMemory(5)}}));
    QCOMPARE(pc.pushTo(team, 500), 4);
    QCOMPARE(pc.pushTo(team, 500), 0);
    QStringList sent;
    asUser(QStringLiteral("history"), QStringLiteral("reader"),
           QStringLiteral("SELECT r.sha256 || ' ' || m.memory_number FROM report r"
                          " JOIN report_memory m ON m.report_uid = r.uid"),
           &sent);
    QCOMPARE(sent, QStringList{QStringLiteral("ab12 5")});
    QCOMPARE(count(QStringLiteral("history"), QStringLiteral("SELECT count(*) FROM job_memory")), 1);
    for (const char *sql : {"UPDATE memory SET note1 = 'CHANGED'", "DELETE FROM arrival", "DELETE FROM memory",
                            "UPDATE archive_version SET version = 1", "DELETE FROM report",
                            "UPDATE job_version SET details = ''", "TRUNCATE report_memory"}) {
        QVERIFY2(!asUser(QStringLiteral("history"), QStringLiteral("inspector"), QString::fromLatin1(sql)).isEmpty(),
                 sql);
        // Not even the owner changes what was kept.
        if (QByteArray(sql).contains("memory") || QByteArray(sql).contains("arrival")
            || QByteArray(sql).contains("report") || QByteArray(sql).contains("job"))
            QVERIFY2(!asUser(QStringLiteral("history"), QStringLiteral("vextrum_owner"), QString::fromLatin1(sql))
                          .isEmpty(),
                     sql);
    }
    QCOMPARE(count(QStringLiteral("history"), QStringLiteral("SELECT count(*) FROM arrival")), 1);
    QStringList notes;
    asUser(QStringLiteral("history"), QStringLiteral("reader"), QStringLiteral("SELECT note1 FROM memory"), &notes);
    QCOMPARE(notes, QStringList{noteText(sampleMemory(5), pos::NotesFirst).trimmed()});
}

QTEST_MAIN(tst_teamarchive)
#include "tst_teamarchive.moc"
