#include "app/exportmenu.h"

#include "display/msgbox.h"
#include "report/export.h"
#include "report/frmexportop.h"
#include "report/optionframe.h"
#include "report/reportcontext.h"
#include "store/memorystore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
