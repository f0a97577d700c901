// What the team archive costs, against a PostgreSQL 15 server of the
// bench's own (scripts/archive-server in a temporary folder, Unix socket):
//   1. push of waiting memories (default 10 000, each with its arrival)
//      from a PC's archive to the server, in the program's batches;
//   2. find --text on the server over many memories (default 1 000 000,
//      made on the server in bulk by its owner): a word ten memories hold
//      and a word all hold, the first 200 rows of each;
//   3. a Capture of memories (default 20) from the instrument simulator at
//      the real line rate, archived on the PC, with no server, with a
//      server that is down (nothing listens) and with one that takes the
//      connection and never answers: the wall times against each other.
// Usage: bench_team [push memories] [server memories] [captured memories]
//   (0 leaves that part out)
#include "app/frmmain.h"
#include "archive/archive.h"
#include "archive/serversync.h"
#include "display/msgbox.h"
#include "simkit/replybuilder.h"
#include "store/fields.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace vextrum;

namespace {

QString serverDir;

QString uri(const QString &user)
{
    return QStringLiteral("postgresql:///vextrum?host=%1&user=%2").arg(serverDir, user);
}

bool script(const char *action)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(VEXTRUM_SOURCE_DIR "/scripts/archive-server"), {QString::fromLatin1(action), serverDir});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

