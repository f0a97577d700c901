#include "report/printreport.h"

#include "display/msgbox.h"
#include "report/frmprint.h"
#include "report/letterhead.h"
#include "report/printsettings.h"
#include "report/reportpage.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <memory>

using namespace vextrum;

namespace {

constexpr char kFailure[] = "The Report can't be printed.";
constexpr double kTwipsPerInch = 1440;

// One report's run: counts each failing operation, and goes on with the
// next. A section file is read back only if this run wrote it, so a stale
// file of the same name that could not be overwritten never reaches the
// page.
class ReportRun
{
public:
    bool check(bool ok)
    {
        failures += !ok;
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
    QSet<QString> written_;
};

void clearSections(frmprint &form)
{
    for (const ReportSection &s : reportSections())
        form.canvas(s.name).clear();
}

// A picture of black and white pixels only as one bit a pixel, black as 0:
// the same pixels, which a PDF keeps at a twenty-fourth of the size. Any
// other picture as it is.
QImage blackAndWhite(const QImage &picture)
{
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)
        return picture;
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    QImage bits(picture.size(), QImage::Format_Mono);
    bits.setColorTable({black, white});
    bits.setDotsPerMeterX(picture.dotsPerMeterX());
    bits.setDotsPerMeterY(picture.dotsPerMeterY());
    bits.fill(0);
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        uchar *out = bits.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (in[x] == white)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
            else if (in[x] != black)
                return picture;
        }
    }
    return bits;
}

} // namespace

QString reportFailureMessage()
{
    return QString::fromLatin1(kFailure);
}

ReportJob::ReportJob(QPrinter &printer)
    : printer_(printer), painter_(new QPainter), toFile_(printer.outputFormat() == QPrinter::PdfFormat),
      letterhead_(loadLetterhead())
{
}

ReportJob::~ReportJob()
{
    if (painter_->isActive())
        painter_->end();
    delete painter_;
}

QString ReportJob::fileName() const
{
    return printer_.outputFileName();
}

void ReportJob::beginReport()
{
    pageOpen_ = false;
    pageOk_ = true;
}

// The job starts with the first picture placed, and pictures go at their
// natural size, one pixel to 15 twips. In a PDF run, each report after the
// first starts a new page of the open file.
bool ReportJob::place(const QImage &picture, int xTwips, int yTwips)
{
    if (!pageOpen_) {
        if (painter_->isActive()) {
            if (!printer_.newPage())
                return pageOk_ = false;
        } else if (!painter_->begin(&printer_)) {
            return pageOk_ = false;
        }
        pageOpen_ = true;
        ++pages_;
        // The pictures go into a PDF as made, not as JPEG.
        painter_->setRenderHint(QPainter::LosslessImageRendering);
        // The letterhead (if any) goes on first, in the band above the
        // first section.
        const double px = printer_.resolution() * kTwipsPerPixel / kTwipsPerInch;
        painter_->save();
        painter_->scale(px, px);
        letterhead_.draw(*painter_);
        painter_->restore();
    }
    const double k = printer_.resolution() / kTwipsPerInch;
    const QRectF target(xTwips * k, yTwips * k, picture.width() * kTwipsPerPixel * k,
                        picture.height() * kTwipsPerPixel * k);
    painter_->drawImage(target, blackAndWhite(picture));
    const bool ok = printer_.printerState() != QPrinter::Error;
    pageOk_ = pageOk_ && ok;
    return ok;
}

bool ReportJob::endPage() const
{
    return pageOpen_ && printer_.printerState() != QPrinter::Error;
}

// On a real printer the job holds one page, which the end of the job
// closes; in a PDF run the page stays for the file to take at the end.
bool ReportJob::endReport()
{
    if (!pageOpen_)
        return false;
    if (toFile_)
        return pageOk_ && printer_.printerState() != QPrinter::Error;
    return painter_->end() && printer_.printerState() != QPrinter::Error;
}

bool ReportJob::finish()
{
    if (!painter_->isActive())
        return true;
    return painter_->end() && printer_.printerState() != QPrinter::Error;
}

// The inputs are taken by value before the first message: a failure
// message waits for its OK in an event loop, where a memory arriving on
// the port could redraw the window; the page still shows what was asked.
ReportResult print_report(const ReportInputs &in, QWidget &window, PrintSettings &print, ReportJob *job)
{
    frmprint &form = frmprint::of(window);
    Canvas &echo = form.canvas("picecho");
    Canvas &setup = form.canvas("picsetup");
    Canvas &note = form.canvas("Picnote");
    Canvas &head = form.canvas("pichead");
    clearSections(form);

    ReportRun run;
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
        // A report of its own is a job of its own, a PDF file included.
        std::unique_ptr<ReportJob> own;
        if (!job)
            own = std::make_unique<ReportJob>(print.printer());
        ReportJob &page = job ? *job : *own;
        page.beginReport();
        for (const Placement &p : pagePlacements()) {
            const QImage picture = run.load(p.file);
            if (!picture.isNull())
                run.check(page.place(picture, p.x, p.y));
        }
        run.check(page.endPage());
        if (job) {
            result.printed = run.check(page.endReport());
        } else {
            const bool ended = page.endReport();
            result.printed = run.check(ended && page.finish());
        }
    }

    for (const char *file : tempFiles())
        run.remove(file);
    clearSections(form);
    result.failures = run.failures;
    // A report of its own is a run of its own: one message however much
    // failed. In a run of many, the run says it once at its end.
    if (!job && run.failures > 0)
        MsgBox(&window, reportFailureMessage());
    return result;
}
