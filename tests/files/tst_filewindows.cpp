// The Save and Open windows driven by their controls in a temporary
// working directory.
#include "common/program.h"
#include "files/datafile.h"
#include "files/filelists.h"
#include "files/frmopen.h"
#include "files/frmsave.h"
#include "simkit/replybuilder.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>

#ifdef Q_OS_UNIX
#include "common/filesizelimit.h"

#include <cerrno>
#include <cstring>
#endif

using namespace vextrum;

namespace {

template <typename T>
T *openWindow(Program &p, const char *menu)
{
    p.main->findChild<QAction *>(QString::fromLatin1(menu))->trigger();
    return p.main->findChild<T *>();
}

} // namespace

class tst_filewindows : public QObject
{
    Q_OBJECT
private slots:
    void saveWritesTheStore();
    void saveIntoAnotherDirectory();
    void saveFailuresKeepTheWindow();
    void saveTellsOfChangedValues();
    void saveAsksBeforeReplacingAnotherFile();
    void escLeavesWithoutWriting();
    void openReadsItBack();
    void openMissingFileChangesNothing();
    void openJunkChangesNothing_data();
    void openJunkChangesNothing();
    void openShortFileAndText();
    void extensionBoxFiltersFiles();
    void fileListClickAndRememberedDirectory();
    void notesTravelIntoTheFile();
    void windowsShowTheirFolder_data();
    void windowsShowTheirFolder();
};

void tst_filewindows::saveWritesTheStore()
{
    Program p;
    auto *w = openWindow<frmsave>(p, "mnusave");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("File Save"));
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->text(), QStringLiteral("temp.dat"));
    QCOMPARE(w->findChild<DirList *>(QStringLiteral("Dir1"))->path(), QDir::currentPath());
    QVERIFY(w->findChild<DriveList *>(QStringLiteral("Drive1")));
    // A second Save from the menu brings the same window forward.
    QCOMPARE(openWindow<frmsave>(p, "mnusave"), w);

    const Store before = p.m->records();
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdsaveok")), Qt::LeftButton);
    const QByteArray bytes = fileBytes(p.dir.file(QStringLiteral("temp.dat")));
    QCOMPARE(bytes.size(), 880000);
    QCOMPARE(bytes.left(8), QByteArray("0   0   "));
    QCOMPARE(bytes.mid(4 * 261, 4), QByteArray("32  "));
    QVERIFY(p.m->records() == before);
    QVERIFY(p.log.messages.isEmpty());
    QTRY_VERIFY(!p.main->findChild<frmsave *>());
}

void tst_filewindows::saveIntoAnotherDirectory()
{
    Program p;
    QVERIFY(QDir().mkdir(QStringLiteral("jobs")));
    auto *w = openWindow<frmsave>(p, "mnusave");
    w->findChild<DirList *>(QStringLiteral("Dir1"))->setPath(p.dir.file(QStringLiteral("jobs")));
    auto *name = w->findChild<QLineEdit *>(QStringLiteral("txtfilename"));
    name->setText(QStringLiteral("weld"));
    w->cmdsaveok_Click();
    QCOMPARE(fileBytes(p.dir.file(QStringLiteral("jobs/weld"))).size(), 880000); // no extension added
    QCOMPARE(QDir::currentPath(), p.dir.path()); // the working directory stays
    // Each opening reads "temp.dat" again.
    QTRY_VERIFY(!p.main->findChild<frmsave *>());
    w = openWindow<frmsave>(p, "mnusave");
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->text(), QStringLiteral("temp.dat"));
}

