// Reports and data for a client: the vector PDF against the printed page,
// the letterhead on both routes, the CSV read back, the A-scan pictures,
// the menu path and the headless exporter.
#include "app/fonts.h"
#include "common/csv.h"
#include "common/program.h"
#include "display/ascan.h"
#include "display/picturebox.h"
#include "store/fields.h"
#include "display/memorypicture.h"
#include "files/datafile.h"
#include "simkit/replybuilder.h"
#include "report/export.h"
#include "report/frmexportop.h"
#include "app/frmarchive.h"
#include "archive/archive.h"
#include "files/frmopen.h"
#include "files/frmsave.h"
#include "files/jobfile.h"
#include "report/frmjob.h"
#include "report/frmletterhead.h"
#include "report/frmprintop.h"
#include "report/ink.h"
#include "report/printreport.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QTableWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

using namespace vextrum;

namespace {

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr, QString *err = nullptr,
            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), const QString &workDir = QString())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return QString();
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool havePoppler()
{
    int rc = -1;
    run(QStringLiteral("pdfinfo"), {QStringLiteral("-v")}, &rc);
    return rc == 0;
}

int pdfPages(const QString &pdf)
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The page's text with every run of blanks made one.
QString pageText(const QString &pdf, int page)
{
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"), {"-layout", "-f", n, "-l", n, pdf, "-"}).simplified();
}

QImage renderPage(const QString &pdf, int page = 1)
{
    const QString n = QString::number(page);
    const QString out = pdf.chopped(4) + QStringLiteral("-p") + n;
    int rc = -1;
    run(QStringLiteral("pdftoppm"), {"-r", "96", "-png", "-singlefile", "-f", n, "-l", n, pdf, out}, &rc);
    if (qEnvironmentVariableIsSet("EXPORT_PAGE_OUT") && page == 1) {
        QFile::remove(qEnvironmentVariable("EXPORT_PAGE_OUT"));
        QFile::copy(out + QStringLiteral(".png"), qEnvironmentVariable("EXPORT_PAGE_OUT"));
    }
    return rc == 0 ? QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32) : QImage();
}

// A page rectangle in twips from the printable area's corner, at 96 dpi.
QRect onPage(const QPageLayout &layout, int x1, int y1, int x2, int y2)
{
    const QPointF o = layout.paintRect(QPageLayout::Point).topLeft() * 96.0 / 72.0;
    return QRectF(o + QPointF(x1, y1) / 15.0, o + QPointF(x2, y2) / 15.0).toAlignedRect();
}

// Runs f on the next modal dialog of type D to open.
template <typename D> void onDialog(std::function<void(D *)> f)
{
    auto *t = new QTimer;
    t->start(20);
    QObject::connect(t, &QTimer::timeout, [t, f] {
        if (auto *d = qobject_cast<D *>(QApplication::activeModalWidget())) {
            t->stop();
            t->deleteLater();
            f(d);
        }
    });
}

std::shared_ptr<QPrinter> pdfPrinter(const QString &file)
{
    auto p = std::make_shared<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(file);
    return p;
}

Letterhead sampleLetterhead()
{
    Letterhead l;
    l.company = QStringLiteral("Northgate Inspection Ltd");
    l.address = {QStringLiteral("12 Foundry Lane"), QStringLiteral("Sheffield S1 2AB"), QString()};
    QImage logo(60, 40, QImage::Format_RGB32);
    logo.fill(QColor(0, 0, 160));
    QBuffer b(&l.logo);
    b.open(QIODevice::WriteOnly);
    logo.save(&b, "PNG");
    l.logoName = QStringLiteral("logo.png");
    return l;
}

} // namespace

class tst_export : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        installFontSubstitutes();
        // The program's own names, its settings and data folders in here:
        // what this test keeps, vextrum-export finds.
        QCoreApplication::setOrganizationName(QStringLiteral("Tarvonix"));
        QCoreApplication::setApplicationName(QStringLiteral("Vextrum DGS"));
        qputenv("XDG_CONFIG_HOME", settingsDir_.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", settingsDir_.filePath(QStringLiteral("data")).toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    }
    void init() { saveLetterhead({}); }
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void pdfPagesHoldTheReportsAsText();
    void pdfPageLiesWhereThePrintedPageDoes();
    void csvReadsBackAsStored();
    void pictures();
    void picturesWithAPaletteKeepTheirPixels();
    void menuPathAndLetterheadWindow();
    void logosThatAreNoPlainPicture_data();
    void logosThatAreNoPlainPicture();
    void exportTheMemoryOnScreen();
    void headlessExporter_data();
    void headlessExporter();
    void inspectionReportFromJobToArchive();
    void inspectionReportOfOneAndOfAll();
    void jobFilesThatAreNoJob_data();
    void jobFilesThatAreNoJob();

private:
    QTemporaryDir settingsDir_;
};

void tst_export::pdfPagesHoldTheReportsAsText()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    TempWorkDir dir;
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    for (int n : {3, 7, 12})
        (*store)[size_t(n - 1)] = sampleMemory(n);
    saveNotes((*store)[6], {QStringLiteral("A. N. OTHER"), QStringLiteral("WELD 4, ROOT"), QString(),
                            QStringLiteral("RE-TEST \"B\"")});
    const QList<ExportMemory> list = storedMemories(*store, {2, 6, 11});
    const QString pdf = dir.file(QStringLiteral("three.pdf"));
    QString error;
    QVERIFY2(exportPdf(pdf, list, {}, defaultReportLayout(), &error), qPrintable(error));
    QCOMPARE(pdfPages(pdf), 3);
    QCOMPARE(QDir().entryList({QStringLiteral("gtp*"), QStringLiteral("*.tmp")}), QStringList());
    for (int page = 1; page <= 3; ++page) {
        const Record &r = list[page - 1].record;
        const SetupView view = decodeSetup(r);
        const QString text = pageText(pdf, page);
        QVERIFY2(text.contains(QStringLiteral("Ultrasonic Test Report")), qPrintable(text));
        // Every caption and value of the table, in the order it is read.
        qsizetype at = 0;
        for (const char *word : {"ZERO", "RANGE", "GATE 1", "MEMORY", "MEASURE", "DGS", "SCAL NO", "AMPLCOR"}) {
            at = text.indexOf(QString::fromLatin1(word), at);
            QVERIFY2(at >= 0, word);
        }
        for (Field f : {Field::Zero, Field::MemoryNumber, Field::ProbeFrequency, Field::Dac, Field::AttObject,
                        Field::DacCaption, Field::TimeDate})
            QVERIFY2(text.contains(view.text(f).simplified()), fieldInfo(f).name);
        for (Field f : fieldsOf(FieldKind::Note))
            QVERIFY2(text.contains(QLatin1Char(':') + view.text(f).simplified()), fieldInfo(f).name);
    }
    QVERIFY(pageText(pdf, 2).contains(QStringLiteral(":A. N. OTHER")));
    QVERIFY(pageText(pdf, 2).contains(QStringLiteral(":RE-TEST \"B\"")));
    QVERIFY(pageText(pdf, 2).contains(QStringLiteral("007")) && pageText(pdf, 3).contains(QStringLiteral("012")));
}

