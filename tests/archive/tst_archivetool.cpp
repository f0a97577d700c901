// The archive tool as a user runs it: a folder of data files imported,
// searched and exported by the real vextrum-archive, in a folder of its own.
#include "common/csv.h"
#include "files/datafile.h"
#include "simkit/replybuilder.h"
#include "store/fields.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace vextrum;

namespace {

struct Run
{
    int exitCode = -99;
    QString out, err;
};

const QString kMarkedNote = QStringLiteral("W-12/3 weld");

// A memory as written, and the time of the file that first brought it.
struct Written
{
    Record record;
    QDateTime fileTime;
    bool marked = false;
};

// What find prints of a memory after its id and arrival: memory number,
// taken and the four notes, from what was written.
QString shownLine(const Written &w)
{
    QDateTime taken = instrumentTime(w.record);
    if (!taken.isValid())
        taken = w.fileTime;
    QStringList fields = {QString::number(int(ownNumber(w.record))), taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
    for (int i = 0; i < 4; ++i)
        fields << (w.marked && i == 0 ? kMarkedNote : noteText(w.record, pos::NotesFirst + i * pos::NoteLength).trimmed());
    return fields.join(QLatin1Char('\t'));
}

} // namespace

class tst_archivetool : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void importFolder();
    void find_data();
    void find();
    void exportById();

private:
    Run tool(const QStringList &args) const;
    QStringList expected(const std::function<bool(const Written &)> &which) const;

    QTemporaryDir dir_;
    QList<Written> written_; // the distinct captured memories of the folder
};

Run tst_archivetool::tool(const QStringList &args) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // it must manage without
    // The program's own archive and settings stay the user's.
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir_.path());
    p.start(QStringLiteral(VEXTRUM_ARCHIVE), args);
    Run run;
    if (!p.waitForFinished(60000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QStringList tst_archivetool::expected(const std::function<bool(const Written &)> &which) const
{
    QStringList lines;
    for (const Written &w : written_)
        if (which(w))
            lines << shownLine(w);
    lines.sort();
    return lines;
}

// in/a.dat: memories 1..200, memory 7 with notes of its own; in/b.dat the
// same numbers in other setups, the last ten slots holding memories that
// are not their own (not captured); in/sub/a-copy.dat a copy of a.dat; and
// in/notes.txt, which is no data file.
void tst_archivetool::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("in/sub")));
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    for (int n = 1; n <= kMemoryCount; ++n)
        (*store)[size_t(n - 1)] = sampleMemory(n);
    saveNotes((*store)[6], {kMarkedNote, QStringLiteral("Pipe 4 east"), QString(), QString()});
    const QString a = dir_.filePath(QStringLiteral("in/a.dat"));
    QVERIFY(writeDataFile(a, *store));
    for (int n = 1; n <= kMemoryCount; ++n)
        written_ << Written{(*store)[size_t(n - 1)], QFileInfo(a).lastModified(), n == 7};

    const QString b = dir_.filePath(QStringLiteral("in/b.dat"));
    for (int n = 1; n <= kMemoryCount; ++n)
        (*store)[size_t(n - 1)] = n <= 190 ? sampleRecord(n, n % kSampleVariants) : sampleMemory(n - 100);
    QVERIFY(writeDataFile(b, *store));
    for (int n = 1; n <= 190; ++n)
        written_ << Written{(*store)[size_t(n - 1)], QFileInfo(b).lastModified()};

    QVERIFY(QFile::copy(a, dir_.filePath(QStringLiteral("in/sub/a-copy.dat"))));
    QFile junk(dir_.filePath(QStringLiteral("in/notes.txt")));
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("Shift notes: pipe 4 done, pipe 5 tomorrow.\n") > 0);
}

