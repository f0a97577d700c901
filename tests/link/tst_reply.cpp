// The instrument's reply: reading it byte by byte, unpacking it into a
// record by the run table, and building it back from a record.
#include "simkit/replybuilder.h"
#include "link/replyreader.h"
#include "link/unpack.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vextrum;

namespace {

// Feeds a reply after its start byte to a reader: the bytes it took, or -1
// when it did not finish.
int readReply(const QByteArray &reply, RxBuffer &buffer)
{
    ReplyReader reader(buffer);
    for (int i = 1; i < reply.size(); ++i) {
        if (reader.feed(std::uint8_t(reply[i])) == ReplyReader::Status::Done)
            return reader.bytesRead();
    }
    return -1;
}

Record unpacked(const QByteArray &reply, Record record)
{
    RxBuffer buffer{};
    if (readReply(reply, buffer) < 0)
        qFatal("reply not complete");
    unpackReply(buffer, record);
    return record;
}

// Menu block byte k holds (7k) mod 256: neighbours always differ.
QByteArray menuPattern()
{
    QByteArray menu(kMenuBlockLength, '\0');
    for (int k = 0; k < menu.size(); ++k)
        menu[k] = char((k * 7) % 256);
    return menu;
}

std::int16_t at(const QByteArray &bytes, int k)
{
    return std::uint8_t(bytes[k]);
}

} // namespace

class tst_reply : public QObject
{
    Q_OBJECT
private slots:
    void keepsOnlyWhatTheRecordHolds_data();
    void keepsOnlyWhatTheRecordHolds();
    void dacCurveAndNotes();
    void runs_data();
    void runs();
    void runsWriteEveryPositionOnce();
    void gapAndFill_data();
    void gapAndFill();
    void readerStopsAfterTheMenuBlock();
    void roundTrip_data();
    void roundTrip();
    void sampleMemoriesCarryTheirNumber();
};

void tst_reply::keepsOnlyWhatTheRecordHolds_data()
{
    QTest::addColumn<int>("background");
    QTest::newRow("menu of zeros") << 0;
    QTest::newRow("menu of 255s") << 255;
}

void tst_reply::keepsOnlyWhatTheRecordHolds()
{
    QFETCH(int, background);
    QByteArray ascan(kAscanBlockLength, '\0');
    ascan[0] = char(253);
    for (int k = 1; k < kAscanBlockLength; ++k)
        ascan[k] = char(k);
    QByteArray menu(kMenuBlockLength, char(background));
    for (int k = 8; k <= 14; ++k)
        menu[k] = char('A' + k - 8);
    for (int k = 15; k <= 21; ++k)
        menu[k] = char(200 + k - 15);
    menu[1318] = char(207);
    Record before;
    before.fill(1234);
    const Record r = unpacked(assembleReply(ascan, menu), before);

    for (int p = 0; p <= 250; ++p)
        QCOMPARE(r[p], std::int16_t(p + 1));
    QCOMPARE(recordText(r, 260, 7), QStringLiteral("ABCDEFG"));
    QCOMPARE(r[294], std::int16_t(32));
    QCOMPARE(r[711], std::int16_t(66));
    for (int p = 0; p < kRecordSize; ++p) {
        const bool spare = (p >= 251 && p <= 259) || p >= 1090;
        QCOMPARE(r[p] == 1234, spare);
        QVERIFY2(p <= 250 || r[p] < 200 || r[p] > 207, "a dropped menu byte was stored");
        QVERIFY2(r[p] != 253, "A-scan block byte 0 was stored");
    }
}

void tst_reply::dacCurveAndNotes()
{
    const QByteArray menu = menuPattern();
    const Record r = unpacked(assembleReply(QByteArray(kAscanBlockLength, '\0'), menu), emptyRecord());
    for (int p = 754; p <= 1004; ++p)
        QCOMPARE(r[p], at(menu, 982 + p - 754));
    for (int p = 1010; p <= 1089; ++p)
        QCOMPARE(r[p], at(menu, 1238 + p - 1010));
}

void tst_reply::runs_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("offset");
    // Landmarks of the instrument's menu pages: where a field the user
    // knows starts in the block and in the record. That every record
    // position is written once is checked below, run by run.
    QTest::newRow("ZERO, the first item") << 260 << 7 << 8;
    QTest::newRow("gain: 6 bytes") << 288 << 6 << 64;
    QTest::newRow("memory number") << 358 << 7 << 219;
    QTest::newRow("REF: 4 bytes") << 372 << 4 << 257;
    QTest::newRow("DAC page, captions and all") << 404 << 56 << 325;
    QTest::newRow("amplitude correction: 6 bytes") << 705 << 6 << 931;
    QTest::newRow("time and date") << 712 << 10 << 937;
    QTest::newRow("first reading") << 722 << 8 << 947;
    QTest::newRow("second reading, after a gap") << 730 << 8 << 956;
    QTest::newRow("DAC curve, then the notes") << 746 << 344 << 974;
}

void tst_reply::runs()
{
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, offset);
    const QByteArray menu = menuPattern();
    const Record r = unpacked(assembleReply(QByteArray(kAscanBlockLength, '\0'), menu), emptyRecord());
    for (int i = 0; i < count; ++i)
        QCOMPARE(r[first + i], at(menu, offset + i));
}