// The memory on screen printed through the bitmaps and exported as
// vectors: the same sections in the same places; the letterhead in the
// band on both, and nothing there when it is unset.
void tst_export::pdfPageLiesWhereThePrintedPageDoes()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    Program p;
    p.m->showRecord(sampleMemory(5)); // DAC and gates on
    p.main->display_pattern();
    p.main->display_setup();
    for (bool letterhead : {false, true}) {
        saveLetterhead(letterhead ? sampleLetterhead() : Letterhead());
        const QString printed = p.dir.file(QStringLiteral("printed%1.pdf").arg(letterhead));
        const QString exported = p.dir.file(QStringLiteral("exported%1.pdf").arg(letterhead));
        p.main->printSettings().setPrinter(pdfPrinter(printed));
        QVERIFY(print_report(screenInputs(p.m->onScreen(), p.main->picascan()->image()), *p.main, p.main->printSettings()).printed);
        const QPageLayout layout = p.main->printSettings().printer().pageLayout();
        QString error;
        QVERIFY2(exportPdf(exported, {memoryOnScreen(p.m->current())}, loadLetterhead(), layout, &error),
                 qPrintable(error));
        const QImage a = renderPage(printed), b = renderPage(exported);
        QCOMPARE(a.size(), b.size());
        const struct
        {
            const char *what;
            QRect twips;
        } regions[] = {
            {"heading", {1300, 4000, 9615, 615}},
            {"A-scan frame, left", {860, 4690, 120, 5400}},
            {"A-scan frame, top", {860, 4690, 5160, 60}},
            {"A-scan trace", {900, 4760, 5000, 4300}},
            {"table frame, right", {10950, 4690, 230, 7700}},
            {"table frame, foot", {5990, 12300, 5180, 90}},
            {"notes frame", {860, 10120, 5220, 2270}},
            {"whole page below the band", {0, 3990, 12000, 9000}},
        };
        for (const auto &r : regions) {
            const QRect at = onPage(layout, r.twips.left(), r.twips.top(), r.twips.right() + 1, r.twips.bottom() + 1);
            const QRect inkA = inkBox(a, at), inkB = inkBox(b, at);
            QVERIFY2(!inkA.isNull(), r.what);
            const QMargins d(inkA.left() - inkB.left(), inkA.top() - inkB.top(), inkA.right() - inkB.right(),
                             inkA.bottom() - inkB.bottom());
            QVERIFY2(qAbs(d.left()) <= 1 && qAbs(d.top()) <= 1 && qAbs(d.right()) <= 1 && qAbs(d.bottom()) <= 1,
                     qPrintable(QStringLiteral("%1: printed %2,%3 %4x%5, exported %6,%7 %8x%9")
                                    .arg(QLatin1String(r.what))
                                    .arg(inkA.x()).arg(inkA.y()).arg(inkA.width()).arg(inkA.height())
                                    .arg(inkB.x()).arg(inkB.y()).arg(inkB.width()).arg(inkB.height())));
        }
        const QRect band = onPage(layout, 0, 0, 12000, 3950);
        QCOMPARE(hasInk(a, band), letterhead);
        QCOMPARE(hasInk(b, band), letterhead);
        if (letterhead) {
            QVERIFY(pageText(exported, 1).contains(QStringLiteral("Northgate Inspection Ltd 12 Foundry Lane Sheffield S1 2AB")));
            QVERIFY(qAbs(inkBox(a, band).top() - inkBox(b, band).top()) <= 1);
        }
    }
}

void tst_export::csvReadsBackAsStored()
{
    TempWorkDir dir;
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    for (int n : {1, 2, 3, 4, 5, 6, 200})
        (*store)[size_t(n - 1)] = sampleMemory(n);
    Record &inches = (*store)[199];
    setRecordText(inches, fieldInfo(Field::Unit).first, QStringLiteral("INCH   "));
    setRecordText(inches, fieldInfo(Field::Range).first, QStringLiteral("3.94 IN"));
    setRecordText(inches, fieldInfo(Field::Thickness).first, QStringLiteral("0.79   "));
    const QStringList notes = {QStringLiteral("  O'Neil, \"Big\" J"), QStringLiteral("A,B,,C"),
                               QStringLiteral(" \" "), QStringLiteral("trailing   ")};
    saveNotes((*store)[1], notes);
    const QList<int> slots_ = {0, 1, 2, 3, 4, 5, 199};
    const QString file = dir.file(QStringLiteral("mem.csv"));
    QString error;
    QVERIFY2(exportCsv(file, storedMemories(*store, slots_), &error), qPrintable(error));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(f.readAll());
    QCOMPARE(rows.size(), 1 + slots_.size());
    const QStringList &head = rows[0];
    for (const QStringList &row : rows)
        QCOMPARE(row.size(), head.size());
    // Every column has a name of its own.
    QCOMPARE(QSet<QString>(head.begin(), head.end()).size(), head.size());
    QVERIFY(!head.contains(QString()));
    auto cell = [&](int memory, const char *name) {
        return rows[slots_.indexOf(memory - 1) + 1].value(head.indexOf(QString::fromLatin1(name)));
    };
    // Typed values: numbers in the unit the name gives, the time as ISO
    // 8601, texts as shown. Memory 2 is the forging setup taken at 13:34 on
    // 3 January 2003; memory 3 has the clock off; memory 200 is in inches.
    const struct
    {
        int memory;
        const char *column;
        const char *value;
    } expected[] = {
        {2, "Memory", "2"},           {2, "TIME", "2003-01-03T13:34"}, {2, "RANGE [mm]", "250"},
        {2, "VEL [m/s]", "5920"},     {2, "GAIN [dB]", "36"},          {2, "PRBFREQ [MHz]", "4"},
        {2, "GATE 1 START [%]", "20"}, {2, "GATE 2 START [%]", "55"},  {2, "THICK [mm]", "250"},
        {2, "DAC CAPTION", "TCG"},    {2, "DAC", "ON"},                {2, "GATE 1", "ON"},
        {2, "ATT-OBJ [dB]", "1.5"},   {2, "DAC 8 [%]", "95"},          {2, "MEASUREMENT 1", "SA 114.0"},
        {3, "TIME", ""},              {3, "DELAY [mm]", "2.5"},        {3, "DGS STRT G1 [%]", "35"},
        {200, "RANGE [mm]", "3.94 IN"}, {200, "THICK [mm]", "0.79"},   {200, "UNIT", "INCH"},
    };
    for (const auto &e : expected)
        QCOMPARE(cell(e.memory, e.column), QString::fromLatin1(e.value));
    for (int i = 0; i <= 249; ++i)
        QCOMPARE(cell(4, QStringLiteral("A-scan %1 [%]").arg(i).toLatin1()).toInt(), int((*store)[3][size_t(i)]));
    const int firstNote = head.indexOf(QStringLiteral("OPERATOR"));
    QCOMPARE(rows[2].mid(firstNote, 4),
             (QStringList{"  O'Neil, \"Big\" J", "A,B,,C", " \"", "trailing"}));
    QCOMPARE(head.indexOf(QStringLiteral("A-scan 250 [%]")), -1);
    QCOMPARE(head.last(), QStringLiteral("DAC 250 [%]"));
}

