// The program on a hostile line. A separate process writes to the
// instrument's end of a pseudo-terminal:
//   1. random noise at the line rate (960 bytes a second, delivered every
//      10 ms) while the program is idle: the processor share the program uses
//      meanwhile, beside the same time on a silent line;
//   2. a 20 MB burst of random bytes as fast as the line takes them, while a
//      Capture waits: the longest gap between ticks of a 1 ms timer (how long
//      the window could not answer), the time it took and the peak memory.
// Usage: bench_noise [noise seconds, default 20] [burst MB, default 20]
//                    [ms between deliveries of noise, default 10]
#include "app/frmmain.h"
#include "display/msgbox.h"
#include "display/picturebox.h"
#include "link/commport.h"
#include "link/frames.h"

#include "linewriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <pty.h>
#include <random>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

double cpuSeconds(bool userOnly = false)
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const double user = u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6;
    return userOnly ? user : user + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

long statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toLong();
    return -1;
}

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// The instrument's end: 'n' noise at the line rate, 'b' the burst; each
// answered with 'd' once done. Ends when the command pipe closes.
[[noreturn]] void writer(int master, int commands, int done, double noiseSeconds, long burstBytes, int deliveryMs)
{
    std::mt19937 random(7);
    auto fill = [&random](std::vector<char> &b) {
        for (char &c : b)
            c = char(random() & 0xFF);
    };
    char command = 0;
    while (::read(commands, &command, 1) == 1) {
        if (command == 'n') {
            const double start = now();
            long sent = 0;
            std::vector<char> b(64);
            for (double t = 0; t < noiseSeconds; t = now() - start) {
                const long due = long(t * vextrum::kLineBytesPerSecond) - sent;
                if (due > 0) {
                    b.resize(size_t(due));
                    fill(b);
                    if (!writeAll(master, b.data(), b.size()))
                        break;
                    sent += due;
                }
                const timespec tick{0, deliveryMs * 1000L * 1000L};
                nanosleep(&tick, nullptr);
            }
        } else if (command == 'i') {
            const timespec rest{long(noiseSeconds), long((noiseSeconds - long(noiseSeconds)) * 1e9)};
            nanosleep(&rest, nullptr);
        } else if (command == 'b') {
            std::vector<char> b(64 * 1024);
            for (long sent = 0; sent < burstBytes; sent += long(b.size())) {
                fill(b);
                if (!writeAll(master, b.data(), b.size()))
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
    const double noiseSeconds = argc > 1 ? std::atof(argv[1]) : 20;
    const long burstBytes = (argc > 2 ? std::atol(argv[2]) : 20) * 1000 * 1000;
    // A serial port hands over what it received every few milliseconds (a
    // UART's receive FIFO, a USB adapter's latency timer), not byte by byte.
    const int deliveryMs = argc > 3 ? std::atoi(argv[3]) : 10;

    // The line and its writer come first, before any thread exists.
    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    int commands[2], done[2];
    if (openpty(&master, &slave, name, &raw, nullptr) != 0 || pipe(commands) != 0 || pipe(done) != 0) {
        std::perror("bench_noise");
        return 1;
    }
    const pid_t child = fork();
    if (child == 0) {
        ::close(slave);
        ::close(commands[1]);
        ::close(done[0]);
        writer(master, commands[0], done[1], noiseSeconds, burstBytes, deliveryMs);
    }
    ::close(master);
    ::close(commands[0]);
    ::close(done[1]);
    ::close(slave);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VEXTRUM_COM1", name);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile cfg(QStringLiteral("dfd.cfg"));
    cfg.open(QIODevice::WriteOnly);
    cfg.write("1\r\n");
    cfg.close();

    auto session = std::make_unique<vextrum::Session>();
    int messages = 0;
    setMessageHook([&messages](const QString &title, const QString &text) {
        ++messages;
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return false;
    });
    frmmain w(*session);
    w.Form_Load();
    if (!w.Comm1().isOpen())
        return 1;

    // A loop of our own: quitting the application would close the window.
    QEventLoop loop;
    QSocketNotifier finished(done[0], QSocketNotifier::Read);
    QObject::connect(&finished, &QSocketNotifier::activated, &loop, [&] {
        char c;
        (void)!::read(done[0], &c, 1);
        loop.quit();
    });
    auto run = [&](char command) {
        (void)!::write(commands[1], &command, 1);
        loop.exec();
    };

    // 0. The same time with a silent line, for comparison.
    QElapsedTimer wall;
    wall.start();
    double cpu0 = cpuSeconds();
    run('i');
    const double quietWall = wall.nsecsElapsed() / 1e9;
    const double quietCpu = cpuSeconds() - cpu0;
    std::printf("silent line for %.1f s, idle: processor %.3f s = %.2f%% of wall\n", quietWall, quietCpu,
                100.0 * quietCpu / quietWall);

    // 1. Noise on an idle program.
    wall.restart();
    cpu0 = cpuSeconds();
    const double user0 = cpuSeconds(true);
    run('n');
    const double noiseWall = wall.nsecsElapsed() / 1e9;
    const double noiseCpu = cpuSeconds() - cpu0;
    const double noiseUser = cpuSeconds(true) - user0;
    std::printf("noise at %d B/s, a delivery every %d ms, for %.1f s, idle: processor %.3f s = %.2f%% of wall "
                "(in the program's own code %.2f%%, the rest in the system)\n",
                vextrum::kLineBytesPerSecond, deliveryMs, noiseWall, noiseCpu, 100.0 * noiseCpu / noiseWall,
                100.0 * noiseUser / noiseWall);

    // 2. A burst while a Capture waits.
    for (int i = 0; i < 5; ++i)
        w.lstmem()->item(i)->setSelected(true);
    w.cmdcapture_Click();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QElapsedTimer sinceTick;
    qint64 longestNs = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] { longestNs = std::max(longestNs, sinceTick.nsecsElapsed()); sinceTick.restart(); });
    sinceTick.start();
    tick.start();
    wall.restart();
    cpu0 = cpuSeconds();
    run('b');
    tick.stop();
    const double burstWall = wall.nsecsElapsed() / 1e9;
    const double burstCpu = cpuSeconds() - cpu0;
    std::printf("burst of %.0f MB while a Capture waits: %.2f s (%.1f MB/s), processor %.2f s; "
                "longest event-loop gap %.1f ms (1 ms timer); peak memory %ld kB\n",
                burstBytes / 1e6, burstWall, burstBytes / 1e6 / burstWall, burstCpu, longestNs / 1e6,
                statusKiB("VmHWM"));
    std::printf("port %s, %d messages\n", w.Comm1().isOpen() ? "open" : "CLOSED", messages);

    ::close(commands[1]);
    return w.Comm1().isOpen() && messages == 0 ? 0 : 1;
}
