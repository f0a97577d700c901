// Capture runs end to end over a pseudo-terminal, against the instrument
// simulator in this process, and the instrument's own sending.
#include "app/frmmain.h"
#include "common/program.h"
#include "files/frmoption.h"
#include "display/picturebox.h"
#include "link/commport.h"
#include "link/frames.h"
#include "simkit/replybuilder.h"
#include "link/replyreceiver.h"
#include "simkit/simulator.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
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
    MemoryStore *m; // the memories

    frmmain *main;
    MessageLog &log;

    explicit Bench(SimulatorOptions options = fast())
        : sim(std::make_unique<InstrumentSimulator>(options)),
          program(std::make_unique<Program>(sim->devicePath(), quickTimeouts())), m(program->m), main(program->main.get()),
          log(program->log)
    {
        QObject::connect(sim.get(), &InstrumentSimulator::requestReceived, [this](int n) { requests << n; });
        QObject::connect(sim.get(), &InstrumentSimulator::frameReceived, [this](const QByteArray &f) { frames << f; });
    }

    static SimulatorOptions fast() { return fastInstrument(); }

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
    QString status() const { return main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text(); }
    QPushButton *button(const char *name) const { return main->findChild<QPushButton *>(QString::fromLatin1(name)); }
    int unfreezes() const { return int(frames.count(fFrame())); }

    // Option, Comport `port`, Ok, as the user would; true when the window closed.
    bool choosePort(int port)
    {
        main->findChild<QAction *>(QStringLiteral("mnuoption"))->trigger();
        frmoption *o = main->findChild<frmoption *>();
        o->findChild<QRadioButton *>(QStringLiteral("Option%1").arg(port))->click();
        QTest::mouseClick(o->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
        return !o->isVisible();
    }
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
    void portChangeEndsTheReading_data();
    void portChangeEndsTheReading();
    void stopDropsTheReplyInProgress_data();
    void stopDropsTheReplyInProgress();
    void receivePathFilesMemory();
    void receivePathIgnoresForeignNumbers_data();
    void receivePathIgnoresForeignNumbers();
};

void tst_capture::selectedMemoriesInListOrder()
{
    Bench b;
    b.program->doubleClick(0, Qt::NoModifier); // Mem 1 on screen first
    QCOMPARE(b.m->shownSlot(), 0);
    b.select({5, 3});
    QVERIFY(b.capture());
    QCOMPARE(b.requests, (QList<int>{3, 5}));
    QCOMPARE(b.entry(3), QStringLiteral("Mem 3 *"));
    QCOMPARE(b.entry(5), QStringLiteral("Mem 5 *"));
    QCOMPARE(b.entry(4), QStringLiteral("Mem 4"));
    QVERIFY(!b.main->lstmem()->item(2)->isSelected()); // the new entry is not selected
    QTRY_VERIFY(b.endsWithUnfreeze());
    QCOMPARE(ownNumber(b.m->record(2)), 3.0);
    QCOMPARE(ownNumber(b.m->record(4)), 5.0);
    // Every position the reply carries is filed as the instrument holds it.
    const Record sent = b.sim->recordFor(5);
    for (int p = 0; p <= 250; ++p)
        QCOMPARE(b.m->record(4)[p], std::int16_t(sent[p] & 0xFF));
    for (int p = 260; p <= 1089; ++p)
        QCOMPARE(b.m->record(4)[p], p == 294 ? std::int16_t(32) : p == 711 ? std::int16_t(66) : std::int16_t(sent[p] & 0xFF));
    // The last reply is on screen, and it is the memory the notes go to,
    // not the one double-clicked before the run.
    QCOMPARE(b.m->current(), b.m->record(4));
    QCOMPARE(readNumber(b.main->box("txtmemno")->text()), 5.0);
    QVERIFY(b.button("cmdcapture")->isEnabled());
    QVERIFY(b.log.messages.isEmpty());
    QCOMPARE(b.status(), QStringLiteral("Capture finished: 2 of 2 received"));
    const Record slot0 = b.m->record(0);
    b.main->box("txtopname")->clear();
    QTest::keyClicks(b.main->box("txtopname"), QStringLiteral("AFTER CAPTURE"));
    QTest::mouseClick(b.button("cmdtxtsav"), Qt::LeftButton);
    QCOMPARE(recordText(b.m->record(4), 1010, 20), QStringLiteral("AFTER CAPTURE       "));
    QCOMPARE(b.m->record(0), slot0);

    // A second capture of the same memory leaves the mark as it was.
    b.select({3});
    QVERIFY(b.capture());
    QCOMPARE(b.entry(3), QStringLiteral("Mem 3 *"));
}