// 1x is the main window's picture with trace, gates and DAC each in a
// colour of its own and a legend; larger scales are redrawn, not blown
// up; SVG is a drawing.
void tst_export::pictures()
{
    Program p;
    // Memory 4 arrives with gate 1 off and gate 2 on at START 70%, END 20%,
    // LEVEL 60%: on screen and in an export its line runs from x = 175 to
    // 225 at y = 210 - 2 * 60, where the trace alone draws nothing.
    const Record r = sampleMemory(4);
    p.m->file(3, r);
    const QImage screen = p.main->picascan()->image(), exported = ascanPicture(r, 1);
    QCOMPARE(exported.size(), screen.size());
    const Canvas &c = p.main->picascan()->canvas();
    const QRect legend(c.toPixel(188), 0, screen.width() - c.toPixel(188), c.toPixel(60));
    const PictureColours &own = measuringColours();
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QColor s = screen.pixelColor(x, y), e = exported.pixelColor(x, y);
            if (legend.contains(x, y) || s == e)
                continue;
            // Only what the screen draws green takes another colour.
            QVERIFY2(s == kGreen && (e == own.trace || e == own.gate2 || e == own.dac),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    Record gate2Off = r;
    setRecordText(gate2Off, fieldInfo(Field::Gate2).first, mode::Off);
    for (double x : {180.0, 200.0, 220.0}) {
        const QPoint at(c.toPixel(x), c.toPixel(90));
        QCOMPARE(screen.pixelColor(at), kGreen);
        QCOMPARE(exported.pixelColor(at), own.gate2);
        QVERIFY(ascanPicture(gate2Off, 1).pixelColor(at) != own.gate2);
    }
    p.m->showRecord(sampleMemory(3));
    for (int scale = 1; scale <= 4; ++scale) {
        const QString file = p.dir.file(QStringLiteral("a%1.png").arg(scale));
        QString error;
        QVERIFY2(exportPng(file, p.m->current(), scale, &error), qPrintable(error));
        const QImage png(file);
        QCOMPARE(png.size(), ascan::imageSize() * scale);
        if (scale == 2) {
            // Lines twice as wide, not smoothed: only white, black and the
            // colours of trace, gates and DAC.
            QSet<QRgb> colours;
            for (int y = 0; y < png.height(); ++y)
                for (int x = 0; x < png.width(); ++x)
                    colours.insert(png.pixel(x, y) & 0xFFFFFF);
            QVERIFY2(colours.size() <= 6, qPrintable(QString::number(colours.size())));
        }
    }
    const QString svg = p.dir.file(QStringLiteral("a.svg"));
    QVERIFY(exportSvg(svg, p.m->current(), nullptr));
    QFile f(svg);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    QVERIFY(xml.contains("<svg") && xml.contains("<text") && xml.contains("<polyline"));
    QVERIFY(!exportPng(p.dir.file(QStringLiteral("no/such/dir/a.png")), p.m->current(), 1, nullptr));
}

// A picture of few colours goes into its PNG file with a palette and the
// same pixels; a batch puts every file in place after one flush, and one
// that fails leaves the files before it and nothing half-written.
void tst_export::picturesWithAPaletteKeepTheirPixels()
{
    TempWorkDir dir;
    const Record r = sampleMemory(5); // gates and DAC curve in colours of their own
    for (int scale : {1, 3}) {
        const QString file = dir.file(QStringLiteral("s%1.png").arg(scale));
        QVERIFY(exportPng(file, r, scale, nullptr));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(26).at(25), char(3)); // IHDR colour type: palette
        QCOMPARE(QImage(file).convertToFormat(QImage::Format_RGB32),
                 ascanPicture(r, scale).convertToFormat(QImage::Format_RGB32));
    }
    QDir().mkpath(dir.file(QStringLiteral("batch")));
    QList<PictureFile> files;
    for (int n : {2, 5, 9})
        files.append({dir.file(QStringLiteral("batch/mem%1.png").arg(n)), sampleMemory(n)});
    int flushes = 0;
    const auto flush = [&flushes] { return ++flushes > 0; };
    QVERIFY(exportPngs(files, 1, flush, nullptr));
    QCOMPARE(flushes, 1);
    QCOMPARE(QDir(dir.file(QStringLiteral("batch"))).entryList(QDir::Files),
             (QStringList{"mem2.png", "mem5.png", "mem9.png"}));
    for (const PictureFile &f : files)
        QCOMPARE(QImage(f.path).convertToFormat(QImage::Format_RGB32),
                 ascanPicture(f.record, 1).convertToFormat(QImage::Format_RGB32));

    QDir().mkpath(dir.file(QStringLiteral("failing")));
    files = {{dir.file(QStringLiteral("failing/a.png")), sampleMemory(1)},
             {dir.file(QStringLiteral("failing/no/such/b.png")), sampleMemory(2)},
             {dir.file(QStringLiteral("failing/c.png")), sampleMemory(3)}};
    QString error;
    QVERIFY(!exportPngs(files, 1, flush, &error));
    QVERIFY2(error.contains(QStringLiteral("b.png")), qPrintable(error));
    QCOMPARE(QDir(dir.file(QStringLiteral("failing"))).entryList(QDir::Files), QStringList{"a.png"});
}

