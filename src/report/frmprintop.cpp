#include "report/frmprintop.h"

#include "display/canvas.h"
#include "display/msgbox.h"
#include "display/programicon.h"
#include "store/memorystore.h"

#include <QDir>
#include <QPrinter>
#include <QPushButton>

using namespace vextrum;

frmprintop::frmprintop(const ReportContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), context_(context), mainWindow_(context.window)
{
    setObjectName(QStringLiteral("frmprintop"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    options_ = buildOptionFrame(this, QStringLiteral("Print Option"));

    cmdprint_ = new QPushButton(QStringLiteral("Print"), this);
    cmdprint_->setObjectName(QStringLiteral("cmdprint"));
    cmdprint_->setGeometry(twipsRect(1080, 2520, 1335, 495));
    connect(cmdprint_, &QPushButton::clicked, this, &frmprintop::cmdprint_Click);
}

PrintChoice frmprintop::choice() const
{
    return options_.choice();
}

void frmprintop::report(ReportJob &job, int slot)
{
    const ReportResult r = print_report(context_.screen(), *mainWindow_, context_.print, &job);
    emit reportPrinted(slot, r);
}

void frmprintop::cmdprint_Click()
{
    const PrintChoice chosen = choice();
    ReportJob job(context_.print.printer());
    if (mainWindow_ && chosen == PrintChoice::Single) {
        report(job, -1);
    } else if (mainWindow_) {
        for (int slot : memoriesChosen(chosen, context_)) {
            if (!mainWindow_)
                break;
            // Each memory is shown, then printed as shown.
            context_.store.show(slot);
            report(job, slot);
        }
    }
    const bool written = job.finish();
    if (mainWindow_ && job.pages() > 0) {
        if (!written) {
            MsgBox(mainWindow_, QStringLiteral("The Report can't be printed."));
        } else {
            const QString pages = job.pages() == 1 ? tr("1 page") : tr("%1 pages").arg(job.pages());
            emit runDone(job.toFile()
                             ? tr("Report printed to %1: %2").arg(QDir::toNativeSeparators(job.fileName()), pages)
                             : tr("Report printed on %1: %2").arg(context_.print.printer().printerName(), pages));
        }
    }
    close();
}
