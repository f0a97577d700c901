#include "report/frmprintop.h"

#include "report/optionframe.h"
#include "report/reporthost.h"
#include "store/msgbox.h"
#include "display/canvas.h"
#include "display/programicon.h"

#include <QDir>
#include <QPrinter>
#include <QPushButton>

using namespace vextrum;

frmprintop::frmprintop(Module1 &m, ReportHost &main, QWidget *parent)
    : QWidget(parent, Qt::Window), m_(m), main_(main), mainWindow_(main.hostWindow())
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
    const ReportResult r = print_report(m_, main_, &job);
    emit reportPrinted(slot, r);
}

void frmprintop::cmdprint_Click()
{
    const PrintChoice chosen = choice();
    ReportJob job(currentPrinter(m_));
    if (mainWindow_ && chosen == PrintChoice::Single) {
        report(job, -1);
    } else if (mainWindow_) {
        for (int slot : memoriesChosen(chosen, main_.lstmem())) {
            if (slot >= kMemoryCount || !mainWindow_)
                break;
            m_.current = m_.store[size_t(slot)];
            main_.display_pattern();
            main_.display_setup();
            m_.shownSlot = std::int16_t(slot);
            m_.showingStored = true;
            report(job, slot);
        }
    }
    const bool written = job.finish();
    if (mainWindow_ && job.pages() > 0) {
        if (!written) {
            MsgBox(m_, mainWindow_, QStringLiteral("The Report can't be printed."));
        } else {
            const QString pages = job.pages() == 1 ? tr("1 page") : tr("%1 pages").arg(job.pages());
            const QPrinter &printer = currentPrinter(m_);
            main_.showStatus(job.toFile()
                                 ? tr("Report printed to %1: %2").arg(QDir::toNativeSeparators(job.fileName()), pages)
                                 : tr("Report printed on %1: %2").arg(printer.printerName(), pages));
        }
    }
    close();
}

frmprintop *showPrintOptions(Module1 &m, ReportHost &main)
{
    frmprintop *w = nullptr;
    for (frmprintop *open : main.hostWindow()->findChildren<frmprintop *>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            w = open;
    if (!w) {
        w = new frmprintop(m, main, main.hostWindow());
        w->show();
    }
    w->raise();
    w->activateWindow();
    return w;
}