// Letterhead window -> settings; File, Export PDF... with all captured
// memories through the real dialogs; the status bar says where it went.
void tst_export::menuPathAndLetterheadWindow()
{
    Program p;
    for (int n : {2, 9}) {
        p.m->file(size_t(n - 1), sampleMemory(n));
        p.main->lstmem()->item(n - 1)->setText(entryText(n - 1, true));
    }
    p.main->findChild<QAction *>(QStringLiteral("mnuletterhead"))->trigger();
    auto *lh = p.main->findChild<frmletterhead *>();
    QVERIFY(lh && lh->isVisible());
    if (qEnvironmentVariableIsSet("LETTERHEAD_OUT"))
        lh->grab().save(qEnvironmentVariable("LETTERHEAD_OUT"));
    QTest::keyClicks(lh->findChild<QLineEdit *>(QStringLiteral("txtcompany")), QStringLiteral("Northgate Inspection Ltd"));
    QTest::keyClicks(lh->findChild<QLineEdit *>(QStringLiteral("txtaddress2")), QStringLiteral("Sheffield"));
    QVERIFY(!lh->setLogoFile(p.dir.file(QStringLiteral("dfd.cfg")))); // not a picture
    QCOMPARE(p.log.messages.size(), 1);
    QVERIFY(p.log.messages[0].second.startsWith(QStringLiteral("The logo can't be used:")));
    QTest::mouseClick(lh->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(loadLetterhead().company, QStringLiteral("Northgate Inspection Ltd"));
    QCOMPARE(loadLetterhead().address[1], QStringLiteral("Sheffield"));

    const QString pdf = p.dir.file(QStringLiteral("client.pdf"));
    QString defaultName;
    onDialog<frmexportop>([](frmexportop *d) {
        d->findChild<QRadioButton *>(QStringLiteral("opall"))->setChecked(true);
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdexport")), Qt::LeftButton);
    });
    onDialog<QFileDialog>([&](QFileDialog *d) {
        defaultName = QFileInfo(d->selectedFiles().value(0)).fileName();
        // Typed into the name box of the folder it offers: the working one.
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(pdf).fileName());
        static_cast<QDialog *>(d)->accept(); // as the Save button does
    });
    p.main->findChild<QAction *>(QStringLiteral("mnuexportpdf"))->trigger();
    QCOMPARE(defaultName, QStringLiteral("Mem 2,9.pdf"));
    QVERIFY2(QFileInfo::exists(pdf), qPrintable(p.log.messages.value(1).second + QStringLiteral(" / ") + p.main->statusBar()->currentMessage()));
    QVERIFY2(p.main->statusBar()->currentMessage().contains(QDir::toNativeSeparators(pdf)),
             qPrintable(p.main->statusBar()->currentMessage()));
    QVERIFY(p.main->statusBar()->currentMessage().startsWith(QStringLiteral("2 page")));
    if (havePoppler()) {
        QCOMPARE(pdfPages(pdf), 2);
        QVERIFY(pageText(pdf, 2).contains(QStringLiteral("Northgate Inspection Ltd")));
    }
    QCOMPARE(p.log.messages.size(), 1);

    // File, Print of all captured memories to a PDF: the letterhead heads
    // every page of the run.
    const QString printed = p.dir.file(QStringLiteral("printed.pdf"));
    p.main->printSettings().setPrinter(pdfPrinter(printed));
    p.main->findChild<QAction *>(QStringLiteral("mnuprint"))->trigger();
    auto *op = p.main->findChild<frmprintop *>();
    op->findChild<QRadioButton *>(QStringLiteral("opall"))->setChecked(true);
    QTest::mouseClick(op->findChild<QPushButton *>(QStringLiteral("cmdprint")), Qt::LeftButton);
    if (havePoppler()) {
        QCOMPARE(pdfPages(printed), 2);
        for (int page : {1, 2})
            QVERIFY(pageText(printed, page).contains(QStringLiteral("Northgate Inspection Ltd")));
    }
    QCOMPARE(p.log.messages.size(), 1);
}

// A PNG of `side` x `side` pixels, one bit each, all black: a few hundred
// kilobytes that would decode to far more than memory holds.
QByteArray pngBomb(int side)
{
    auto chunk = [](const char *type, const QByteArray &data) {
        QByteArray c = QByteArray(type) + data;
        quint32 crc = 0xFFFFFFFFu;
        for (char ch : c) {
            crc ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        auto be = [](quint32 v) {
            const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
            return QByteArray(b, 4);
        };
        return be(quint32(data.size())) + c + be(~crc);
    };
    QByteArray header(13, '\0');
    for (int k : {0, 4})
        for (int b = 0; b < 4; ++b)
            header[k + b] = char(side >> (24 - 8 * b));
    header[8] = 1; // bit depth; colour type 0: grey
    const QByteArray rows(qsizetype(side) * (1 + (side + 7) / 8), '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", qCompress(rows, 9).mid(4))
           + chunk("IEND", QByteArray());
}

void tst_export::logosThatAreNoPlainPicture_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("link to /dev/zero") << "zero" << "device or pipe";
    QTest::newRow("pipe named logo.png") << "fifo" << "device or pipe";
    QTest::newRow("SVG drawing another file in") << "svg" << "refers to another file";
    QTest::newRow("decompression bomb") << "bomb" << "30000 x 30000 pixels";
}

// Chosen at "Logo...", each is refused with a message naming why, at once
// and without reading it whole; the logo kept stays. A plain picture is
// kept as a file of its own and drawn once into a PDF of many pages.
void tst_export::logosThatAreNoPlainPicture()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    TempWorkDir dir;
    MessageLog log;
    log.attach();
    QImage picture(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const QString good = dir.file(QStringLiteral("good.png"));
    QVERIFY(picture.save(good));
    const QString logo = dir.file(kind == QLatin1String("svg") ? QStringLiteral("logo.svg") : QStringLiteral("logo.png"));
    QFile f(logo);
    if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), logo));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(logo).constData(), 0600), 0);
    } else if (kind == QLatin1String("svg")) {
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                               "width=\"120\" height=\"90\"><image xlink:href=\"%1\" width=\"120\" height=\"90\"/></svg>")
                    .arg(good)
                    .toUtf8());
    } else {
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pngBomb(30000));
    }
    f.close();

    // A logo kept in the settings by an earlier version moves to its file.
    QFile goodFile(good);
    QVERIFY(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();
    {
        QSettings earlier;
        earlier.setValue(QStringLiteral("Letterhead/Logo"), goodBytes);
        earlier.setValue(QStringLiteral("Letterhead/LogoName"), QStringLiteral("good.png"));
    }
    auto *window = new frmletterhead([](const QString &text) { MsgBox(nullptr, text); });
    window->show();
    QCOMPARE(window->letterhead().logo, goodBytes);
    QVERIFY(!QSettings().contains(QStringLiteral("Letterhead/Logo")));
    QVERIFY(window->setLogoFile(good));
    QVERIFY(!window->setLogoFile(logo));
    QCOMPARE(log.messages.size(), 1);
    QVERIFY2(log.messages[0].second.startsWith(QStringLiteral("The logo can't be used: "))
                 && log.messages[0].second.contains(reason),
             qPrintable(log.messages[0].second));
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);

    // The settings name the logo; its bytes are in a file of their own.
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("Letterhead/LogoName")).toString(), QStringLiteral("good.png"));
    QVERIFY(!settings.contains(QStringLiteral("Letterhead/Logo")));
    QVERIFY(QFileInfo(settings.fileName()).size() < 4096);
    QFile kept(keptLogoPath());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), goodBytes);

    // Twelve pages, one picture in the file.
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    QList<int> twelve;
    for (int n = 1; n <= 12; ++n)
        (*store)[size_t(n - 1)] = sampleMemory(n), twelve << n - 1;
    const QString pdf = dir.file(QStringLiteral("twelve.pdf"));
    QString error;
    QVERIFY2(exportPdf(pdf, storedMemories(*store, twelve), loadLetterhead(), defaultReportLayout(), &error),
             qPrintable(error));
    QFile out(pdf);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll().count("/Subtype /Image"), 1);
}

