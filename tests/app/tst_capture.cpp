// Capture runs end to end over a pseudo-terminal, against the instrument
// simulator in this process, and the instrument's own sending.
#include "app/frmmain.h"
#include "common/program.h"
#include "display/picturebox.h"
#include "link/commport.h"
#include "link/frames.h"
#include "simkit/replybuilder.h"
#include "link/replyreceiver.h"
#include "simkit/simulator.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace vextrum;

namespace {

// A program whose COM1 is the simulator, and what the simulator heard.
struct Bench
{
    std::unique_ptr<InstrumentSimulator> sim;
    QList<int> requests;
    QList<QByteArray> frames;
    std::unique_ptr<Program> program;
    Module1 *m;
    frmmain *main;
    MessageLog &log;

    explicit Bench(SimulatorOptions options = fast())
        : sim(std::make_unique<InstrumentSimulator>(options)),
          program(std::make_unique<Program>(sim->devicePath())), m(program->m.get()), main(program->main.get()),
          log(program->log)
    {
        QObject::connect(sim.get(), &InstrumentSimulator::requestReceived, [this](int n) { requests << n; });
        QObject::connect(sim.get(), &InstrumentSimulator::frameReceived, [this](const QByteArray &f) { frames << f; });
    }

    static SimulatorOptions fast()
    {
        SimulatorOptions o;
        o.rate = 0;
        o.delayMs = 5;
        return o;
    }

    void select(std::initializer_list<int> memories)
    {
        main->lstmem()->clearSelection();
        for (int n : memories)
            main->lstmem()->item(n - 1)->setSelected(true);
    }

    bool capture(int timeoutMs = 8000)
    {
        QPushButton *button = main->findChild<QPushButton *>(QStringLiteral("cmdcapture"));
        QTest::mouseClick(button, Qt::LeftButton);
        return QTest::qWaitFor([this] { return !main->capturing(); }, timeoutMs);
    }

