// The archive along the user's path: memories captured over the line are in
// the archive before their list entry is marked, note saves add versions,
// data files opened are kept once, the Archive window finds them; an
// archive that cannot be used leaves the program working; a program killed
// right after a mark or a note save loses nothing. The archive is always
// read back through a connection of its own, as the next start would.
#include "app/frmarchive.h"
#include "archive/archivemodel.h"
#include "common/program.h"
#include "files/datafile.h"
#include "files/frmopen.h"
#include "files/frmsave.h"
#include "simkit/replybuilder.h"
#include "simkit/simulator.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

using namespace vextrum;

namespace {

// The first column of each row `sql` gives, read by a connection of its own.
QStringList readBack(const QString &path, const QString &sql)
{
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("readback"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql))
                while (q.next())
                    values << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("readback"));
    return values;
}

int count(const QString &path, const QString &sql)
{
    const QStringList v = readBack(path, sql);
    return v.isEmpty() ? -1 : v.front().toInt();
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename T>
T *fromMenu(Program &p, const char *item)
{
    p.main->findChild<QAction *>(QString::fromLatin1(item))->trigger();
    return p.main->findChild<T *>();
}

void typeNote(Program &p, const QString &text)
{
    QLineEdit *box = p.main->box("txtopname");
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
}

bool capture(Program &p, std::initializer_list<int> memories)
{
    p.main->lstmem()->clearSelection();
    for (int n : memories)
        QTest::mouseClick(p.main->lstmem()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          p.main->lstmem()->visualItemRect(p.main->lstmem()->item(n - 1)).center());
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
    return QTest::qWaitFor([&] { return !p.main->capturing(); }, 10000);
}

void openFile(Program &p, const QString &path)
{
    auto *open = fromMenu<frmopen>(p, "mnuopen");
    open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(path);
    QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
}

// Memories that hold only the data file's captured memory `memory`.
void writeFileWith(const QString &path, int memory)
{
    Store store;
    initialiseStore(store);
    store[std::size_t(memory - 1)] = sampleMemory(memory);
    QVERIFY(writeDataFile(path, store));
}

// The program as a child process: captures memory 3, then (mode "notes")
// saves a note into it, printing a line at each step and then waiting to
// be killed.
int child(int argc, char *argv[])
{
    if (qEnvironmentVariable("MODE") == QLatin1String("writer")) {
        // Another program on the same archive: 150 memories of its own, a
        // transaction each.
        QCoreApplication app(argc, argv);
        Archive archive;
        if (!archive.open(qEnvironmentVariable("ARCHIVE")))
            return 1;
        const int first = qEnvironmentVariableIntValue("FIRST");
        for (int n = first; n < first + 150; ++n) {
            archive.keepFiled(sampleRecord(n % 200 + 1, n / 200));
            if (!archive.isArchiving())
                return 2;
        }
        return 0;
    }
    QApplication app(argc, argv);
    InstrumentSimulator sim(fastInstrument());
    Program p(sim.devicePath(), quickTimeouts(), qEnvironmentVariable("ARCHIVE"));
    const bool notes = qEnvironmentVariable("MODE") == QLatin1String("notes");
    QObject::connect(p.main->lstmem()->model(), &QAbstractItemModel::dataChanged, &app, [&] {
        if (p.main->lstmem()->item(2)->text() != QLatin1String("Mem 3 *"))
            return;
        std::fputs("marked\n", stdout);
        std::fflush(stdout);
    });
    if (!capture(p, {3}))
        return 1;
    if (notes) {
        p.doubleClick(2, Qt::NoModifier);
        typeNote(p, QStringLiteral("KILLED AFTER SAVE"));
        std::fputs("saved\n", stdout);
        std::fflush(stdout);
    }
    return app.exec();
}

} // namespace

class tst_archive : public QObject
{
    Q_OBJECT
private slots:
    void captureNotesOpenAndFind();
    void archiveThatCannotBeUsed_data();
    void archiveThatCannotBeUsed();
    void killedRightAfter_data();
    void killedRightAfter();
    void twoProgramsOnOneArchive();
    void opensOnceTheWindowShows();
};

