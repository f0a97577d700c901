// View, "A-scan Viewer" and "Memory Browser" as a user walks them: memories
// captured from the simulator or opened from a file, the browser's rows,
// sort, filter and double-click, and the viewer's picture, readout, zoom,
// compare and copy.
#include "app/frmbrowse.h"
#include "app/frmviewer.h"
#include "display/memorypicture.h"
#include "common/program.h"
#include "display/ascanscope.h"
#include "display/memorytable.h"
#include "files/datafile.h"
#include "files/frmopen.h"
#include "simkit/replybuilder.h"
#include "simkit/simulator.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QScreen>
#include <QtTest>

using namespace vextrum;

namespace {

template <typename T>
T *fromMenu(Program &p, const char *item)
{
    p.main->findChild<QAction *>(QString::fromLatin1(item))->trigger();
    T *w = p.main->findChild<T *>();
    if (w) {
        w->show();
        [[maybe_unused]] bool exposed = QTest::qWaitForWindowExposed(w);
    }
    return w;
}

// A memory with a flat trace at `level` %, range 100 from 0, gate 1 on.
Record fileMemory(int number, int level, const QString &op, const QString &range)
{
    Record r = sampleRecord(number, 0);
    setRecordText(r, 358, QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')));
    setRecordText(r, 267, range.leftJustified(7));
    setRecordText(r, 281, QStringLiteral("0.0    "));
    setRecordText(r, 1010, op.leftJustified(20));
    for (int k = 0; k <= 250; ++k)
        r[k] = std::int16_t(level);
    return r;
}

// Memories 4, 8 and 15 in a data file, opened with File, Open.
void openFile(Program &p)
{
    Store store{};
    initialiseStore(store);
    store[3] = fileMemory(4, 45, QStringLiteral("ZED"), QStringLiteral("100"));
    store[7] = fileMemory(8, 20, QStringLiteral("ANNA"), QStringLiteral("250"));
    store[14] = fileMemory(15, 70, QStringLiteral("MAX"), QStringLiteral("050"));
    const QString file = p.dir.file(QStringLiteral("three.dat"));
    QVERIFY(writeDataFile(file, store));
    auto *open = fromMenu<frmopen>(p, "mnuopen");
    open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(file);
    QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
}

QString cell(QTableView *t, int row, int column)
{
    return t->model()->index(row, column).data().toString();
}

QStringList column(QTableView *t, int c, int rows)
{
    QStringList out;
    for (int r = 0; r < rows; ++r)
        out << cell(t, r, c);
    return out;
}

void clickHeader(QTableView *t, int section)
{
    QHeaderView *h = t->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
}

// The pixel of column i (0..10) and an amplitude on the viewer's scope.
QPoint at(const AscanScope *s, double columnIndex, double percent)
{
    const QRectF r = s->plot().plotRect();
    return QPointF(r.left() + r.width() * columnIndex / 10, s->plot().pixelY(210 - 2 * percent)).toPoint();
}

// The pointer moved over the picture, with the buttons held.
void hover(QWidget *w, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class tst_viewers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void browserFollowsCaptureNotesAndOpen();
    void browserSortsFiltersAndShows();
    void browserFollowsRecaptureReceiveAndItsOwnShow();
    void viewerFollowsMeasuresZoomsComparesCopies();
};

void tst_viewers::browserFollowsCaptureNotesAndOpen()
{
    InstrumentSimulator sim(fastInstrument());
    QVERIFY(sim.isValid());
    Program p(sim.devicePath());
    p.main->show();
    auto *b = fromMenu<frmbrowse>(p, "mnubrowser");
    QVERIFY(b);
    QTableView *t = b->table();
    QCOMPARE(t->model()->rowCount(), 200);
    QCOMPARE(column(t, MemoryTable::Captured, 200).count(QStringLiteral("Empty")), 200);

    // Capture memories 3 and 5: their rows fill in as they are filed.
    for (int row : {2, 4})
        QTest::mouseClick(p.main->lstmem()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          p.main->lstmem()->visualItemRect(p.main->lstmem()->item(row)).center());
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !p.main->capturing(); }, 10000));
    QTRY_COMPARE(cell(t, 2, MemoryTable::Captured), QStringLiteral("Captured"));
    QTRY_COMPARE(cell(t, 4, MemoryTable::Captured), QStringLiteral("Captured"));
    QCOMPARE(cell(t, 3, MemoryTable::Captured), QStringLiteral("Empty"));
    const Record sent = sim.recordFor(3);
    QCOMPARE(cell(t, 2, MemoryTable::Operator), recordText(sent, 1010, 20).trimmed());
    QCOMPARE(cell(t, 2, MemoryTable::Range), recordText(sent, 267, 7).trimmed());
    QCOMPARE(cell(t, 2, MemoryTable::Gain), recordText(sent, 288, 5).trimmed());
    QVERIFY(cell(t, 2, MemoryTable::TimeDate).startsWith(QStringLiteral("Tm:")));

    // A note saved into memory 3 shows at once.
    p.doubleClick(2, Qt::NoModifier);
    QLineEdit *op = p.main->box("txtopname");
    op->clear();
    QTest::keyClicks(op, QStringLiteral("NEW OPERATOR NAME 20"));
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    QTRY_COMPARE(cell(t, 2, MemoryTable::Operator), QStringLiteral("NEW OPERATOR NAME 20"));

    // Open replaces the store: the file's memories, and only those.
    openFile(p);
    QTRY_COMPARE(cell(t, 3, MemoryTable::Captured), QStringLiteral("Captured"));
    QCOMPARE(cell(t, 2, MemoryTable::Captured), QStringLiteral("Empty"));
    QCOMPARE(cell(t, 2, MemoryTable::Operator), QString());
    QCOMPARE(cell(t, 7, MemoryTable::Operator), QStringLiteral("ANNA"));
    QCOMPARE(column(t, MemoryTable::Captured, 200).count(QStringLiteral("Captured")), 3);
}

