#include "report/export.h"

#include "display/ascan.h"
#include "display/memorypicture.h"
#include "report/reportpage.h"
#include "store/memorystore.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace vextrum {

namespace {

constexpr int kPdfResolution = 1200; // dots per inch of the page's coordinates
constexpr double kPixelsPerInch = 1440.0 / kTwipsPerPixel; // 96

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Opens a file written beside `path` that replaces it on commit.
bool openBeside(QSaveFile &file, QString *error)
{
    if (file.open(QIODevice::WriteOnly))
        return true;
    setError(error, QStringLiteral("%1 cannot be written: %2").arg(file.fileName(), file.errorString()));
    return false;
}

bool commit(QSaveFile &file, QString *error)
{
    if (file.commit())
        return true;
    setError(error, QStringLiteral("%1 cannot be written: %2").arg(file.fileName(), file.errorString()));
    return false;
}

QString withoutTrailingBlanks(QString s)
{
    s.remove(QChar(kNulStandIn));
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    s.truncate(n);
    return s;
}

// A text cell. One that a spreadsheet would take for a formula (it starts,
// after any blanks a reader may trim, with =, +, -, @, a tab or a carriage
// return: "=HYPERLINK(...)" in a note, "-2+3" from the instrument) gets a
// leading apostrophe, so it is shown as the text it is and never run.
QByteArray textCell(const QString &text)
{
    QByteArray f = text.toUtf8();
    qsizetype first = 0;
    while (first < f.size() && f.at(first) == ' ')
        ++first;
    if (first < f.size() && QByteArray("=+-@\t\r").contains(f.at(first)))
        f.prepend('\'');
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')
        || f.startsWith(' ')) { // a leading blank would be trimmed by some readers
        f.replace("\"", "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

// A number cell: written as the number, so it stays one.
QByteArray numberCell(int value)
{
    return QByteArray::number(value);
}

void appendRow(QByteArray &out, const QByteArrayList &cells)
{
    out += cells.join(',');
    out += "\r\n";
}

} // namespace

QList<ExportMemory> storedMemories(const Store &store, const QList<int> &memorySlots)
{
    QList<ExportMemory> list;
    for (int s : memorySlots)
        if (s >= 0 && s < kMemoryCount)
            list.append({s + 1, store[size_t(s)]});
    return list;
}

ExportMemory memoryOnScreen(const Record &current)
{
    const double n = ownNumber(current);
    const bool memory = n >= 1 && n <= kMemoryCount && n == std::floor(n);
    return {memory ? int(n) : 0, current};
}

ExportMemory memoryOnScreen(const MemoryStore &store)
{
    const bool stored = store.showingStored() && store.shownSlot() >= 0 && store.shownSlot() < kMemoryCount;
    return memoryOnScreen(stored ? store.record(store.shownSlot()) : store.current());
}

QString memoryNumbersText(QList<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QStringList parts;
    for (int i = 0; i < numbers.size();) {
        int j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (j - i >= 2)
            parts << QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[j]);
        else
            for (int k = i; k <= j; ++k)
                parts << QString::number(numbers[k]);
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

bool parseMemoryNumbers(const QString &text, QList<int> *numbers, QString *error)
{
    QList<int> out;
    auto bad = [error, &text](const QString &why) {
        setError(error, QStringLiteral("bad memory range \"%1\": %2").arg(text, why));
        return false;
    };
    auto number = [](const QString &s, int *n) {
        bool ok = false;
        *n = s.trimmed().toInt(&ok);
        return ok && !s.trimmed().startsWith(QLatin1Char('+')) && !s.trimmed().startsWith(QLatin1Char('-'));
    };
    for (const QString &item : text.split(QLatin1Char(','))) {
        if (item.trimmed().isEmpty())
            return bad(QStringLiteral("an empty item"));
        const QStringList ends = item.split(QLatin1Char('-'));
        int from = 0, to = 0;
        if (ends.size() > 2 || !number(ends.front(), &from) || !number(ends.back(), &to))
            return bad(QStringLiteral("\"%1\" is not a number or a range a-b").arg(item.trimmed()));
        if (from < 1 || to > kMemoryCount || from > kMemoryCount || to < 1)
            return bad(QStringLiteral("memories are numbered 1 to %1").arg(kMemoryCount));
        if (from > to)
            return bad(QStringLiteral("%1 runs backwards").arg(item.trimmed()));
        for (int n = from; n <= to; ++n)
            out.append(n);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    if (numbers)
        *numbers = out;
    return true;
}

QPageLayout defaultReportLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

bool exportPdf(const QString &path, const QList<ExportMemory> &memories, const Letterhead &letterhead,
               const QPageLayout &layout, QString *error)
{
    if (memories.isEmpty()) {
        setError(error, QStringLiteral("No memory to export."));
        return false;
    }
    QSaveFile file(path);
    if (!openBeside(file, error))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kPdfResolution);
        pdf.setPageLayout(layout);
        pdf.setCreator(QStringLiteral("Vextrum DGS"));
        pdf.setTitle(QStringLiteral("Ultrasonic Test Report"));
        QPainter page;
        if (!page.begin(&pdf)) {
            setError(error, QStringLiteral("%1 cannot be written: the PDF could not be started").arg(path));
            file.cancelWriting();
            return false;
        }
        // Page units of one canvas pixel (15 twips) from the printable corner.
        const double k = pdf.resolution() / kPixelsPerInch;
        const LetterheadArt art(letterhead); // decoded once, one image for all pages
        for (int i = 0; i < memories.size(); ++i) {
            if (i > 0)
                pdf.newPage();
            page.resetTransform();
            page.scale(k, k);
            art.draw(page);
            drawReportPage(page, reportInputs(memories[i].record));
        }
        page.end();
    }
    return commit(file, error);
}

QByteArray csvText(const QList<ExportMemory> &memories)
{
    // Every field of the table but the time (which comes second), in
    // table order; a field whose caption the instrument sends has its
    // caption's column first.
    QList<Field> columns;
    QStringList header = {QStringLiteral("Memory"), QStringLiteral("Time and date")};
    for (const FieldInfo &f : fieldTable()) {
        switch (f.kind) {
        case FieldKind::Caption:
            header << QString::fromLatin1(f.start) + QStringLiteral(" caption");
            break;
        case FieldKind::Setup: {
            const FieldInfo *c = captionFieldOf(f);
            header << withoutTrailingBlanks(QString::fromLatin1(c ? c->start : f.caption ? f.caption : ""));
            break;
        }
        case FieldKind::Reading:
            header << QStringLiteral("Measurement %1").arg(f.row + 1);
            break;
        case FieldKind::Note: {
            QString label = QString::fromLatin1(f.caption);
            while (label.endsWith(QLatin1Char('.')) || label.endsWith(QLatin1Char(' ')))
                label.chop(1);
            header << label;
            break;
        }
        case FieldKind::Time:
            continue;
        }
        columns << f.field;
    }
    for (int k = pos::AscanFirst; k <= pos::AscanDrawnLast; ++k)
        header << QStringLiteral("A-scan %1").arg(k);
    for (int k = 0; k <= pos::DacLast - pos::DacFirst; ++k)
        header << QStringLiteral("DAC %1").arg(k);

    QByteArray out("\xEF\xBB\xBF");
    out.reserve(memories.size() * 3000 + 8000);
    QByteArrayList row;
    for (const QString &caption : header)
        row << textCell(caption);
    appendRow(out, row);
    for (const ExportMemory &m : memories) {
        const SetupView view = decodeSetup(m.record);
        row = {m.number > 0 ? numberCell(m.number) : QByteArray(),
               textCell(withoutTrailingBlanks(view.text(Field::TimeDate)))};
        for (Field f : columns)
            row << textCell(withoutTrailingBlanks(view.text(f)));
        for (int k = pos::AscanFirst; k <= pos::AscanDrawnLast; ++k)
            row << numberCell(m.record[size_t(k)]);
        for (int k = pos::DacFirst; k <= pos::DacLast; ++k)
            row << numberCell(m.record[size_t(k)]);
        appendRow(out, row);
    }
    return out;
}

bool exportCsv(const QString &path, const QList<ExportMemory> &memories, QString *error)
{
    QSaveFile file(path);
    if (!openBeside(file, error))
        return false;
    const QByteArray text = csvText(memories);
    if (file.write(text) != text.size()) {
        setError(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    return commit(file, error);
}

QImage ascanPicture(const Record &record, int scale)
{
    scale = std::clamp(scale, 1, 4);
    QImage image(ascan::imageSize() * scale, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.scale(scale, scale);
    const auto canvas = makeAscanCanvas(&p);
    drawMemoryPicture(*canvas, record, decodeSetup(record));
    p.end();
    return image;
}

bool exportPng(const QString &path, const Record &record, int scale, QString *error)
{
    QSaveFile file(path);
    if (!openBeside(file, error))
        return false;
    if (!ascanPicture(record, scale).save(&file, "PNG")) {
        setError(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    return commit(file, error);
}

bool exportSvg(const QString &path, const Record &record, QString *error)
{
    QSaveFile file(path);
    if (!openBeside(file, error))
        return false;
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setResolution(int(kPixelsPerInch));
        svg.setSize(ascan::imageSize());
        svg.setViewBox(QRect(QPoint(0, 0), ascan::imageSize()));
        svg.setTitle(QStringLiteral("A-scan"));
        QPainter p(&svg);
        const auto canvas = makeAscanCanvas(&p);
        drawMemoryPicture(*canvas, record, decodeSetup(record));
    }
    return commit(file, error);
}

} // namespace vextrum
