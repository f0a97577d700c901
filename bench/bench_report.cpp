// One report page: composition of the four sections, their temporary
// bitmaps, and the page printed to a PDF file. Prints the median and the
// fastest of 30 runs. With an argument, the last page is kept there.
#include "app/fonts.h"
#include "app/frmmain.h"
#include "display/msgbox.h"
#include "display/picturebox.h"
#include "simkit/replybuilder.h"
#include "report/printreport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vextrum::installFontSubstitutes();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    auto session = std::make_unique<vextrum::Session>();
    vextrum::MemoryStore *m = &session->store();
    int failures = 0;
    setMessageHook([&failures](const QString &, const QString &) { return ++failures < 0; });
    frmmain w(*session);
    QPrinter &printer = w.printSettings().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));

    std::vector<double> ms;
    for (int run = 0; run < 30; ++run) {
        m->showRecord(vextrum::sampleMemory(run % 12 + 1));
        QElapsedTimer t;
        t.start();
        print_report(vextrum::screenInputs(m->onScreen(), w.picascan()->image()), w, w.printSettings());
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("report page: median %.3f ms, fastest %.3f ms over %zu runs, %d failures\n", ms[ms.size() / 2],
                ms.front(), ms.size(), failures);
    if (argc > 1) {
        QFile::remove(QString::fromLocal8Bit(argv[1]));
        QFile::copy(printer.outputFileName(), QString::fromLocal8Bit(argv[1]));
    }
    return failures == 0 ? 0 : 1;
}