void tst_filewindows::saveFailuresKeepTheWindow()
{
    Program p;
    auto *w = openWindow<frmsave>(p, "mnusave");
    w->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->clear();
    w->cmdsaveok_Click();
    QCOMPARE(p.log.count(QStringLiteral("File Save")), 1);
    QVERIFY(w->isVisible());

    w->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->setText(QStringLiteral("a.dat"));
    w->findChild<DirList *>(QStringLiteral("Dir1"))->setPath(p.dir.file(QStringLiteral("missing/dir")));
    w->cmdsaveok_Click();
    QCOMPARE(p.log.count(QStringLiteral("File Save")), 2);
    QVERIFY(p.log.messages.last().second.contains(QStringLiteral("a.dat")));
    QVERIFY(w->isVisible());

#ifdef Q_OS_UNIX
    // A file size limit stops the writing part-way, as a full disk does:
    // the system's reason, the path once, and the old file as it was.
    const QString path = p.dir.file(QStringLiteral("a.dat"));
    QVERIFY(writeBytes(path, "1 2 3 "));
    w->findChild<DirList *>(QStringLiteral("Dir1"))->setPath(p.dir.path());
    p.log.answer = true; // yes, replace the file there
    {
        FileSizeLimit limit(100000);
        QVERIFY(limit.isActive());
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdsaveok")), Qt::LeftButton);
    }
    QCOMPARE(p.log.count(QStringLiteral("File Save")), 4); // the question, then the failure
    const QString text = p.log.messages.last().second;
    QCOMPARE(text, QStringLiteral("The file can't be saved: Cannot write %1: %2.")
                       .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(fileBytes(path), QByteArray("1 2 3 "));
    QVERIFY(w->isVisible());
#endif
}

void tst_filewindows::saveTellsOfChangedValues()
{
    Program p;
    Record r = p.m->record(3);
    r[5] = 1000;
    r[6] = -500;
    p.m->file(3, r);
    auto *w = openWindow<frmsave>(p, "mnusave");
    w->cmdsaveok_Click();
    QCOMPARE(p.log.messages.size(), 1);
    QVERIFY(p.log.messages[0].second.startsWith(QStringLiteral("2 ")));
    const QByteArray bytes = fileBytes(p.dir.file(QStringLiteral("temp.dat")));
    QCOMPARE(bytes.mid(4 * (3 * 1100 + 5), 8), QByteArray("999 -99 "));
    QCOMPARE(p.m->record(3)[5], std::int16_t(1000)); // the store is not changed
}

// Yesterday's file is not replaced by a Save without a Yes; the file in
// use is saved again without a question. The title names the file in use
// and marks work not yet in a file; Open and a double-click on an empty
// slot say what they did.
void tst_filewindows::saveAsksBeforeReplacingAnotherFile()
{
    Program p;
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    (*store)[2] = sampleMemory(3);
    const QString day1 = p.dir.file(QStringLiteral("day1.dat"));
    QVERIFY(writeDataFile(day1, *store));
    const QByteArray yesterday = fileBytes(day1);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("Vextrum DGS"));

    QVERIFY(p.instrument.write(buildReply(sampleMemory(5))));
    QTRY_COMPARE(p.main->windowTitle(), QStringLiteral("Vextrum DGS *"));
    auto saveAs = [&p](const QString &name) {
        auto *w = openWindow<frmsave>(p, "mnusave");
        auto *box = w->findChild<QLineEdit *>(QStringLiteral("txtfilename"));
        box->clear();
        QTest::keyClicks(box, name);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdsaveok")), Qt::LeftButton);
    };
    saveAs(QStringLiteral("day1.dat")); // No
    QCOMPARE(p.log.messages.size(), 1);
    QCOMPARE(p.log.messages[0].first, QStringLiteral("File Save"));
    QVERIFY(p.log.messages[0].second.contains(QDir::toNativeSeparators(day1)));
    QCOMPARE(fileBytes(day1), yesterday);
    QVERIFY(p.main->findChild<frmsave *>()->isVisible()); // back to the window
    p.log.answer = true;
    saveAs(QStringLiteral("day1.dat")); // Yes
    QCOMPARE(p.log.messages.size(), 2);
    QVERIFY(fileBytes(day1) != yesterday);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("Vextrum DGS - day1.dat"));

    p.log.answer = false;
    p.doubleClick(4, Qt::NoModifier);
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("Vextrum DGS - day1.dat *"));
    saveAs(QStringLiteral("day1.dat")); // the file in use: no question
    QCOMPARE(p.log.messages.size(), 2);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("Vextrum DGS - day1.dat"));
    QTRY_VERIFY(!p.main->findChild<frmsave *>());

    auto *status = p.main->findChild<QLabel *>(QStringLiteral("capturestatus"));
    p.doubleClick(5, Qt::NoModifier);
    QCOMPARE(status->text(), QStringLiteral("Mem 6 holds no captured memory"));
    auto *open = openWindow<frmopen>(p, "mnuopen");
    open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(day1);
    QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(status->text(), QStringLiteral("Opened day1.dat: 1 captured memory"));
    QCOMPARE(p.log.messages.size(), 2);
}

void tst_filewindows::escLeavesWithoutWriting()
{
    Program p;
    auto *save = openWindow<frmsave>(p, "mnusave");
    QTest::keyClick(save, Qt::Key_Escape);
    QTRY_VERIFY(!p.main->findChild<frmsave *>());
    QVERIFY(!QFile::exists(QStringLiteral("temp.dat")));
    auto *open = openWindow<frmopen>(p, "mnuopen");
    const Store before = p.m->records();
    QTest::keyClick(open, Qt::Key_Escape);
    QTRY_VERIFY(!p.main->findChild<frmopen *>());
    QVERIFY(p.m->records() == before);
}

