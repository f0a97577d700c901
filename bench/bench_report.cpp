// Printing reports to "Print to File (PDF)". One report page: composition
// of the four sections, their temporary bitmaps, and the page printed to a
// PDF file (median and fastest of 30 runs). A print run of all 200
// memories into one PDF (median of 3): time, size per page, and the floor
// of the same run: deflating the pixels of the run's 800 section pictures,
// which is what a PDF that keeps them lossless must at least do. With an
// argument, the run's PDF is kept there.
#include "app/fonts.h"
#include "app/frmmain.h"
#include "display/msgbox.h"
#include "display/picturebox.h"
#include "simkit/replybuilder.h"
#include "report/printreport.h"
#include "report/reportpage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace vextrum;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The four section pictures of a report page, as print_report makes them.
QList<QImage> sectionPictures(const ReportInputs &in)
{
    QList<QImage> pictures;
    for (const ReportSection &s : reportSections()) {
        const auto c = makeSectionCanvas(s);
        if (qstrcmp(s.name, "picecho") == 0) {
            setAscanPicture(*c, in.ascan);
            drawAscanSection(*c, in.measurements);
        } else if (qstrcmp(s.name, "picsetup") == 0) {
            drawParameterTable(*c, in);
        } else if (qstrcmp(s.name, "Picnote") == 0) {
            drawNotes(*c, in.notes);
        } else {
            drawHeading(*c);
        }
        pictures << c->image();
    }
    return pictures;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    auto session = std::make_unique<Session>();
    MemoryStore *m = &session->store();
    int failures = 0;
    setMessageHook([&failures](const QString &, const QString &) { return ++failures < 0; });
    frmmain w(*session);
    QPrinter &printer = w.printSettings().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));

    std::vector<double> ms;
    for (int run = 0; run < 30; ++run) {
        m->showRecord(sampleMemory(run % 12 + 1));
        QElapsedTimer t;
        t.start();
        print_report(screenInputs(m->onScreen(), w.picascan()->image()), w, w.printSettings());
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("report page: median %.3f ms, fastest %.3f ms over %zu runs, %d failures\n", ms[ms.size() / 2],
                ms.front(), ms.size(), failures);

    // All 200 memories, each shown and then printed as shown, as File,
    // Print does for "All captured".
    for (int s = 0; s < kMemoryCount; ++s)
        m->file(s, sampleMemory(s + 1));
    const QString runPdf = dir.filePath(QStringLiteral("run.pdf"));
    printer.setOutputFileName(runPdf);
    std::vector<double> runMs, floorMs;
    int pages = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        {
            ReportJob job(printer);
            for (int s = 0; s < kMemoryCount; ++s) {
                m->show(s);
                print_report(screenInputs(m->onScreen(), w.picascan()->image()), w, w.printSettings(), &job);
            }
            failures += !job.finish();
            pages = job.pages();
        }
        runMs.push_back(t.nsecsElapsed() / 1e6);

        std::vector<QByteArray> pixels;
        for (int s = 0; s < kMemoryCount; ++s) {
            m->show(s);
            for (const QImage &p : sectionPictures(screenInputs(m->onScreen(), w.picascan()->image()))) {
                const QImage rgb = p.convertToFormat(QImage::Format_RGB888);
                pixels.emplace_back(reinterpret_cast<const char *>(rgb.constBits()), rgb.sizeInBytes());
            }
        }
        t.start();
        qsizetype deflated = 0;
        for (const QByteArray &b : pixels)
            deflated += qCompress(b).size();
        floorMs.push_back(t.nsecsElapsed() / 1e6);
        if (run == 0)
            std::printf("floor: the run's %zu section pictures deflate to %.1f KiB a page\n", pixels.size(),
                        deflated / 1024.0 / kMemoryCount);
    }
    const qint64 bytes = QFileInfo(runPdf).size();
    std::printf("print run of %d memories to one PDF: median %.1f ms over 3 runs, %d pages, %lld bytes, "
                "%.1f KiB a page\n",
                kMemoryCount, median(runMs), pages, static_cast<long long>(bytes), bytes / 1024.0 / pages);
    std::printf("floor: deflating those pictures %.1f ms (median of 3): print run %.2fx\n", median(floorMs),
                median(runMs) / median(floorMs));
    if (argc > 1) {
        QFile::remove(QString::fromLocal8Bit(argv[1]));
        QFile::copy(runPdf, QString::fromLocal8Bit(argv[1]));
    }
    return failures == 0 ? 0 : 1;
}
