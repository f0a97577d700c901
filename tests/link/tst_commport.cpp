// The serial port class against a pseudo-terminal standing in for the
// instrument's cable.
#include "link/commport.h"
#include "link/frames.h"
#include "simkit/ptypair.h"

#include <QtTest>

using namespace vextrum;

class tst_commport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void settings_data();
    void settings();
    void deviceNames();
    void portsOutsideOneToFourFail();
    void framesLeaveExactly();
    void pendingCountAndReadLength();
    void thresholdNotifications();
    void heldPortFailsToOpen();
    void vanishedDeviceClosesOnce();
    void bytesWaitingAtOpenAreNoLoss();

private:
    std::unique_ptr<PtyPair> pty_;
};

void tst_commport::init()
{
    pty_ = std::make_unique<PtyPair>();
    QVERIFY(pty_->isValid());
    qputenv("VEXTRUM_COM2", pty_->slavePath().toLocal8Bit());
}

void tst_commport::settings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("link") << "9600,N,8,1" << true;
    QTest::newRow("even two stop") << "19200,E,7,2" << true;
    QTest::newRow("lower case parity") << "9600,n,8,1" << true;
    QTest::newRow("missing part") << "9600,N,8" << false;
    QTest::newRow("bad parity") << "9600,X,8,1" << false;
    QTest::newRow("bad bits") << "9600,N,9,1" << false;
    QTest::newRow("bad baud") << "fast,N,8,1" << false;
}

void tst_commport::settings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    LinkSettings s;
    QCOMPARE(parseLinkSettings(text, &s), valid);
    CommPort port;
    QCOMPARE(port.setSettings(text), valid);
    if (text == QLatin1String("9600,N,8,1")) {
        QCOMPARE(s.baud, 9600);
        QCOMPARE(s.parity, QSerialPort::NoParity);
        QCOMPARE(s.dataBits, QSerialPort::Data8);
        QCOMPARE(s.stopBits, QSerialPort::OneStop);
    }
}

void tst_commport::deviceNames()
{
    qputenv("VEXTRUM_COM3", "/dev/ttyUSB0");
    QCOMPARE(CommPort::deviceName(3), QStringLiteral("/dev/ttyUSB0"));
    qunsetenv("VEXTRUM_COM3");
    QCOMPARE(CommPort::deviceName(3), QStringLiteral("/dev/ttyS2"));
    QCOMPARE(CommPort::deviceName(2), pty_->slavePath());
}

void tst_commport::portsOutsideOneToFourFail()
{
    for (int n : {0, 5, 7, -3}) {
        CommPort port;
        port.setCommPort(n);
        QVERIFY(!port.open());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.errorString().isEmpty());
    }
}

void tst_commport::framesLeaveExactly()
{
    CommPort port;
    port.setCommPort(2);
    port.setSettings(QStringLiteral("9600,N,8,1"));
    QVERIFY(port.open());
    for (const QByteArray &f : memoryRequest(7))
        QVERIFY(port.output(f));
    for (const QByteArray &f : unfreezeSequence())
        QVERIFY(port.output(f));
    QByteArray wire;
    QTRY_COMPARE_WITH_TIMEOUT((wire += pty_->takeReceived()).size(), 154, 3000);
    QCOMPARE(wire, memoryRequest(7).join() + rFrame() + fFrame());
    port.close();
    QVERIFY(!port.output(rFrame())); // nothing goes out on a closed port
}

void tst_commport::pendingCountAndReadLength()
{
    CommPort port;
    port.setCommPort(2);
    QVERIFY(port.open());
    QCOMPARE(port.inBufferCount(), 0);
    port.setInputLen(1);
    QVERIFY(port.input().isEmpty()); // nothing pending: nothing read
    QVERIFY(pty_->write(QByteArray("\xff\x01\x02\x00\x80", 5)));
    QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 5, 3000);
    QCOMPARE(port.input(), QByteArray("\xff", 1));
    QCOMPARE(port.inBufferCount(), 4);
    QCOMPARE(port.input(), QByteArray("\x01", 1));
    port.setInputLen(0);
    QCOMPARE(port.input(), QByteArray("\x02\x00\x80", 3));
    QCOMPARE(port.inBufferCount(), 0);
}

void tst_commport::thresholdNotifications()
{
    CommPort port;
    port.setCommPort(2);
    QVERIFY(port.open());
    QSignalSpy spy(&port, &CommPort::onComm);
    port.setRThreshold(0);
    QVERIFY(pty_->write("ab"));
    QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 2, 3000);
    QTest::qWait(50);
    QCOMPARE(spy.count(), 0); // threshold 0: no notifications

    port.setRThreshold(1);
    QVERIFY(pty_->write("c"));
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 1, 3000);
    QCOMPARE(spy.first().first().toInt(), CommPort::kEventReceive);
    QCOMPARE(port.inBufferCount(), 3);
}

void tst_commport::heldPortFailsToOpen()
{
    CommPort first, second;
    first.setCommPort(2);
    second.setCommPort(2);
    QVERIFY(first.open());
    QVERIFY(!second.open());
    QVERIFY(!second.isOpen());
    QVERIFY(!second.errorString().isEmpty());
    first.close();
    QVERIFY(second.open());
}

void tst_commport::vanishedDeviceClosesOnce()
{
    CommPort port;
    port.setCommPort(2);
    QVERIFY(port.open());
    QSignalSpy lost(&port, &CommPort::portLost);
    pty_->closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 3000);
    QTest::qWait(50);
    QCOMPARE(lost.count(), 1);
    // The reason is the device's going, not whatever the system said last.
    QCOMPARE(lost.first().first().toString(), QStringLiteral("%1 is no longer there").arg(pty_->slavePath()));
}

void tst_commport::bytesWaitingAtOpenAreNoLoss()
{
    // Noise already on the line when the port opens, more arriving all the
    // time, and the program counting and flushing from timers meanwhile:
    // none of it is a lost port.
    QVERIFY(pty_->write(QByteArray(3000, '\x55')));
    CommPort port;
    port.setCommPort(2);
    QSignalSpy lost(&port, &CommPort::portLost);
    QVERIFY(port.open());
    port.setInputLen(0);
    port.input();
    QTimer writer, reader;
    QObject::connect(&writer, &QTimer::timeout, [&] { pty_->write(QByteArray(1, char(0x33))); });
    QObject::connect(&reader, &QTimer::timeout, [&] {
        if (port.inBufferCount() > 500)
            port.input();
    });
    writer.start(0);
    reader.start(0);
    QTest::qWait(500);
    writer.stop();
    reader.stop();
    QVERIFY(port.isOpen());
    QCOMPARE(lost.count(), 0);
    QTest::qWait(50);
    port.input();
    QVERIFY(pty_->write("xyz"));
    QTRY_COMPARE(port.inBufferCount(), 3);
}

QTEST_GUILESS_MAIN(tst_commport)
#include "tst_commport.moc"
