#include "files/datafile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include "common/filesizelimit.h"
#endif

using namespace vextrum;

namespace {

std::unique_ptr<Store> newStore(std::int16_t fill)
{
    auto store = std::make_unique<Store>();
    for (Record &r : *store)
        r.fill(fill);
    return store;
}

std::int16_t resetValue(int index)
{
    return index < 256 ? 0 : 32;
}

// `count` numbers: 0, 1, 2, ... each followed by a blank.
QByteArray countingNumbers(int count)
{
    QByteArray b;
    for (int k = 0; k < count; ++k)
        b += QByteArray::number(k % 200) + ' ';
    return b;
}

void setCodes(Record &r, int first, const char *codes)
{
    for (int k = 0; codes[k]; ++k)
        r[std::size_t(first + k)] = std::int16_t(static_cast<unsigned char>(codes[k]));
}

} // namespace

class tst_datafile : public QObject
{
    Q_OBJECT
private slots:
    void formatField_data();
    void formatField();
    void encodeLayout();
    void encodeResetStore();
    void roundTripAndMarks();
    void separators_data();
    void separators();
    void numberForms_data();
    void numberForms();
    void badItemStopsReading_data();
    void badItemStopsReading();
    void shortFile_data();
    void shortFile();
    void captureMarks_data();
    void captureMarks();
    void extraNumbersIgnored();
    void piecesGiveTheSameResult();
    void binaryContentStopsAtOnce();
    void missingFileLeavesStore();
    void writeAndReadBack();
    void writeFailures_data();
    void writeFailures();
    void failedWriteKeepsOldFile();
    void joinPath_data();
    void joinPath();
};

void tst_datafile::formatField_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("0") << 0 << QByteArray("0   ");
    QTest::newRow("32 blank") << 32 << QByteArray("32  ");
    QTest::newRow("255") << 255 << QByteArray("255 ");
    QTest::newRow("-3") << -3 << QByteArray("-3  ");
    QTest::newRow("1000 fits as 999") << 1000 << QByteArray("999 ");
    QTest::newRow("-100 fits as -99") << -100 << QByteArray("-99 ");
    QTest::newRow("32767") << 32767 << QByteArray("999 ");
    QTest::newRow("-32768") << -32768 << QByteArray("-99 ");
}

void tst_datafile::formatField()
{
    QFETCH(int, value);
    QFETCH(QByteArray, field);
    QCOMPARE(vextrum::formatField(std::int16_t(value)), field);
}

void tst_datafile::encodeLayout()
{
    auto store = newStore(1);
    (*store)[0][0] = 0;
    (*store)[0][1] = 12;
    (*store)[0][2] = 255;
    (*store)[3][17] = -3;
    (*store)[5][6] = 1000;
    (*store)[5][7] = -100;
    (*store)[99][1000] = 32767;
    (*store)[199][1099] = -32768;
    (*store)[7][1100] = 30000; // never written
    (*store)[200][0] = -30000; // never written
    const EncodeResult enc = encodeStore(*store);
    QCOMPARE(enc.bytes.size(), kDataFileSize);
    QCOMPARE(enc.changed, 4);
    QCOMPARE(enc.bytes.left(16), QByteArray("0   12  255 1   "));
    QCOMPARE(enc.bytes.mid(4 * (3 * 1100 + 17), 4), QByteArray("-3  "));
    QCOMPARE(enc.bytes.right(4), QByteArray("-99 "));

    // Fitted values read back as written and leave their neighbours intact.
    auto back = newStore(0);
    QCOMPARE(parseDataFile(enc.bytes, *back).status, OpenResult::Ok);
    QCOMPARE((*back)[5][6], std::int16_t(999));
    QCOMPARE((*back)[5][7], std::int16_t(-99));
    QCOMPARE((*back)[5][8], std::int16_t(1));
    QCOMPARE((*back)[99][1000], std::int16_t(999));
}

void tst_datafile::encodeResetStore()
{
    auto store = newStore(-5);
    initialiseStore(*store);
    const EncodeResult enc = encodeStore(*store);
    QCOMPARE(enc.bytes.size(), qsizetype(880000));
    QCOMPARE(enc.changed, 0);
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            QCOMPARE(enc.bytes.mid(4 * (s * 1100 + i), 4), QByteArray(i <= 260 ? "0   " : "32  "));
}

