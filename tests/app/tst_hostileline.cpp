// The link on a hostile line: random noise, a flood and a reply that never
// ends, written into a pseudo-terminal while the real main window runs.
#include "common/program.h"
#include "link/commport.h"
#include "link/frames.h"
#include "simkit/replybuilder.h"
#include "link/replyreceiver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <random>

using namespace vextrum;

namespace {

// Random bytes, start bytes among them, written to the line from a timer:
// at a rate in bytes a second, or (rate 0) as fast as the program's side
// takes them. Never waits on the line. Digit-rich noise is ASCII digits
// with one byte in eight a 255: every text field of a reply it makes is
// printable, its own number always three digits.
class Noise : public QObject
{
public:
    Noise(PtyPair &line, qint64 total, int rate, bool digits = false, quint32 seed = 11)
        : line_(line), total_(total), rate_(rate), digits_(digits), random_(seed)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(rate > 0 ? 10 : 0);
        connect(&timer_, &QTimer::timeout, this, &Noise::tick);
        clock_.start();
        timer_.start();
    }
    bool done() const { return sent_ >= total_; }

private:
    void tick()
    {
        qint64 due = rate_ > 0 ? clock_.elapsed() * rate_ / 1000 - sent_ : 64 * 1024;
        due = std::min(due, total_ - sent_);
        while (due > 0) {
            if (chunk_.isEmpty()) {
                chunk_.resize(16 * 1024);
                for (char &c : chunk_) {
                    const quint32 r = random_();
                    c = !digits_ ? char(r & 0xFF) : r % 8 == 0 ? char(255) : char('0' + (r >> 3) % 10);
                }
            }
            const qsizetype n = line_.writeSome(chunk_.constData(), std::min<qint64>(due, chunk_.size()));
            if (n <= 0)
                break; // the program's side is full: next tick
            chunk_.remove(0, n);
            sent_ += n;
            due -= n;
        }
        if (done())
            timer_.stop();
    }

    PtyPair &line_;
    qint64 total_, sent_ = 0;
    int rate_;
    bool digits_;
    std::mt19937 random_;
    QByteArray chunk_;
    QTimer timer_;
    QElapsedTimer clock_;
};

// Bounds of the flood: the window never waits long, memory never grows
// with the bytes. AddressSanitizer keeps freed memory aside for a while
// and slows every access, so its build has bounds of its own.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLongestGapMs = 400, kPeakKiB = 600 * 1024;
#else
constexpr qint64 kLongestGapMs = 100, kPeakKiB = 100 * 1024;
#endif

// A field of /proc/self/status in kB ("VmHWM": the peak resident size).
qint64 statusKiB(const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    return -1;
}

QString entry(const Program &p, int memory)
{
    return p.main->lstmem()->item(memory - 1)->text();
}

void clickCapture(Program &p, std::initializer_list<int> memories)
{
    p.main->lstmem()->clearSelection();
    for (int n : memories)
        p.main->lstmem()->item(n - 1)->setSelected(true);
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
}

bool idle(Program &p)
{
    return !p.main->capturing() && !p.main->receivePath().isReading();
}

// The instrument sends memories 1 to 10 on its own; each is filed.
void storeFirstTen(Program &p)
{
    for (int n = 1; n <= 10; ++n) {
        QVERIFY(p.instrument.write(buildReply(sampleMemory(n))));
        QTRY_COMPARE(entry(p, n), QStringLiteral("Mem %1 *").arg(n));
    }
}

// A Capture of one memory, answered as the instrument would, files it.
void captureWorks(Program &p, int memory)
{
    QTRY_VERIFY_WITH_TIMEOUT(idle(p), 15000);
    // Once the line is quiet, the rest of a broken reading is dropped and
    // Capture comes back.
    QTRY_VERIFY(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"))->isEnabled());
    QByteArray heard;
    const QByteArray request = memoryRequest(memory).join();
    auto answer = QObject::connect(&p.instrument, &PtyPair::received, [&](const QByteArray &bytes) {
        heard += bytes;
        if (heard.contains(request)) {
            heard.clear();
            p.instrument.write(buildReply(sampleMemory(memory)));
        }
    });
    clickCapture(p, {memory});
    QTRY_VERIFY_WITH_TIMEOUT(!p.main->capturing(), 8000);
    QObject::disconnect(answer);
    QCOMPARE(entry(p, memory), QStringLiteral("Mem %1 *").arg(memory));
    QCOMPARE(p.m->record(memory - 1), p.m->current());
}

} // namespace

class tst_hostileline : public QObject
{
    Q_OBJECT
private slots:
    void noiseChangesNothing_data();
    void noiseChangesNothing();
    void floodWhileCaptureWaits();
    void dripFedReplyIsGivenUp();
    void stopWhileTheInstrumentKeepsSending();
};

void tst_hostileline::noiseChangesNothing_data()
{
    QTest::addColumn<int>("rate"); // bytes a second; 0: as fast as the line takes them
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("capturing");
    QTest::addColumn<bool>("digits");
    QTest::newRow("full speed, idle") << 0 << 1000000 << false << false;
    QTest::newRow("full speed, capturing") << 0 << 1000000 << true << false;
    QTest::newRow("960 B/s, idle") << 960 << 2400 << false << false;
    QTest::newRow("960 B/s, capturing") << 960 << 2400 << true << false;
    // Digits make replies whose own number is always a number.
    QTest::newRow("digits, full speed, idle") << 0 << 1000000 << false << true;
}