void tst_filewindows::openReadsItBack()
{
    Program p;
    const QList<Record> samples = sampleMemories();
    for (int s : {0, 6, 199})
        p.m->file(s, samples[s]);
    p.m->file(10, samples[3]); // carries memory 4's number: not marked in slot 10
    openWindow<frmsave>(p, "mnusave")->cmdsaveok_Click();
    const Store saved = p.m->records();

    Program fresh; // a new program in its own directory
    QVERIFY(QFile::copy(p.dir.file(QStringLiteral("temp.dat")), fresh.dir.file(QStringLiteral("temp.dat"))));
    fresh.main->show();
    fresh.doubleClick(5, Qt::NoModifier); // Mem 6 on screen, its notes' target
    QCOMPARE(fresh.m->shownSlot(), 5);
    const Record current = fresh.m->current();
    auto *w = openWindow<frmopen>(fresh, "mnuopen");
    QCOMPARE(w->windowTitle(), QStringLiteral("File Open"));
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(),
             joinPath(QDir::currentPath(), QStringLiteral("temp.dat")));
    fresh.main->lstmem()->item(3)->setSelected(true);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    for (int s = 0; s < 200; ++s)
        for (int i = 0; i < 1100; ++i)
            QCOMPARE(fresh.m->record(s)[i], saved[s][i]);
    QCOMPARE(fresh.main->lstmem()->item(0)->text(), QStringLiteral("Mem 1 *"));
    QCOMPARE(fresh.main->lstmem()->item(6)->text(), QStringLiteral("Mem 7 *"));
    QCOMPARE(fresh.main->lstmem()->item(199)->text(), QStringLiteral("Mem 200 *"));
    QCOMPARE(fresh.main->lstmem()->item(10)->text(), QStringLiteral("Mem 11"));
    QCOMPARE(fresh.main->lstmem()->item(1)->text(), QStringLiteral("Mem 2"));
    QVERIFY(fresh.main->lstmem()->selectedItems().isEmpty());
    QCOMPARE(fresh.m->current(), current); // the picture shows what it showed
    QCOMPARE(fresh.m->shownSlot(), 5);
    QVERIFY(fresh.log.messages.isEmpty());
    QTRY_VERIFY(!fresh.main->findChild<frmopen *>());
    // The record on screen is none of the memories read: its notes go nowhere.
    fresh.main->box("txtopname")->setText(QStringLiteral("OLD NOTE"));
    QTest::mouseClick(fresh.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    QVERIFY(fresh.m->records() == saved);
    QCOMPARE(fresh.main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text(),
             QStringLiteral("No memory shown: double-click one in the list, then save its notes."));
}

