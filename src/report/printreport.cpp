#include "report/printreport.h"

#include "app/frmmain.h"
#include "app/msgbox.h"
#include "report/frmprint.h"
#include "report/letterhead.h"
#include "report/reportpage.h"

#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>

using namespace vextrum;

namespace {

constexpr char kFailure[] = "The Report can't be printed.";
constexpr double kTwipsPerInch = 1440;

// One report's run: reports each failing operation and counts it. A
// section file is read back only if this run wrote it, so a stale file of
// the same name that could not be overwritten never reaches the page.
class ReportRun
{
public:
    ReportRun(Module1 &m, frmmain &main) : m_(m), main_(main) {}

    bool check(bool ok)
    {
        if (!ok) {
            ++failures;
            MsgBox(m_, &main_, QString::fromLatin1(kFailure));
        }
        return ok;
    }
    void save(const QImage &image, const char *file)
    {
        const QString name = QString::fromLatin1(file);
        if (check(image.save(name, "BMP")))
            written_.insert(name);
    }
    // A null image when the file could not be read.
    QImage load(const char *file)
    {
        const QString name = QString::fromLatin1(file);
        QImage image;
        check(written_.contains(name) && image.load(name, "BMP"));
        return image;
    }
    void remove(const char *file)
    {
        const QString name = QString::fromLatin1(file);
        written_.remove(name);
        check(QFile::remove(name));
    }

    int failures = 0;

private:
    Module1 &m_;
    frmmain &main_;
    QSet<QString> written_;
};

// The page on the printer: the job starts with the first picture placed,
// the letterhead (if any) goes on first, and pictures go at their natural
// size, one pixel to 15 twips.
class PrintedPage
{
public:
    PrintedPage(QPrinter &printer, const Letterhead &letterhead) : printer_(printer), letterhead_(letterhead) {}
    ~PrintedPage()
    {
        if (painter_.isActive())
            painter_.end();
    }

    bool place(const QImage &picture, int xTwips, int yTwips)
    {
        if (!painter_.isActive()) {
            if (!painter_.begin(&printer_))
                return false;
            const double px = printer_.resolution() * kTwipsPerPixel / kTwipsPerInch;
            painter_.save();
            painter_.scale(px, px);
            drawLetterhead(painter_, letterhead_);
            painter_.restore();
        }
        const double k = printer_.resolution() / kTwipsPerInch;
        const QRectF target(xTwips * k, yTwips * k, picture.width() * kTwipsPerPixel * k,
                            picture.height() * kTwipsPerPixel * k);
        painter_.drawImage(target, picture);
        return printer_.printerState() != QPrinter::Error;
    }
    // The job holds one page, which the end of the job closes.
    bool endPage() const { return painter_.isActive() && printer_.printerState() != QPrinter::Error; }
    bool endJob() { return painter_.isActive() && painter_.end() && printer_.printerState() != QPrinter::Error; }

private:
    QPrinter &printer_;
    const Letterhead &letterhead_;
    QPainter painter_;
};

void clearSections(frmprint &form)
{
    for (const ReportSection &s : reportSections())
        form.canvas(s.name).clear();
}

} // namespace

QPrinter &currentPrinter(Module1 &m)
{
    if (!m.printer)
        m.printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *m.printer;
}

ReportResult print_report(Module1 &m, frmmain &main)
{
    // Read once, up front: a failure message waits for its OK in an event
    // loop, where a memory arriving on the port could redraw the window;
    // the page still shows the main window as it was when called.
    const ReportInputs in = gatherReportInputs(main);
    frmprint &form = frmprint::of(main);
    Canvas &echo = form.canvas("picecho");
    Canvas &setup = form.canvas("picsetup");
    Canvas &note = form.canvas("Picnote");
    Canvas &head = form.canvas("pichead");
    clearSections(form);

    ReportRun run(m, main);
    auto save = [&run, &form](const char *section) {
        run.save(form.canvas(section).image(), reportSection(section).file);
    };
    const char *echoFile = reportSection("picecho").file;

    // The A-scan section, through its file like every section.
    run.save(in.ascan, echoFile);
    setAscanPicture(echo, run.load(echoFile));
    run.remove(echoFile);
    drawAscanSection(echo, in.measurements);
    save("picecho");

    drawParameterTable(setup, in);
    save("picsetup");

    drawNotes(note, in.notes);
    save("Picnote");

    drawHeading(head);
    save("pichead");

    ReportResult result;
    {
        const Letterhead letterhead = loadLetterhead();
        PrintedPage page(currentPrinter(m), letterhead);
        for (const Placement &p : pagePlacements()) {
            const QImage picture = run.load(p.file);
            if (!picture.isNull())
                run.check(page.place(picture, p.x, p.y));
        }
        run.check(page.endPage());
        result.printed = run.check(page.endJob());
    }

    for (const char *file : tempFiles())
        run.remove(file);
    clearSections(form);
    result.failures = run.failures;
    return result;
}

void printerSetup(Module1 &m, QWidget *parent)
{
    QPrintDialog dialog(&currentPrinter(m), parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.exec();
}