void tst_hostileline::noiseChangesNothing()
{
    QFETCH(int, rate);
    QFETCH(int, bytes);
    QFETCH(bool, capturing);
    QFETCH(bool, digits);
    Program p(QString(), quickTimeouts());
    storeFirstTen(p);
    const Store stored = p.m->records();
    const Record shown = p.m->current();
    if (capturing)
        clickCapture(p, {11}); // the instrument never answers: only noise comes
    Noise noise(p.instrument, bytes, rate, digits);
    QTRY_VERIFY_WITH_TIMEOUT(noise.done(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(idle(p), 15000);

    // The port stays open, nothing is said, filed, marked or shown.
    QVERIFY(p.main->Comm1().isOpen());
    QVERIFY(p.log.messages.isEmpty());
    QVERIFY(p.m->records() == stored);
    QCOMPARE(p.m->current(), shown);
    for (int n = 1; n <= kMemoryCount; ++n)
        QCOMPARE(entry(p, n), entryText(n - 1, n <= 10));
    captureWorks(p, 20);
}

void tst_hostileline::floodWhileCaptureWaits()
{
    Program p(QString(), quickTimeouts());
    QSignalSpy finished(&p.main->captureRun(), &CaptureRun::finished);
    QSignalSpy aborted(&p.main->captureRun(), &CaptureRun::aborted);
    clickCapture(p, {30, 31, 32});

    // A timer every 10 ms: the longest gap between its ticks is how long
    // the window could not answer.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    Noise flood(p.instrument, 20 * 1000 * 1000, 0);
    sinceTick.start();
    tick.start();
    QTRY_VERIFY_WITH_TIMEOUT(flood.done(), 60000);
    tick.stop();

    QVERIFY2(longestGap < kLongestGapMs, qPrintable(QStringLiteral("longest gap %1 ms").arg(longestGap)));
    const qint64 peak = statusKiB("VmHWM");
    QVERIFY2(peak > 0 && peak < kPeakKiB, qPrintable(QStringLiteral("peak %1 kB").arg(peak)));
    // The Capture went on to its end; the port is still open.
    QTRY_VERIFY_WITH_TIMEOUT(idle(p), 15000);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(aborted.count(), 0);
    QVERIFY(p.main->Comm1().isOpen());
    QVERIFY(p.log.messages.isEmpty());
    captureWorks(p, 31);
}

void tst_hostileline::dripFedReplyIsGivenUp()
{
    Program p(QString(), quickTimeouts());
    const Record slot = p.m->record(4);
    clickCapture(p, {5});
    // A reply starts, then fill comes one byte at a time, never 2 s apart.
    QByteArray start(1 + 252 + 1, '\x07');
    start[0] = char(255);
    QVERIFY(p.instrument.write(start));
    int dripped = 0;
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] {
        p.instrument.write(QByteArray(1, '\0'));
        ++dripped;
    });
    const LinkTimeouts limits = quickTimeouts();
    const int period = limits.quietMs / 4; // never quiet long enough to count as stalled
    drip.start(period);
    QTRY_VERIFY_WITH_TIMEOUT(!p.main->capturing(), limits.replyMs + 3000);
    QVERIFY(dripped > 2 * limits.quietMs / period); // still dripping when given up
    drip.stop();
    QCOMPARE(entry(p, 5), QStringLiteral("Mem 5"));
    QVERIFY(p.main->lstmem()->item(4)->isSelected()); // for another try
    QCOMPARE(p.m->record(4), slot);
    QVERIFY(p.main->Comm1().isOpen());
    QCOMPARE(p.main->Comm1().rThreshold(), 1);
    QVERIFY(p.log.messages.isEmpty());
}

// After Stop, an instrument that keeps sending a byte now and then keeps
// Capture greyed only within a bound, and the status bar says why.
void tst_hostileline::stopWhileTheInstrumentKeepsSending()
{
    Program p(QString(), quickTimeouts());
    clickCapture(p, {7});
    QByteArray heard;
    QTRY_VERIFY(!(heard += p.instrument.takeReceived()).isEmpty()); // asked for memory 7
    QTimer chatter;
    QObject::connect(&chatter, &QTimer::timeout, [&p] { p.instrument.write("1"); });
    chatter.start(quickTimeouts().tailQuietMs / 3);
    QTest::qWait(quickTimeouts().tailQuietMs);
    QPushButton *capture = p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture"));
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdstop")), Qt::LeftButton);
    QVERIFY(!capture->isEnabled());
    auto *status = p.main->findChild<QLabel *>(QStringLiteral("capturestatus"));
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("The instrument is still sending")),
                             quickTimeouts().tailMostMs);
    QTRY_VERIFY_WITH_TIMEOUT(capture->isEnabled(), quickTimeouts().tailMostMs);
    QCOMPARE(status->text(), QStringLiteral("Capture is back, though the instrument is still sending"));
    QVERIFY(p.log.messages.isEmpty());
}

QTEST_MAIN(tst_hostileline)
#include "tst_hostileline.moc"
