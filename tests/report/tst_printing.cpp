// Printing on a fresh program: the report routine with its temporary
// files and failure messages, a real page printed to PDF and rendered
// back, the print option window's runs and the printer set-up.
#include "app/fonts.h"
#include "app/frmbrowse.h"
#include "common/program.h"
#include "display/ascan.h"
#include "display/picturebox.h"
#include "simkit/replybuilder.h"
#include "report/frmprint.h"
#include "report/frmprintop.h"
#include "report/ink.h"
#include "report/reportpage.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace vextrum;

namespace {

std::shared_ptr<QPrinter> pdfPrinter(const QString &file)
{
    auto p = std::make_shared<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(file);
    return p;
}

// The memory on screen printed as File, Print with the current memory does.
ReportResult printScreen(Program &p)
{
    return print_report(screenInputs(p.m->onScreen(), p.main->picascan()->image()), *p.main,
                        p.main->printSettings());
}

Field named(const char *name)
{
    for (const FieldInfo &f : fieldTable())
        if (qstrcmp(f.name, name) == 0)
            return f.field;
    qFatal("no field %s", name);
}

QStringList tempFilesLeft() { return QDir().entryList({QStringLiteral("gtp*.bmp")}); }

bool sectionsCleared(frmmain &main)
{
    frmprint *form = main.findChild<frmprint *>();
    for (const char *name : {"pichead", "picsetup", "Picnote"})
        if (!form || hasInk(form->canvas(name).image(), {}))
            return false;
    return true;
}

// Pages of a PDF, or -1 without pdfinfo.
int pdfPages(const QString &pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(10000) || info.exitCode() != 0)
        return -1;
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                       .match(QString::fromLatin1(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The page at 96 dpi, or a null image without pdftoppm. REPORT_PAGE_OUT
// keeps a copy to look at.
QImage renderPage(const QString &pdf)
{
    QProcess r;
    r.start(QStringLiteral("pdftoppm"), {"-r", "96", "-png", "-singlefile", pdf, pdf.chopped(4)});
    if (!r.waitForFinished(30000) || r.exitCode() != 0)
        return {};
    const QString png = pdf.chopped(4) + QStringLiteral(".png");
    if (qEnvironmentVariableIsSet("REPORT_PAGE_OUT")) {
        QFile::remove(qEnvironmentVariable("REPORT_PAGE_OUT"));
        QFile::copy(png, qEnvironmentVariable("REPORT_PAGE_OUT"));
    }
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// A page rectangle in twips from the printable area's corner, at 96 dpi.
QRect onPage(const QPrinter &printer, int x1, int y1, int x2, int y2)
{
    const QPointF o = printer.pageLayout().paintRect(QPageLayout::Point).topLeft() * 96.0 / 72.0;
    return QRectF(o + QPointF(x1, y1) / 15.0, o + QPointF(x2, y2) / 15.0).toAlignedRect();
}

// Records each report of a print run: the slot and the memory number shown.
struct Reports
{
    QList<int> printed;
    QStringList memoryNumbers;

    void attach(Program &p, frmprintop &w)
    {
        QObject::connect(&w, &frmprintop::reportPrinted, [this, &p](int slot, const ReportResult &r) {
            QVERIFY(r.printed && r.failures == 0);
            printed << slot;
            memoryNumbers << p.main->box("txtmemno")->text();
        });
    }
};

void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(8, w->height() / 2)); }
void click(QWidget &window, const char *name) { click(window.findChild<QWidget *>(QString::fromLatin1(name))); }
bool checked(QWidget &window, const char *name)
{
    return window.findChild<QRadioButton *>(QString::fromLatin1(name))->isChecked();
}

// Runs f on the next modal dialog to open.
void onDialog(std::function<void(QDialog *)> f)
{
    auto *t = new QTimer;
    t->start(20);
    QObject::connect(t, &QTimer::timeout, [t, f] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            t->deleteLater();
            t->stop();
            f(d);
        }
    });
}

} // namespace

