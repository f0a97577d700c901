#include "app/exportmenu.h"

#include "archive/archive.h"
#include "display/msgbox.h"
#include "report/jobreport.h"
#include "report/export.h"
#include "report/frmexportop.h"
#include "report/optionframe.h"
#include "report/reportcontext.h"
#include "store/memorystore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QMainWindow>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>

using namespace vextrum;

namespace {

constexpr int kStatusMs = 20000;
const char kExportDirKey[] = "Export/Directory";

QString exportDirectory()
{
    const QString dir = QSettings().value(QString::fromLatin1(kExportDirKey)).toString();
    return !dir.isEmpty() && QDir(dir).exists() ? dir : QDir::currentPath();
}

void rememberDirectory(const QString &file)
{
    QSettings().setValue(QString::fromLatin1(kExportDirKey), QFileInfo(file).absolutePath());
}

// The memories for an export, chosen as for printing; false when the user
// cancels.
bool chooseMemories(const ReportContext &context, const QString &title, QList<ExportMemory> *memories)
{
    frmexportop op(title, context.browserHasSelection(), context.window);
    if (op.exec() != QDialog::Accepted)
        return false;
    const PrintChoice choice = op.choice();
    if (choice == PrintChoice::Single) {
        *memories = {memoryOnScreen(context.store)};
    } else {
        *memories = storedMemories(context.store.records(), memoriesChosen(choice, context));
    }
    if (memories->isEmpty()) {
        MsgBox(context.window,
               choice == PrintChoice::All ? QStringLiteral("There is no captured memory to export.")
                                          : QStringLiteral("There is no selected memory to export."));
        return false;
    }
    return true;
}

QString defaultName(const QList<ExportMemory> &memories, const char *suffix)
{
    QList<int> numbers;
    for (const ExportMemory &e : memories)
        if (e.number > 0)
            numbers << e.number;
    const QString name = numbers.isEmpty() ? QStringLiteral("A-scan")
                                           : QStringLiteral("Mem ") + memoryNumbersText(numbers);
    return QDir(exportDirectory()).filePath(name + QLatin1Char('.') + QLatin1String(suffix));
}

QString withSuffix(QString path, const char *suffix)
{
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QLatin1String(suffix);
    return path;
}

void done(QMainWindow &window, const QString &status)
{
    if (!status.isEmpty())
        window.statusBar()->showMessage(status, kStatusMs);
}

} // namespace

QString exportPdfOf(const QList<ExportMemory> &memories, PrintSettings &print, QWidget *parent)
{
    const QString path = withSuffix(QFileDialog::getSaveFileName(parent, QStringLiteral("Export PDF"),
                                                                 defaultName(memories, "pdf"),
                                                                 QStringLiteral("PDF files (*.pdf)")),
                                    "pdf");
    if (path.isEmpty())
        return QString();
    rememberDirectory(path);
    QString error;
    // The page of the printer chosen in PrintSetup, so the file matches paper.
    if (!exportPdf(path, memories, loadLetterhead(), print.printer().pageLayout(), &error)) {
        MsgBox(parent, QStringLiteral("The PDF can't be written: %1").arg(error));
        return QString();
    }
    return QStringLiteral("%1 page(s) exported to %2").arg(memories.size()).arg(QDir::toNativeSeparators(path));
}

QString exportReportOf(const QList<ExportMemory> &memories, const Job &job, Archive &archive, QWidget *parent)
{
    const QString number = job.text(JobDetail::ReportNumber).trimmed();
    if (number.isEmpty()
        && !MsgBoxYesNo(parent, QStringLiteral("The job has no report number (File, Job Details...). "
                                               "Export the inspection report without one?")))
        return QString();
    const QString used = reportNumberUsed(job, archive);
    if (!used.isEmpty()
        && !MsgBoxYesNo(parent, used + QStringLiteral(" Export another report under the same number?")))
        return QString();
    // A report number may hold characters no file name can.
    QString name = number.isEmpty() ? QStringLiteral("Inspection Report") : QStringLiteral("Report ") + number;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]")), QStringLiteral("-"));
    const QString path = withSuffix(
        QFileDialog::getSaveFileName(parent, QStringLiteral("Export Inspection Report"),
                                     QDir(exportDirectory()).filePath(name + QStringLiteral(".pdf")),
                                     QStringLiteral("PDF files (*.pdf)")),
        "pdf");
    if (path.isEmpty())
        return QString();
    rememberDirectory(path);
    int pages = 0;
    QString error, unrecorded;
    if (!writeInspectionReport(path, memories, job, archive, &pages, &error, &unrecorded)) {
        MsgBox(parent, QStringLiteral("The inspection report can't be written: %1").arg(error));
        return QString();
    }
    const QString written =
        QStringLiteral("Inspection report (%1 page(s)) exported to %2").arg(pages).arg(QDir::toNativeSeparators(path));
    if (!unrecorded.isEmpty())
        return written + QStringLiteral(", but not recorded in the archive: ") + unrecorded;
    return written;
}