void tst_archive::captureNotesOpenAndFind()
{
    QTemporaryDir keep;
    const QString path = keep.filePath(QStringLiteral("archive/archive.sqlite"));
    // An archive as the first layout left it, holding memory 4 with a note.
    {
        QVERIFY(QDir().mkpath(keep.filePath(QStringLiteral("archive"))));
        Archive earlier;
        QVERIFY(earlier.open(path, 1));
        Record old = sampleMemory(4);
        saveNotes(old, {QStringLiteral("OLD WELD LINE 4")});
        QVERIFY(earlier.keepFile({old}, QString(), QDateTime::currentDateTime()));
    }
    InstrumentSimulator instrument(fastInstrument());
    Program p(instrument.devicePath(), quickTimeouts(), path);
    QCOMPARE(readBack(path, QStringLiteral("SELECT version FROM archive_version")),
             QStringList{QString::number(kArchiveVersion)});
    // What the earlier layout held waits for the team's server too: the
    // memory and its arrival.
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM push_queue")), 2);

    // Each memory is in the archive by the time its entry shows the mark.
    QStringList seenAtMark;
    connect(p.main->lstmem()->model(), &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &i) {
        const QString text = i.data().toString();
        if (text.endsWith(QLatin1String(" *")))
            seenAtMark << QStringLiteral("%1:%2").arg(text).arg(count(
                              path, QStringLiteral("SELECT count(*) FROM memory WHERE memory_number = %1").arg(i.row() + 1)));
    });
    QVERIFY(capture(p, {2, 5}));
    QCOMPARE(seenAtMark, (QStringList{"Mem 2 *:1", "Mem 5 *:1"}));
    // The same memory again: kept once, seen twice.
    QVERIFY(capture(p, {2}));
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM memory")), 3);
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM arrival a JOIN memory m ON m.id = a.memory_id"
                                        " WHERE m.memory_number = 2 AND a.source = 'instrument'")),
             2);

    // A note save is a version: who, the old text and the new.
    p.doubleClick(1, Qt::NoModifier);
    typeNote(p, QStringLiteral("W-12/3 weld root"));
    QCOMPARE(readBack(path, QStringLiteral("SELECT note1 FROM note_version")), QStringList{"W-12/3 weld root"});
    QCOMPARE(readBack(path, QStringLiteral("SELECT old1 FROM note_version")),
             QStringList{noteText(sampleMemory(2), pos::NotesFirst).trimmed()});

    // Save, and open the file: its memories are known (memory 2 by its
    // saved notes), so only the file's arrivals are added, and once.
    QTest::mouseClick(fromMenu<frmsave>(p, "mnusave")->findChild<QPushButton *>(QStringLiteral("cmdsaveok")),
                      Qt::LeftButton);
    const QString day = p.dir.file(QStringLiteral("temp.dat"));
    for (int twice = 0; twice < 2; ++twice)
        openFile(p, day);
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM memory")), 3);
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM arrival WHERE source = 'file' AND file_path <> ''")), 2);
    // A file holding a memory never seen adds it.
    const QString other = p.dir.file(QStringLiteral("other.dat"));
    writeFileWith(other, 7);
    openFile(p, other);
    QCOMPARE(readBack(path, QStringLiteral("SELECT file_path FROM arrival a JOIN memory m ON m.id = a.memory_id"
                                           " WHERE m.memory_number = 7")),
             QStringList{QFileInfo(other).absoluteFilePath()});

    // View, Archive: words as typed, any case, punctuation and all.
    auto *w = fromMenu<frmarchive>(p, "mnuarchive");
    QVERIFY(w->findChild<QLabel *>(QStringLiteral("labarchive"))->text().contains(QDir::toNativeSeparators(path)));
    const auto find = [&](const QString &text) {
        QLineEdit *box = w->findChild<QLineEdit *>(QStringLiteral("txtfind"));
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        else
            QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QStringList found;
        for (int r = 0; r < w->model()->rowCount(); ++r)
            found << QString::number(w->model()->memoryAt(r));
        return found;
    };
    // Newest first by the instrument's clock (2003-01-08, -05, -03 for 7, 4
    // and 2); memory 5's clock is off, so it counts from its arrival today.
    QCOMPARE(find(QString()), (QStringList{"5", "7", "4", "2"}));
    QCOMPARE(find(QStringLiteral("w-12/3")), QStringList{"2"});
    QCOMPARE(find(QStringLiteral("old weld")), QStringList{"4"});
    for (const char *hostile : {"\"", "*", "NEAR(", "- OR ^", "w-12/3\" OR \"old"})
        QVERIFY2(find(QString::fromLatin1(hostile)).size() <= 1, hostile);
    QVERIFY(!w->findChild<QLabel *>(QStringLiteral("labresult"))->text().contains(QLatin1String("cannot")));
    // The day it was taken: 5 January 2003 holds memory 4 alone.
    find(QString());
    w->findChild<QDateEdit *>(QStringLiteral("dtsince"))->setDate(QDate(2003, 1, 5));
    w->findChild<QDateEdit *>(QStringLiteral("dtuntil"))->setDate(QDate(2003, 1, 5));
    w->findChild<QCheckBox *>(QStringLiteral("chksince"))->click();
    w->findChild<QCheckBox *>(QStringLiteral("chkuntil"))->click();
    QCOMPARE(find(QString()), QStringList{"4"});

    // Shown from the archive, its notes go back into the archive.
    QTableView *table = w->table();
    const QPoint row0 = table->visualRect(w->model()->index(0, 1)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row0);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row0);
    QVERIFY(p.m->showingArchived());
    QCOMPARE(p.main->box("txtopname")->text().trimmed(), QStringLiteral("OLD WELD LINE 4"));
    typeNote(p, QStringLiteral("REPAIRED"));
    QCOMPARE(p.main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text(),
             QStringLiteral("Notes saved into the archive"));
    QCOMPARE(find(QStringLiteral("old weld")), QStringList{});
    QCOMPARE(find(QStringLiteral("repaired")), QStringList{"4"});

    // Put into slots asks before replacing a captured memory.
    QVERIFY(!p.m->isCaptured(3));
    table->selectRow(0);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdslots")), Qt::LeftButton);
    QCOMPARE(p.main->lstmem()->item(3)->text(), QStringLiteral("Mem 4 *"));
    QCOMPARE(p.m->record(3), *p.archive->memory(w->model()->idAt(0)));
    const int asked = int(p.log.messages.size());
    p.log.answer = false;
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdslots")), Qt::LeftButton);
    QCOMPARE(p.log.messages.size(), asked + 1); // the question, answered No
}