void tst_filewindows::openMissingFileChangesNothing()
{
    Program p;
    Record r = p.m->record(2);
    r[0] = 42;
    p.m->file(2, r); // a captured memory: "Mem 3 *"
    auto *w = openWindow<frmopen>(p, "mnuopen");
    w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(p.dir.file(QStringLiteral("nothing.dat")));
    w->direct();
    QCOMPARE(p.main->lstmem()->item(2)->text(), QStringLiteral("Mem 3 *"));
    QCOMPARE(p.m->record(2)[0], std::int16_t(42));
    QCOMPARE(p.log.count(QStringLiteral("File Open")), 1);

    // A pipe typed in fails at once, as a file that cannot be opened.
    const QString fifo = p.dir.file(QStringLiteral("pipe.dat"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTRY_VERIFY(!p.main->findChild<frmopen *>());
    w = openWindow<frmopen>(p, "mnuopen");
    QLineEdit *path = w->findChild<QLineEdit *>(QStringLiteral("Text1"));
    path->clear();
    QTest::keyClicks(path, fifo);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(p.log.count(QStringLiteral("File Open")), 2);
    QVERIFY(p.log.messages.last().second.startsWith(QStringLiteral("The file cannot be opened:")));
    QCOMPARE(p.main->lstmem()->item(2)->text(), QStringLiteral("Mem 3 *"));
    QCOMPARE(p.m->record(2)[0], std::int16_t(42));
}

void tst_filewindows::openJunkChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("text starting with a word") << QByteArray("Memory 1 2 3\n4 5 6\n");
    QTest::newRow("log file") << QByteArray("2024-05-01 12:00:01 capture started\n");
}

// A file without one number is no data file: the 200 memories, their
// marks, the selection and the screen stay as they were.
void tst_filewindows::openJunkChangesNothing()
{
    QFETCH(QByteArray, content);
    Program p;
    for (int s = 0; s < 200; ++s)
        p.m->file(s, sampleMemory(s + 1));
    openWindow<frmsave>(p, "mnusave")->cmdsaveok_Click();
    auto *w = openWindow<frmopen>(p, "mnuopen");
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(p.main->lstmem()->item(199)->text(), QStringLiteral("Mem 200 *"));
    p.main->lstmem()->item(6)->setSelected(true);
    p.main->lstmem_DblClick();
    p.main->box("txtremark")->setText(QStringLiteral("TYPED"));
    const Store store = p.m->records();
    const Record current = p.m->current();

    const QString junk = p.dir.file(QStringLiteral("junk.txt"));
    QVERIFY(writeBytes(junk, content));
    w = openWindow<frmopen>(p, "mnuopen");
    w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(junk);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QVERIFY(p.m->records() == store);
    for (int s = 0; s < 200; ++s)
        QCOMPARE(p.main->lstmem()->item(s)->text(), entryText(s, true));
    QCOMPARE(p.main->lstmem()->selectedItems().size(), 1);
    QVERIFY(p.main->lstmem()->item(6)->isSelected());
    QCOMPARE(p.m->current(), current);
    QCOMPARE(p.main->box("txtremark")->text(), QStringLiteral("TYPED"));
    QCOMPARE(p.log.messages.size(), 1);
    QVERIFY2(p.log.messages[0].second.startsWith(QDir::toNativeSeparators(junk) + " is not a data file"),
             qPrintable(p.log.messages[0].second));
    // Its notes still go to the memory on screen.
    p.main->cmdtxtsav_Click();
    QCOMPARE(recordText(p.m->record(6), 1070, 20), QStringLiteral("TYPED               "));
}

void tst_filewindows::openShortFileAndText()
{
    Program p;
    // 1000 numbers, one a line: slot 0 from the file, its own number 001.
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += QByteArray::number(i == 358 || i == 359 ? 48 : i == 360 ? 49 : 7) + "\n";
    QVERIFY(writeBytes(p.dir.file(QStringLiteral("short.txt")), text));
    Record r = p.m->record(5);
    r[0] = 99;
    p.m->file(5, r);
    auto *w = openWindow<frmopen>(p, "mnuopen");
    w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(p.dir.file(QStringLiteral("short.txt")));
    w->direct();
    QCOMPARE(p.main->lstmem()->item(0)->text(), QStringLiteral("Mem 1 *"));
    QCOMPARE(p.m->record(0)[999], std::int16_t(7));
    QCOMPARE(p.m->record(0)[1000], std::int16_t(32));
    QCOMPARE(p.m->record(5)[0], std::int16_t(0));
    QCOMPARE(p.log.count(QStringLiteral("File Open")), 1);
    QVERIFY(p.log.messages.last().second.contains(QStringLiteral("memory 1")));
    QVERIFY(p.log.messages.last().second.endsWith(QStringLiteral("The memories from that point on were cleared.")));
}

void tst_filewindows::extensionBoxFiltersFiles()
{
    Program p;
    QVERIFY(writeBytes(QStringLiteral("a.dat"), "1"));
    QVERIFY(writeBytes(QStringLiteral("b.txt"), "1"));
    QVERIFY(writeBytes(QStringLiteral("c.doc"), "1"));
    QVERIFY(writeBytes(QStringLiteral("weld"), "1")); // as Save writes a name without a dot
    auto *w = openWindow<frmopen>(p, "mnuopen");
    auto *files = w->findChild<FileList *>(QStringLiteral("File1"));
    auto *ext = w->findChild<QComboBox *>(QStringLiteral("cmbext"));
    QCOMPARE(ext->count(), 3);
    QCOMPARE(ext->itemText(2), QStringLiteral("All Files(*.*)"));
    QCOMPARE(ext->currentText(), QStringLiteral("*.dat"));
    QTRY_COMPARE(files->fileNames(), QStringList{QStringLiteral("a.dat")});
    ext->setCurrentIndex(2);
    QCOMPARE(files->pattern(), QStringLiteral("*.*"));
    QTRY_COMPARE(files->fileNames(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.txt"),
                                                  QStringLiteral("c.doc"), QStringLiteral("dfd.cfg"),
                                                  QStringLiteral("weld")}));
    ext->setEditText(QStringLiteral("*.txt"));
    QTRY_COMPARE(files->fileNames(), QStringList{QStringLiteral("b.txt")});
    ext->setEditText(QStringLiteral("*.d*"));
    QTRY_COMPARE(files->fileNames(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("c.doc")}));
}

