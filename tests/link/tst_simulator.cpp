// The instrument simulator in-process, on a pseudo-terminal opened by the
// program's own serial port class.
#include "link/commport.h"
#include "link/frames.h"
#include "simkit/replybuilder.h"
#include "link/replyreader.h"
#include "simkit/simulator.h"
#include "link/unpack.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace vextrum;

namespace {

// The simulator and the program's port 1 on its device.
struct Link
{
    explicit Link(const SimulatorOptions &options) : sim(options)
    {
        qputenv("VEXTRUM_COM1", sim.devicePath().toLocal8Bit());
        port.setCommPort(1);
        opened = sim.isValid() && port.open();
    }
    void send(const QList<QByteArray> &frames)
    {
        for (const QByteArray &f : frames)
            port.output(f);
    }

    InstrumentSimulator sim;
    CommPort port;
    bool opened = false;
};

SimulatorOptions fast()
{
    SimulatorOptions o;
    o.rate = 0;
    o.delayMs = 0;
    return o;
}

// Drops bytes up to the first 255, reads the reply after it and unpacks it:
// the record's own number, or -1 when the reply is not complete.
double ownNumberOf(const QByteArray &stream, Record *out = nullptr)
{
    RxBuffer buffer{};
    ReplyReader reader(buffer);
    for (qsizetype i = stream.indexOf(char(kReplyStartByte)) + 1; i > 0 && i < stream.size(); ++i)
        reader.feed(std::uint8_t(stream[i]));
    if (!reader.done())
        return -1;
    Record r = emptyRecord();
    unpackReply(buffer, r);
    if (out)
        *out = r;
    return ownNumber(r);
}

} // namespace

class tst_simulator : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void unanswered_data();
    void unanswered();
    void unaskedMemory();
    void framesInPiecesAndUnfreeze();
    void servesADataFile();
    void pacedAtTheLineRate();
};

void tst_simulator::answers_data()
{
    QTest::addColumn<int>("noise");
    QTest::addColumn<int>("fill");
    QTest::addColumn<bool>("gap255");
    QTest::addColumn<bool>("wrongMemory");
    QTest::addColumn<int>("cutAfter");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<double>("ownNumber");
    QTest::newRow("plain") << 0 << 0 << false << false << -1 << kShortestReply << 7.0;
    QTest::newRow("noise") << 40 << 0 << false << false << -1 << 40 + kShortestReply << 7.0;
    QTest::newRow("fill") << 0 << 50 << false << false << -1 << kShortestReply + 50 << 7.0;
    QTest::newRow("gap byte 255") << 0 << 0 << true << false << -1 << kShortestReply << 7.0;
    QTest::newRow("wrong memory") << 0 << 0 << false << true << -1 << kShortestReply << 8.0;
    QTest::newRow("cut short") << 0 << 0 << false << false << 800 << 800 << -1.0;
}

void tst_simulator::answers()
{
    QFETCH(int, noise);
    QFETCH(int, fill);
    QFETCH(bool, gap255);
    QFETCH(bool, wrongMemory);
    QFETCH(int, cutAfter);
    QFETCH(int, bytes);
    QFETCH(double, ownNumber);
    SimulatorOptions o = fast();
    o.noiseBytes = noise;
    o.fillBytes = fill;
    o.gapStartByte = gap255;
    o.wrongMemory = wrongMemory;
    o.cutAfter = cutAfter;
    Link link(o);
    QVERIFY(link.opened);
    QSignalSpy frames(&link.sim, &InstrumentSimulator::frameReceived);
    QSignalSpy sent(&link.sim, &InstrumentSimulator::replySent);
    link.send(memoryRequest(7));
    QTRY_COMPARE(sent.size(), 1);
    QTRY_COMPARE(link.port.inBufferCount(), bytes);
    QCOMPARE(frames.size(), 5);
    QCOMPARE(sent.at(0).at(0).toInt(), wrongMemory ? 8 : 7);
    const QByteArray stream = link.port.input();
    QVERIFY(!stream.left(noise).contains(char(255)));
    Record r;
    QCOMPARE(ownNumberOf(stream, &r), ownNumber);
    if (ownNumber > 0)
        QCOMPARE(recordText(r, 260, 830), recordText(link.sim.recordFor(int(ownNumber)), 260, 830));
}

