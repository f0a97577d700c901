#include "link/frames.h"

#include <QtTest>

using namespace vextrum;

class tst_frames : public QObject
{
    Q_OBJECT
private slots:
    void framesAreTwentyTwoCharacters();
    void memoryRequest_data();
    void memoryRequest();
    void unfreeze();
};

void tst_frames::framesAreTwentyTwoCharacters()
{
    QCOMPARE(rFrame(), QByteArray("RZZZZZZZZZZZZZZZZZZZZZ"));
    QCOMPARE(aFrame(), QByteArray("AZZZZZZZZZZZZZZZZZZZZZ"));
    QCOMPARE(fFrame(), QByteArray("FZZZZZZZZZZZZZZZZZZZZZ"));
    for (int d = 0; d <= 9; ++d) {
        const QByteArray f = digitFrame(d);
        QCOMPARE(f.size(), kFrameLength);
        QCOMPARE(f[0], char('0' + d));
        QCOMPARE(f.mid(1), QByteArray(21, 'Z'));
    }
}

void tst_frames::memoryRequest_data()
{
    QTest::addColumn<int>("memory");
    QTest::addColumn<QByteArray>("digits");
    QTest::newRow("1") << 1 << QByteArray("001");
    QTest::newRow("7") << 7 << QByteArray("007");
    QTest::newRow("10") << 10 << QByteArray("010");
    QTest::newRow("99") << 99 << QByteArray("099");
    QTest::newRow("100") << 100 << QByteArray("100");
    QTest::newRow("109") << 109 << QByteArray("109");
    QTest::newRow("190") << 190 << QByteArray("190");
    QTest::newRow("200") << 200 << QByteArray("200");
}

void tst_frames::memoryRequest()
{
    QFETCH(int, memory);
    QFETCH(QByteArray, digits);
    const QList<QByteArray> seq = vextrum::memoryRequest(memory);
    QCOMPARE(seq.size(), 5);
    QCOMPARE(seq[0], rFrame());
    QCOMPARE(seq[1], aFrame());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(seq[2 + i], digitFrame(digits[i] - '0'));
    QCOMPARE(seq.join().size(), 110);
}

void tst_frames::unfreeze()
{
    QCOMPARE(unfreezeSequence().join(), rFrame() + fFrame());
}

QTEST_APPLESS_MAIN(tst_frames)
#include "tst_frames.moc"
