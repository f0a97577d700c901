// Exporting all 200 memories: one vector PDF (without a letterhead and with
// one whose logo is a 3000 x 3000 PNG) and one CSV file.
// Prints the medians and the PDF's size per page, and against the PDF the
// floor of the same run: `qpdf` copying that PDF (reading every object and
// writing it out again), when qpdf is installed. With an argument, the PDF
// is kept there.
#include "app/fonts.h"
#include "simkit/replybuilder.h"
#include "report/export.h"
#include "report/letterhead.h"
#include "median.h"
#include "samplestore.h"

#include <QBuffer>
#include <QImage>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace vextrum;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutes();
    QTemporaryDir dir;
    auto store = std::make_unique<Store>();
    const QList<ExportMemory> memories = fillWithSampleMemories(*store);
    const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
    const QString csv = dir.filePath(QStringLiteral("all.csv"));
    bool ok = true;
    // The export and its floor alternate, so both see the same noise.
    const QString copy = dir.filePath(QStringLiteral("copy.pdf"));
    bool haveQpdf = true;
    std::vector<double> pdfRuns, qpdfRuns;
    for (int r = 0; r < 7; ++r) {
        pdfRuns.push_back(medianMs(1, [&] { ok = exportPdf(pdf, memories, {}, defaultReportLayout(), nullptr) && ok; }));
        if (haveQpdf)
            qpdfRuns.push_back(medianMs(1, [&] {
                haveQpdf = QProcess::execute(QStringLiteral("qpdf"), {pdf, copy}) == 0;
            }));
    }
    std::sort(pdfRuns.begin(), pdfRuns.end());
    std::sort(qpdfRuns.begin(), qpdfRuns.end());
    const double pdfMs = pdfRuns[pdfRuns.size() / 2];
    // A logo of smooth colours, as a scanned or drawn one is.
    QImage photo(3000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 3000, y * 255 / 3000, (x + y) % 256));
    Letterhead letterhead;
    letterhead.company = QStringLiteral("Northgate Inspection Ltd");
    QBuffer buffer(&letterhead.logo);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "PNG");
    const QString logoPdf = dir.filePath(QStringLiteral("logo.pdf"));
    const double logoMs =
        medianMs(3, [&] { ok = exportPdf(logoPdf, memories, letterhead, defaultReportLayout(), nullptr) && ok; });
    std::printf("200 memories to one PDF with a 3000 x 3000 logo (%lld byte PNG): median %.1f ms over 3 runs, "
                "%lld bytes\n",
                static_cast<long long>(letterhead.logo.size()), logoMs,
                static_cast<long long>(QFileInfo(logoPdf).size()));
    const double csvMs = medianMs(31, [&] { ok = exportCsv(csv, memories, nullptr) && ok; });
    const qint64 pdfBytes = QFileInfo(pdf).size();
    std::printf("200 memories to one PDF: median %.1f ms over 7 runs, %lld bytes, %.1f KiB per page\n", pdfMs,
                static_cast<long long>(pdfBytes), pdfBytes / 1024.0 / kMemoryCount);
    if (haveQpdf) {
        const double floorMs = qpdfRuns[qpdfRuns.size() / 2];
        std::printf("floor: qpdf copies that PDF in %.1f ms (median of 7): export %.2fx\n", floorMs, pdfMs / floorMs);
    } else {
        std::printf("floor: qpdf is not installed (apt-get install qpdf)\n");
    }
    std::printf("200 memories to CSV: median %.2f ms over 31 runs, %lld bytes\n", csvMs,
                static_cast<long long>(QFileInfo(csv).size()));
    if (argc > 1) {
        QFile::remove(QString::fromLocal8Bit(argv[1]));
        QFile::copy(pdf, QString::fromLocal8Bit(argv[1]));
    }
    return ok ? 0 : 1;
}