void tst_simulator::unanswered_data()
{
    QTest::addColumn<bool>("secondOnly");
    QTest::newRow("no answer") << false;
    QTest::newRow("second request only") << true;
}

void tst_simulator::unanswered()
{
    QFETCH(bool, secondOnly);
    SimulatorOptions o = fast();
    o.noAnswer = !secondOnly;
    o.secondRequestOnly = secondOnly;
    Link link(o);
    QVERIFY(link.opened);
    QSignalSpy requests(&link.sim, &InstrumentSimulator::requestReceived);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        link.send(memoryRequest(4));
        QTRY_COMPARE(requests.size(), attempt);
        QTest::qWait(150);
        const bool answered = secondOnly && attempt == 2; // the count starts afresh
        QCOMPARE(link.port.inBufferCount(), answered ? kShortestReply : 0);
        QCOMPARE(ownNumberOf(link.port.input()), answered ? 4.0 : -1.0);
    }
}

void tst_simulator::unaskedMemory()
{
    SimulatorOptions o = fast();
    o.unaskedMemory = 12;
    o.unaskedAfterMs = 50;
    Link link(o);
    QVERIFY(link.opened);
    QTRY_COMPARE(link.port.inBufferCount(), kShortestReply);
    QCOMPARE(ownNumberOf(link.port.input()), 12.0);
}

void tst_simulator::framesInPiecesAndUnfreeze()
{
    Link link(fast());
    QVERIFY(link.opened);
    QSignalSpy junk(&link.sim, &InstrumentSimulator::junkReceived);
    QSignalSpy unfreeze(&link.sim, &InstrumentSimulator::unfreezeReceived);
    QSignalSpy requests(&link.sim, &InstrumentSimulator::requestReceived);
    QByteArray bytes = "\r\n"; // a stray pair ahead of the frames
    for (const QByteArray &f : memoryRequest(200) + unfreezeSequence())
        bytes += f;
    for (qsizetype at = 0; at < bytes.size(); at += 7) {
        link.port.output(bytes.mid(at, 7));
        QTest::qWait(2);
    }
    QTRY_COMPARE(link.port.inBufferCount(), kShortestReply);
    QCOMPARE(junk.size(), 1);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(unfreeze.size(), 1);
    QCOMPARE(ownNumberOf(link.port.input()), 200.0);
    QTest::qWait(100); // nothing answers the unfreeze
    QCOMPARE(link.port.inBufferCount(), 0);
}

void tst_simulator::servesADataFile()
{
    // A data file: slots 0..199 of 1100 values, each a 4-byte blank-padded field.
    Record mine = sampleRecord(5, 3);
    setRecordText(mine, 1010, u"FROM THE FILE");
    QByteArray content;
    for (int slot = 0; slot < kMemoryCount; ++slot) {
        const Record r = slot == 4 ? mine : emptyRecord();
        for (int i = 0; i < 1100; ++i)
            content += QByteArray::number(r[i]).leftJustified(4, ' ');
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("mem.dat")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();

    SimulatorOptions o = fast();
    o.file = file.fileName();
    Link link(o);
    QVERIFY2(link.opened, qPrintable(link.sim.errorString()));
    link.send(memoryRequest(5));
    QTRY_COMPARE(link.port.inBufferCount(), kShortestReply);
    Record r;
    QCOMPARE(ownNumberOf(link.port.input(), &r), 5.0);
    QCOMPARE(recordText(r, 1010, 13), QStringLiteral("FROM THE FILE"));

    o.file = dir.filePath(QStringLiteral("missing.dat"));
    InstrumentSimulator missing(o);
    QVERIFY(!missing.isValid());
}

void tst_simulator::pacedAtTheLineRate()
{
    Link link(SimulatorOptions{}); // 960 bytes a second
    QVERIFY(link.opened);
    QElapsedTimer clock;
    clock.start();
    link.send(memoryRequest(7));
    QTRY_VERIFY_WITH_TIMEOUT(link.port.inBufferCount() >= kShortestReply, 10000);
    const qint64 ms = clock.elapsed();
    QVERIFY2(ms >= 1500, qPrintable(QStringLiteral("whole reply in %1 ms").arg(ms)));
    QCOMPARE(ownNumberOf(link.port.input()), 7.0);
}

QTEST_GUILESS_MAIN(tst_simulator)
#include "tst_simulator.moc"
