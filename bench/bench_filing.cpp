// What the program files from the line: noise must give no memory, and
// every reply of the instrument must give one. A separate process writes
// to the instrument's end of a pseudo-terminal as fast as the line takes:
//   1. uniform random bytes (default 1000 MB);
//   2. digit-rich noise, ASCII digits with one byte in eight a 255 (default
//      10 MB): every text field it fills is printable, every own number
//      three digits;
//   3. replies of the simulator (default 10 000): every sample memory 1 to
//      200 in each of its variants, with fill and gap bytes varied, each
//      written once the program has finished with the one before.
// The session runs as in the program, without a window. Prints, for each,
// the bytes, the time, the replies read whole and dropped as noise, and the
// memories filed.
// Usage: bench_filing [random MB] [digit MB] [replies]
#include "link/session.h"
#include "link/unpack.h"
#include "simkit/replybuilder.h"

#include "linewriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <pty.h>
#include <random>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace vextrum;

namespace {

// The instrument's end: 'r' random bytes, 'g' digit-rich noise, 'v' the
// replies, each reply after a 'k' from the program's side; every command
// answered with 'd' once done. Ends when the command pipe closes.
[[noreturn]] void writer(int master, int commands, int done, long randomBytes, long digitBytes, int replies)
{
    std::mt19937 random(7);
    std::vector<char> b(64 * 1024);
    auto stream = [&](long total, bool digits) {
        for (long sent = 0; sent < total; sent += long(b.size())) {
            for (char &c : b) {
                const std::uint32_t r = random();
                c = !digits ? char(r & 0xFF) : r % 8 == 0 ? char(255) : char('0' + (r >> 3) % 10);
            }
            if (!writeAll(master, b.data(), b.size()))
                return;
        }
    };
    char command = 0;
    while (::read(commands, &command, 1) == 1) {
        if (command == 'r' || command == 'g') {
            stream(command == 'r' ? randomBytes : digitBytes, command == 'g');
        } else if (command == 'v') {
            for (int i = 0; i < replies; ++i) {
                ReplyShape shape;
                shape.fillBytes = i % 10;
                shape.fillByte = std::uint8_t(i * 7);
                shape.gapByte = std::uint8_t(i);
                const int memory = 1 + i % kMemoryCount;
                const QByteArray reply = buildReply(sampleRecord(memory, i / kMemoryCount), shape);
                char ack = 0;
                if (!writeAll(master, reply.constData(), size_t(reply.size())) || ::read(commands, &ack, 1) != 1)
                    break;
            }
        }
        (void)!::write(done, "d", 1);
    }
    _exit(0);
}

} // namespace

int main(int argc, char *argv[])
{
    const long randomBytes = (argc > 1 ? std::atol(argv[1]) : 1000) * 1000 * 1000;
    const long digitBytes = (argc > 2 ? std::atol(argv[2]) : 10) * 1000 * 1000;
    const int replies = argc > 3 ? std::atoi(argv[3]) : 10000;

    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    int commands[2], done[2];
    if (openpty(&master, &slave, name, &raw, nullptr) != 0 || pipe(commands) != 0 || pipe(done) != 0) {
        std::perror("bench_filing");
        return 1;
    }
    const pid_t child = fork();
    if (child == 0) {
        ::close(slave);
        ::close(commands[1]);
        ::close(done[0]);
        writer(master, commands[0], done[1], randomBytes, digitBytes, replies);
    }
    ::close(master);
    ::close(commands[0]);
    ::close(done[1]);
    ::close(slave);

    qputenv("VEXTRUM_COM1", name);
    QCoreApplication app(argc, argv);
    Session session;
    session.setPortNumber(1);
    if (!session.openPort()) {
        std::fprintf(stderr, "bench_filing: %s cannot be opened\n", name);
        return 1;
    }
    long filed = 0, noise = 0;
    bool acking = false;
    QObject::connect(&session.store(), &MemoryStore::filed, [&filed] { ++filed; });
    QObject::connect(&session, &Session::status, [&](const QString &text) {
        if (text.contains(QLatin1String("no memory")))
            ++noise;
        if (acking)
            (void)!::write(commands[1], "k", 1);
    });

    QEventLoop loop;
    bool written = false;
    QSocketNotifier finished(done[0], QSocketNotifier::Read);
    QObject::connect(&finished, &QSocketNotifier::activated, &loop, [&] {
        char c;
        (void)!::read(done[0], &c, 1);
        written = true;
    });
    // Done once all is written and the session has finished with it.
    QTimer settled;
    settled.setInterval(100);
    QObject::connect(&settled, &QTimer::timeout, &loop, [&] {
        if (written && !session.busy() && session.port().inBufferCount() == 0)
            loop.quit();
    });
    auto run = [&](char command, const char *what, double bytes) {
        filed = noise = 0;
        written = false;
        acking = command == 'v';
        QElapsedTimer wall;
        wall.start();
        (void)!::write(commands[1], &command, 1);
        settled.start();
        loop.exec();
        settled.stop();
        const double s = wall.nsecsElapsed() / 1e9;
        std::printf("%s: %.0f MB in %.1f s (%.1f MB/s); replies read whole and dropped as noise %ld; memories "
                    "filed %ld\n",
                    what, bytes / 1e6, s, bytes / 1e6 / s, noise, filed);
        return filed;
    };
    const long fromRandom = run('r', "uniform random bytes", double(randomBytes));
    const long fromDigits = run('g', "digits with 255s", double(digitBytes));
    const double replyBytes = double(replies) * (kShortestReply + 4.5);
    const long fromReplies = run('v', "simulator replies", replyBytes);
    std::printf("replies sent %d, filed %ld, rejected %ld\n", replies, fromReplies, replies - fromReplies);
    ::close(commands[1]);
    return fromRandom == 0 && fromDigits == 0 && fromReplies == replies ? 0 : 1;
}
