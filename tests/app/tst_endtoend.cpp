// The whole road of a memory, as a user walks it: capture from the
// instrument (the simulator, over a pseudo-terminal), show, note, save,
// open in a fresh program, and print to PDF.
#include "common/program.h"
#include "files/frmopen.h"
#include "files/frmsave.h"
#include "simkit/simulator.h"
#include "report/frmprintop.h"

#include <QAction>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vextrum;

namespace {

// Dark pixels in a rectangle given in twips from the printable area.
int ink(const QImage &page, const QPrinter &printer, int x1, int y1, int x2, int y2)
{
    const QPointF o = printer.pageLayout().paintRect(QPageLayout::Point).topLeft() * 96.0 / 72.0;
    const QRect r = QRectF(o + QPointF(x1, y1) / 15.0, o + QPointF(x2, y2) / 15.0).toAlignedRect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(page.pixel(x, y)) < 128;
    return n;
}

template <typename T>
T *fromMenu(Program &p, const char *item)
{
    p.main->findChild<QAction *>(QString::fromLatin1(item))->trigger();
    return p.main->findChild<T *>();
}

} // namespace

class tst_endtoend : public QObject
{
    Q_OBJECT
private slots:
    void roadOfAMemory();
};

void tst_endtoend::roadOfAMemory()
{
    InstrumentSimulator instrument(fastInstrument()); // the line's pace is the Capture tests' business
    QVERIFY(instrument.isValid());
    QList<int> requested;
    connect(&instrument, &InstrumentSimulator::requestReceived, this, [&](int n) { requested << n; });

    // Start, and capture memories 2, 5 and 9 (5 carries no notes).
    auto first = std::make_unique<Program>(instrument.devicePath());
    Program &a = *first;
    a.main->show();
    a.doubleClick(1, Qt::NoModifier);
    for (int row : {4, 8})
        QTest::mouseClick(a.main->lstmem()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          a.main->lstmem()->visualItemRect(a.main->lstmem()->item(row)).center());
    QTest::mouseClick(a.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !a.main->capturing(); }, 10000));
    QCOMPARE(requested, (QList<int>{2, 5, 9}));
    for (int n : {2, 5, 9})
        QCOMPARE(a.main->lstmem()->item(n - 1)->text(), QStringLiteral("Mem %1 *").arg(n));

    // Show memory 5, write a note and save it into the memory.
    a.doubleClick(4, Qt::NoModifier);
    QCOMPARE(a.m->shownSlot(), 4);
    QCOMPARE(a.main->box("txtopname")->text(), QString());
    QTest::keyClicks(a.main->box("txtopname"), QStringLiteral("END TO END"));
    QTest::mouseClick(a.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);

    // File, Save as temp.dat in the working directory.
    auto *save = fromMenu<frmsave>(a, "mnusave");
    QTest::mouseClick(save->findChild<QPushButton *>(QStringLiteral("cmdsaveok")), Qt::LeftButton);
    QCOMPARE(QFileInfo(a.dir.file(QStringLiteral("temp.dat"))).size(), 880000);
    QVERIFY(a.log.messages.isEmpty());

    // The first program ends; its file is kept elsewhere.
    QTemporaryDir keep;
    const QString file = keep.filePath(QStringLiteral("job.dat"));
    QVERIFY(QFile::copy(a.dir.file(QStringLiteral("temp.dat")), file));
    first.reset();

    // A fresh program opens the file and shows memory 5 with its note.
    Program b(instrument.devicePath());
    b.main->show();
    auto *open = fromMenu<frmopen>(b, "mnuopen");
    open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(file);
    QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(b.main->lstmem()->item(4)->text(), QStringLiteral("Mem 5 *"));
    QCOMPARE(b.main->lstmem()->item(5)->text(), QStringLiteral("Mem 6"));
    b.doubleClick(4, Qt::NoModifier);
    QCOMPARE(b.main->box("txtopname")->text(), QStringLiteral("END TO END          "));
    QCOMPARE(b.main->box("txtraw")->text(), QString());

    // File, Print the memory shown, to a PDF.
    const QString pdf = b.dir.file(QStringLiteral("report.pdf"));
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    b.main->printSettings().setPrinter(printer);
    auto *print = fromMenu<frmprintop>(b, "mnuprint");
    QVERIFY(print->findChild<QRadioButton *>(QStringLiteral("opsingle"))->isChecked());
    QTest::mouseClick(print->findChild<QPushButton *>(QStringLiteral("cmdprint")), Qt::LeftButton);
    QVERIFY(b.log.messages.isEmpty());
    QVERIFY(QFileInfo(pdf).size() > 0);
    QVERIFY(!QFile::exists(QStringLiteral("gtp104.bmp")));

    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {"-r", "96", "-png", "-singlefile", pdf, b.dir.file(QStringLiteral("page"))});
    if (!render.waitForFinished(30000) || render.exitCode() != 0)
        QSKIP("pdftoppm is not available");
    const QImage page = QImage(b.dir.file(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!page.isNull());
    // The notes section starts at (870, 10130); values follow ":" at 1650.
    // The operator row carries the note's pixels, the blank job detail none.
    const int valueLeft = 870 + 1650 + 120, valueRight = 870 + 5000;
    QVERIFY(ink(page, *printer, valueLeft, 10130 + 220, valueRight, 10130 + 520) > 50);
    QCOMPARE(ink(page, *printer, valueLeft, 10130 + 680, valueRight, 10130 + 980), 0);
    // Its labels and colons are there in both rows.
    QVERIFY(ink(page, *printer, 870 + 100, 10130 + 680, valueLeft, 10130 + 980) > 20);
}

QTEST_MAIN(tst_endtoend)
#include "tst_endtoend.moc"