void tst_datafile::roundTripAndMarks()
{
    QRandomGenerator rng(20240611);
    auto source = newStore(0);
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            (*source)[s][i] = std::int16_t(rng.bounded(kFieldMin, kFieldMax + 1)); // every field Save writes
    // Even slots carry their own number, odd slots that of their neighbour.
    for (int s = 0; s < kFileSlots; ++s) {
        const QByteArray digits = QByteArray::number(s + 1 + s % 2).rightJustified(3, '0');
        setCodes((*source)[s], pos::OwnNumberFirst, digits.constData());
    }
    const QByteArray plain = encodeStore(*source).bytes;
    // Value 1100 and slot 200 never reach the file.
    for (Record &r : *source)
        r[1100] = -1234;
    (*source)[200].fill(4321);
    QCOMPARE(encodeStore(*source).bytes, plain);

    auto target = newStore(777);
    const OpenResult r = parseDataFile(plain, *target);
    QCOMPARE(r.status, OpenResult::Ok);
    QVERIFY(r.message().isEmpty());
    for (int s = 0; s < kFileSlots; ++s) {
        QCOMPARE(r.captured[s], s % 2 == 0);
        for (int i = 0; i < kFileValues; ++i)
            QCOMPARE((*target)[s][i], (*source)[s][i]);
        QCOMPARE((*target)[s][1100], std::int16_t(777));
    }
    for (int i = 0; i < kRecordSize; ++i)
        QCOMPARE((*target)[200][i], std::int16_t(777));
}

void tst_datafile::separators_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("blanks") << QByteArray("1 2 3");
    QTest::newRow("commas") << QByteArray("1,2,3");
    QTest::newRow("CR LF") << QByteArray("1\r\n2\r\n3\r\n");
    QTest::newRow("LF") << QByteArray("1\n2\n3\n");
    QTest::newRow("tabs") << QByteArray("1\t2\t3");
    QTest::newRow("mixed runs") << QByteArray("  1 ,  2,\t3  ");
    QTest::newRow("doubled commas are one") << QByteArray(",1,,2,,,3,");
}

void tst_datafile::separators()
{
    QFETCH(QByteArray, content);
    auto store = newStore(99);
    const OpenResult r = parseDataFile(content, *store);
    QCOMPARE(r.status, OpenResult::EndedEarly);
    QCOMPARE(r.slot, 0);
    QCOMPARE(r.index, 3);
    QCOMPARE((*store)[0][0], std::int16_t(1));
    QCOMPARE((*store)[0][1], std::int16_t(2));
    QCOMPARE((*store)[0][2], std::int16_t(3));
    QCOMPARE((*store)[0][3], std::int16_t(0));
}

void tst_datafile::numberForms_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<int>("value");
    QTest::newRow("2.5 to even") << QByteArray("2.5") << 2;
    QTest::newRow("3.5 to even") << QByteArray("3.5") << 4;
    QTest::newRow("-2.5 to even") << QByteArray("-2.5") << -2;
    QTest::newRow("0.49") << QByteArray("0.49") << 0;
    QTest::newRow("just above a half") << QByteArray("2.50000000000000000001") << 3;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("point, no fraction") << QByteArray("5.") << 5;
    QTest::newRow("no whole part") << QByteArray(".51") << 1;
    QTest::newRow("exponent") << QByteArray("1e2") << 100;
    QTest::newRow("exponent sign") << QByteArray("25E-1") << 2;
    QTest::newRow("tiny") << QByteArray("1e-400") << 0;
    QTest::newRow("32767") << QByteArray("32767") << 32767;
    QTest::newRow("-32768") << QByteArray("-32768") << -32768;
    QTest::newRow("-32768.5 to even") << QByteArray("-32768.5") << -32768;
}

