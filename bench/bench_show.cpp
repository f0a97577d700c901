// Showing a memory: the double-click's work, from the store to a fully
// drawn picture and panel. Prints the median and the fastest run.
#include "app/frmmain.h"
#include "display/msgbox.h"
#include "display/picturebox.h"
#include "simkit/replybuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    auto session = std::make_unique<vextrum::Session>();
    vextrum::MemoryStore *m = &session->store();
    setMessageHook([](const QString &, const QString &) { return false; }); // no dfd.cfg here
    frmmain w(*session);
    w.Form_Load();
    const QList<vextrum::Record> samples = vextrum::sampleMemories();
    for (int s = 0; s < 200; ++s)
        m->file(s, samples[s % samples.size()]);

    std::vector<double> ms;
    for (int run = 0; run < 400; ++run) {
        w.lstmem()->clearSelection();
        w.lstmem()->item(run % 200)->setSelected(true);
        QElapsedTimer t;
        t.start();
        w.lstmem_DblClick();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("show a memory: median %.3f ms, fastest %.3f ms over %zu runs\n", ms[ms.size() / 2], ms.front(),
                ms.size());
    return 0;
}