    QString entry(int memory) const { return main->lstmem()->item(memory - 1)->text(); }
    bool endsWithUnfreeze() const
    {
        return frames.size() >= 2 && frames[frames.size() - 2] == rFrame() && frames.last() == fFrame();
    }
};

Record numbered(int number)
{
    Record r = sampleMemory(1);
    setRecordText(r, 358, QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')));
    return r;
}

} // namespace

class tst_capture : public QObject
{
    Q_OBJECT
private slots:
    void selectedMemoriesInListOrder();
    void nothingSelected();
    void retryThatSucceeds();
    void neverAnswered();
    void wrongMemory();
    void stalledReplyIsNeverFiled();
    void noiseAndFillAreDropped();
    void closedPortRefusesTheRun();
    void secondPressIsRefused();
    void portGoneMidRun();
    void receivePathFilesMemory();
    void receivePathIgnoresForeignNumbers_data();
    void receivePathIgnoresForeignNumbers();
};

void tst_capture::selectedMemoriesInListOrder()
{
    Bench b;
    b.select({5, 3});
    QVERIFY(b.capture());
    QCOMPARE(b.requests, (QList<int>{3, 5}));
    QCOMPARE(b.entry(3), QStringLiteral("Mem 3 *"));
    QCOMPARE(b.entry(5), QStringLiteral("Mem 5 *"));
    QCOMPARE(b.entry(4), QStringLiteral("Mem 4"));
    QVERIFY(!b.main->lstmem()->item(2)->isSelected()); // the new entry is not selected
    QTRY_VERIFY(b.endsWithUnfreeze());
    QCOMPARE(ownNumber(b.m->store[2]), 3.0);
    QCOMPARE(ownNumber(b.m->store[4]), 5.0);
    // Every position the reply carries is filed as the instrument holds it.
    const Record sent = b.sim->recordFor(5);
    for (int p = 0; p <= 250; ++p)
        QCOMPARE(b.m->store[4][p], std::int16_t(sent[p] & 0xFF));
    for (int p = 260; p <= 1089; ++p)
        QCOMPARE(b.m->store[4][p], p == 294 ? std::int16_t(32) : p == 711 ? std::int16_t(66) : std::int16_t(sent[p] & 0xFF));
    // The last reply is on screen; the shown slot did not change.
    QCOMPARE(b.m->current, b.m->store[4]);
    QCOMPARE(b.m->shownSlot, std::int16_t(0));
    QCOMPARE(readNumber(b.main->box("txtmemno")->text()), 5.0);
    QVERIFY(b.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"))->isEnabled());
    QVERIFY(b.log.messages.isEmpty());

    // A second capture of the same memory leaves the mark as it was.
    b.select({3});
    QVERIFY(b.capture());
    QCOMPARE(b.entry(3), QStringLiteral("Mem 3 *"));
}

void tst_capture::nothingSelected()
{
    Bench b;
    b.select({});
    const Record before = b.m->current;
    QVERIFY(b.capture());
    QTRY_COMPARE(b.frames.size(), 2);
    QTRY_VERIFY(b.endsWithUnfreeze());
    QVERIFY(b.requests.isEmpty());
    QCOMPARE(b.m->current, before);
    // The current record is drawn again: the demonstration trace's pulse.
    const Canvas &c = b.main->picascan()->canvas();
    QCOMPARE(b.main->picascan()->image().pixelColor(c.toPixel(17.5), c.toPixel(10)), kGreen);
}

void tst_capture::retryThatSucceeds()
{
    SimulatorOptions o = Bench::fast();
    o.secondRequestOnly = true;
    Bench b(o);
    b.select({4});
    QVERIFY(b.capture(8000));
    QCOMPARE(b.requests, (QList<int>{4, 4}));
    QCOMPARE(b.entry(4), QStringLiteral("Mem 4 *"));
    QTRY_VERIFY(b.endsWithUnfreeze());
}

void tst_capture::neverAnswered()
{
    SimulatorOptions o = Bench::fast();
    o.noAnswer = true;
    Bench b(o);
    b.select({6});
    QElapsedTimer t;
    t.start();
    QVERIFY(b.capture(8000));
    QVERIFY(t.elapsed() >= 3900); // two waits of 2000 ms
    QCOMPARE(b.requests, (QList<int>{6, 6}));
    QCOMPARE(b.entry(6), QStringLiteral("Mem 6"));
    QVERIFY(b.main->lstmem()->item(5)->isSelected()); // stays selected for another try
    QTRY_VERIFY(b.endsWithUnfreeze());
    QVERIFY(b.log.messages.isEmpty());
}

void tst_capture::wrongMemory()
{
    SimulatorOptions o = Bench::fast();
    o.wrongMemory = true;
    Bench b(o);
    const Record slot7 = b.m->store[7], slot8 = b.m->store[8];
    b.select({8});
    QVERIFY(b.capture());
    QCOMPARE(b.requests, (QList<int>{8})); // no second attempt
    QCOMPARE(b.m->store[7], slot7);
    QCOMPARE(b.m->store[8], slot8);
    QCOMPARE(b.m->current, emptyRecord());
    QCOMPARE(b.entry(8), QStringLiteral("Mem 8"));
    QCOMPARE(b.entry(9), QStringLiteral("Mem 9"));
}

void tst_capture::stalledReplyIsNeverFiled()
{
    SimulatorOptions o = Bench::fast();
    o.cutAfter = 600;
    Bench b(o);
    // The current record happens to carry the number asked for already.
    b.m->current = numbered(8);
    const Record slot = b.m->store[7];
    b.select({8});
    QVERIFY(b.capture(8000));
    QCOMPARE(b.m->store[7], slot);
    QCOMPARE(b.entry(8), QStringLiteral("Mem 8"));
    QTRY_VERIFY(b.endsWithUnfreeze());
    QCOMPARE(b.main->Comm1().rThreshold(), 1); // notifications are back on
}

void tst_capture::noiseAndFillAreDropped()
{
    SimulatorOptions o = Bench::fast();
    o.noiseBytes = 40;
    o.fillBytes = 25;
    o.gapStartByte = true;
    Bench b(o);
    b.select({200});
    QVERIFY(b.capture());
    QCOMPARE(b.entry(200), QStringLiteral("Mem 200 *"));
    QCOMPARE(b.m->store[199][1010], std::int16_t(b.sim->recordFor(200)[1010] & 0xFF));
}

void tst_capture::closedPortRefusesTheRun()
{
    Bench b;
    b.main->Comm1().close();
    b.select({2});
    b.main->cmdcapture_Click();
    QVERIFY(!b.main->capturing());
    QCOMPARE(b.log.count(QStringLiteral("Capture")), 1);
    QTest::qWait(50);
    QVERIFY(b.frames.isEmpty());
}

void tst_capture::secondPressIsRefused()
{
    SimulatorOptions o = Bench::fast();
    o.rate = 4000;
    Bench b(o);
    b.select({1, 2});
    QPushButton *button = b.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(b.main->capturing());
    QVERIFY(!button->isEnabled());
    b.main->cmdcapture_Click(); // even called directly: ignored
    QVERIFY(QTest::qWaitFor([&] { return !b.main->capturing(); }, 8000));
    QCOMPARE(b.requests, (QList<int>{1, 2}));
    QVERIFY(button->isEnabled());
}

void tst_capture::portGoneMidRun()
{
    SimulatorOptions o = Bench::fast();
    o.rate = 2000;
    Bench b(o);
    b.select({1, 2, 3});
    const Record slot0 = b.m->store[0];
    b.main->cmdcapture_Click();
    QTRY_VERIFY(b.main->captureRun().receiver().isReading());
    b.sim.reset(); // the adapter is pulled out
    QTRY_VERIFY_WITH_TIMEOUT(!b.main->capturing(), 3000);
    QVERIFY(!b.main->Comm1().isOpen());
    QCOMPARE(b.m->store[0], slot0);
    QCOMPARE(b.entry(1), QStringLiteral("Mem 1"));
    QCOMPARE(b.log.count(QStringLiteral("Capture")), 1);
    QVERIFY(b.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"))->isEnabled());
}

void tst_capture::receivePathFilesMemory()
{
    Bench b;
    b.m->shownSlot = 4;
    b.sim->sendMemory(12);
    QTRY_COMPARE(b.entry(12), QStringLiteral("Mem 12 *"));
    QCOMPARE(ownNumber(b.m->store[11]), 12.0);
    QCOMPARE(b.m->current, b.m->store[11]);
    QCOMPARE(readNumber(b.main->box("txtmemno")->text()), 12.0);
    QCOMPARE(b.m->shownSlot, std::int16_t(4));
    QVERIFY(!b.m->timedOut);
}

void tst_capture::receivePathIgnoresForeignNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("0") << 0;
    QTest::newRow("250") << 250;
}

void tst_capture::receivePathIgnoresForeignNumbers()
{
    QFETCH(int, number);
    Bench b;
    b.sim->setRecord(12, numbered(number));
    const Store before = b.m->store;
    b.sim->sendMemory(12);
    // Read completely: the record holds it, nothing is filed or shown.
    QTRY_COMPARE(ownNumber(b.m->current), double(number));
    QTRY_VERIFY(!b.main->receivePath().isReading());
    QVERIFY(b.m->store == before);
    for (int i = 0; i < 200; ++i)
        QVERIFY(!b.entry(i + 1).endsWith(QLatin1Char('*')));
    QCOMPARE(b.main->box("txtmemno")->text(), QStringLiteral("1")); // not redrawn
}

QTEST_MAIN(tst_capture)
#include "tst_capture.moc"
