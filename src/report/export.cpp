#include "report/export.h"

#include "display/ascan.h"
#include "display/memorypicture.h"
#include "report/reportpage.h"
#include "store/memorystore.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QDateTime>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

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
    return {memoryNumber(current), current};
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

namespace {

// What a CSV column holds for its field: the text as shown, a number read
// out of the text, or nothing (a field that holds no data of the memory).
enum class CsvValue { Text, Number, None };

// One column per field, in table order. A number column's name carries its
// unit; `suffix` is what the instrument writes after the number in that
// unit ("100 MM"), and `metric` marks a bare number whose unit holds only
// with UNIT METRIC. A text that does not read so (another unit, no number)
// goes into the cell as the text it is.
struct CsvColumn
{
    Field field;
    const char *name;
    CsvValue value;
    const char *suffix;
    bool metric;
};

using V = CsvValue;
constexpr std::array<CsvColumn, kFieldCount> kCsvColumns{{
    {Field::Zero, "ZERO", V::Number, "", false},
    {Field::Range, "RANGE [mm]", V::Number, "MM", false},
    {Field::Velocity, "VEL [m/s]", V::Number, "M/S", false},
    {Field::Delay, "DELAY [mm]", V::Number, "MM", false},
    {Field::Gain, "GAIN [dB]", V::Number, "", false},
    {Field::Gate1, "GATE 1", V::Text, nullptr, false},
    {Field::Gate1Start, "GATE 1 START [%]", V::Number, "%", false},
    {Field::Gate1End, "GATE 1 END [%]", V::Number, "%", false},
    {Field::Gate1Level, "GATE 1 LEVEL [%]", V::Number, "%", false},
    {Field::Gate2, "GATE 2", V::Text, nullptr, false},
    {Field::Gate2Start, "GATE 2 START [%]", V::Number, "%", false},
    {Field::Gate2End, "GATE 2 END [%]", V::Number, "%", false},
    {Field::Gate2Level, "GATE 2 LEVEL [%]", V::Number, "%", false},
    {Field::MemoryMode, "MEMORY MODE", V::Text, nullptr, false},
    {Field::MemoryNumber, "MEM NO", V::Number, "", false},
    {Field::Action, "ACTION", V::Text, nullptr, false},
    {Field::RefGain, "REF [dB]", V::Number, "", false},
    {Field::Note, nullptr, V::None, nullptr, false},
    {Field::Reject, "REJECT [%]", V::Number, "%", false},
    {Field::Power, "POWER", V::Text, nullptr, false},
    {Field::Damping, "DAMPING", V::Text, nullptr, false},
    {Field::Mode, "MODE", V::Text, nullptr, false},
    {Field::DacCaption, "DAC CAPTION", V::Text, nullptr, false},
    {Field::Dac, "DAC", V::Text, nullptr, false},
    {Field::CursorCaption, "CURSOR CAPTION", V::Text, nullptr, false},
    {Field::Cursor, "CURSOR", V::Text, nullptr, false},
    {Field::PointCaption, "POINT CAPTION", V::Text, nullptr, false},
    {Field::Point, "POINT", V::Text, nullptr, false},
    {Field::PressCaption, "PRESS CAPTION", V::Text, nullptr, false},
    {Field::Press, "PRESS", V::Text, nullptr, false},
    {Field::Measure, "MEASURE", V::Text, nullptr, false},
    {Field::XOffset, "X-OFF [mm]", V::Number, "", true},
    {Field::Angle, "ANGLE [deg]", V::Number, "", false},
    {Field::Thickness, "THICK [mm]", V::Number, "", true},
    {Field::Trigger, "TRIGGER", V::Text, nullptr, false},
    {Field::Hud, "HUD", V::Text, nullptr, false},
    {Field::SetRef, "SET REF", V::Text, nullptr, false},
    {Field::Unit, "UNIT", V::Text, nullptr, false},
    {Field::Clock, "CLOCK", V::Text, nullptr, false},
    {Field::Colour, "COLOR", V::Number, "", false},
    {Field::Video, "VIDEO", V::Text, nullptr, false},
    {Field::Brightness, "BRIGHT [%]", V::Number, "%", false},
    {Field::Config, "CONFIG", V::Text, nullptr, false},
    {Field::Horn, "HORN", V::Text, nullptr, false},
    {Field::Beep, "BEEP", V::Text, nullptr, false},
    {Field::Prf, "PRF", V::Text, nullptr, false},
    {Field::MeasurePoint1, "MEA PO1", V::Text, nullptr, false},
    {Field::MeasurePoint2, "MEA PO2", V::Text, nullptr, false},
    {Field::MeasurePoint3, "MEA PO3", V::Text, nullptr, false},
    {Field::Blank1, "BLANK", V::Text, nullptr, false},
    {Field::Dgs, "DGS", V::Text, nullptr, false},
    {Field::StartGate1, "DGS STRT G1 [%]", V::Number, "%", false},
    {Field::DgsRef, "DGS-REF", V::Text, nullptr, false},
    {Field::TlCorrection, "TL-CORR [dB]", V::Number, "DB", false},
    {Field::ScaleNumber, "SCALE NO", V::Number, "", false},
    {Field::ProbeName, "PRBNAME", V::Text, nullptr, false},
    {Field::ProbeFrequency, "PRBFREQ [MHz]", V::Number, "MHZ", false},
    {Field::DelayVelocity, "DEL-VEL [m/s]", V::Number, "M/S", false},
    {Field::DEffective, "D EFFT [mm]", V::Number, "MM", false},
    {Field::DgsCurve, "DGS-CRV [mm]", V::Number, "MM", false},
    {Field::RefType, "REFTYPE", V::Text, nullptr, false},
    {Field::RefSize, "REFSIZE [mm]", V::Number, "MM", false},
    {Field::Exit, "EXIT", V::Text, nullptr, false},
    {Field::AttRef, "ATT-REF [dB]", V::Number, "DB", false},
    {Field::AttObject, "ATT-OBJ [dB]", V::Number, "DB", false},
    {Field::AmplitudeCorrection, "AMPLCOR [dB]", V::Number, "DB", false},
    {Field::TimeDate, "TIME", V::Text, nullptr, false}, // second, as ISO 8601
    {Field::Reading1, "MEASUREMENT 1", V::Text, nullptr, false},
    {Field::Reading2, "MEASUREMENT 2", V::Text, nullptr, false},
    {Field::Reading3, "MEASUREMENT 3", V::Text, nullptr, false},
    {Field::Reading4, "MEASUREMENT 4", V::Text, nullptr, false},
    {Field::Operator, "OPERATOR", V::Text, nullptr, false},
    {Field::JobDetail, "JOB DETAIL", V::Text, nullptr, false},
    {Field::DefectDetail, "DEFECT DETAIL", V::Text, nullptr, false},
    {Field::Remark, "REMARK", V::Text, nullptr, false},
}};

constexpr bool columnsInFieldOrder()
{
    for (int i = 0; i < kFieldCount; ++i)
        if (int(kCsvColumns[std::size_t(i)].field) != i)
            return false;
    return true;
}
static_assert(columnsInFieldOrder(), "one CSV column per field, in field order");

// The number a text shows in the column's unit, or nothing: "100 MM" in
// a [mm] column gives 100, "3.94 IN" gives nothing, so does "OFF".
std::optional<double> numberIn(const CsvColumn &column, const QString &text, bool metric)
{
    const QString t = text.trimmed();
    const qsizetype numberEnd = [&t] {
        qsizetype k = 0;
        while (k < t.size() && (t[k].isDigit() || t[k] == QLatin1Char('.') || t[k] == QLatin1Char('-')
                                || t[k] == QLatin1Char('+') || t[k] == QLatin1Char(' ')))
            ++k;
        return k;
    }();
    if (numberEnd == 0 || !t.left(numberEnd).contains(QRegularExpression(QStringLiteral("\\d"))))
        return std::nullopt;
    if (t.mid(numberEnd).trimmed().compare(QLatin1String(column.suffix), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (column.metric && !metric)
        return std::nullopt;
    bool ok = false;
    const double v = QString(t.left(numberEnd)).remove(QLatin1Char(' ')).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

QByteArray numberCell(double value)
{
    return QByteArray::number(value, 'g', 12);
}

// The instrument's time as ISO 8601, "2003-01-02T10:17"; nothing with the
// clock off or digits that make no time.
QString isoTime(const Record &record)
{
    const QDateTime t = instrumentTime(record);
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm")) : QString();
}

} // namespace

QByteArray csvText(const QList<ExportMemory> &memories)
{
    // The memory number and the time first, then every field in table order.
    QByteArrayList row = {textCell(QStringLiteral("Memory")), textCell(QStringLiteral("TIME"))};
    for (const CsvColumn &c : kCsvColumns)
        if (c.value != CsvValue::None && c.field != Field::TimeDate)
            row << textCell(QString::fromLatin1(c.name));
    for (int k = pos::AscanFirst; k <= pos::AscanDrawnLast; ++k)
        row << textCell(QStringLiteral("A-scan %1 [%]").arg(k));
    for (int k = 0; k <= pos::DacLast - pos::DacFirst; ++k)
        row << textCell(QStringLiteral("DAC %1 [%]").arg(k));

    QByteArray out("\xEF\xBB\xBF");
    out.reserve(memories.size() * 3000 + 8000);
    appendRow(out, row);
    for (const ExportMemory &m : memories) {
        const SetupView view = decodeSetup(m.record);
        const bool metric = view.text(Field::Unit).trimmed() == QLatin1String("METRIC");
        row = {m.number > 0 ? numberCell(m.number) : QByteArray(),
               textCell(isoTime(m.record))};
        for (const CsvColumn &c : kCsvColumns) {
            if (c.value == CsvValue::None || c.field == Field::TimeDate)
                continue;
            const QString text = withoutTrailingBlanks(view.text(c.field));
            if (c.value == CsvValue::Number && text.trimmed().isEmpty()) {
                row << QByteArray();
            } else if (const auto v = c.value == CsvValue::Number ? numberIn(c, text, metric) : std::nullopt) {
                row << numberCell(*v);
            } else {
                row << textCell(text);
            }
        }
        for (int k = pos::AscanFirst; k <= pos::AscanDrawnLast; ++k)
            row << numberCell(m.record[size_t(k)]);
        // The curve is kept in half-percent of screen height.
        for (int k = pos::DacFirst; k <= pos::DacLast; ++k)
            row << numberCell(m.record[size_t(k)] / 2.0);
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
    const SetupView view = decodeSetup(record);
    drawMemoryPicture(*canvas, record, view, measuringColours());
    drawLegend(*canvas, view, measuringColours());
    p.end();
    return image;
}

namespace {

// The picture with a palette when it has at most 256 colours, else as it is.
QImage withPalette(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> colours;
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    int last = -1; // pictures run in long stretches of one colour
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if (last < 0 || colours[last] != in[x]) {
                last = int(colours.indexOf(in[x]));
                if (last < 0) {
                    if (colours.size() == 256)
                        return picture;
                    last = int(colours.size());
                    colours.append(in[x]);
                }
            }
            out[x] = uchar(last);
        }
    }
    indexed.setColorTable(colours);
    indexed.setDotsPerMeterX(picture.dotsPerMeterX());
    indexed.setDotsPerMeterY(picture.dotsPerMeterY());
    return indexed;
}

// The PNG file of a record's picture, written but not yet in its place.
bool writePng(QSaveFile &file, const Record &record, int scale, QString *error)
{
    if (!openBeside(file, error))
        return false;
    if (!withPalette(ascanPicture(record, scale)).save(&file, "PNG") || !file.flush()) {
        setError(error, QStringLiteral("%1 cannot be written: %2").arg(file.fileName(), file.errorString()));
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

bool exportPng(const QString &path, const Record &record, int scale, QString *error)
{
    QSaveFile file(path);
    return writePng(file, record, scale, error) && commit(file, error);
}

bool exportPngs(const QList<PictureFile> &files, int scale, const std::function<bool()> &flushAll,
                QString *error)
{
    if (!flushAll) {
        for (const PictureFile &f : files)
            if (!exportPng(f.path, f.record, scale, error))
                return false;
        return true;
    }
    // A group at a time, so the files held open stay few. Once flushAll has
    // made a group durable, each file's own sync on commit finds nothing
    // left to write.
    constexpr qsizetype kGroup = 100;
    for (qsizetype first = 0; first < files.size(); first += kGroup) {
        std::vector<std::unique_ptr<QSaveFile>> written;
        bool ok = true;
        for (qsizetype k = first; k < std::min(files.size(), first + kGroup) && ok; ++k) {
            auto file = std::make_unique<QSaveFile>(files[k].path);
            ok = writePng(*file, files[k].record, scale, error);
            if (ok)
                written.push_back(std::move(file));
        }
        if (!flushAll()) {
            setError(error, QStringLiteral("%1 cannot be written: the pictures could not be made durable")
                                .arg(files[first].path));
            return false; // the unfinished files go with their QSaveFiles
        }
        for (const auto &file : written)
            ok = commit(*file, error) && ok;
        if (!ok)
            return false;
    }
    return true;
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
        const SetupView view = decodeSetup(record);
        drawMemoryPicture(*canvas, record, view, measuringColours());
        drawLegend(*canvas, view, measuringColours());
    }
    return commit(file, error);
}

} // namespace vextrum
