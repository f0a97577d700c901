// Capture of 20 memories from the instrument simulator (a separate
// process, at the real line rate): wall time against two floors of the
// same run, and the processor time the program used meanwhile. The pty
// floor is what this run can reach: the simulator paces only its replies,
// and the requests cross the pseudo-terminal at once. The real-line floor
// is what a 9600-baud line takes: each memory's request frames and reply,
// and the frames that let the instrument go on after the run.
#include "app/frmmain.h"
#include "display/msgbox.h"
#include "display/picturebox.h"
#include "link/frames.h"
#include "simkit/replybuilder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int memories = argc > 1 ? std::atoi(argv[1]) : 20;
    const int delayMs = 50; // the simulated instrument's own delay before each reply

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../vextrum-sim"),
              {QStringLiteral("--delay"), QString::number(delayMs)});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_capture: vextrum-sim did not start\n");
        return 1;
    }
    const QByteArray line = sim.readLine().trimmed();
    qputenv("VEXTRUM_COM1", line.mid(line.indexOf('=') + 1));

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile cfg(QStringLiteral("dfd.cfg"));
    cfg.open(QIODevice::WriteOnly);
    cfg.write("1\r\n");
    cfg.close();

    auto session = std::make_unique<vextrum::Session>();
    setMessageHook([](const QString &title, const QString &text) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return false;
    });
    frmmain w(*session);
    w.Form_Load();
    for (int i = 0; i < memories; ++i)
        w.lstmem()->item(i)->setSelected(true);

    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    w.cmdcapture_Click();
    QObject::connect(&w.captureRun(), &vextrum::CaptureRun::finished, &app, &QCoreApplication::quit);
    app.exec();
    const double wallS = wall.nsecsElapsed() / 1e9;
    const double cpuS = cpuSeconds() - cpu0;

    int filed = 0;
    for (int i = 0; i < memories; ++i)
        filed += w.lstmem()->item(i)->text().endsWith(QLatin1Char('*'));
    // Bytes on the line, counted from the frames and replies themselves.
    const double rate = vextrum::kLineBytesPerSecond;
    double replyBytes = 0, requestBytes = 0, unfreezeBytes = 0;
    for (int i = 0; i < memories; ++i) {
        replyBytes += vextrum::buildReply(vextrum::sampleMemory(i + 1)).size();
        for (const QByteArray &f : vextrum::memoryRequest(i + 1))
            requestBytes += f.size();
    }
    for (const QByteArray &f : vextrum::unfreezeSequence())
        unfreezeBytes += f.size();
    const double delaysS = memories * delayMs / 1000.0;
    const double ptyFloorS = replyBytes / rate + delaysS;
    const double lineFloorS = (replyBytes + requestBytes + unfreezeBytes) / rate + delaysS;
    std::printf("captured %d of %d memories\n", filed, memories);
    std::printf("wall %.3f s\n", wallS);
    std::printf("pty floor %.3f s (%.0f reply bytes at %d B/s + instrument delays %.2f s): %.3fx\n", ptyFloorS,
                replyBytes, int(rate), delaysS, wallS / ptyFloorS);
    std::printf("real-line floor %.3f s (+ %.0f request and %.0f unfreeze bytes): %.3fx\n", lineFloorS,
                requestBytes, unfreezeBytes, wallS / lineFloorS);
    std::printf("processor %.3f s = %.2f%% of wall\n", cpuS, 100.0 * cpuS / wallS);
    sim.kill();
    sim.waitForFinished();
    return filed == memories ? 0 : 1;
}