class tst_printing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void gathersWhatTheMainWindowShows();
    void printsOnePageAndCleansUp();
    void noPrinter_data();
    void noPrinter();
    void sectionFileThatCannotBeWrittenIsLeftOut();
    void pageHasItsSectionsInPlace();
    void memoriesToPrint_data();
    void memoriesToPrint();
    void optionWindow();
    void printRuns_data();
    void printRuns();
    void runWithoutPrinterSaysSoOnce();
    void memoriesSelectedInTheBrowser();
    void printerSetup();
};

void tst_printing::gathersWhatTheMainWindowShows()
{
    Program p;
    p.m->showRecord(sampleMemory(7));
    p.main->display_pattern();
    p.main->display_setup();
    p.main->box("txtremark")->setText(QStringLiteral("typed, not saved"));
    const ReportInputs in = screenInputs(p.m->onScreen(), p.main->picascan()->image());
    QCOMPARE(in.ascan, p.main->picascan()->image());
    QCOMPARE(in.ascan.size(), ascan::imageSize());
    for (const char *box : {"txtgain", "Txtpress", "txtblk1", "txtexit"})
        QCOMPARE(in.view.text(named(box)), p.main->box(box)->text());
    for (const char *label : {"labdac", "labgsta1", "labpnt", "labpress", "txttmdt"})
        QCOMPARE(in.view.text(named(label)), p.main->findChild<QLabel *>(label)->text());
    QCOMPARE(in.measurements[3], p.main->box("txtmeapo4")->text());
    QCOMPARE(in.notes[0], p.main->box("txtopname")->text());
    QCOMPARE(in.notes[3], QStringLiteral("typed, not saved"));
}

void tst_printing::printsOnePageAndCleansUp()
{
    Program p;
    const QString pdf = p.dir.file(QStringLiteral("report.pdf"));
    p.main->printSettings().setPrinter(pdfPrinter(pdf));
    QFile stale(QStringLiteral("gtp102.bmp"));
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("not a picture") > 0);
    stale.close();
    for (int run = 0; run < 2; ++run) {
        QFile::remove(pdf);
        const ReportResult r = printScreen(p);
        QVERIFY(r.printed);
        QCOMPARE(r.failures, 0);
        QVERIFY(p.log.messages.isEmpty());
        QCOMPARE(tempFilesLeft(), QStringList());
        QVERIFY(pdfPages(pdf) == 1 || (pdfPages(pdf) == -1 && QFileInfo(pdf).size() > 0));
        QVERIFY(sectionsCleared(*p.main));
    }
    // One composition window, kept hidden for the rest of the run.
    QCOMPARE(p.main->findChildren<frmprint *>().size(), 1);
    frmprint *form = p.main->findChild<frmprint *>();
    QCOMPARE(form->windowTitle(), QStringLiteral("Print"));
    QVERIFY(form->isWindow() && !form->isVisible());
    for (const char *name : {"pichead", "picecho", "picsetup", "Picnote"})
        QVERIFY2(form->picture(name), name);
}

void tst_printing::noPrinter_data()
{
    QTest::addColumn<QString>("printerName");
    QTest::addColumn<QString>("pdfFile");
    QTest::newRow("unwritable PDF file") << QString() << QStringLiteral("/nonexistent/dir/x.pdf");
    QTest::newRow("no such printer") << QStringLiteral("NoSuchPrinter") << QString();
}

// The four placements, the end of the page and the end of the job fail,
// one message for all; the files are still deleted, the sections cleared.
void tst_printing::noPrinter()
{
    QFETCH(QString, printerName);
    QFETCH(QString, pdfFile);
    Program p;
    p.main->printSettings().setPrinter(pdfFile.isEmpty() ? std::make_shared<QPrinter>() : pdfPrinter(pdfFile));
    if (!printerName.isEmpty())
        p.main->printSettings().printer().setPrinterName(printerName);
    const ReportResult r = printScreen(p);
    QVERIFY(!r.printed);
    QCOMPARE(r.failures, 6);
    QCOMPARE(p.log.messages, (QList<QPair<QString, QString>>{{"Vextrum DGS", "The Report can't be printed."}}));
    QCOMPARE(tempFilesLeft(), QStringList());
    QVERIFY(sectionsCleared(*p.main));
}