void tst_reply::runsWriteEveryPositionOnce()
{
    std::array<int, kRecordSize> writes{};
    std::array<int, kMenuBlockLength> reads{};
    for (const UnpackRun &run : unpackRuns()) {
        for (int i = 0; i < run.count; ++i) {
            ++writes[run.recordFirst + i];
            ++reads[run.blockOffset + i];
        }
    }
    for (const FixedValue &fixed : kFixedValues)
        ++writes[fixed.recordPosition];
    for (int p = 0; p < kRecordSize; ++p)
        QCOMPARE(writes[p], (p >= 260 && p <= 1089) ? 1 : 0);
    QVERIFY(std::all_of(reads.begin(), reads.end(), [](int n) { return n <= 1; }));
}

void tst_reply::gapAndFill_data()
{
    QTest::addColumn<int>("fillBytes");
    QTest::addColumn<int>("gapByte");
    QTest::addColumn<int>("fillByte");
    QTest::newRow("no fill") << 0 << 0 << 0;
    QTest::newRow("one fill byte") << 1 << 0 << 0;
    QTest::newRow("50 fill bytes") << 50 << 0 << 0;
    QTest::newRow("gap byte 255") << 0 << 255 << 0;
    QTest::newRow("gap byte 255 and fill") << 50 << 255 << 254;
    QTest::newRow("fill asked for as 255") << 3 << 0 << 255;
}

void tst_reply::gapAndFill()
{
    QFETCH(int, fillBytes);
    QFETCH(int, gapByte);
    QFETCH(int, fillByte);
    const Record sent = sampleMemory(7);
    const QByteArray reply = buildReply(sent, {fillBytes, std::uint8_t(gapByte), std::uint8_t(fillByte)});
    QCOMPARE(reply.size(), kShortestReply + fillBytes);
    RxBuffer buffer{};
    QCOMPARE(readReply(reply, buffer), reply.size() - 1);
    Record r = emptyRecord();
    unpackReply(buffer, r);
    QCOMPARE(recordText(r, 260, 830), recordText(sent, 260, 830));
}

void tst_reply::readerStopsAfterTheMenuBlock()
{
    RxBuffer buffer;
    buffer.fill(-1);
    ReplyReader reader(buffer);
    const QByteArray reply = buildReply(sampleMemory(3), {2, 255, 9});
    for (int i = 1; i < reply.size() - 1; ++i)
        reader.feed(std::uint8_t(reply[i]));
    QCOMPARE(reader.state(), ReplyReader::State::MenuBlock);
    QCOMPARE(reader.feed(std::uint8_t(reply.back())), ReplyReader::Status::Done);
    // Bytes after the reply are the caller's to flush: neither taken nor stored.
    QCOMPARE(reader.feed(255), ReplyReader::Status::Done);
    QCOMPARE(reader.bytesRead(), reply.size() - 1);
    for (int p = 252; p < 260; ++p)
        QCOMPARE(buffer[p], std::int16_t(-1));
    for (int p = 1579; p < kRxBufferSize; ++p)
        QCOMPARE(buffer[p], std::int16_t(-1));
    reader.reset();
    QVERIFY(!reader.done());
    QCOMPARE(reader.bytesRead(), 0);
}

void tst_reply::roundTrip_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<int>("fill");
    for (int m : {1, 2, 3, 4, 5, 6, 99, 200})
        QTest::addRow("sample memory %d", m) << sampleMemory(m) << 0;
    QRandomGenerator rng(4711);
    for (int fill : {0, 17}) {
        Record r;
        for (auto &v : r)
            v = std::int16_t(rng.bounded(256));
        QTest::addRow("random bytes, fill %d", fill) << r << fill;
    }
}

void tst_reply::roundTrip()
{
    QFETCH(Record, record);
    QFETCH(int, fill);
    const Record r = unpacked(buildReply(record, {fill, 255, 1}), emptyRecord());
    for (int p = 0; p <= 1089; ++p) {
        if ((p >= 251 && p <= 259) || p == 294 || p == 711)
            continue; // not carried by a reply
        QVERIFY2(r[p] == record[p], qPrintable(QStringLiteral("position %1").arg(p)));
    }
}

void tst_reply::sampleMemoriesCarryTheirNumber()
{
    const QList<Record> samples = sampleMemories();
    QCOMPARE(samples.size(), 200);
    QSet<QString> dacModes;
    for (int m = 1; m <= 200; ++m) {
        const Record &r = samples[m - 1];
        QCOMPARE(ownNumber(r), double(m));
        dacModes.insert(recordText(r, 411, 7));
        QVERIFY(std::all_of(r.begin(), r.end(), [](std::int16_t v) { return v >= 0 && v <= 255; }));
    }
    QCOMPARE(recordText(samples[6], 358, 3), QStringLiteral("007"));
    QCOMPARE(dacModes, (QSet<QString>{"ON 6/14", "ON  TCG", "ON     ", "OFF    "}));
}

QTEST_GUILESS_MAIN(tst_reply)
#include "tst_reply.moc"