void tst_archivetool::importFolder()
{
    // 200 + 190 captured memories, then the copy's 200 again.
    Run run = tool({"import", "in", "--archive", "a.sqlite"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("3 files, 590 memories, 390 new, 1 skipped\n"));
    QVERIFY2(run.err.startsWith(QStringLiteral("vextrum-archive: skipped: in/notes.txt: ")), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY(!run.err.contains(QLatin1Char('\r'))); // no progress line off a terminal

    // The folder twice over adds nothing, and the thousands stand apart.
    run = tool({"import", "--archive", "a.sqlite", "in", "in"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("6 files, 1 180 memories, 0 new, 2 skipped\n"));

    run = tool({"import", "--archive", "a.sqlite", "in/notes.txt"});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral("0 files, 0 memories, 0 new, 1 skipped\n"));
}

void tst_archivetool::find_data()
{
    QTest::addColumn<QStringList>("args"); // --archive a.sqlite unless they name one
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // sorted; what follows id and arrival

    const QStringList marked = expected([](const Written &w) { return w.marked; });
    const QDate day = instrumentTime(written_[6].record).date();
    const QString dayText = day.toString(Qt::ISODate);
    QTest::newRow("punctuation as typed") << QStringList{"--text", "W-12/3"} << 0 << marked;
    QTest::newRow("as CSV") << QStringList{"--csv", "--text", "W-12/3"} << 0 << marked;
    QTest::newRow("two words, any case") << QStringList{"--text", "WELD w-12/3"} << 0 << marked;
    QTest::newRow("a common word") << QStringList{"--text", "weld"} << 0 << expected([](const Written &w) {
        return shownLine(w).contains(QLatin1String("weld"), Qt::CaseInsensitive);
    });
    QTest::newRow("memory number") << QStringList{"--memory", "7"} << 0
                                   << expected([](const Written &w) { return ownNumber(w.record) == 7; });
    QTest::newRow("one day") << QStringList{"--since", dayText, "--until", dayText} << 0
                             << expected([day](const Written &w) { return instrumentTime(w.record).date() == day; });
    QTest::newRow("hostile text") << QStringList{"--text", "\"*("} << 0 << QStringList{};
    QTest::newRow("an operator is a word") << QStringList{"--text", "weld\" OR \"x"} << 0 << QStringList{};
    QTest::newRow("no such day") << QStringList{"--since", "2003-02-30"} << 2 << QStringList{};
    QTest::newRow("memory past 200") << QStringList{"--memory", "201"} << 2 << QStringList{};
    QTest::newRow("no archive there") << QStringList{"--archive", "none.sqlite"} << 1 << QStringList{};
    QTest::newRow("no archive but a text") << QStringList{"--archive", "in/notes.txt"} << 1 << QStringList{};
}

void tst_archivetool::find()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    if (!args.contains(QStringLiteral("--archive")))
        args << QStringLiteral("--archive") << QStringLiteral("a.sqlite");
    const QByteArray junk = [this] {
        QFile f(dir_.filePath(QStringLiteral("in/notes.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    const Run run = tool(QStringList{"find"} + args);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith(QStringLiteral("vextrum-archive: ")), qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("none.sqlite")))); // none made
        QFile f(dir_.filePath(QStringLiteral("in/notes.txt")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), junk); // left as it was
        return;
    }
    QCOMPARE(run.err, QString());
    QList<QStringList> rows;
    if (args.contains(QStringLiteral("--csv"))) {
        rows = parseCsv(run.out.toUtf8());
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows.takeFirst(), (QStringList{"Id", "Arrived", "Mem", "Taken", "Operator", "Job detail",
                                                "Defect detail", "Remark"}));
    } else {
        for (const QString &line : run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows << line.split(QLatin1Char('\t'));
    }
    QStringList found;
    for (const QStringList &row : rows) {
        QCOMPARE(row.size(), 8);
        QVERIFY(row[0].toLongLong() > 0);
        QVERIFY2(QDateTime::fromString(row[1], QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(), qPrintable(row[1]));
        found << row.mid(2).join(QLatin1Char('\t'));
    }
    found.sort();
    QCOMPARE(found, lines);
}

void tst_archivetool::exportById()
{
    const Run found = tool({"find", "--archive", "a.sqlite", "--text", "W-12/3"});
    QCOMPARE(found.exitCode, 0);
    const QString id = found.out.section(QLatin1Char('\t'), 0, 0);
    QVERIFY(id.toLongLong() > 0);

    Run run = tool({"export", id, "--csv", "m.csv", "--pdf", "m.pdf", "--archive", "a.sqlite"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QFile csv(dir_.filePath(QStringLiteral("m.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(csv.readAll());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value(0), QStringLiteral("7"));
    const qsizetype operatorColumn = rows[0].indexOf(QStringLiteral("OPERATOR"));
    QVERIFY(operatorColumn > 0);
    QCOMPARE(rows[1].value(operatorColumn), kMarkedNote);
    QFile pdf(dir_.filePath(QStringLiteral("m.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");

    // An id the archive does not hold is named, and nothing is written.
    run = tool({"export", id, "999999", "--csv", "n.csv", "--archive", "a.sqlite"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String(": 999999\n")), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("n.csv"))));
}

QTEST_GUILESS_MAIN(tst_archivetool)
#include "tst_archivetool.moc"