void tst_capture::nothingSelected()
{
    Bench b;
    b.select({});
    const Record before = b.m->current();
    QVERIFY(b.capture());
    QTRY_COMPARE(b.frames.size(), 2);
    QTRY_VERIFY(b.endsWithUnfreeze());
    QVERIFY(b.requests.isEmpty());
    QCOMPARE(b.status(), QStringLiteral("Nothing selected: select memories in the list, then press Capture."));
    QCOMPARE(b.m->current(), before);
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
    QVERIFY(t.elapsed() >= 2 * quickTimeouts().requestMs - 10); // two silent waits
    QCOMPARE(b.requests, (QList<int>{6, 6}));
    QCOMPARE(b.entry(6), QStringLiteral("Mem 6"));
    QCOMPARE(b.status(), QStringLiteral("Capture finished: 0 of 1 received; not received: Mem 6"));
    QVERIFY(b.main->lstmem()->item(5)->isSelected()); // stays selected for another try
    QTRY_VERIFY(b.endsWithUnfreeze());
    QVERIFY(b.log.messages.isEmpty());
}

void tst_capture::wrongMemory()
{
    SimulatorOptions o = Bench::fast();
    o.wrongMemory = true;
    Bench b(o);
    const Record slot7 = b.m->record(7), slot8 = b.m->record(8);
    b.select({8});
    QVERIFY(b.capture());
    QCOMPARE(b.requests, (QList<int>{8})); // no second attempt
    QCOMPARE(b.m->record(7), slot7);
    QCOMPARE(b.m->record(8), slot8);
    QCOMPARE(b.m->current(), emptyRecord());
    QCOMPARE(b.entry(8), QStringLiteral("Mem 8"));
    QCOMPARE(b.entry(9), QStringLiteral("Mem 9"));
    // The empty record is no memory: the notes go nowhere.
    b.main->box("txtremark")->setText(QStringLiteral("LOST?"));
    QTest::mouseClick(b.button("cmdtxtsav"), Qt::LeftButton);
    QCOMPARE(b.m->record(7), slot7);
    QCOMPARE(b.m->record(0), b.program->m->record(1)); // both untouched start contents
    QCOMPARE(b.status(), QStringLiteral("No memory shown: double-click one in the list, then save its notes."));

    // Twelve failures: the first ten are named.
    b.select({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    QVERIFY(b.capture());
    QCOMPARE(b.status(), QStringLiteral("Capture finished: 0 of 12 received; not received: Mem 1, Mem 2, Mem 3, "
                                        "Mem 4, Mem 5, Mem 6, Mem 7, Mem 8, Mem 9, Mem 10, \u2026"));
}

void tst_capture::stalledReplyIsNeverFiled()
{
    SimulatorOptions o = Bench::fast();
    o.cutAfter = 600;
    Bench b(o);
    // The current record happens to carry the number asked for already.
    b.m->showRecord(numbered(8));
    const Record slot = b.m->record(7);
    b.select({8});
    QVERIFY(b.capture(8000));
    QCOMPARE(b.m->record(7), slot);
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
    QCOMPARE(b.m->record(199)[1010], std::int16_t(b.sim->recordFor(200)[1010] & 0xFF));
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
    const Record slot0 = b.m->record(0);
    b.main->cmdcapture_Click();
    QTRY_VERIFY(b.main->captureRun().receiver().isReading());
    b.sim.reset(); // the adapter is pulled out
    QTRY_VERIFY_WITH_TIMEOUT(!b.main->capturing(), 3000);
    QVERIFY(!b.main->Comm1().isOpen());
    QCOMPARE(b.m->record(0), slot0);
    QCOMPARE(b.entry(1), QStringLiteral("Mem 1"));
    QCOMPARE(b.log.count(QStringLiteral("Capture")), 1);
    QTRY_VERIFY(b.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"))->isEnabled());
}

// Option, Ok on a port that cannot be opened while a reply is awaited or
// read: the reading ends at once, nothing is filed, and once a working
// port is chosen the next Capture files its memory.
void tst_capture::portChangeEndsTheReading_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("capture, mid-reply") << "capture reply";
    QTest::newRow("capture, mid-wait") << "capture wait";
    QTest::newRow("receive path, mid-reply") << "receive";
}

void tst_capture::portChangeEndsTheReading()
{
    QFETCH(QString, when);
    qputenv("VEXTRUM_COM2", "/nonexistent/vextrum-tty");
    SimulatorOptions o;
    o.rate = 4000; // a reply takes 0.4 s: still coming when the port changes
    o.secondRequestOnly = when == QLatin1String("capture wait");
    o.delayMs = 5;
    Bench b(o);
    const Record slot2 = b.m->record(1);
    if (when == QLatin1String("receive")) {
        b.sim->sendMemory(2);
        QTRY_VERIFY(b.main->receivePath().isReading());
    } else {
        b.select({2});
        QTest::mouseClick(b.button("cmdcapture"), Qt::LeftButton);
        QTRY_VERIFY(b.requests.size() == 1);
        if (when == QLatin1String("capture reply"))
            QTRY_VERIFY(b.main->captureRun().receiver().isReading());
    }
    QTest::qWait(100);

    QVERIFY(!b.choosePort(2)); // "Selected Port is used by another device ..."
    QCOMPARE(b.log.count(QStringLiteral("Port Selection Error")), 1);
    QVERIFY(!b.main->capturing());
    QVERIFY(!b.main->receivePath().isReading());
    QVERIFY(b.status().contains(QStringLiteral("the serial port was closed")));
    if (when != QLatin1String("receive"))
        QCOMPARE(b.status(), QStringLiteral("Capture stopped: 0 of 1 received; not received: Mem 2; the serial port was closed"));
    QCOMPARE(b.entry(2), QStringLiteral("Mem 2"));
    QCOMPARE(b.m->record(1), slot2);

    QVERIFY(b.choosePort(1));
    QTRY_VERIFY(b.sim->pendingBytes() == 0 && b.button("cmdcapture")->isEnabled());
    b.select({2});
    QVERIFY(b.capture(8000));
    QCOMPARE(b.entry(2), QStringLiteral("Mem 2 *"));
    QCOMPARE(ownNumber(b.m->record(1)), 2.0);
}

// Esc or "Stop" during a run: the reply in progress is dropped, what was
// filed stays, the unfreeze goes out once, the rest stays selected.
void tst_capture::stopDropsTheReplyInProgress_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Esc, mid-reply") << true;
    QTest::newRow("Stop, mid-wait") << false;
}

void tst_capture::stopDropsTheReplyInProgress()
{
    QFETCH(bool, escape);
    SimulatorOptions o = Bench::fast();
    o.rate = 2000;
    o.secondRequestOnly = !escape; // memory 2 waits for its second request
    Bench b(o);
    b.main->show();
    QVERIFY(QTest::qWaitForWindowActive(b.main));
    b.select({1, 2, 3});
    QPushButton *stop = b.button("cmdstop");
    QVERIFY(!stop->isVisible());
    QTest::mouseClick(b.button("cmdcapture"), Qt::LeftButton);
    QVERIFY(stop->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(b.requests.count(2) > 0, 8000);
    if (escape)
        QTRY_VERIFY(b.main->captureRun().receiver().isReading());
    const Record slot2 = b.m->record(1);
    if (escape)
        QTest::keyClick(b.main, Qt::Key_Escape);
    else
        QTest::mouseClick(stop, Qt::LeftButton);

    QVERIFY(!b.main->capturing());
    QVERIFY(!stop->isVisible());
    QTRY_VERIFY(b.endsWithUnfreeze());
    QTRY_VERIFY(b.sim->pendingBytes() == 0 && !b.main->receivePath().isReading());
    QCOMPARE(b.unfreezes(), 1);
    QVERIFY(!b.requests.contains(3));
    QCOMPARE(b.entry(1), QStringLiteral("Mem 1 *"));
    QCOMPARE(b.entry(2), QStringLiteral("Mem 2"));
    QCOMPARE(b.m->record(1), slot2);
    QVERIFY(b.main->lstmem()->item(1)->isSelected() && b.main->lstmem()->item(2)->isSelected());
    QCOMPARE(b.status(), QStringLiteral("Capture stopped: 1 of 3 received; not received: Mem 2, Mem 3"));
}

void tst_capture::receivePathFilesMemory()
{
    Bench b;
    b.program->doubleClick(4, Qt::NoModifier);
    b.sim->sendMemory(12);
    QTRY_COMPARE(b.entry(12), QStringLiteral("Mem 12 *"));
    QCOMPARE(ownNumber(b.m->record(11)), 12.0);
    QCOMPARE(b.m->current(), b.m->record(11));
    QCOMPARE(readNumber(b.main->box("txtmemno")->text()), 12.0);
    QCOMPARE(b.m->shownSlot(), 11);
    // Its notes go where it is, typed and saved as a user does.
    QLineEdit *op = b.main->box("txtopname");
    op->selectAll();
    QTest::keyClicks(op, QStringLiteral("RECEIVED"));
    QTest::mouseClick(b.button("cmdtxtsav"), Qt::LeftButton);
    QCOMPARE(recordText(b.m->record(11), 1010, 20), QStringLiteral("RECEIVED            "));
    QCOMPARE(b.status(), QStringLiteral("Notes saved in Mem 12"));
}

void tst_capture::receivePathIgnoresForeignNumbers_data()
{
    QTest::addColumn<QString>("own"); // the reply's three own-number characters
    QTest::newRow("0") << "000";
    QTest::newRow("250") << "250";
    QTest::newRow("not digits") << "1`?"; // as line noise reads
}

void tst_capture::receivePathIgnoresForeignNumbers()
{
    QFETCH(QString, own);
    Bench b;
    Record foreign = sampleMemory(1);
    setRecordText(foreign, 358, own);
    b.sim->setRecord(12, foreign);
    const Store before = b.m->records();
    const Record shown = b.m->current();
    b.sim->sendMemory(12);
    // Read completely and never filed, nor taken as the record on screen:
    // an export of the memory on screen still gives what is shown.
    QTRY_VERIFY(b.sim->pendingBytes() == 0 && !b.main->receivePath().isReading());
    QTest::qWait(50);
    QCOMPARE(b.m->current(), shown);
    QVERIFY(b.m->records() == before);
    for (int i = 0; i < 200; ++i)
        QVERIFY(!b.entry(i + 1).endsWith(QLatin1Char('*')));
    QCOMPARE(b.main->box("txtmemno")->text(), QStringLiteral("1")); // not redrawn

    // Asked for in a Capture, the same reply is not received either.
    if (own != QLatin1String("1`?"))
        return;
    b.select({12});
    QVERIFY(b.capture());
    QVERIFY(b.m->records() == before);
    QCOMPARE(b.entry(12), QStringLiteral("Mem 12"));
    QCOMPARE(b.status(), QStringLiteral("Capture finished: 0 of 1 received; not received: Mem 12"));
}

QTEST_MAIN(tst_capture)
#include "tst_capture.moc"
