// vextrum-sim: a stand-in Galvanor-II on a pseudo-terminal. Prints
// VEXTRUM_COM1=<device> for the program to open, answers its memory
// requests and logs every frame it receives on stderr.

#include "simkit/simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace vextrum;

namespace {

bool intOption(const QCommandLineParser &parser, const QString &name, int min, int *out)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int v = parser.value(name).toInt(&ok);
    if (!ok || v < min) {
        std::fprintf(stderr, "vextrum-sim: --%s needs a whole number of at least %d\n",
                     qPrintable(name), min);
        return false;
    }
    *out = v;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vextrum-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Galvanor-II DGS instrument simulator on a pseudo-terminal.\n"
        "Start vextrum-dgs with the printed VEXTRUM_COM1=... in its environment."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("rate"), QStringLiteral("Line rate in bytes a second (default 960; 0: as fast as possible)."), QStringLiteral("bytes")},
        {QStringLiteral("fast"), QStringLiteral("Send as fast as possible (--rate 0).")},
        {QStringLiteral("delay"), QStringLiteral("Delay before a reply starts (default 50)."), QStringLiteral("ms")},
        {QStringLiteral("file"), QStringLiteral("Serve the memories of this data file instead of the samples."), QStringLiteral("path")},
        {QStringLiteral("no-answer"), QStringLiteral("Fault: never answer a request.")},
        {QStringLiteral("second-request"), QStringLiteral("Fault: answer a memory only on its second request.")},
        {QStringLiteral("wrong-memory"), QStringLiteral("Fault: send memory n+1 when n is asked for.")},
        {QStringLiteral("cut-after"), QStringLiteral("Fault: stop every reply after this many bytes."), QStringLiteral("bytes")},
        {QStringLiteral("noise"), QStringLiteral("Fault: send this many noise bytes (never 255) before each reply."), QStringLiteral("bytes")},
        {QStringLiteral("fill"), QStringLiteral("Fault: send this many fill bytes after the gap byte."), QStringLiteral("bytes")},
        {QStringLiteral("gap-255"), QStringLiteral("Fault: send 255 as the gap byte.")},
        {QStringLiteral("unasked"), QStringLiteral("Send this memory once without being asked."), QStringLiteral("memory")},
        {QStringLiteral("unasked-after"), QStringLiteral("... this long after start (default 1000)."), QStringLiteral("ms")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "vextrum-sim: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    SimulatorOptions options;
    if (!intOption(parser, QStringLiteral("rate"), 0, &options.rate)
        || !intOption(parser, QStringLiteral("delay"), 0, &options.delayMs)
        || !intOption(parser, QStringLiteral("cut-after"), 0, &options.cutAfter)
        || !intOption(parser, QStringLiteral("noise"), 0, &options.noiseBytes)
        || !intOption(parser, QStringLiteral("fill"), 0, &options.fillBytes)
        || !intOption(parser, QStringLiteral("unasked"), 1, &options.unaskedMemory)
        || !intOption(parser, QStringLiteral("unasked-after"), 0, &options.unaskedAfterMs))
        return 2;
    if (parser.isSet(QStringLiteral("fast")))
        options.rate = 0;
    options.file = parser.value(QStringLiteral("file"));
    options.noAnswer = parser.isSet(QStringLiteral("no-answer"));
    options.secondRequestOnly = parser.isSet(QStringLiteral("second-request"));
    options.wrongMemory = parser.isSet(QStringLiteral("wrong-memory"));
    options.gapStartByte = parser.isSet(QStringLiteral("gap-255"));

    InstrumentSimulator sim(options);
    if (!sim.isValid()) {
        std::fprintf(stderr, "vextrum-sim: %s\n", qPrintable(sim.errorString()));
        return 1;
    }

    QObject::connect(&sim, &InstrumentSimulator::frameReceived, [](const QByteArray &frame) {
        std::fprintf(stderr, "frame %s\n", frame.constData());
    });
    QObject::connect(&sim, &InstrumentSimulator::junkReceived, [](const QByteArray &bytes) {
        std::fprintf(stderr, "junk %s\n", bytes.toHex(' ').constData());
    });
    QObject::connect(&sim, &InstrumentSimulator::requestReceived, [](int memory) {
        std::fprintf(stderr, "request memory %d\n", memory);
    });
    QObject::connect(&sim, &InstrumentSimulator::unfreezeReceived,
                     [] { std::fprintf(stderr, "unfreeze\n"); });
    QObject::connect(&sim, &InstrumentSimulator::replySent, [](int memory) {
        std::fprintf(stderr, "sent memory %d\n", memory);
    });

    std::printf("VEXTRUM_COM1=%s\n", qPrintable(sim.devicePath()));
    std::fflush(stdout);
    return app.exec();
}
