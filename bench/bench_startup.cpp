// Start-up: from exec to the first paint of the main window, the program
// (its own main(), a port on vextrum-sim's pseudo-terminal, a working
// folder holding dfd.cfg, settings and archive of its own) against the
// floor of the same run, a bare Qt main window with a 200-entry list. The
// two alternate, 21 runs each after one of each to warm up; prints the
// medians and the ratio. Uses the display given (QT_QPA_PLATFORM or
// DISPLAY), else the offscreen platform. Both programs carry
// startupprobe.cpp, which prints when the window is first painted.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

long long nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Milliseconds from exec to the first paint; negative on failure.
double startOnce(const QString &program, const QProcessEnvironment &env, const QString &workDir)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    const long long start = nowNs();
    p.start(program, {});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    const QByteArray out = p.readAllStandardOutput();
    const qsizetype at = out.indexOf("painted ");
    if (at < 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return -1;
    }
    return (out.mid(at + 8).trimmed().toLongLong() - start) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;

    QProcess sim;
    sim.start(here + QStringLiteral("/../vextrum-sim"), {});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_startup: vextrum-sim did not start\n");
        return 1;
    }
    const QByteArray line = sim.readLine().trimmed();

    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("dfd.cfg")));
    if (!cfg.open(QIODevice::WriteOnly) || cfg.write("1\r\n") != 3)
        return 1;
    cfg.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEXTRUM_COM1"), QString::fromLocal8Bit(line.mid(line.indexOf('=') + 1)));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const QString program = here + QStringLiteral("/bench_startup_program");
    const QString bare = here + QStringLiteral("/bench_startup_bare");
    std::vector<double> programMs, bareMs;
    for (int run = -1; run < runs; ++run) {
        const double a = startOnce(program, env, dir.path());
        const double b = startOnce(bare, env, dir.path());
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "bench_startup: a start failed\n");
            return 1;
        }
        if (run >= 0) {
            programMs.push_back(a);
            bareMs.push_back(b);
        }
    }
    std::printf("platform %s\n", qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))));
    std::printf("exec to first paint: program %.1f ms (median of %d)\n", median(programMs), runs);
    std::printf("floor: bare main window with a 200-entry list %.1f ms: program %.2fx\n", median(bareMs),
                median(programMs) / median(bareMs));
    sim.kill();
    sim.waitForFinished();
    return 0;
}
