#include "report/frmprintop.h"

#include "display/canvas.h"
#include "display/msgbox.h"
#include "display/programicon.h"
#include "report/export.h"
#include "store/memorystore.h"

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

using namespace vextrum;

frmprintop::frmprintop(const ReportContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), context_(context), mainWindow_(context.window)
{
    setObjectName(QStringLiteral("frmprintop"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    options_ = buildOptionFrame(this, QStringLiteral("Print Option"), context.browserHasSelection());

    cmdprint_ = new QPushButton(QStringLiteral("Print"), this);
    cmdprint_->setObjectName(QStringLiteral("cmdprint"));
    cmdprint_->setGeometry(twipsRect(1080, options_.below(2520), 1335, 495));
    connect(cmdprint_, &QPushButton::clicked, this, &frmprintop::cmdprint_Click);
}

PrintChoice frmprintop::choice() const
{
    return options_.choice();
}

ReportResult frmprintop::report(ReportJob &job, int slot)
{
    const ReportResult r = print_report(context_.screen(), *mainWindow_, context_.print, &job);
    emit reportPrinted(slot, r);
    return r;
}

namespace {

// Why reports did not reach the printer, and what to do, for the status bar.
QString whyNotPrinted(QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return QObject::tr("%1 cannot be written. Choose another file under File, PrintSetup.")
            .arg(QDir::toNativeSeparators(printer.outputFileName()));
    if (!printer.isValid() || QPrinterInfo::availablePrinters().isEmpty())
        return QObject::tr("no printer is available. Choose \"Print to File (PDF)\" under File, PrintSetup.");
    return QObject::tr("the printer %1 refused the report. Check it, or choose \"Print to File (PDF)\" under File, "
                       "PrintSetup.")
        .arg(printer.printerName());
}

} // namespace

void frmprintop::cmdprint_Click()
{
    const PrintChoice chosen = choice();
    ReportJob job(context_.print.printer());
    QList<int> notPrinted; // memory numbers; 0 for the screen
    int reports = 0, failures = 0;
    auto one = [&](int slot) {
        const ReportResult r = report(job, slot);
        ++reports;
        failures += r.failures;
        if (!r.printed)
            notPrinted << slot + 1;
    };
    if (mainWindow_ && chosen == PrintChoice::Single) {
        one(-1);
    } else if (mainWindow_) {
        for (int slot : memoriesChosen(chosen, context_)) {
            if (!mainWindow_)
                break;
            // Each memory is shown, then printed as shown.
            context_.store.show(slot);
            one(slot);
        }
    }
    const bool written = job.finish();
    if (!mainWindow_ || reports == 0) {
        close();
        return;
    }
    // However many steps failed, the run says so once.
    if (failures > 0 || !written)
        MsgBox(mainWindow_, reportFailureMessage());
    const QString pages = job.pages() == 1 ? tr("1 page") : tr("%1 pages").arg(job.pages());
    if (!written || notPrinted.size() == reports) {
        emit runDone(tr("Nothing printed: %1").arg(whyNotPrinted(context_.print.printer())));
    } else if (!notPrinted.isEmpty()) {
        notPrinted.removeAll(0);
        emit runDone(tr("Mem %1 not printed: %2").arg(memoryNumbersText(notPrinted), whyNotPrinted(context_.print.printer())));
    } else {
        emit runDone(job.toFile()
                         ? tr("Report printed to %1: %2").arg(QDir::toNativeSeparators(job.fileName()), pages)
                         : tr("Report printed on %1: %2").arg(context_.print.printer().printerName(), pages));
    }
    close();
}