double median(std::vector<double> v)
{
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

Record piece(qint64 i)
{
    Record r = sampleRecord(int(1 + i % kMemoryCount), int(i / kMemoryCount));
    saveNotes(r, {noteText(r, pos::NotesFirst), QString(), QString(), QStringLiteral("PIECE %1").arg(i)});
    return r;
}

void push(int memories, const QString &folder)
{
    Archive pc;
    pc.open(QDir(folder).filePath(QStringLiteral("push.sqlite")));
    for (int i = 0; i < memories; i += 1000) {
        QList<Record> batch;
        for (int k = i; k < std::min(memories, i + 1000); ++k)
            batch << piece(k);
        pc.keepFile(batch, QStringLiteral("/data/day.dat"), QDateTime::currentDateTime());
    }
    Archive team;
    if (!team.openServer(uri(QStringLiteral("inspector")))) {
        std::fprintf(stderr, "bench_team: %s\n", qPrintable(team.why()));
        return;
    }
    const qint64 facts = pc.waiting();
    QElapsedTimer t;
    t.start();
    while (pc.pushTo(team, 500) > 0) {
    }
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("1. push of %d waiting memories (%lld facts) in %.2f s: %.0f memories/s; %lld still wait\n",
                memories, facts, s, memories / s, pc.waiting());
}

void find(qint64 memories)
{
    // Made in bulk by the owner: the rows as the program would send them,
    // without their record bytes' variety (the search reads none of them).
    QElapsedTimer t;
    t.start();
    {
        QSqlDatabase owner = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("owner"));
        owner.setHostName(serverDir);
        owner.setDatabaseName(QStringLiteral("vextrum"));
        owner.setUserName(QStringLiteral("vextrum_owner"));
        owner.open();
        QSqlQuery q(owner);
        const bool ok = q.exec(QStringLiteral(
            "INSERT INTO memory (uid, hash, record, memory_number, taken, range_text, gain_text, probe, note1, note2,"
            " note3, note4, first_arrived)"
            " SELECT 'bulk-' || x, md5('bulk' || x), decode(repeat('00', 1101), 'hex'), 1 + x % 200,"
            " to_char(timestamp '2003-01-01' + x * interval '7 minutes', 'YYYY-MM-DD\"T\"HH24:MI'), '100 MM', '25.0',"
            " 'M2SN', 'HULL SECTION ' || (x % 97), 'PLATE ' || x, CASE WHEN x % %1 = 7 THEN 'ZIRCON INCLUSION'"
            " ELSE '' END, '', '2026-12-08T10:00:00.000Z' FROM generate_series(1, %2) AS x")
                                   .arg(std::max<qint64>(1, memories / 10))
                                   .arg(memories))
                        && q.exec(QStringLiteral("INSERT INTO arrival (uid, memory_id, at, station, user_name, source,"
                                                 " file_path, file_time) SELECT 'a-' || id, id, first_arrived, 'BENCH',"
                                                 " 'bench', 'file', '', '' FROM memory WHERE uid LIKE 'bulk-%'"))
                        && q.exec(QStringLiteral("ANALYZE"));
        if (!ok)
            std::fprintf(stderr, "bench_team: %s\n", qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("owner"));
    std::printf("\n2. find --text on the server over %lld memories (made in %.1f s)\n", memories, t.nsecsElapsed() / 1e9);
    Archive team;
    team.openServer(uri(QStringLiteral("reader")), QStringLiteral("reader"));
    for (const auto &[word, what] : {std::pair{"zircon", "rare word (10 hold it)"},
                                     std::pair{"hull", "common word (all hold it)"},
                                     std::pair{"plate 4711", "a common and a rare word"}}) {
        std::vector<double> ms;
        int rows = 0;
        for (int run = 0; run < 5; ++run) {
            ArchiveFilter filter;
            filter.text = QString::fromLatin1(word);
            t.start();
            QSqlQuery q = team.find(filter, 200);
            rows = 0;
            while (q.next()) {
                for (int c = 0; c < kArchiveColumnCount; ++c)
                    (void)q.value(c);
                ++rows;
            }
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("   %-28s %3d rows: median %8.2f ms, min %8.2f ms (5 runs)\n", what, rows, median(ms),
                    *std::min_element(ms.begin(), ms.end()));
    }
}

// A Capture of `memories` at the line rate, archived on the PC and kept in
// step with `server`; its wall time in seconds.
double capture(int memories, const QString &server, const QString &folder)
{
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../vextrum-sim"),
              {QStringLiteral("--delay"), QStringLiteral("50")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000))
        return -1;
    const QByteArray line = sim.readLine().trimmed();
    qputenv("VEXTRUM_COM1", line.mid(line.indexOf('=') + 1));
    QDir::setCurrent(folder);
    QFile cfg(QStringLiteral("dfd.cfg"));
    cfg.open(QIODevice::WriteOnly);
    cfg.write("1\r\n");
    cfg.close();

    const QString path = QDir(folder).filePath(QStringLiteral("capture-%1.sqlite").arg(QDateTime::currentMSecsSinceEpoch()));
    Archive archive;
    archive.open(path);
    ServerSync sync(path);
    QObject::connect(&archive, &Archive::kept, &sync, &ServerSync::pushSoon);
    sync.setServer(server, QStringLiteral("inspector"));
    Session session;
    frmmain w(session, &archive);
    w.setServerSync(&sync);
    w.Form_Load();
    for (int i = 0; i < memories; ++i)
        w.lstmem()->item(i)->setSelected(true);
    QElapsedTimer wall;
    wall.start();
    w.cmdcapture_Click();
    QEventLoop loop;
    QObject::connect(&w.captureRun(), &CaptureRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double s = wall.nsecsElapsed() / 1e9;
    sim.kill();
    sim.waitForFinished();
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setMessageHook([](const QString &, const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    });
    const int pushed = argc > 1 ? std::atoi(argv[1]) : 10000;
    const qint64 onServer = argc > 2 ? std::atoll(argv[2]) : 1000000;
    const int captured = argc > 3 ? std::atoi(argv[3]) : 20;

    QTemporaryDir folder;
    // The server runs as its own user, which must reach its folder.
    QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) | QFile::ReadOther | QFile::ExeOther
                                             | QFile::ReadGroup | QFile::ExeGroup);
    serverDir = folder.filePath(QStringLiteral("server"));
    if (!script("start")) {
        std::fprintf(stderr, "bench_team: the server did not start\n");
        return 1;
    }
    qputenv("PGPASSWORD", "inspector");
    if (pushed > 0)
        push(pushed, folder.path());
    if (onServer > 0)
        find(onServer);
    if (captured > 0) {
        // Down: a port nothing listens on. Silent: a socket that takes the
        // connection (the kernel's backlog) and never says a word.
        const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(silent, reinterpret_cast<sockaddr *>(&at), sizeof at);
        ::listen(silent, 16);
        socklen_t length = sizeof at;
        ::getsockname(silent, reinterpret_cast<sockaddr *>(&at), &length);
        const int silentPort = ntohs(at.sin_port);
        std::printf("\n3. Capture of %d memories at the line rate, archived on the PC\n", captured);
        const std::pair<const char *, QString> servers[] = {
            {"no server", QString()},
            {"server down", QStringLiteral("postgresql://inspector@127.0.0.1:1/vextrum")},
            {"server that never answers", QStringLiteral("postgresql://inspector@127.0.0.1:%1/vextrum").arg(silentPort)},
            {"the bench's server", uri(QStringLiteral("inspector"))},
        };
        double none = 0;
        for (const auto &[what, server] : servers) {
            const double s = capture(captured, server, folder.path());
            if (server.isEmpty())
                none = s;
            std::printf("   %-28s wall %7.3f s (%+.2f%% against no server)\n", what, s, 100.0 * (s - none) / none);
        }
        ::close(silent);
    }
    QDir::setCurrent(QDir::tempPath());
    script("stop");
    return 0;
}