void tst_viewers::browserSortsFiltersAndShows()
{
    Program p;
    p.main->show();
    openFile(p);
    auto *b = fromMenu<frmbrowse>(p, "mnubrowser");
    QTableView *t = b->table();

    clickHeader(t, MemoryTable::Range); // ascending: the empty rows first
    clickHeader(t, MemoryTable::Range); // descending by the number in the text
    QCOMPARE(column(t, MemoryTable::Number, 3), (QStringList{"8", "4", "15"}));
    clickHeader(t, MemoryTable::Operator);
    QCOMPARE(column(t, MemoryTable::Operator, 200).mid(197), (QStringList{"ANNA", "MAX", "ZED"}));

    // Typed text narrows the rows, across every column.
    auto *find = b->findChild<QLineEdit *>(QStringLiteral("txtfilter"));
    QTest::keyClicks(find, QStringLiteral("ann"));
    QCOMPARE(t->model()->rowCount(), 1);
    QCOMPARE(b->findChild<QLabel *>(QStringLiteral("labcount"))->text(), QStringLiteral("1 of 200 shown"));

    // A double-click shows memory 8 as the list's double-click would.
    const QRect r = t->visualRect(t->model()->index(0, MemoryTable::Operator));
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(p.m->current(), p.m->record(7));
    QCOMPARE(p.m->shownSlot(), 7);
    QCOMPARE(p.main->box("txtopname")->text().trimmed(), QStringLiteral("ANNA"));

    // Enter on a row does the same.
    find->clear();
    QTest::keyClicks(find, QStringLiteral("captured"));
    QCOMPARE(t->model()->rowCount(), 3);
    t->setFocus();
    t->setCurrentIndex(t->model()->index(2, 0)); // sorted by operator: ZED's
    QTest::keyClick(t, Qt::Key_Return);
    QCOMPARE(p.m->shownSlot(), 3);
    QCOMPARE(p.main->box("txtopname")->text().trimmed(), QStringLiteral("ZED"));

    // Esc closes; the size is kept for the next time.
    b->resize(760, 470);
    QTest::keyClick(t, Qt::Key_Escape);
    QTRY_VERIFY(!p.main->findChild<frmbrowse *>());
    b = fromMenu<frmbrowse>(p, "mnubrowser");
    QCOMPARE(b->size(), QSize(760, 470));
    // A size kept on a larger screen comes back only as large as this one.
    b->resize(5000, 3000);
    b->close();
    QTRY_VERIFY(!p.main->findChild<frmbrowse *>());
    b = fromMenu<frmbrowse>(p, "mnubrowser");
    const QSize screen = b->screen()->availableGeometry().size();
    QVERIFY(b->width() <= screen.width() && b->height() <= screen.height());
}

