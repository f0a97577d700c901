// The A-scan Viewer and the Memory Browser: a full redraw of the viewer's
// picture at 1920 x 1080 (with gates, DAC and a compared memory), the
// readout of one pointer move, and the browser's table refreshed for 200
// memories. Prints the median and the fastest run of each.
#include "display/ascanplot.h"
#include "display/memorytable.h"
#include "simkit/replybuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {
void report(const char *what, int runs, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        work(run);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.3f ms, fastest %.3f ms over %d runs\n", what, ms[ms.size() / 2], ms.front(), runs);
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<vextrum::Record> samples = vextrum::sampleMemories();

    vextrum::AscanPlot plot;
    plot.setSize(QSize(1920, 1080));
    plot.setRecord(samples[0], QStringLiteral("Mem 1"));
    plot.setCompare(samples[1], QStringLiteral("Mem 2"));
    QImage image(1920, 1080, QImage::Format_RGB32); // a window's backing store
    report("viewer redraw at 1920x1080", 200, [&](int) {
        QPainter p(&image);
        plot.paint(p);
    });

    double sink = 0;
    report("pointer readout", 2000, [&](int run) {
        const vextrum::Readout r = plot.readoutAt(QPointF(100 + run % 1700, 100 + run % 800));
        sink += r.path + vextrum::pointerText(r, 1).size() + vextrum::sampleText(r, 1).size();
    });

    auto store = std::make_unique<vextrum::Store>();
    vextrum::initialiseStore(*store);
    for (int s = 0; s < 200; ++s)
        (*store)[std::size_t(s)] = samples[s % samples.size()];
    QList<bool> captured(200, true);
    vextrum::MemoryTable table;
    QSortFilterProxyModel proxy; // sorted as the browser shows it
    proxy.setSourceModel(&table);
    proxy.setSortRole(vextrum::MemoryTable::SortRole);
    proxy.sort(vextrum::MemoryTable::Operator);
    report("browser refresh for 200 memories", 200, [&](int run) {
        captured[run % 200] = !captured[run % 200];
        table.refresh(*store, captured);
    });
    return sink < 0;
}