// Export CSV... of the memory on screen: before any is shown, the built-in
// trace under no memory number; then a memory the instrument sent, shown
// from the list, with notes just typed and saved into it. Texts that a
// spreadsheet would run go out as text, numbers as numbers. A whole reply
// numbered as no memory (000, 201) changes nothing of what goes out.
void tst_export::exportTheMemoryOnScreen()
{
    Program p;
    QByteArray raw;
    auto exportShown = [&p, &raw](QString *defaultName) {
        onDialog<frmexportop>([](frmexportop *d) {
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdexport")), Qt::LeftButton);
        });
        onDialog<QFileDialog>([defaultName](QFileDialog *d) {
            *defaultName = QFileInfo(d->selectedFiles().value(0)).fileName();
            static_cast<QDialog *>(d)->accept();
        });
        p.main->findChild<QAction *>(QStringLiteral("mnuexportcsv"))->trigger();
        QFile f(p.dir.file(*defaultName));
        raw = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        return parseCsv(raw);
    };
    QString name;
    QList<QStringList> rows = exportShown(&name);
    QCOMPARE(name, QStringLiteral("A-scan.csv"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value(0), QString());
    QCOMPARE(rows[1].value(rows[0].indexOf(QStringLiteral("A-scan 13 [%]"))), QStringLiteral("100"));

    Record sent = sampleMemory(2);
    setRecordText(sent, fieldInfo(Field::ProbeName).first, QStringLiteral("=2+5*3"));
    QVERIFY(p.instrument.write(buildReply(sent)));
    QTRY_COMPARE(p.main->lstmem()->item(1)->text(), QStringLiteral("Mem 2 *"));
    p.doubleClick(1, Qt::NoModifier);
    const QStringList typed = {"=1+1", "-2+3", "@SUM(A1:A9)", "  +CMD"};
    for (int k = 0; k < typed.size(); ++k) {
        QLineEdit *box = p.main->box(fieldInfo(fieldsOf(FieldKind::Note)[k]).name);
        box->clear();
        QTest::keyClicks(box, typed[k]);
    }
    QTest::mouseClick(p.main->findChild<QPushButton *>(QStringLiteral("cmdtxtsav")), Qt::LeftButton);
    rows = exportShown(&name);
    QCOMPARE(name, QStringLiteral("Mem 2.csv"));
    QCOMPARE(rows.size(), 2);
    const QStringList saved = rows[1];
    const int firstNote = rows[0].indexOf(QStringLiteral("OPERATOR"));
    QCOMPARE(saved.mid(firstNote, 4), (QStringList{"'=1+1", "'-2+3", "'@SUM(A1:A9)", "'  +CMD"}));
    QCOMPARE(saved[rows[0].indexOf(QStringLiteral("PRBNAME"))], QStringLiteral("'=2+5*3"));
    // The memory number and the samples stand as plain numbers.
    const QByteArray row = raw.split('\n').value(1);
    QVERIFY2(row.startsWith("2,"), row.left(20).constData());
    QVERIFY(row.trimmed().endsWith("," + QByteArray::number(sent[pos::DacLast] / 2.0)));

    auto *status = p.main->findChild<QLabel *>(QStringLiteral("capturestatus"));
    for (int number : {0, 201}) {
        status->clear();
        QFile::remove(p.dir.file(name)); // no question about replacing it
        QVERIFY(p.instrument.write(buildReply(sampleMemory(number))));
        QTRY_COMPARE(status->text(), QStringLiteral("Bytes on the line that were no memory were dropped"));
        QCOMPARE(exportShown(&name), (QList<QStringList>{rows[0], saved}));
        QCOMPARE(name, QStringLiteral("Mem 2.csv"));
    }
    QVERIFY(p.log.messages.isEmpty());
}

void tst_export::headlessExporter_data()
{
    QTest::addColumn<QStringList>("args"); // DATA: the good file, OUT: a fresh folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrHas");
    QTest::addColumn<QStringList>("files"); // in OUT afterwards
    QTest::newRow("all captured") << QStringList{"DATA", "--pdf", "OUT/r.pdf", "--csv", "OUT/r.csv"} << 0 << ""
                                  << QStringList{"r.csv", "r.pdf"};
    QTest::newRow("some not captured") << QStringList{"DATA", "--memories", "1-4,9", "--png", "OUT/pics"} << 0
                                       << "not captured, skipped: 1,3,4\n" << QStringList{"pics"};
    QTest::newRow("none captured") << QStringList{"DATA", "--memories", "1", "--pdf", "OUT/r.pdf"} << 1
                                   << "no captured memory" << QStringList{};
    QTest::newRow("missing data file") << QStringList{"OUT/none.dat", "--csv", "OUT/r.csv"} << 1 << "none.dat"
                                       << QStringList{};
    QTest::newRow("bad data file") << QStringList{"OUT/old.pdf", "--csv", "OUT/r.csv"} << 1 << "old.pdf"
                                   << QStringList{"old.pdf"};
    QTest::newRow("bad range") << QStringList{"DATA", "--memories", "5-2", "--pdf", "OUT/old.pdf"} << 2
                               << "runs backwards" << QStringList{"old.pdf"};
    QTest::newRow("range past 200") << QStringList{"DATA", "--memories", "190-201", "--csv", "OUT/r.csv"} << 2
                                    << "1 to 200" << QStringList{"old.pdf"};
    QTest::newRow("unwritable output") << QStringList{"DATA", "--pdf", "OUT/no/such/r.pdf"} << 1 << "r.pdf"
                                       << QStringList{"old.pdf"};
    QTest::newRow("no output") << QStringList{"DATA"} << 2 << "nothing to write" << QStringList{};
    QTest::newRow("two outputs, one path") << QStringList{"DATA", "--pdf", "OUT/same.out", "--csv", "OUT/same.out"}
                                           << 2 << "--pdf and --csv name the same path" << QStringList{};
    QTest::newRow("output over the data file") << QStringList{"DATA", "--csv", "DATA"} << 2
                                               << "the data file and --csv name the same path" << QStringList{};
    QTest::newRow("scale not whole") << QStringList{"DATA", "--png", "OUT/pics", "--scale", "2.5"} << 2
                                     << "--scale takes a whole number from 1 to 4, not 2.5" << QStringList{};
    QTest::newRow("scale far too large") << QStringList{"DATA", "--png", "OUT/pics", "--scale", "1e9"} << 2
                                         << "not 1e9" << QStringList{};
    QTest::newRow("scale without pictures") << QStringList{"DATA", "--pdf", "OUT/r.pdf", "--scale", "2"} << 2
                                            << "no --png was given" << QStringList{};
    QTest::newRow("-- ends the options") << QStringList{"--csv", "OUT/r.csv", "--", "-DATA"} << 0 << ""
                                         << QStringList{"r.csv"};
    QTest::newRow("help") << QStringList{"--help"} << 0 << "" << QStringList{};
}

void tst_export::headlessExporter()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrHas);
    QFETCH(QStringList, files);
    QTemporaryDir out, data;
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    for (int n : {2, 9, 10})
        (*store)[size_t(n - 1)] = sampleMemory(n);
    (*store)[2] = sampleMemory(4); // slot of memory 3 holding memory 4: not captured
    const QString dat = data.filePath(QStringLiteral("store.dat"));
    QVERIFY(writeDataFile(dat, *store));
    QFile old(out.filePath(QStringLiteral("old.pdf")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("%PDF-1.4 an earlier export") > 0);
    old.close();
    if (!files.contains(QStringLiteral("old.pdf")))
        files << QStringLiteral("old.pdf");
    files.sort();
    QVERIFY(QFile::copy(dat, data.filePath(QStringLiteral("-store.dat")))); // a name like an option
    for (QString &a : args)
        a = a == QLatin1String("DATA")    ? dat
            : a == QLatin1String("-DATA") ? QStringLiteral("-store.dat")
                                          : a.replace(QLatin1String("OUT"), out.path());

    { // the letterhead as the program keeps it
        QSettings program(QStringLiteral("Tarvonix"), QStringLiteral("Vextrum DGS"));
        writeLetterhead(program, sampleLetterhead());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // it must manage without
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsDir_.path());
    int rc = -99;
    QString err;
    const QString stdOut = run(QStringLiteral(VEXTRUM_EXPORT), args, &rc, &err, env, data.path());
    QCOMPARE(rc, exitCode);
    if (stderrHas.isEmpty()) {
        QCOMPARE(err, QString());
    } else {
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
    }
    if (args == QStringList{"--help"})
        QVERIFY(stdOut.contains(QStringLiteral("Usage: vextrum-export DATAFILE [--memories LIST]")));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name), files);
    QFile again(out.filePath(QStringLiteral("old.pdf")));
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("%PDF-1.4 an earlier export")); // never half-replaced
    if (files.contains(QStringLiteral("pics"))) {
        QCOMPARE(QDir(out.filePath(QStringLiteral("pics"))).entryList(QDir::Files),
                 (QStringList{"mem002.png", "mem009.png"}));
        QCOMPARE(QImage(out.filePath(QStringLiteral("pics/mem009.png"))).size(), ascan::imageSize());
    }
    if (files.contains(QStringLiteral("r.pdf")) && havePoppler()) {
        QCOMPARE(pdfPages(out.filePath(QStringLiteral("r.pdf"))), 3);
        QVERIFY(pageText(out.filePath(QStringLiteral("r.pdf")), 3).contains(QStringLiteral("Northgate Inspection Ltd")));
    }
}