void tst_viewers::browserFollowsRecaptureReceiveAndItsOwnShow()
{
    InstrumentSimulator sim(fastInstrument());
    QVERIFY(sim.isValid());
    Program p(sim.devicePath());
    p.main->show();
    auto *b = fromMenu<frmbrowse>(p, "mnubrowser");
    QTableView *t = b->table();
    auto operatorOnInstrument = [&sim](int memory, const QString &name) {
        Record r = sim.recordFor(memory);
        setRecordText(r, 1010, name.leftJustified(20));
        sim.setRecord(memory, r);
    };
    auto capture = [&p](int row) {
        p.doubleClick(row, Qt::NoModifier);
        QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdcapture")), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !p.main->capturing(); }, 10000));
    };

    // Memory 3 captured, then again after the instrument's copy changed.
    operatorOnInstrument(3, QStringLiteral("FIRST VISIT"));
    capture(2);
    QTRY_COMPARE(cell(t, 2, MemoryTable::Operator), QStringLiteral("FIRST VISIT"));
    operatorOnInstrument(3, QStringLiteral("SECOND VISIT"));
    capture(2);
    QTRY_COMPARE(cell(t, 2, MemoryTable::Operator), QStringLiteral("SECOND VISIT"));

    // The instrument sends memory 3 of its own accord.
    operatorOnInstrument(3, QStringLiteral("SENT BY INSTRUMENT"));
    sim.sendMemory(3);
    QTRY_COMPARE(cell(t, 2, MemoryTable::Operator), QStringLiteral("SENT BY INSTRUMENT"));

    // Shown from the browser, memory 3 takes the notes saved next.
    p.doubleClick(0, Qt::NoModifier); // memory 1 on screen first
    const QRect r = t->visualRect(t->model()->index(2, MemoryTable::Operator));
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, r.center());
    QLineEdit *op = p.main->box("txtopname");
    op->clear();
    QTest::keyClicks(op, QStringLiteral("CHECKED"));
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    QTRY_COMPARE(cell(t, 2, MemoryTable::Operator), QStringLiteral("CHECKED"));
}