QString exportCsvOf(const QList<ExportMemory> &memories, QWidget *parent)
{
    const QString path = withSuffix(QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"),
                                                                 defaultName(memories, "csv"),
                                                                 QStringLiteral("CSV files (*.csv)")),
                                    "csv");
    if (path.isEmpty())
        return QString();
    rememberDirectory(path);
    QString error;
    if (!exportCsv(path, memories, &error)) {
        MsgBox(parent, QStringLiteral("The CSV file can't be written: %1").arg(error));
        return QString();
    }
    return QStringLiteral("%1 memory row(s) exported to %2").arg(memories.size()).arg(QDir::toNativeSeparators(path));
}

void mnuexportpdf_Click(const ReportContext &context, QMainWindow &main)
{
    QList<ExportMemory> memories;
    if (chooseMemories(context, QStringLiteral("Export PDF"), &memories))
        done(main, exportPdfOf(memories, context.print, &main));
}

void mnuexportcsv_Click(const ReportContext &context, QMainWindow &main)
{
    QList<ExportMemory> memories;
    if (chooseMemories(context, QStringLiteral("Export CSV"), &memories))
        done(main, exportCsvOf(memories, &main));
}

void mnuexportreport_Click(const ReportContext &context, QMainWindow &main, Archive &archive)
{
    QList<ExportMemory> memories;
    if (!chooseMemories(context, QStringLiteral("Export Inspection Report"), &memories))
        return;
    // An evaluation was given to the memory in its slot: a record on screen
    // that is not that memory (one shown from the archive, say) has none.
    const MemoryStore &store = context.store;
    Job job = store.job();
    for (const ExportMemory &m : memories)
        if (m.number < 1 || !store.isCaptured(m.number - 1) || store.record(m.number - 1) != m.record)
            job.setEvaluation(m.number, Evaluation::None);
    done(main, exportReportOf(memories, job, archive, &main));
}

void mnuexportpic_Click(const ReportContext &context, QMainWindow &main)
{
    const ExportMemory shown = memoryOnScreen(context.store);
    const QStringList filters = {QStringLiteral("PNG picture 1x (*.png)"), QStringLiteral("PNG picture 2x (*.png)"),
                                 QStringLiteral("PNG picture 3x (*.png)"), QStringLiteral("PNG picture 4x (*.png)"),
                                 QStringLiteral("SVG drawing (*.svg)")};
    QString filter = filters.front();
    QString path = QFileDialog::getSaveFileName(
        &main, QStringLiteral("Export Picture"),
        QDir(exportDirectory())
            .filePath(shown.number > 0 ? QStringLiteral("Mem %1 A-scan.png").arg(shown.number) : QStringLiteral("A-scan.png")),
        filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    const bool svgChosen = filter == filters.back();
    path = withSuffix(path, svgChosen ? "svg" : "png");
    rememberDirectory(path);
    // The name's ending decides the format; a PNG filter gives the scale.
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    const int scale = svgChosen ? 1 : int(filters.indexOf(filter)) + 1;
    QString error;
    if (svg ? exportSvg(path, shown.record, &error) : exportPng(path, shown.record, scale, &error))
        done(main, QStringLiteral("A-scan picture exported to %1").arg(QDir::toNativeSeparators(path)));
    else
        MsgBox(&main, QStringLiteral("The picture can't be written: %1").arg(error));
}