void tst_datafile::numberForms()
{
    QFETCH(QByteArray, item);
    QFETCH(int, value);
    auto store = newStore(0);
    const OpenResult r = parseDataFile("11 " + item + " 13", *store);
    QCOMPARE(r.status, OpenResult::EndedEarly);
    QCOMPARE(r.index, 3);
    QCOMPARE(int((*store)[0][1]), value);
    QCOMPARE((*store)[0][2], std::int16_t(13));
}

void tst_datafile::badItemStopsReading_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<int>("status");
    const int range = OpenResult::OutOfRange, nan = OpenResult::NotANumber;
    QTest::newRow("32768") << QByteArray("32768") << range;
    QTest::newRow("-32769") << QByteArray("-32769") << range;
    QTest::newRow("32767.5 rounds up") << QByteArray("32767.5") << range;
    QTest::newRow("1e5") << QByteArray("1e5") << range;
    QTest::newRow("word") << QByteArray("abc") << nan;
    QTest::newRow("digit then letter") << QByteArray("12a4") << nan;
    QTest::newRow("no exponent digits") << QByteArray("1e+") << nan;
    QTest::newRow("hex") << QByteArray("0x10") << nan;
    QTest::newRow("two points") << QByteArray("1.2.3") << nan;
    QTest::newRow("NUL") << QByteArray("1\0", 2) << nan;
}

void tst_datafile::badItemStopsReading()
{
    QFETCH(QByteArray, item);
    QFETCH(int, status);
    // Slot 0 whole and slot 1 up to value 4 are good, then the item, then
    // more good numbers that must not be read.
    const QByteArray content = countingNumbers(1105) + item + ' ' + countingNumbers(5000);
    auto store = newStore(-1);
    const OpenResult r = parseDataFile(content, *store);
    QCOMPARE(int(r.status), status);
    QCOMPARE(r.slot, 1);
    QCOMPARE(r.index, 5);
    QCOMPARE(r.item, item);
    QVERIFY(r.message().contains(QLatin1String("memory 2, position 5")));
    for (int i = 0; i < kFileValues; ++i)
        QCOMPARE((*store)[0][i], std::int16_t(i % 200));
    for (int i = 0; i < 5; ++i)
        QCOMPARE((*store)[1][i], std::int16_t((1100 + i) % 200));
    for (int i = 5; i < kFileValues; ++i)
        QCOMPARE((*store)[1][i], resetValue(i));
    for (int i = 0; i < kFileValues; ++i)
        QCOMPARE((*store)[2][i], resetValue(i));
}

void tst_datafile::shortFile_data()
{
    QTest::addColumn<QByteArray>("ownNumber");
    QTest::addColumn<bool>("marked");
    QTest::newRow("001 marks entry 0") << QByteArray("001") << true;
    QTest::newRow("002 does not") << QByteArray("002") << false;
}

void tst_datafile::shortFile()
{
    QFETCH(QByteArray, ownNumber);
    QFETCH(bool, marked);
    QByteArray content;
    for (int i = 0; i < 1000; ++i) {
        const int v = i >= 358 && i <= 360 ? ownNumber[i - 358] : (i * 7) % 256;
        content += QByteArray::number(v) + "\r\n";
    }
    auto store = newStore(555);
    const OpenResult r = parseDataFile(content, *store);
    QCOMPARE(r.status, OpenResult::EndedEarly);
    QCOMPARE(r.slot, 0);
    QCOMPARE(r.index, 1000);
    QVERIFY(r.message().contains(QLatin1String("memory 1, position 1000")));
    QCOMPARE(r.captured[0], marked);
    for (int s = 1; s < kMemoryCount; ++s)
        QVERIFY(!r.captured[s]);
    for (int i = 0; i < 1000; ++i)
        QCOMPARE((*store)[0][i], std::int16_t(i >= 358 && i <= 360 ? ownNumber[i - 358] : (i * 7) % 256));
    for (int i = 1000; i < kFileValues; ++i)
        QCOMPARE((*store)[0][i], std::int16_t(32));
    for (int s = 1; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            QCOMPARE((*store)[s][i], resetValue(i));
}

void tst_datafile::captureMarks_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<bool>("marked");
    QTest::newRow("010 in slot 9") << 9 << QByteArray("010") << true;
    QTest::newRow("010 in slot 8") << 8 << QByteArray("010") << false;
    QTest::newRow("125 in slot 124") << 124 << QByteArray("125") << true;
    QTest::newRow("blanks ignored") << 4 << QByteArray("  5") << true;
    QTest::newRow("three blanks") << 0 << QByteArray("   ") << false;
}