void tst_archive::archiveThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder that is a file") << "folder";
    QTest::newRow("damaged file") << "damaged";
    QTest::newRow("archive of a newer program") << "newer";
    QTest::newRow("another program's database") << "foreign";
}

void tst_archive::archiveThatCannotBeUsed()
{
    QFETCH(QString, kind);
    QTemporaryDir keep;
    QString path = keep.filePath(QStringLiteral("archive.sqlite"));
    if (kind == QLatin1String("folder")) {
        // Permissions do not bind root, so the folder cannot be made at all.
        QFile blocker(keep.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        path = keep.filePath(QStringLiteral("blocker/archive.sqlite"));
    } else if (kind == QLatin1String("damaged")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3").append(4081, '\x5a'));
    } else {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            if (kind == QLatin1String("newer")) {
                QVERIFY(q.exec(QStringLiteral("CREATE TABLE archive_version (version INTEGER NOT NULL)")));
                QVERIFY(q.exec(QStringLiteral("INSERT INTO archive_version VALUES (99)")));
            } else {
                QVERIFY(q.exec(QStringLiteral("CREATE TABLE accounts (name TEXT)")));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    }
    const QByteArray before = bytesOf(path);

    InstrumentSimulator instrument(fastInstrument());
    Program p(instrument.devicePath(), quickTimeouts(), path);
    QVERIFY(p.main->isVisible());
    QVERIFY(p.main->findChild<QLabel *>(QStringLiteral("archivestate"))->isVisible());
    QVERIFY(p.main->findChild<QLabel *>(QStringLiteral("capturestatus"))
                ->text()
                .startsWith(QLatin1String("Memories are not being archived: ")));
    // Capture, notes and Save go on.
    QVERIFY(capture(p, {3}));
    QCOMPARE(p.main->lstmem()->item(2)->text(), QStringLiteral("Mem 3 *"));
    p.doubleClick(2, Qt::NoModifier);
    typeNote(p, QStringLiteral("STILL SAVED"));
    QCOMPARE(noteText(p.m->record(2), pos::NotesFirst).trimmed(), QStringLiteral("STILL SAVED"));
    QTest::mouseClick(fromMenu<frmsave>(p, "mnusave")->findChild<QPushButton *>(QStringLiteral("cmdsaveok")),
                      Qt::LeftButton);
    QCOMPARE(QFileInfo(p.dir.file(QStringLiteral("temp.dat"))).size(), 880000);
    // The window says why too; the file is as it was.
    auto *w = fromMenu<frmarchive>(p, "mnuarchive");
    QVERIFY(w->findChild<QLabel *>(QStringLiteral("labarchive"))->text().contains(QLatin1String("not being archived")));
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(p.log.messages.size(), 0);
}

void tst_archive::killedRightAfter_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("line");
    QTest::newRow("the mark") << "mark" << "marked";
    QTest::newRow("a note save") << "notes" << "saved";
}

void tst_archive::killedRightAfter()
{
    QFETCH(QString, mode);
    QFETCH(QString, line);
    QTemporaryDir keep;
    const QString path = keep.filePath(QStringLiteral("archive.sqlite"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ARCHIVE"), path);
    env.insert(QStringLiteral("MODE"), mode);
    // Its working folder goes inside ours: killed, it cannot remove it.
    env.insert(QStringLiteral("TMPDIR"), keep.path());
    env.insert(QStringLiteral("VEXTRUM_ARCHIVE_CHILD"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(program.waitForStarted());
    QByteArray out;
    QVERIFY(QTest::qWaitFor(
        [&] {
            out += program.readAllStandardOutput();
            return out.contains(line.toLatin1() + '\n');
        },
        20000));
    program.kill(); // SIGKILL: no clean-up of any kind
    QVERIFY(program.waitForFinished());

    // The next start finds the memory, and the note saved last.
    Archive next;
    QVERIFY(next.open(path));
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM memory WHERE memory_number = 3")), 1);
    if (mode == QLatin1String("notes"))
        QCOMPARE(readBack(path, QStringLiteral("SELECT note1 FROM note_version")),
                 QStringList{"KILLED AFTER SAVE"});
}

void tst_archive::twoProgramsOnOneArchive()
{
    QTemporaryDir keep;
    const QString path = keep.filePath(QStringLiteral("archive.sqlite"));
    QList<QProcess *> writers;
    for (int first : {0, 150}) {
        auto *w = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ARCHIVE"), path);
        env.insert(QStringLiteral("MODE"), QStringLiteral("writer"));
        env.insert(QStringLiteral("FIRST"), QString::number(first));
        env.insert(QStringLiteral("VEXTRUM_ARCHIVE_CHILD"), QStringLiteral("1"));
        w->setProcessEnvironment(env);
        w->start(QCoreApplication::applicationFilePath(), {});
        writers << w;
    }
    for (QProcess *w : writers) {
        QVERIFY(w->waitForFinished(60000));
        QCOMPARE(w->exitCode(), 0);
    }
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM memory")), 300);
    QCOMPARE(count(path, QStringLiteral("SELECT count(DISTINCT memory_id) FROM arrival")), 300);
}

// The program's archive opens once the main window is on screen, before
// the user can reach for it; a memory kept sooner opens it and is kept.
void tst_archive::opensOnceTheWindowShows()
{
    QTemporaryDir keep;
    const QString path = keep.filePath(QStringLiteral("archive.sqlite"));
    {
        Archive early;
        early.openAtFirstUse(path);
        early.keepFiled(sampleRecord(7, 0));
        QVERIFY(!early.opensLater());
    }
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM memory")), 1);

    InstrumentSimulator instrument(fastInstrument());
    TempWorkDir dir;
    qputenv("VEXTRUM_COM1", instrument.devicePath().toLocal8Bit());
    QVERIFY(writeBytes(QStringLiteral("dfd.cfg"), "1\r\n"));
    Archive archive;
    archive.openAtFirstUse(path);
    Session session;
    frmmain main(session, &archive);
    main.Form_Load();
    QVERIFY(main.isVisible());
    QVERIFY(archive.opensLater());
    QTRY_VERIFY(!archive.opensLater());
    QVERIFY(archive.isArchiving());
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("VEXTRUM_ARCHIVE_CHILD"))
        return child(argc, argv);
    QApplication app(argc, argv);
    tst_archive test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_archive.moc"