namespace {



// File, Export Inspection Report... of all captured memories, named `name`
// in the working directory.
void exportReportByMenu(Program &p, const QString &name)
{
    onDialog<frmexportop>([](frmexportop *d) {
        d->findChild<QRadioButton *>(QStringLiteral("opall"))->setChecked(true);
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdexport")), Qt::LeftButton);
    });
    onDialog<QFileDialog>([name](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        static_cast<QDialog *>(d)->accept();
    });
    p.main->findChild<QAction *>(QStringLiteral("mnuexportreport"))->trigger();
}

} // namespace

// An inspector's day: job details typed and evaluated in the Job Details
// window, kept beside the data file by Save and read again by Open; the
// inspection report by the menu, checked as a client gets it (text,
// fonts, PDF/A), recorded in the archive with the file's SHA-256; a report
// number used again asks first; the headless exporter gives the same pages.
void tst_export::inspectionReportFromJobToArchive()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    QTemporaryDir archiveDir;
    const QString archivePath = archiveDir.filePath(QStringLiteral("archive.sqlite"));
    Program p(QString(), {}, archivePath);
    for (int n : {2, 9}) {
        p.m->file(size_t(n - 1), sampleMemory(n));
        p.main->lstmem()->item(n - 1)->setText(entryText(n - 1, true));
    }

    p.main->findChild<QAction *>(QStringLiteral("mnujob"))->trigger();
    auto *job = p.main->findChild<frmjob *>();
    QVERIFY(job && job->isVisible());
    auto box = [job](const char *name) { return job->findChild<QLineEdit *>(QString::fromLatin1(name)); };
    // What the memories know is offered: the two sample probes, as the
    // instrument names them.
    const SetupView two = decodeSetup(sampleMemory(2)), nine = decodeSetup(sampleMemory(9));
    for (const SetupView *v : {&two, &nine})
        QVERIFY2(box("txtprobes")->text().contains(v->text(Field::ProbeName).trimmed()), qPrintable(box("txtprobes")->text()));
    QCOMPARE(box("txtinstrument")->text(), QStringLiteral("Galvanor-II DGS"));
    QTest::keyClicks(box("txtreportno"), QStringLiteral("VX-7/26"));
    QTest::keyClicks(box("txtclient"), QStringLiteral("Harbour Cranes plc"));
    QTest::keyClicks(box("txtinspector"), QStringLiteral("Ann Smith"));
    QTest::keyClicks(box("txtqualification"), QStringLiteral("ISO 9712 UT 2"));
    auto *eval2 = job->findChild<QComboBox *>(QStringLiteral("cmbeval2"));
    QVERIFY(eval2 && job->findChild<QComboBox *>(QStringLiteral("cmbeval9")));
    eval2->setCurrentText(QStringLiteral("reject"));
    QTest::mouseClick(job->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QVERIFY(p.main->windowTitle().endsWith(QLatin1Char('*')));

    // File, Save: the data file as ever, the job beside it.
    p.main->findChild<QAction *>(QStringLiteral("mnusave"))->trigger();
    auto *save = p.main->findChild<frmsave *>();
    save->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->setText(QStringLiteral("day1.dat"));
    save->cmdsaveok_Click();
    const QString day1 = p.dir.file(QStringLiteral("day1.dat"));
    QCOMPARE(QFileInfo(day1).size(), 880000);
    QVERIFY(fileBytes(day1 + QStringLiteral(".job")).contains("VX-7/26"));

    const QString pdf = p.dir.file(QStringLiteral("report.pdf"));
    exportReportByMenu(p, QStringLiteral("report.pdf"));
    QVERIFY2(QFileInfo::exists(pdf), qPrintable(p.main->statusBar()->currentMessage()));
    QCOMPARE(pdfPages(pdf), 3); // the summary, then a page per memory
    const QString summary = pageText(pdf, 1);
    for (const QString &t : {QStringLiteral("Report No. VX-7/26"), QStringLiteral("Page 1 of 3"),
                             QStringLiteral("Harbour Cranes plc"), QStringLiteral("Ann Smith, ISO 9712 UT 2")})
        QVERIFY2(summary.contains(t), qPrintable(t + QStringLiteral(" in ") + summary));
    // Memory 2's row: the viewer's figures for its gate 1 echo, and the
    // evaluation chosen.
    p.doubleClick(1, Qt::NoModifier);
    p.main->findChild<QAction *>(QStringLiteral("mnuviewer"))->trigger();
    const QString viewer = p.main->findChild<QLabel *>(QStringLiteral("labpeaks"))->text();
    const auto peak = QRegularExpression(QStringLiteral("Gate 1: (\\d+) % at ([\\d.]+) mm")).match(viewer);
    QVERIFY2(peak.hasMatch(), qPrintable(viewer));
    const auto row = QRegularExpression(QStringLiteral("\\b2 2003-\\S+ 1 (\\d+) \\S+ ([\\d.]+) .* reject")).match(summary);
    QVERIFY2(row.hasMatch(), qPrintable(summary));
    QCOMPARE(row.captured(1), peak.captured(1));
    QCOMPARE(row.captured(2), peak.captured(2));
    QVERIFY(pageText(pdf, 3).contains(QStringLiteral("Memory 9")));
    QVERIFY(pageText(pdf, 3).contains(QStringLiteral("Page 3 of 3")));
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    QVERIFY2(fonts.count(QStringLiteral(" yes ")) >= 2 && !fonts.contains(QStringLiteral(" no  no ")), qPrintable(fonts));
    QVERIFY(fileBytes(pdf).contains("pdfaid:part=\"1\" pdfaid:conformance=\"B\"")); // PDF/A-1b

    // The archive knows it left, and by which file.
    p.main->findChild<QAction *>(QStringLiteral("mnuarchive"))->trigger();
    auto *archiveWindow = p.main->findChild<frmarchive *>();
    onDialog<QDialog>([&](QDialog *d) {
        auto *t = d->findChild<QTableWidget *>(QStringLiteral("tblreports"));
        QVERIFY(t);
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("VX-7/26"));
        QCOMPARE(t->item(0, 4)->text(), QStringLiteral("2,9"));
        QCOMPARE(t->item(0, 7)->text(),
                 QString::fromLatin1(QCryptographicHash::hash(fileBytes(pdf), QCryptographicHash::Sha256).toHex()));
        d->reject();
    });
    QTest::mouseClick(archiveWindow->findChild<QPushButton *>(QStringLiteral("cmdreports")), Qt::LeftButton);

    // The same number again asks; No writes nothing.
    const int before = int(p.log.messages.size());
    p.log.answer = false;
    onDialog<frmexportop>([](frmexportop *d) {
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdexport")), Qt::LeftButton);
    });
    p.main->findChild<QAction *>(QStringLiteral("mnuexportreport"))->trigger();
    QCOMPARE(p.log.messages.size(), before + 1);
    QVERIFY2(p.log.messages.last().second.contains(QStringLiteral("VX-7/26 was already exported")),
             qPrintable(p.log.messages.last().second));
    QCOMPARE(QDir(p.dir.path()).entryList({QStringLiteral("*.pdf")}), QStringList{QStringLiteral("report.pdf")});

    // File, Open of a file whose job file is no job (a newer program's,
    // say): named, and a Save leaves it as it is; then day1.dat: its job.
    const QString other = p.dir.file(QStringLiteral("other.dat"));
    writeDataFile(other, p.m->records());
    QVERIFY(writeBytes(other + QStringLiteral(".job"), "{\"format\": 99}"));
    // A second day of the same job, nothing evaluated yet; the Job Details
    // window stays open throughout and follows each file's own job.
    const QString day2 = p.dir.file(QStringLiteral("day2.dat"));
    Job sameJob = p.m->job();
    sameJob.evaluations.clear();
    QVERIFY(writeDataFile(day2, p.m->records()) && writeJobFile(day2, sameJob));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the window closed by OK
    p.main->findChild<QAction *>(QStringLiteral("mnujob"))->trigger();
    QVERIFY(p.main->findChild<frmjob *>()->isVisible());
    QComboBox *shown = nullptr;
    for (const QString &name : {other, day2, day1}) {
        p.main->findChild<QAction *>(QStringLiteral("mnuopen"))->trigger();
        auto *open = p.main->findChild<frmopen *>();
        open->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(name);
        QTest::mouseClick(open->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
        if (name == other) {
            QVERIFY(p.log.messages.last().second.contains(QStringLiteral("newer program")));
            QVERIFY(p.m->job().isEmpty());
            p.main->findChild<QAction *>(QStringLiteral("mnusave"))->trigger();
            p.main->findChild<frmsave *>()->findChild<QLineEdit *>(QStringLiteral("txtfilename"))->setText(QStringLiteral("other.dat"));
            p.main->findChild<frmsave *>()->cmdsaveok_Click();
            QCOMPARE(fileBytes(other + QStringLiteral(".job")), QByteArray("{\"format\": 99}"));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the boxes the table replaced
        shown = p.main->findChild<frmjob *>()->findChild<QComboBox *>(QStringLiteral("cmbeval2"));
        QVERIFY2(shown->currentText() == (name == day1 ? QStringLiteral("reject") : QStringLiteral("-")), qPrintable(name));
    }
    QCOMPARE(p.m->job().text(JobDetail::ReportNumber), QStringLiteral("VX-7/26"));
    QCOMPARE(p.m->job().evaluation(2), Evaluation::Reject);

    // The headless exporter: the same job, the same pages, pixel for pixel.
    const QString cli = p.dir.file(QStringLiteral("cli.pdf"));
    int rc = -1;
    QString err;
    run(QStringLiteral(VEXTRUM_EXPORT), {day1, QStringLiteral("--report"), cli, QStringLiteral("--archive"), archivePath},
        &rc, &err);
    QCOMPARE(rc, 1); // the number was exported before
    QVERIFY2(err.contains(QStringLiteral("--again")), qPrintable(err));
    run(QStringLiteral(VEXTRUM_EXPORT),
        {day1, QStringLiteral("--report"), cli, QStringLiteral("--archive"), archivePath, QStringLiteral("--again")},
        &rc, &err);
    QCOMPARE(rc, 0);
    QCOMPARE(pdfPages(cli), 3);
    for (int page = 1; page <= 3; ++page)
        QCOMPARE(renderPage(cli, page), renderPage(pdf, page));
    Archive kept;
    QVERIFY(kept.open(archivePath));
    QCOMPARE(kept.reports(QStringLiteral("VX-7/26")).size(), 2);
}

// One memory gives the summary and its page; all 200 carry the table over
// several pages, its header on each, before a page per memory in order.
void tst_export::inspectionReportOfOneAndOfAll()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    TempWorkDir dir;
    auto store = std::make_unique<Store>();
    initialiseStore(*store);
    for (int n = 1; n <= kMemoryCount; ++n)
        (*store)[size_t(n - 1)] = sampleMemory(n);
    const QString data = dir.file(QStringLiteral("all.dat"));
    QVERIFY(writeDataFile(data, *store));
    Job job;
    job.text(JobDetail::ReportNumber) = QStringLiteral("R-200");
    job.setEvaluation(7, Evaluation::Record);
    QVERIFY(writeJobFile(data, job));
    const QString archivePath = dir.file(QStringLiteral("a.sqlite"));
    int rc = -1;
    const QString one = dir.file(QStringLiteral("one.pdf")), all = dir.file(QStringLiteral("all.pdf"));
    run(QStringLiteral(VEXTRUM_EXPORT), {data, "--memories", "7", "--report", one, "--archive", archivePath}, &rc);
    QCOMPARE(rc, 0);
    QCOMPARE(pdfPages(one), 2);
    QVERIFY(pageText(one, 2).contains(QStringLiteral("Memory 7")));
    run(QStringLiteral(VEXTRUM_EXPORT), {data, "--report", all, "--archive", archivePath, "--again"}, &rc);
    QCOMPARE(rc, 0);
    const int pages = pdfPages(all);
    QVERIFY2(pageText(all, pages).contains(QStringLiteral("Page %1 of %1").arg(pages)), qPrintable(pageText(all, pages)));
    // The table's pages, each with its header, then the count, then a page
    // per memory in order from the first after the summary.
    int tablePages = 0;
    while (pageText(all, tablePages + 1).contains(QStringLiteral("Mem Time Gate Ampl.")))
        ++tablePages;
    QVERIFY2(tablePages >= 5, qPrintable(QString::number(tablePages)));
    const int firstMemoryPage = pages - kMemoryCount + 1;
    QVERIFY(pageText(all, firstMemoryPage - 1).contains(QStringLiteral("200 memories: ")));
    QVERIFY(!pageText(all, firstMemoryPage - 1).contains(QStringLiteral("Taken ")));
    for (int n : {1, 100, 200})
        QVERIFY(pageText(all, firstMemoryPage + n - 1).contains(QStringLiteral("Memory %1 Taken").arg(n)));

    // The archive tool: the job comes in with its data file, and the
    // report of archived memories carries it.
    QString out = run(QStringLiteral(VEXTRUM_ARCHIVE), {"import", data, "--archive", archivePath}, &rc);
    QVERIFY2(rc == 0 && out.startsWith(QStringLiteral("1 file, 200 memories")), qPrintable(out));
    out = run(QStringLiteral(VEXTRUM_ARCHIVE), {"find", "--memory", "7", "--archive", archivePath}, &rc);
    const QString id = out.section(QLatin1Char('\t'), 0, 0);
    const QString archived = dir.file(QStringLiteral("archived.pdf"));
    QString err;
    run(QStringLiteral(VEXTRUM_ARCHIVE), {"export", id, "--report", archived, "--archive", archivePath}, &rc, &err);
    QCOMPARE(rc, 1); // R-200 left before
    QVERIFY(!QFileInfo::exists(archived));
    run(QStringLiteral(VEXTRUM_ARCHIVE), {"export", id, "--report", archived, "--again", "--archive", archivePath}, &rc,
        &err);
    QVERIFY2(rc == 0, qPrintable(err));
    QVERIFY(pageText(archived, 1).contains(QStringLiteral("Report No. R-200")));
    QVERIFY(pageText(archived, 1).contains(QStringLiteral("1 memory: 0 accept, 1 record")));
}