// A folder named like the heading's file: writing, reading and deleting
// it fail, and the page goes out without the heading.
void tst_printing::sectionFileThatCannotBeWrittenIsLeftOut()
{
    Program p;
    const QString pdf = p.dir.file(QStringLiteral("report.pdf"));
    p.main->printSettings().setPrinter(pdfPrinter(pdf));
    QVERIFY(QDir().mkdir(QStringLiteral("gtp103.bmp")));
    const ReportResult r = printScreen(p);
    QVERIFY(r.printed);
    QCOMPARE(r.failures, 3);
    QCOMPARE(p.log.messages.size(), 1);
    QCOMPARE(tempFilesLeft(), QStringList{"gtp103.bmp"}); // the folder
    const QImage page = renderPage(pdf);
    if (page.isNull())
        QSKIP("pdftoppm is not available");
    QVERIFY(!hasInk(page, onPage(p.main->printSettings().printer(), 1300, 4000, 10915, 4615).adjusted(2, 2, -2, -2)));
    QVERIFY(hasInk(page, onPage(p.main->printSettings().printer(), 5990, 4700, 11165, 12375)));
}

void tst_printing::pageHasItsSectionsInPlace()
{
    Program p;
    p.m->showRecord(sampleMemory(7));
    p.main->display_pattern();
    p.main->display_setup();
    p.main->box("txtopname")->setText(QStringLiteral("J. BLOGGS"));
    const QString pdf = p.dir.file(QStringLiteral("page.pdf"));
    p.main->printSettings().setPrinter(pdfPrinter(pdf));
    QVERIFY(printScreen(p).printed);
    const QImage page = renderPage(pdf);
    if (page.isNull())
        QSKIP("pdftoppm is not available");
    const QPrinter &pr = p.main->printSettings().printer();
    auto inkIn = [&](int x1, int y1, int x2, int y2) { return inkBox(page, onPage(pr, x1, y1, x2, y2)); };

    // Nothing above y = 4000, left of x = 870, right of or below the table.
    const QRect all = inkBox(page);
    QVERIFY(all.top() >= onPage(pr, 0, 4000, 1, 4001).top() - 1);
    QVERIFY(all.left() >= onPage(pr, 870, 0, 871, 1).left() - 1);
    QVERIFY(all.right() <= onPage(pr, 0, 0, 11165, 1).right() + 1);
    QVERIFY(all.bottom() <= onPage(pr, 0, 0, 1, 12375).bottom() + 1);
    // Heading text starting well right of x = 1300, within its band.
    const QRect head = inkIn(0, 4000, 20000, 4690);
    QVERIFY(head.left() > onPage(pr, 2000, 0, 2001, 1).left() && head.bottom() < onPage(pr, 0, 0, 1, 4615).bottom());
    // A-scan section: the green trace and the frame at (1, 1) and 271 points down.
    bool green = false;
    const QRect echo = onPage(pr, 900, 4750, 5900, 10000);
    for (int y = echo.top(); y <= echo.bottom() && !green; ++y)
        for (int x = echo.left(); x <= echo.right() && !green; ++x)
            green = qGreen(page.pixel(x, y)) > 120 && qRed(page.pixel(x, y)) < 90;
    QVERIFY(green);
    QCOMPARE(inkIn(870, 4700 + 20, 6000, 4700 + 40).left(), onPage(pr, 870, 0, 871, 1).left());
    QVERIFY(!inkIn(1000, 4700 + 5405, 5000, 4700 + 5435).isNull());
    // Table: the frame's left, right and bottom edges.
    QVERIFY(!inkIn(5990, 6000, 6040, 6100).isNull());
    QVERIFY(!inkIn(5990 + 5080, 6000, 5990 + 5120, 6100).isNull());
    QVERIFY(!inkIn(6100, 4700 + 7580, 11000, 4700 + 7620).isNull());
    // Notes: the typed operator note after x = 870 + 1650; the frame's foot.
    QVERIFY(inkIn(870 + 1650, 10130 + 220, 6000, 10130 + 460).right() > onPage(pr, 870 + 2500, 0, 870 + 2501, 1).left());
    QVERIFY(!inkIn(1000, 10130 + 2160, 5000, 10130 + 2190).isNull());
}