void tst_datafile::captureMarks()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, codes);
    QFETCH(bool, marked);
    auto store = newStore(0);
    initialiseStore(*store);
    setCodes((*store)[slot], pos::OwnNumberFirst, codes.constData());
    const QByteArray content = encodeStore(*store).bytes;
    auto back = newStore(0);
    const OpenResult full = parseDataFile(content, *back);
    QCOMPARE(full.status, OpenResult::Ok);
    for (int s = 0; s < kMemoryCount; ++s)
        QCOMPARE(full.captured[s], s == slot && marked);

    // The test is made right after value 360: a file ending there already
    // marks, one ending a value earlier does not.
    const qsizetype upTo360 = 4 * (qsizetype(slot) * 1100 + 361);
    QCOMPARE(parseDataFile(content.left(upTo360), *back).captured[slot], marked);
    QVERIFY(!parseDataFile(content.left(upTo360 - 4), *back).captured[slot]);
}

void tst_datafile::extraNumbersIgnored()
{
    auto store = newStore(0);
    initialiseStore(*store);
    const QByteArray content = encodeStore(*store).bytes;
    auto back = newStore(0);
    QCOMPARE(parseDataFile(content + QByteArray("1 2 3 junk \0 99999", 18), *back).status, OpenResult::Ok);
    // The last number needs no separator after it.
    QCOMPARE(parseDataFile(content.left(kDataFileSize - 2), *back).status, OpenResult::Ok);
    QCOMPARE((*back)[199][1099], std::int16_t(32));
}

void tst_datafile::piecesGiveTheSameResult()
{
    const QByteArray contents[] = {
        countingNumbers(2500) + "7.5e-1 -0.5 +12.",
        countingNumbers(400) + "1.5e", countingNumbers(400) + "12x45 1",
        countingNumbers(400) + QByteArray(100, 'z'), countingNumbers(kFileNumbers + 3),
        "-32768.5,\r\n32767.5",
    };
    for (const QByteArray &content : contents) {
        auto whole = newStore(3);
        const OpenResult expected = parseDataFile(content, *whole);
        for (int piece : {1, 2, 3, 7, 4096}) {
            auto store = newStore(3);
            DataFileParser parser(*store);
            for (qsizetype at = 0; at < content.size(); at += piece)
                parser.feed(content.constData() + at, std::min<qsizetype>(piece, content.size() - at));
            const OpenResult r = parser.finish();
            QVERIFY(r.status == expected.status && r.slot == expected.slot
                    && r.index == expected.index && r.item == expected.item
                    && r.captured == expected.captured && *store == *whole);
        }
    }
}

void tst_datafile::binaryContentStopsAtOnce()
{
    // A large file that is no data file is not read to the end of its
    // first "item".
    auto store = newStore(0);
    DataFileParser parser(*store);
    const QByteArray zeros(1 << 20, '\0');
    QVERIFY(!parser.feed(zeros.constData(), zeros.size()));
    const OpenResult r = parser.finish();
    QCOMPARE(r.status, OpenResult::NotANumber);
    QCOMPARE(r.item.size(), qsizetype(64));
    QVERIFY(r.notADataFile());
    QVERIFY(r.message().startsWith(QLatin1String("The file is not a data file: \"????")));
    QVERIFY(*store == *newStore(0)); // not one number: the store is untouched
}

void tst_datafile::missingFileLeavesStore()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &path : {dir.filePath("missing.dat"), dir.path(), QString()}) {
        auto store = newStore(42);
        const OpenResult r = readDataFile(path, *store);
        QCOMPARE(r.status, OpenResult::CannotOpen);
        QVERIFY(!r.message().isEmpty());
        QVERIFY(*store == *newStore(42));
    }
}

