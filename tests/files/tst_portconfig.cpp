// dfd.cfg, read and written to the byte.
#include "files/portconfig.h"

#include <QtTest>

using namespace vextrum;

class tst_portconfig : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void writeGivesDigitAndCrLf_data();
    void writeGivesDigitAndCrLf();
    void unreadableFiles();
    void unwritableFile();
};

void tst_portconfig::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port"); // -99999: no number
    const int none = -99999;
    QTest::newRow("written by Ok") << QByteArray("3\r\n") << 3;
    QTest::newRow("no line end") << QByteArray("2") << 2;
    QTest::newRow("leading blanks and lines") << QByteArray("\r\n  \n 4\r\n") << 4;
    QTest::newRow("ends at comma") << QByteArray("1,9") << 1;
    QTest::newRow("ends at blank") << QByteArray("2 junk") << 2;
    QTest::newRow("rest ignored") << QByteArray("4\r\nanything\x01\x02") << 4;
    QTest::newRow("hand-written 7") << QByteArray("7\r\n") << 7;
    QTest::newRow("negative") << QByteArray("-3\r\n") << -3;
    QTest::newRow("largest") << QByteArray("32767") << 32767;
    QTest::newRow("too large") << QByteArray("32768") << none;
    QTest::newRow("empty") << QByteArray() << none;
    QTest::newRow("blank lines only") << QByteArray("\r\n\r\n") << none;
    QTest::newRow("text") << QByteArray("COM1\r\n") << none;
    QTest::newRow("binary junk") << QByteArray("\x7f\xff\x00\x12", 4) << none;
    QTest::newRow("nan") << QByteArray("nan") << none;
}

void tst_portconfig::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(int, port);
    const auto got = parsePortConfig(content);
    if (port == -99999)
        QVERIFY(!got);
    else
        QCOMPARE(int(got.value_or(-1)), port);
}

void tst_portconfig::writeGivesDigitAndCrLf_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("3") << 3 << QByteArray("\x33\x0d\x0a");
    QTest::newRow("2") << 2 << QByteArray("\x32\x0d\x0a");
    QTest::newRow("7") << 7 << QByteArray("7\r\n");
}

void tst_portconfig::writeGivesDigitAndCrLf()
{
    QFETCH(int, port);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dfd.cfg"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("1234567890\r\n"); // replaced whole, not overwritten in part
    old.close();
    QVERIFY(writePortConfig(port, nullptr, path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
    QCOMPARE(int(readPortConfig(path).value_or(-1)), port);
}

void tst_portconfig::unreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(!readPortConfig(dir.filePath(QStringLiteral("missing.cfg"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dfd.cfg")));
    QVERIFY(!readPortConfig(dir.filePath(QStringLiteral("dfd.cfg")))); // a directory
}

void tst_portconfig::unwritableFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dfd.cfg")));
    QString error;
    QVERIFY(!writePortConfig(2, &error, dir.filePath(QStringLiteral("dfd.cfg"))));
    QVERIFY(!error.isEmpty());
    QVERIFY(!writePortConfig(2, &error, dir.filePath(QStringLiteral("no/such/dir/dfd.cfg"))));
}

QTEST_APPLESS_MAIN(tst_portconfig)
#include "tst_portconfig.moc"