void tst_printing::memoriesToPrint_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QList<int>>("captured");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("expected");
    const QList<int> captured{9, 1, 4}, selected{8, 2};
    const auto row = [](const char *name, PrintChoice c) -> QTestData & { return QTest::newRow(name) << int(c); };
    row("current memory", PrintChoice::Single) << captured << selected << QList<int>{};
    row("no choice", PrintChoice::None) << captured << selected << QList<int>{};
    row("selected, list order", PrintChoice::Selected) << QList<int>{} << selected << QList<int>{2, 8};
    row("selected, captured or not", PrintChoice::Selected) << captured << QList<int>{2, 1} << QList<int>{1, 2};
    row("selected, none", PrintChoice::Selected) << captured << QList<int>{} << QList<int>{};
    row("all captured, list order", PrintChoice::All) << captured << selected << QList<int>{1, 4, 9};
    row("all, none captured", PrintChoice::All) << QList<int>{} << selected << QList<int>{};
}

void tst_printing::memoriesToPrint()
{
    QFETCH(int, choice);
    QFETCH(QList<int>, captured);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, expected);
    QCOMPARE(vextrum::memoriesToPrint(PrintChoice(choice), captured, selected), expected);
}

void tst_printing::optionWindow()
{
    Program p;
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    QPointer<frmprintop> w = p.main->findChild<frmprintop *>();
    QCOMPARE(w->windowTitle(), QStringLiteral("Print"));
    QVERIFY(w->isVisible() && !w->isModal());
    QCOMPARE(w->size(), QSize(6360 / 15, 3495 / 15));
    const struct
    {
        const char *name, *caption;
        QRect at; // twips
    } controls[] = {
        {"Frame1", "Print Option", {1080, 480, 4215, 1815}},
        {"opsingle", "Currently Displayed Ascan Report", {1200, 840, 3975, 375}},
        {"opselect", "Selected Ascan Report", {1200, 1200, 3735, 375}},
        {"opall", "All Ascan Report", {1200, 1560, 2775, 375}},
        {"cmdprint", "Print", {1080, 2520, 1335, 495}},
    };
    for (const auto &c : controls) {
        QWidget *x = w->findChild<QWidget *>(QString::fromLatin1(c.name));
        QVERIFY2(x, c.name);
        const QString caption = x->property(qobject_cast<QGroupBox *>(x) ? "title" : "text").toString();
        QCOMPARE(caption, QString::fromLatin1(c.caption));
        const QRect at(c.at.x() / 15, c.at.y() / 15, c.at.width() / 15, c.at.height() / 15);
        QCOMPARE(QRect(x->mapTo(w, QPoint(0, 0)), x->size()), at);
        QVERIFY(x->font().bold() && x->font().pointSizeF() == 9.75);
        if (c.name[0] != 'c')
            QCOMPARE(x->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }
    QVERIFY(checked(*w, "opsingle"));
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    QCOMPARE(p.main->findChildren<frmprintop *>().size(), 1); // one at a time
    click(*w, "opall");
    QVERIFY(!checked(*w, "opsingle") && w->choice() == PrintChoice::All);

    // Closed without printing, then opened again: the current memory.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    w = p.main->findChild<frmprintop *>();
    QVERIFY(checked(*w, "opsingle"));
    QVERIFY(p.log.messages.isEmpty());
}

void tst_printing::printRuns_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QList<int>>("expected");   // slots printed, -1: the screen
    QTest::addColumn<QList<double>>("numbers"); // memory numbers shown
    // The last memory filed is on screen.
    QTest::newRow("current memory") << "opsingle" << QList<int>{-1} << QList<double>{5};
    QTest::newRow("selected: 3 before 9") << "opselect" << QList<int>{2, 8} << QList<double>{3, 0};
    QTest::newRow("all: every captured") << "opall" << QList<int>{1, 2, 3, 4} << QList<double>{2, 3, 4, 5};
    QTest::newRow("selected: none") << "opselect" << QList<int>{} << QList<double>{};
    QTest::newRow("all: none captured") << "opall" << QList<int>{} << QList<double>{};
}