void tst_datafile::writeAndReadBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto store = newStore(0);
    initialiseStore(*store);
    // Every kind of value a field can hold, and some it cannot.
    QRandomGenerator rng(24);
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            (*store)[s][i] = std::int16_t(i % 7 == 0 ? rng.bounded(-120, 1020) : rng.bounded(0, 256));
    (*store)[4][0] = 1000; // written as 999
    int outside = 0;
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            outside += (*store)[s][i] < -99 || (*store)[s][i] > 999;
    const QString path = vextrum::joinPath(dir.path(), "a.dat");
    {
        // A longer file of the same name is replaced whole.
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1000000, 'x'));
    }
    QString error;
    int changed = -1;
    QVERIFY2(writeDataFile(path, *store, &error, &changed), qPrintable(error));
    QCOMPARE(changed, outside);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), qsizetype(880000));
    QCOMPARE(bytes, encodeStore(*store).bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.dat"});
    // Each value in its own four bytes, as printf's "%-4d" writes it,
    // held to -99..999.
    for (int s = 0, at = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i, at += 4) {
            char field[8];
            std::snprintf(field, sizeof field, "%-4d", std::clamp(int((*store)[s][i]), -99, 999));
            if (bytes.mid(at, 4) != QByteArray(field))
                QFAIL(qPrintable(QStringLiteral("memory %1, value %2: \"%3\"").arg(s + 1).arg(i).arg(QString::fromLatin1(bytes.mid(at, 4)))));
        }

    auto back = newStore(-8);
    const OpenResult r = readDataFile(path, *back);
    QCOMPARE(r.status, OpenResult::Ok);
    QCOMPARE((*back)[4][0], std::int16_t(999));
    for (int s = 0; s < kFileSlots; ++s)
        for (int i = 0; i < kFileValues; ++i)
            if ((*back)[s][i] != std::clamp(int((*store)[s][i]), -99, 999))
                QFAIL(qPrintable(QStringLiteral("memory %1, value %2 read back wrong").arg(s + 1).arg(i)));
}

void tst_datafile::writeFailures_data()
{
    QTest::addColumn<QString>("name"); // below the temporary directory
    QTest::addColumn<QString>("says");
    QTest::newRow("empty name") << QString() << "No file name";
    QTest::newRow("folder only") << "/" << "No file name";
    QTest::newRow("missing folder") << "/missing/a.dat" << "does not exist";
    QTest::newRow("a folder") << "/sub" << "is a folder";
}

void tst_datafile::writeFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    auto store = newStore(0);
    const QString path = name.isEmpty() ? QString() : dir.path() + name;
    QString error;
    int changed = -1;
    QVERIFY(!writeDataFile(path, *store, &error, &changed));
    QVERIFY2(error.contains(says), qPrintable(error));
    QCOMPARE(changed, 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"sub"});
    QVERIFY(QDir(dir.filePath("sub")).isEmpty());
}

void tst_datafile::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A limit on the size of files this process may write stands in for a
    // full disk (it holds for root too).
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("good.dat");
    const QByteArray good = "1 2 3 ";
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(good);
    }
    auto store = newStore(0);
    QString error;
    bool ok = true;
    {
        FileSizeLimit limit(100000);
        QVERIFY(limit.isActive());
        ok = writeDataFile(path, *store, &error);
    }

    QVERIFY(!ok);
    QVERIFY2(error.startsWith("Cannot write"), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), good);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"good.dat"});
#else
    QSKIP("needs a file size limit");
#endif
}

void tst_datafile::joinPath_data()
{
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("joined");
    QTest::newRow("drive root") << "C:\\" << "C:\\a.dat";
    QTest::newRow("drive folder") << "C:\\data" << "C:\\data" + sep + "a.dat";
    QTest::newRow("root") << "/" << "/a.dat";
    QTest::newRow("folder") << "/tmp/x" << "/tmp/x" + sep + "a.dat";
    QTest::newRow("no folder") << QString() << "a.dat";
}

void tst_datafile::joinPath()
{
    QFETCH(QString, dir);
    QFETCH(QString, joined);
    QCOMPARE(vextrum::joinPath(dir, "a.dat"), joined);
}

QTEST_GUILESS_MAIN(tst_datafile)
#include "tst_datafile.moc"
