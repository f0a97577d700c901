#include "report/frmprintop.h"

#include "report/reporthost.h"
#include "store/msgbox.h"
#include "display/canvas.h"
#include "display/programicon.h"

#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

using namespace vextrum;

namespace {

constexpr int kClientWidth = 6360, kClientHeight = 3495;
constexpr int kFrameLeft = 1080, kFrameTop = 480;

struct OptionButton
{
    const char *name;
    const char *caption;
    int left, top, width, height; // twips on the window
};
const OptionButton kOptions[] = {
    {"opsingle", "Currently Displayed Ascan Report", 1200, 840, 3975, 375},
    {"opselect", "Selected Ascan Report", 1200, 1200, 3735, 375},
    {"opall", "All Ascan Report", 1200, 1560, 2775, 375},
};

} // namespace

frmprintop::frmprintop(Module1 &m, ReportHost &main, QWidget *parent)
    : QWidget(parent, Qt::Window), m_(m), main_(main), mainWindow_(main.hostWindow())
{
    setObjectName(QStringLiteral("frmprintop"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));

    QFont captionFont(QStringLiteral("MS Sans Serif"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);
    setFont(captionFont);

    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 255));

    Frame1_ = new QGroupBox(QStringLiteral("Print Option"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Frame1_->setGeometry(twipsRect(kFrameLeft, kFrameTop, 4215, 1815));
    Frame1_->setPalette(blue);

    QRadioButton **buttons[] = {&opsingle_, &opselect_, &opall_};
    for (int k = 0; k < 3; ++k) {
        const OptionButton &o = kOptions[k];
        auto *b = new QRadioButton(QString::fromLatin1(o.caption), Frame1_);
        b->setObjectName(QString::fromLatin1(o.name));
        b->setGeometry(twipsRect(o.left - kFrameLeft, o.top - kFrameTop, o.width, o.height));
        *buttons[k] = b;
    }
    opsingle_->setChecked(true);

    cmdprint_ = new QPushButton(QStringLiteral("Print"), this);
    cmdprint_->setObjectName(QStringLiteral("cmdprint"));
    cmdprint_->setGeometry(twipsRect(1080, 2520, 1335, 495));
    connect(cmdprint_, &QPushButton::clicked, this, &frmprintop::cmdprint_Click);
}

PrintChoice frmprintop::choice() const
{
    if (opsingle_->isChecked())
        return PrintChoice::Single;
    if (opselect_->isChecked())
        return PrintChoice::Selected;
    if (opall_->isChecked())
        return PrintChoice::All;
    return PrintChoice::None;
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
        const QListWidget *list = main_.lstmem();
        QStringList entries;
        QList<bool> selected;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->item(i)->text();
            selected << list->item(i)->isSelected();
        }
        for (int slot : memoriesToPrint(chosen, entries, selected)) {
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