void tst_filewindows::fileListClickAndRememberedDirectory()
{
    Program p;
    QVERIFY(QDir().mkdir(QStringLiteral("old")));
    QVERIFY(writeBytes(QStringLiteral("old/x.dat"), "1"));
    auto *w = openWindow<frmopen>(p, "mnuopen");
    // Tab order: Drive1, Dir1, File1, cmbext, cmdok, Text1.
    QWidget *chain = w->findChild<QWidget *>(QStringLiteral("Drive1"));
    QStringList order;
    for (int i = 0; i < 6; ++i, chain = chain->nextInFocusChain()) {
        while (chain->objectName().isEmpty() || chain->parentWidget() != w)
            chain = chain->nextInFocusChain();
        order << chain->objectName();
    }
    QCOMPARE(order, (QStringList{"Drive1", "Dir1", "File1", "cmbext", "cmdok", "Text1"}));

    const QString old = p.dir.file(QStringLiteral("old"));
    w->findChild<DirList *>(QStringLiteral("Dir1"))->setPath(old);
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), joinPath(old, QStringLiteral("temp.dat")));
    auto *files = w->findChild<FileList *>(QStringLiteral("File1"));
    QTRY_COMPARE(files->fileNames(), QStringList{QStringLiteral("x.dat")});
    emit files->fileClicked(QStringLiteral("x.dat"));
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), joinPath(old, QStringLiteral("x.dat")));
    w->close();
    QTRY_VERIFY(!p.main->findChild<frmopen *>());
    QCOMPARE(QDir::currentPath(), p.dir.path());
    w = openWindow<frmopen>(p, "mnuopen");
    QCOMPARE(w->findChild<DirList *>(QStringLiteral("Dir1"))->path(), old);
}

void tst_filewindows::notesTravelIntoTheFile()
{
    Program p;
    p.main->lstmem()->item(4)->setSelected(true);
    p.main->lstmem_DblClick();
    p.main->box("txtopname")->setText(QStringLiteral("ANN"));
    p.main->cmdtxtsav_Click();
    openWindow<frmsave>(p, "mnusave")->cmdsaveok_Click();
    const QByteArray bytes = fileBytes(p.dir.file(QStringLiteral("temp.dat")));
    QCOMPARE(bytes.mid(4 * (4 * 1100 + 1010), 16), QByteArray("65  78  78  32  "));
}

void tst_filewindows::windowsShowTheirFolder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::newRow("Save") << "mnusave";
    QTest::newRow("Open") << "mnuopen";
}

// Working in a folder with many folders above it in the tree: the window
// opens with that folder expanded and in sight, and its full path shown.
void tst_filewindows::windowsShowTheirFolder()
{
    QFETCH(QString, menu);
    Program p;
    for (int k = 0; k < 40; ++k)
        QVERIFY(QDir().mkpath(QStringLiteral("site/a%1/inner").arg(k, 2, 10, QLatin1Char('0'))));
    QVERIFY(QDir().mkpath(QStringLiteral("site/weld/inner")));
    const QString work = p.dir.file(QStringLiteral("site/weld"));
    QDir::setCurrent(work);
    p.main->show();
    p.main->findChild<QAction *>(menu)->trigger();
    auto *w = p.main->findChild<FileWindow *>();
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    auto *dir = w->findChild<DirList *>(QStringLiteral("Dir1"));
    QCOMPARE(dir->path(), work);
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("dirpath"))->text(), QDir::toNativeSeparators(work));
    auto inSight = [dir] {
        const QRect row = dir->visualRect(dir->currentIndex());
        const QRect view = dir->viewport()->rect();
        return row.isValid() && row.top() >= view.top() && row.bottom() <= view.bottom() && row.left() >= 0
               && row.left() < view.width();
    };
    // The tree fills in around the folder in the background; once it has
    // settled, the folder is still in sight.
    auto where = [dir] {
        return QStringLiteral("row %1,%2 %3x%4 in %5x%6")
            .arg(dir->visualRect(dir->currentIndex()).x()).arg(dir->visualRect(dir->currentIndex()).y())
            .arg(dir->visualRect(dir->currentIndex()).width()).arg(dir->visualRect(dir->currentIndex()).height())
            .arg(dir->viewport()->width()).arg(dir->viewport()->height());
    };
    QTRY_VERIFY2(inSight(), qPrintable(where()));
    QTest::qWait(300);
    QVERIFY2(inSight(), qPrintable(where()));
    QVERIFY(dir->isExpanded(dir->currentIndex()));
}

QTEST_MAIN(tst_filewindows)
#include "tst_filewindows.moc"