// Memories 2 to 5 captured, memory 9 never. Entries 9 and 3 are selected,
// in that order, except in the runs that expect nothing.
void tst_printing::printRuns()
{
    QFETCH(QString, choice);
    QFETCH(QList<int>, expected);
    QFETCH(QList<double>, numbers);
    Program p;
    QListWidget *list = p.main->lstmem();
    if (!expected.isEmpty()) {
        for (int memory : {2, 3, 4, 5})
            p.m->file(memory - 1, sampleMemory(memory));
        list->item(8)->setSelected(true);
        list->item(2)->setSelected(true);
    }
    const Record screen = p.m->current();
    const int shownBefore = p.m->shownSlot();
    p.main->box("txtopname")->setText(QStringLiteral("TYPED, NOT SAVED"));
    // "Print to File (PDF)" chosen in PrintSetup, then File, Print.
    const QString pdf = p.dir.file(QStringLiteral("run.pdf"));
    p.main->printSettings().printer().setOutputFormat(QPrinter::PdfFormat);
    p.main->printSettings().printer().setOutputFileName(pdf);
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    QPointer<frmprintop> w = p.main->findChild<frmprintop *>();
    QVERIFY(w);
    Reports reports;
    reports.attach(p, *w);
    click(*w, choice.toLatin1());
    click(*w, "cmdprint");

    QCOMPARE(reports.printed, expected);
    for (int k = 0; k < expected.size(); ++k)
        QCOMPARE(readNumber(reports.memoryNumbers[k]), numbers[k]);
    // One file, a page per memory, in list order.
    const QString status = p.main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text();
    if (expected.isEmpty()) {
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(status.isEmpty());
    } else {
        QCOMPARE(pdfPages(pdf), int(expected.size()));
        QCOMPARE(status, QStringLiteral("Report printed to %1: %2 page%3")
                             .arg(pdf).arg(expected.size()).arg(expected.size() == 1 ? "" : "s"));
    }
    QVERIFY(p.log.messages.isEmpty());
    if (expected.isEmpty() || expected.last() < 0) { // the screen as it was
        QCOMPARE(p.m->current(), screen);
        QCOMPARE(p.m->shownSlot(), shownBefore);
        QCOMPARE(p.main->box("txtopname")->text(), QStringLiteral("TYPED, NOT SAVED"));
    } else { // showing the last memory printed
        QCOMPARE(p.m->current(), p.m->record(expected.last()));
        QCOMPARE(p.m->shownSlot(), expected.last());
    }
    if (!expected.isEmpty())
        QVERIFY(list->item(2)->isSelected() && list->item(8)->isSelected() && list->selectedItems().size() == 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

// Four memories to a printer that does not exist: one message for the
// run, and the status bar says what to do.
void tst_printing::runWithoutPrinterSaysSoOnce()
{
    Program p;
    for (int memory : {2, 3, 4, 5})
        p.m->file(memory - 1, sampleMemory(memory));
    p.main->printSettings().printer().setPrinterName(QStringLiteral("NoSuchPrinter"));
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    auto *w = p.main->findChild<frmprintop *>();
    click(*w, "opall");
    click(*w, "cmdprint");
    QCOMPARE(p.log.messages, (QList<QPair<QString, QString>>{{"Vextrum DGS", "The Report can't be printed."}}));
    QCOMPARE(p.main->findChild<QLabel *>(QStringLiteral("capturestatus"))->text(),
             QStringLiteral("Nothing printed: no printer is available. Choose \"Print to File (PDF)\" under File, "
                            "PrintSetup."));
    QCOMPARE(tempFilesLeft(), QStringList());
}

// Memories 3 and 5 picked in the Memory Browser (a click and a
// control-click) are what File, Print offers and prints as "the memories
// selected in the browser"; without a selection there it is not offered.
void tst_printing::memoriesSelectedInTheBrowser()
{
    Program p;
    for (int memory : {2, 3, 4, 5})
        p.m->file(memory - 1, sampleMemory(memory));
    QAction *print = p.main->findChild<QAction *>(QStringLiteral("mnuprint"));
    print->trigger();
    QVERIFY(!p.main->findChild<frmprintop *>()->findChild<QRadioButton *>(QStringLiteral("opbrowser")));
    p.main->findChild<frmprintop *>()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    p.main->findChild<QAction *>(QStringLiteral("mnubrowser"))->trigger();
    QTableView *table = p.main->findChild<frmbrowse *>()->table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(table->model()->index(2, 0)).center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      table->visualRect(table->model()->index(4, 0)).center());
    const QString pdf = p.dir.file(QStringLiteral("browser.pdf"));
    p.main->printSettings().printer().setOutputFormat(QPrinter::PdfFormat);
    p.main->printSettings().printer().setOutputFileName(pdf);
    print->trigger();
    auto *w = p.main->findChild<frmprintop *>();
    Reports reports;
    reports.attach(p, *w);
    click(*w, "opbrowser");
    click(*w, "cmdprint");
    QCOMPARE(reports.printed, (QList<int>{2, 4}));
    QCOMPARE(pdfPages(pdf), 2);
    QVERIFY(p.log.messages.isEmpty());
}

// Cancelling changes nothing; "Print to File (PDF)" confirmed with the
// dialog's OK (set-up prints nothing itself) sends reports there.
void tst_printing::printerSetup()
{
    Program p;
    const QString kept = p.dir.file(QStringLiteral("kept.pdf")), chosen = p.dir.file(QStringLiteral("chosen.pdf"));
    auto fill = [&](QDialog *d, const QString &file) {
        for (QComboBox *c : d->findChildren<QComboBox *>())
            if (c->findText(QStringLiteral("Print to File (PDF)")) >= 0)
                c->setCurrentIndex(c->findText(QStringLiteral("Print to File (PDF)")));
        for (QLineEdit *e : d->findChildren<QLineEdit *>(QStringLiteral("filename")))
            e->setText(file);
    };
    onDialog([&](QDialog *d) { d->reject(); });
    p.main->printSettings().setup(p.main.get());
    QVERIFY(p.main->printSettings().hasPrinter()); // made on first use
    p.main->printSettings().setPrinter(pdfPrinter(kept));
    onDialog([&](QDialog *d) { fill(d, chosen), d->reject(); });
    p.main->printSettings().setup(p.main.get());
    QCOMPARE(p.main->printSettings().printer().outputFileName(), kept);

    QString confirm;
    onDialog([&](QDialog *d) {
        fill(d, chosen);
        QPushButton *ok = d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        confirm = ok->text();
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    p.main->printSettings().setup(p.main.get());
    QCOMPARE(confirm, QStringLiteral("OK"));
    QCOMPARE(p.main->printSettings().printer().outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(p.main->printSettings().printer().outputFileName(), chosen);
    QVERIFY(printScreen(p).printed);
    QVERIFY(QFileInfo(chosen).size() > 0);
}

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
