// Showing a stored memory: the double-click, the panel's boxes, the
// overlays on the picture, and the notes written back.
#include "common/program.h"
#include "files/datafile.h"
#include "files/frmopen.h"
#include "display/picturebox.h"
#include "store/fields.h"
#include "simkit/replybuilder.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QToolTip>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace vextrum;

namespace {

QColor at(frmmain &w, double x, double y)
{
    const Canvas &c = w.picascan()->canvas();
    return w.picascan()->image().pixelColor(c.toPixel(x), c.toPixel(y));
}

Record memoryWith(int number, const QString &operatorNote)
{
    Record r = emptyRecord();
    for (int k = 0; k <= 250; ++k)
        r[k] = std::int16_t(k % 20 == 0 ? 60 : 0);
    setRecordText(r, 358, QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')));
    setRecordText(r, 267, u"100    ");
    setRecordText(r, 281, u"0.0    ");
    setRecordText(r, 295, u"ON     ");
    setRecordText(r, 302, u"30%    ");
    setRecordText(r, 309, u"70%    ");
    setRecordText(r, 316, u"40%    ");
    setRecordText(r, 323, u"OFF    ");
    setRecordText(r, 411, u"ON 6/14");
    for (int j = 0; j <= 250; ++j)
        r[pos::DacFirst + j] = 200;
    setRecordText(r, 1010, operatorNote);
    return r;
}

} // namespace

class tst_showmemory : public QObject
{
    Q_OBJECT
private slots:
    void panelShowsStartTexts();
    void doubleClickShowsLowestSelected();
    void doubleClickWithNothingSelected();
    void neverCapturedSlotShowsStartContents();
    void sampleMemoriesShowWithoutFault();
    void notesSaveIntoShownSlot();
    void noteBoxesTakeTwentySingleByteCharacters();
    void listReadsWholeTellsAndTakesEnter();
    void menuDataCaptionClearOfFrame();
};

void tst_showmemory::panelShowsStartTexts()
{
    Program p;
    for (Field f : fieldsOf(FieldKind::Setup))
        QCOMPARE(p.main->box(fieldInfo(f).name)->text(), QString::fromLatin1(fieldInfo(f).start));
    QCOMPARE(p.main->findChild<QLabel *>(QStringLiteral("labdac"))->text(), QStringLiteral("DAC"));
    QCOMPARE(p.main->findChild<QLabel *>(QStringLiteral("txttmdt"))->text(),
             QStringLiteral("Tm: 7:55  Dt: 28/4/2003"));
    QCOMPARE(p.main->box("txtmeapo1")->text(), QString());
}

void tst_showmemory::doubleClickShowsLowestSelected()
{
    Program p;
    p.m->file(2, memoryWith(3, QStringLiteral("JOHN")));
    p.m->file(7, memoryWith(8, QStringLiteral("MARY")));
    p.main->show();
    p.doubleClick(2, Qt::NoModifier);
    p.doubleClick(7, Qt::ControlModifier); // 3 and 8 selected, 8 clicked
    QCOMPARE(p.main->lstmem()->selectedItems().size(), 2);
    QCOMPARE(p.m->shownSlot(), 2);
    QCOMPARE(p.m->current(), p.m->record(2));
    QCOMPARE(p.main->box("txtmemno")->text(), QStringLiteral("003    "));
    QCOMPARE(p.main->box("txtopname")->text(), QStringLiteral("JOHN                "));
    QCOMPARE(p.main->box("txtent")->text(), QStringLiteral("ENTER"));
    // Gate 1 at y = 130 from x = 75 to 250; DAC at the top line, the half
    // and fifth curves at 110 and 170; scale labels under the trace.
    QCOMPARE(at(*p.main, 150, 130), kGreen);
    QCOMPARE(at(*p.main, 150, 10), kGreen);
    QCOMPARE(at(*p.main, 150, 170), kGreen);
    QCOMPARE(at(*p.main, 150, 110), kGreen);
    const QImage &img = p.main->picascan()->image();
    bool labels = false;
    for (int x = 0; x < img.width(); ++x)
        for (int y = p.main->picascan()->canvas().toPixel(216); y < img.height(); ++y)
            labels |= img.pixelColor(x, y) == kBlack;
    QVERIFY(labels);
}

void tst_showmemory::doubleClickWithNothingSelected()
{
    Program p;
    const Record before = p.m->current();
    p.main->lstmem()->clearSelection();
    p.main->lstmem_DblClick();
    QCOMPARE(p.m->current(), before);
    QCOMPARE(p.m->shownSlot(), 0);
}

void tst_showmemory::neverCapturedSlotShowsStartContents()
{
    Program p;
    p.main->show();
    p.doubleClick(41, Qt::NoModifier);
    QCOMPARE(p.m->shownSlot(), 41);
    QCOMPARE(p.main->box("txtrange")->text(), QStringLiteral("       "));
    QCOMPARE(p.main->box("txtopname")->text(), QString());
    QCOMPARE(at(*p.main, 100, 210), kGreen); // a flat trace on the baseline
}

void tst_showmemory::sampleMemoriesShowWithoutFault()
{
    Program p;
    const QList<Record> samples = sampleMemories();
    QVERIFY(!samples.isEmpty());
    for (const Record &r : samples) {
        p.m->showRecord(r);
        p.main->display_pattern();
        p.main->display_setup();
        QCOMPARE(readNumber(p.main->box("txtmemno")->text()), ownNumber(r));
    }
}

void tst_showmemory::notesSaveIntoShownSlot()
{
    Program p;
    p.m->file(4, memoryWith(5, QStringLiteral("JOHN SMITH")));
    p.main->show();
    p.doubleClick(4, Qt::NoModifier);
    QLineEdit *op = p.main->box("txtopname");
    QLineEdit *remark = p.main->box("txtremark");
    op->clear();
    QTest::keyClicks(op, QStringLiteral("JOE"));
    remark->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    // A shorter note replaces the whole field: no tail of the old one.
    QCOMPARE(recordText(p.m->record(4), 1010, 20), QStringLiteral("JOE                 "));
    QCOMPARE(recordText(p.m->record(4), 1070, 20), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    // The current record keeps the old notes.
    QCOMPARE(recordText(p.m->record(4), 1030, 20), QString(20, QLatin1Char(' ')));
    QCOMPARE(recordText(p.m->current(), 1010, 20), QStringLiteral("JOHN SMITH          "));

    // Pressed again without editing: nothing changes.
    const Record before = p.m->record(4);
    p.main->cmdtxtsav_Click();
    QCOMPARE(p.m->record(4), before);

    // An emptied box removes its note; nothing else changes.
    for (const char *b : {"txtopname", "txtraw", "txtaxno", "txtremark"})
        p.main->box(b)->clear();
    p.main->cmdtxtsav_Click();
    Record cleared = before;
    std::fill(cleared.begin() + 1010, cleared.begin() + 1090, std::int16_t(32));
    QCOMPARE(p.m->record(4), cleared);
}

void tst_showmemory::noteBoxesTakeTwentySingleByteCharacters()
{
    Program p;
    QLineEdit *op = p.main->box("txtopname");
    QTest::keyClicks(op, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW"));
    QCOMPARE(op->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    op->clear();
    for (const QString &ch : {QStringLiteral("R"), QString::fromUtf8("é"), QString::fromUtf8("€"), QStringLiteral("x")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(op, &press);
    }
    QCOMPARE(op->text(), QString::fromUtf8("Réx")); // the euro sign has no single-byte code
    // Before any memory was shown the notes go nowhere, and the user is
    // told how to pick one.
    const Store before = p.m->records();
    p.main->cmdtxtsav_Click();
    QVERIFY(p.m->records() == before);
    QCOMPARE(p.main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text(),
             QStringLiteral("No memory shown: double-click one in the list, then save its notes."));
}

QTEST_MAIN(tst_showmemory)
// A file of 200 captured memories opened as a user would: every entry
// reads whole, a captured entry's tooltip tells of its memory, Enter shows
// the first selected one, and the panel's boxes show their texts from the
// first character.
void tst_showmemory::listReadsWholeTellsAndTakesEnter()
{
    Program p;
    {
        auto all = std::make_unique<Store>();
        initialiseStore(*all);
        const QList<Record> samples = sampleMemories();
        for (int s = 0; s < kMemoryCount; ++s)
            (*all)[size_t(s)] = samples[s];
        QVERIFY(writeDataFile(p.dir.file(QStringLiteral("all.dat")), *all));
    }
    p.main->show();
    p.main->findChild<QAction *>(QStringLiteral("mnuopen"))->trigger();
    auto *open = p.main->findChild<frmopen *>();
    open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(p.dir.file(QStringLiteral("all.dat")));
    QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);

    QListWidget *list = p.main->lstmem();
    const QFontMetrics fm(list->font());
    for (int row : {0, 9, 99, 199}) {
        QListWidgetItem *item = list->item(row);
        QCOMPARE(item->text(), entryText(row, true));
        list->scrollToItem(item);
        const QRect r = list->visualItemRect(item);
        QVERIFY2(r.width() >= fm.horizontalAdvance(item->text()), qPrintable(item->text()));
        QVERIFY(r.width() <= list->viewport()->width() + list->horizontalScrollBar()->maximum());
    }

    // Memory 150, then memory 200 control-clicked: Enter shows memory 150.
    auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
    };
    click(149, Qt::NoModifier);
    click(199, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(p.m->shownSlot(), 149);
    QCOMPARE(p.main->box("txtmemno")->text().left(3), QStringLiteral("150"));
    click(199, Qt::NoModifier);
    QTest::keyClick(list, Qt::Key_Enter);
    QCOMPARE(p.m->shownSlot(), 199);
    QCOMPARE(p.m->current(), p.m->record(199));

    // The tooltip tells what the panel shows of the memory.
    const QRect r = list->visualItemRect(list->item(199));
    QHelpEvent tip(QEvent::ToolTip, r.center(), list->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(list->viewport(), &tip);
    const QString told = QToolTip::text();
    QVERIFY2(told.contains(p.main->findChild<QLabel *>(QStringLiteral("txttmdt"))->text()), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("Operator: ") + p.main->box("txtopname")->text().trimmed()));
    QVERIFY(told.contains(QStringLiteral("Job detail: ") + p.main->box("txtraw")->text().trimmed()));

    // Every box shows the start of its text: the first character at the
    // left, however wide the text.
    for (QLineEdit *e : p.main->findChild<QWidget *>(QStringLiteral("panel"))->findChildren<QLineEdit *>())
        QVERIFY2(e->cursorPosition() == 0, qPrintable(e->objectName()));
}

// The "Menu Data" caption's text rows lie above the panel frame's top line.
void tst_showmemory::menuDataCaptionClearOfFrame()
{
    Program p;
    p.main->show();
    QLabel *caption = nullptr;
    for (QLabel *l : p.main->findChildren<QLabel *>())
        if (l->text() == QLatin1String("Menu Data"))
            caption = l;
    QVERIFY(caption);
    const QImage img = caption->grab().toImage();
    const QColor text = caption->palette().color(QPalette::WindowText);
    int lowest = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 128 && qGray(img.pixel(x, y)) < (qGray(text.rgb()) + 255) / 2)
                lowest = y;
    QVERIFY(lowest >= 0);
    const int frameTop = p.main->findChild<QWidget *>(QStringLiteral("panel"))->geometry().top();
    QVERIFY2(caption->geometry().top() + lowest < frameTop,
             qPrintable(QStringLiteral("text to row %1, frame at %2").arg(caption->geometry().top() + lowest).arg(frameTop)));
}

#include "tst_showmemory.moc"