void tst_viewers::viewerFollowsMeasuresZoomsComparesCopies()
{
    Program p;
    p.main->show();
    openFile(p);
    auto *v = fromMenu<frmviewer>(p, "mnuviewer");
    QVERIFY(v);
    AscanScope *s = v->scope();
    p.doubleClick(3, Qt::NoModifier); // memory 4: flat at 45 %, range 100 from 0
    QCOMPARE(v->findChild<QLabel *>(QStringLiteral("labmemory"))->text(), QStringLiteral("Mem 4"));

    for (QSize size : {QSize(700, 460), QSize(1400, 900)}) {
        v->resize(size);
        QTRY_COMPARE(s->plot().size(), s->size());
        const QImage g = s->grab().toImage();
        QCOMPARE(g.size(), s->size());
        QCOMPARE(g.pixelColor(at(s, 1.5, 45)), measuringColours().trace); // the trace
        QCOMPARE(g.pixelColor(at(s, 1.5, 75)), kWhite);        // nothing above it
        QCOMPARE(g.pixelColor(at(s, 5, 97.5)), kBlack);        // a column's dot
        QCOMPARE(g.pixelColor(at(s, 1.5, 0)), kBlack);         // the baseline
        int ink = 0;                                           // the last label
        const QRectF plot = s->plot().plotRect();
        for (int y = int(plot.bottom()) + 8; y < int(plot.bottom()) + 30; ++y)
            for (int x = int(plot.right()) - 12; x < int(plot.right()) + 12; ++x)
                ink += g.pixelColor(x, y) == kBlack;
        QVERIFY(ink > 5);
        // The readout follows the pointer, to the pixel.
        const QPoint mid = at(s, 5, 45);
        hover(s, mid);
        const double mm = 100 * (mid.x() - plot.left()) / plot.width();
        const double pct = 100 * (plot.bottom() - mid.y()) / plot.height();
        QTRY_COMPARE(v->findChild<QLabel *>(QStringLiteral("labpointer"))->text(),
                     QStringLiteral("Pointer: %1 mm, %2 %").arg(mm, 0, 'f', 1).arg(pct, 0, 'f', 1));
        QVERIFY(qAbs(mm - 50) < 0.2);
        QCOMPARE(v->findChild<QLabel *>(QStringLiteral("labsample"))->text(),
                 QStringLiteral("Sample 125: 50.0 mm, 45 %"));
    }
    // A 60 degree probe, X-OFF 12, THICK 20: 29.6 mm of sound path lie
    // 29.6 cos 60 = 14.8 mm deep, 29.6 sin 60 - 12 = 13.6 mm from the front.
    const QString peaks = v->findChild<QLabel *>(QStringLiteral("labpeaks"))->text();
    QVERIFY2(peaks.startsWith(QStringLiteral("Gate 1: 45 % at 29.6 mm (sample 74)\n  depth 14.8 mm, surface 13.6 mm, "
                                             "leg 1\n  to DAC ")),
             qPrintable(peaks));

    // Drag from column 2 to column 4: the readout stays true in the zoom.
    QTest::mousePress(s, Qt::LeftButton, {}, at(s, 2, 50));
    hover(s, at(s, 4, 50), Qt::LeftButton);
    QTest::mouseRelease(s, Qt::LeftButton, {}, at(s, 4, 50));
    QVERIFY(s->plot().zoomed());
    hover(s, at(s, 0, 45));
    auto pointerPath = [v] {
        return v->findChild<QLabel *>(QStringLiteral("labpointer"))->text().section(QLatin1Char(' '), 1, 1).toDouble();
    };
    QTRY_VERIFY(qAbs(pointerPath() - 20) < 0.1);
    QCOMPARE(v->findChild<QLabel *>(QStringLiteral("labsample"))->text(), QStringLiteral("Sample 50: 20.0 mm, 45 %"));

    // Compare with memory 15 (flat at 70 %), chosen from the list.
    auto *compare = v->findChild<QComboBox *>(QStringLiteral("cbocompare"));
    QCOMPARE(compare->count(), 4); // (none), Mem 4, Mem 8, Mem 15
    compare->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(compare, Qt::Key_Down);
    QCOMPARE(compare->currentText(), QStringLiteral("Mem 15"));
    QCOMPARE(s->plot().compareName(), QStringLiteral("Mem 15"));
    const QImage g = s->grab().toImage();
    QCOMPARE(g.pixelColor(at(s, 1.5, 70)), kCompareColour);
    QCOMPARE(g.pixelColor(at(s, 1.5, 45)), measuringColours().trace);

    // Copy puts the picture as shown on the clipboard.
    QTest::mouseClick(v->findChild<QPushButton *>(QStringLiteral("cmdcopy")), Qt::LeftButton);
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), s->size());
    QCOMPARE(copied.pixelColor(at(s, 1.5, 70)), kCompareColour);

    // Esc shows the whole range again, and a second Esc closes.
    QTest::keyClick(s, Qt::Key_Escape);
    QVERIFY(!s->plot().zoomed());
    QVERIFY(p.main->findChild<frmviewer *>());
    QTest::keyClick(s, Qt::Key_Escape);
    QTRY_VERIFY(!p.main->findChild<frmviewer *>());
}

QTEST_MAIN(tst_viewers)
#include "tst_viewers.moc"