// Job files that hold no job this program can take are refused with the
// reason, never read as an empty or partial job; texts come as one line.
void tst_export::jobFilesThatAreNoJob_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // empty: read
    QTest::newRow("not JSON") << QByteArray("report R-1") << "no job details";
    QTest::newRow("no format") << QByteArray("{\"details\": {}}") << "no job details";
    QTest::newRow("format as text") << QByteArray("{\"format\": \"1\"}") << "no job details";
    QTest::newRow("format 1.5") << QByteArray("{\"format\": 1.5}") << "no job details";
    QTest::newRow("newer") << QByteArray("{\"format\": 2}") << "newer program";
    QTest::newRow("an array") << QByteArray("[1]") << "no job details";
    QTest::newRow("control characters") << QByteArray("{\"format\": 1, \"details\": {\"client\": \"A\\nB\\u0007C\"},"
                                                      " \"evaluations\": {\"7\": \"reject\", \"300\": \"accept\","
                                                      " \"8\": \"maybe\"}}")
                                        << "";
}

void tst_export::jobFilesThatAreNoJob()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TempWorkDir dir;
    const QString data = dir.file(QStringLiteral("d.dat"));
    QVERIFY(writeBytes(jobFilePath(data), content));
    QString why;
    const std::optional<Job> job = readJobFile(data, &why);
    QCOMPARE(!job, !reason.isEmpty());
    if (job) {
        QCOMPARE(job->text(JobDetail::Client), QStringLiteral("A B C"));
        QCOMPARE(job->evaluations, (QMap<int, Evaluation>{{7, Evaluation::Reject}}));
    } else {
        QVERIFY2(why.contains(reason) && why.contains(QStringLiteral("d.dat.job")), qPrintable(why));
    }
}

QTEST_MAIN(tst_export)
#include "tst_export.moc"
