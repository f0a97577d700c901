#include "app/frmviewer.h"

#include "display/ascanscope.h"
#include "store/memorystore.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace vextrum;

frmviewer::frmviewer(const MemoryStore &store, QWidget *parent)
    : ViewWindow("frmviewer", QStringLiteral("A-scan Viewer"), parent), store_(store)
{
    scope_ = new AscanScope(this);
    scope_->setObjectName(QStringLiteral("picview"));

    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    name_ = label("labmemory");
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    pointer_ = label("labpointer");
    sample_ = label("labsample");
    peaks_ = label("labpeaks");
    zoom_ = label("labzoom");
    // The side column is narrow: long lines (a gate's echo with its
    // sample) wrap rather than run out of the window.
    for (QLabel *l : {pointer_, sample_, peaks_, zoom_})
        l->setWordWrap(true);

    compare_ = new QComboBox(this);
    compare_->setObjectName(QStringLiteral("cbocompare"));
    auto *whole = new QPushButton(QStringLiteral("Whole Range"), this);
    whole->setObjectName(QStringLiteral("cmdwhole"));
    auto *copy = new QPushButton(QStringLiteral("Copy Picture"), this);
    copy->setObjectName(QStringLiteral("cmdcopy"));

    auto *side = new QVBoxLayout;
    side->addWidget(name_);
    side->addSpacing(8);
    side->addWidget(new QLabel(QStringLiteral("Under the pointer:"), this));
    side->addWidget(pointer_);
    side->addWidget(sample_);
    side->addSpacing(8);
    side->addWidget(new QLabel(QStringLiteral("Highest echo in the gates:"), this));
    side->addWidget(peaks_);
    side->addSpacing(8);
    side->addWidget(zoom_);
    side->addWidget(whole);
    side->addSpacing(8);
    side->addWidget(new QLabel(QStringLiteral("Compare with:"), this));
    side->addWidget(compare_);
    side->addSpacing(8);
    side->addWidget(copy);
    side->addStretch(1);

    auto *sideBox = new QWidget(this);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(230);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(scope_, 1);
    layout->addWidget(sideBox);

    connect(scope_, &AscanScope::readoutChanged, this, &frmviewer::showReadout);
    connect(scope_, &AscanScope::zoomChanged, this, &frmviewer::showPeaks);
    connect(whole, &QPushButton::clicked, scope_, &AscanScope::showWholeRange);
    connect(copy, &QPushButton::clicked, this, &frmviewer::copyPicture);
    connect(compare_, &QComboBox::activated, this, [this](int index) {
        compareWith(compare_->itemData(index).toInt());
    });

    connect(&store_, &MemoryStore::currentShown, this, &frmviewer::followRecord);
    connect(&store_, &MemoryStore::changed, this, &frmviewer::followStore);

    restoreSize(QSize(900, 520));
    followStore();
    followRecord();
}

void frmviewer::followRecord()
{
    AscanPlot &plot = scope_->plot();
    plot.setRecord(store_.current(), memoryName(store_.current(), QStringLiteral("Memory on screen")));
    name_->setText(plot.name());
    showPeaks();
    scope_->replot();
}

void frmviewer::followStore()
{
    const int chosen = compare_->currentData().toInt();
    compare_->clear();
    compare_->addItem(QStringLiteral("(none)"), 0);
    for (int s : store_.capturedSlots())
        compare_->addItem(QStringLiteral("Mem %1").arg(s + 1), s + 1);
    const int index = compare_->findData(chosen);
    compare_->setCurrentIndex(std::max(index, 0));
    compareWith(index > 0 ? chosen : 0);
}

void frmviewer::compareWith(int memory)
{
    AscanPlot &plot = scope_->plot();
    const int index = compare_->findData(memory);
    if (memory < 1 || memory > kMemoryCount || index < 0) {
        plot.clearCompare();
        compare_->setCurrentIndex(0);
    } else {
        plot.setCompare(store_.record(memory - 1), QStringLiteral("Mem %1").arg(memory));
        compare_->setCurrentIndex(index);
    }
    scope_->replot();
}

void frmviewer::showReadout(const Readout &r)
{
    const int d = scope_->plot().readoutDecimals();
    pointer_->setText(pointerText(r, d));
    sample_->setText(sampleText(r, d));
}

void frmviewer::showPeaks()
{
    const AscanPlot &plot = scope_->plot();
    QStringList lines, why;
    for (const GatePeak &p : plot.gatePeaks()) {
        lines << peakText(p, plot.hasScale(), plot.readoutDecimals());
        if (p.found && !peakWhy(p).isEmpty())
            why << peakWhy(p);
    }
    peaks_->setText(lines.isEmpty() ? QStringLiteral("No gate drawn") : lines.join(QLatin1Char('\n')));
    // What shows as "-", and why.
    peaks_->setToolTip(why.join(QLatin1Char('\n')));
    const int d = plot.pathDecimals();
    zoom_->setText(!plot.zoomed() ? QStringLiteral("Drag across the picture to zoom.")
                   : plot.hasScale()
                       ? QStringLiteral("Showing %1 to %2 mm; Esc or a double-click shows it all.")
                             .arg(plot.pathAt(plot.zoomFirst()), 0, 'f', d)
                             .arg(plot.pathAt(plot.zoomLast()), 0, 'f', d)
                       : QStringLiteral("Zoomed; Esc or a double-click shows it all."));
}

void frmviewer::escape()
{
    if (scope_->plot().zoomed())
        scope_->showWholeRange();
    else
        close();
}

void frmviewer::copyPicture()
{
    QApplication::clipboard()->setImage(scope_->picture());
}
