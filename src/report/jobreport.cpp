#include "report/jobreport.h"

#include "archive/archive.h"
#include "display/ascanplot.h"
#include "display/canvas.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace vextrum {

namespace {

// Page units are canvas pixels, 1/96 inch, on A4 upright.
constexpr int kPdfResolution = 1200;
constexpr double kPixelsPerInch = 96;
constexpr double kMm = kPixelsPerInch / 25.4;
constexpr double kPageWidth = 210 * kMm, kPageHeight = 297 * kMm;
constexpr double kLeft = 15 * kMm, kRight = kPageWidth - 15 * kMm, kWidth = kRight - kLeft;
constexpr double kTop = 9 * kMm;
// The letterhead's band, drawn smaller than above the printed report so
// the pages keep room for the job: its top-left corner (in the printed
// page's twips) and the scale.
constexpr double kBandLeft = 870.0 / kTwipsPerPixel, kBandTop = 600.0 / kTwipsPerPixel;
constexpr double kLetterheadScale = 0.7;
constexpr double kFooterTop = kPageHeight - 9 * kMm - 80;
constexpr double kAscanHeight = 540; // about half the page
constexpr double kAscanScale = 0.75; // the viewer's drawing, a pixel to 0.75 page pixels

const QColor kRuleColour(110, 110, 110);
const QColor kCaptionColour(80, 80, 80);
const QColor kHeaderFill(228, 228, 228);

// The settings an evaluation depends on, under the captions the report
// gives them; the display settings (brightness, colour, horn, beep, HUD,
// video) are left out. The DAC row takes the caption the instrument sent.
struct ShownSetting
{
    Field field;
    const char *caption;
};
constexpr ShownSetting kShownSettings[] = {
    {Field::Range, "RANGE"},
    {Field::Velocity, "VEL"},
    {Field::Delay, "DELAY"},
    {Field::Zero, "ZERO"},
    {Field::Gain, "GAIN"},
    {Field::RefGain, "REF"},
    {Field::Gate1, "GATE 1"},
    {Field::Gate1Start, "GATE 1 START"},
    {Field::Gate1End, "GATE 1 END"},
    {Field::Gate1Level, "GATE 1 LEVEL"},
    {Field::Gate2, "GATE 2"},
    {Field::Gate2Start, "GATE 2 START"},
    {Field::Gate2End, "GATE 2 END"},
    {Field::Gate2Level, "GATE 2 LEVEL"},
    {Field::Reject, "REJECT"},
    {Field::Power, "POWER"},
    {Field::Damping, "DAMPING"},
    {Field::Mode, "MODE"},
    {Field::Dac, nullptr},
    {Field::Dgs, "DGS"},
    {Field::DgsRef, "DGS-REF"},
    {Field::RefType, "REFTYPE"},
    {Field::RefSize, "REFSIZE"},
    {Field::DEffective, "D EFFT"},
    {Field::DgsCurve, "DGS-CRV"},
    {Field::TlCorrection, "TL-CORR"},
    {Field::AttRef, "ATT-REF"},
    {Field::AttObject, "ATT-OBJ"},
    {Field::AmplitudeCorrection, "AMPLCOR"},
    {Field::ProbeName, "PRBNAME"},
    {Field::ProbeFrequency, "PRBFREQ"},
    {Field::DelayVelocity, "DEL-VEL"},
    {Field::Angle, "ANGLE"},
    {Field::XOffset, "X-OFF"},
    {Field::Thickness, "THICK"},
    {Field::Unit, "UNIT"},
};

// The indication table's columns: title and width (the notes take the rest).
enum class Column { Memory, Time, Gate, Amplitude, ToDac, Path, Depth, Surface, Notes, Evaluation, Count };
struct ColumnInfo
{
    const char *title;
    double width;
};
constexpr ColumnInfo kColumns[int(Column::Count)] = {
    {"Mem", 28}, {"Time", 84}, {"Gate", 28}, {"Ampl. %", 40}, {"to DAC dB", 44}, {"Path mm", 44},
    {"Depth mm", 44}, {"Surface mm", 50}, {"Notes", 0}, {"Evaluation", 56},
};

QString fixed(double v, int decimals)
{
    if (std::abs(v) < 0.5 * std::pow(10.0, -decimals))
        v = 0;
    return QString::number(v, 'f', decimals);
}

QString measured(const Measure &m, int decimals, bool signedValue = false)
{
    if (!m.known)
        return QStringLiteral("-");
    return (signedValue && m.value >= 0 ? QStringLiteral("+") : QString()) + fixed(m.value, decimals);
}

QString shown(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() ? QStringLiteral("-") : t;
}

QString timeText(const Record &record)
{
    const QDateTime t = instrumentTime(record);
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("-");
}

// The peak a row reports: gate 1's, or gate 2's when gate 1 is not drawn.
const GatePeak *reportedPeak(const AscanPlot &plot)
{
    const GatePeak *chosen = nullptr;
    for (const GatePeak &p : plot.gatePeaks())
        if (p.found && (!chosen || p.gate < chosen->gate))
            chosen = &p;
    return chosen;
}

QString cell(Indication &row, Column c)
{
    switch (c) {
    case Column::Memory: return row.memory;
    case Column::Time: return row.time;
    case Column::Gate: return row.gate;
    case Column::Amplitude: return row.amplitude;
    case Column::ToDac: return row.toDac;
    case Column::Path: return row.path;
    case Column::Depth: return row.depth;
    case Column::Surface: return row.surface;
    case Column::Notes: return row.notes;
    case Column::Evaluation: return row.evaluation;
    case Column::Count: break;
    }
    return QString();
}

double columnWidth(Column c)
{
    if (c != Column::Notes)
        return kColumns[int(c)].width;
    double fixedWidth = 0;
    for (const ColumnInfo &info : kColumns)
        fixedWidth += info.width;
    return kWidth - fixedWidth;
}

// Everything drawn on the pages goes through here: the fonts sized in
// points on whatever device, text in boxes, rules.
class PageWriter
{
public:
    explicit PageWriter(QPainter &p) : p_(p) {}

    QFont font(double points, bool bold = false) const { return pageFont(p_, points, bold); }
    QFontMetricsF metrics(const QFont &f) const { return QFontMetricsF(f, p_.device()); }

    // Text from (x, top), one line; right-aligned to x when `right`.
    double line(double x, double top, const QString &text, const QFont &f, const QColor &colour = Qt::black,
                bool right = false)
    {
        const QFontMetricsF fm = metrics(f);
        p_.setFont(f);
        p_.setPen(colour);
        const double left = right ? x - fm.horizontalAdvance(text) : x;
        p_.drawText(QPointF(left, top + fm.ascent()), text);
        return fm.height();
    }
    // The height `text` takes wrapped at `width`, between words.
    double wrappedHeight(const QString &text, const QFont &f, double width) const
    {
        return metrics(f).boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
    }
    // Wrapped between words inside `box`; a word wider than the box is cut
    // at its edge rather than run into the next cell.
    void wrapped(const QRectF &box, const QString &text, const QFont &f, const QColor &colour = Qt::black)
    {
        p_.save();
        p_.setClipRect(box.adjusted(0, 0, 1, 1));
        p_.setFont(f);
        p_.setPen(colour);
        p_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        p_.restore();
    }
    void rule(double x1, double y, double x2, double width = 0.75, const QColor &colour = kRuleColour)
    {
        p_.setPen(QPen(colour, width));
        p_.drawLine(QPointF(x1, y), QPointF(x2, y));
    }
    void box(const QRectF &r, const QColor &fill)
    {
        p_.fillRect(r, fill);
    }
    void frame(const QRectF &r)
    {
        p_.setPen(QPen(kRuleColour, 0.75));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(r);
    }
    QPainter &painter() { return p_; }

private:
    QPainter &p_;
};

// What every page shares: the letterhead, the report's number and date,
// the people who sign.
struct Frame
{
    const Job &job;
    const LetterheadArt &art;
    bool letterhead, logo;
    QDate date;
    int pages;
};

// Below the letterhead's logo, or below the title lines.
double headerBottom(const Frame &f)
{
    return kTop + (f.logo ? 118 : 76);
}

void drawFrame(PageWriter &w, const Frame &f, int page)
{
    QPainter &p = w.painter();
    if (f.letterhead) {
        p.save();
        p.translate(kLeft - kBandLeft * kLetterheadScale, kTop - kBandTop * kLetterheadScale);
        p.scale(kLetterheadScale, kLetterheadScale);
        // The title block on the right stays clear of a long company name.
        p.setClipRect(QRectF(kBandLeft, 0, kWidth * 0.58 / kLetterheadScale, kPageHeight));
        f.art.draw(p);
        p.restore();
    }
    const QString number = shown(f.job.text(JobDetail::ReportNumber));
    double y = kTop;
    y += w.line(kRight, y, QStringLiteral("INSPECTION REPORT"), w.font(15, true), Qt::black, true);
    y += w.line(kRight, y, QStringLiteral("Ultrasonic testing"), w.font(9), kCaptionColour, true);
    // However long the number, the letterhead's side of the band stays clear.
    const QFont numberFont = w.font(10, true);
    y += w.line(kRight, y,
                w.metrics(numberFont).elidedText(QStringLiteral("Report No. %1").arg(number), Qt::ElideRight, kWidth * 0.5),
                numberFont, Qt::black, true);
    w.line(kRight, y, QStringLiteral("Page %1 of %2").arg(page).arg(f.pages), w.font(9), Qt::black, true);
    w.rule(kLeft, headerBottom(f) - 6, kRight, 1.2, Qt::black);

    // The footer: who signs, with room for signature and date.
    w.rule(kLeft, kFooterTop, kRight, 1.2, Qt::black);
    const QFont text = w.font(8), bold = w.font(8, true);
    const double half = kWidth / 2;
    const struct
    {
        const char *role;
        QString who;
    } signers[] = {
        {"Inspector",
         f.job.text(JobDetail::Qualification).trimmed().isEmpty()
             ? shown(f.job.text(JobDetail::Inspector))
             : QStringLiteral("%1, %2").arg(shown(f.job.text(JobDetail::Inspector)),
                                            f.job.text(JobDetail::Qualification).trimmed())},
        {"Reviewer", shown(f.job.text(JobDetail::Reviewer))},
    };
    for (int s = 0; s < 2; ++s) {
        const double x = kLeft + s * (half + 6);
        const double width = half - 12;
        double y2 = kFooterTop + 6;
        const double lw = w.line(x, y2, QStringLiteral("%1: ").arg(QLatin1String(signers[s].role)), bold);
        w.painter().save();
        w.painter().setClipRect(QRectF(x, y2, width, lw));
        w.line(x + w.metrics(bold).horizontalAdvance(QStringLiteral("%1: ").arg(QLatin1String(signers[s].role))), y2,
               signers[s].who, text);
        w.painter().restore();
        y2 += 30;
        const double sigWidth = w.metrics(text).horizontalAdvance(QStringLiteral("Signature "));
        const double dateWidth = w.metrics(text).horizontalAdvance(QStringLiteral("Date "));
        const double dateAt = x + width - 90;
        w.line(x, y2, QStringLiteral("Signature"), text, kCaptionColour);
        w.rule(x + sigWidth, y2 + w.metrics(text).ascent() + 1, dateAt - 8, 0.6, Qt::black);
        w.line(dateAt, y2, QStringLiteral("Date"), text, kCaptionColour);
        w.rule(dateAt + dateWidth, y2 + w.metrics(text).ascent() + 1, x + width, 0.6, Qt::black);
    }
    const double last = kFooterTop + 58;
    const QString issued = QStringLiteral(", issued %1").arg(f.date.toString(Qt::ISODate));
    const QFontMetricsF small = w.metrics(w.font(7));
    w.line(kLeft, last,
           small.elidedText(QStringLiteral("Report %1").arg(number), Qt::ElideRight,
                            kWidth - 120 - small.horizontalAdvance(issued))
               + issued,
           w.font(7), kCaptionColour);
    w.line(kRight, last, QStringLiteral("Page %1 of %2").arg(page).arg(f.pages), w.font(7), kCaptionColour, true);
}

// The job details in two columns: the object and the method on the left,
// the equipment and the people on the right. Returns the height used;
// draws only when `draw`.
double jobDetails(PageWriter &w, const Job &job, double top, bool draw)
{
    const QFont group = w.font(9, true), caption = w.font(7.5), value = w.font(8.5);
    const double column = (kWidth - 20) / 2, captionWidth = 118;
    const JobGroup left[] = {JobGroup::Object, JobGroup::Method};
    const JobGroup right[] = {JobGroup::Equipment, JobGroup::People};
    double bottom = top;
    for (int side = 0; side < 2; ++side) {
        const double x = kLeft + side * (column + 20);
        double y = top;
        for (JobGroup g : side == 0 ? left : right) {
            if (draw)
                w.line(x, y, QString::fromLatin1(jobGroupCaption(g)), group);
            y += w.metrics(group).height() + 2;
            for (const JobDetailInfo &d : jobDetailTable()) {
                if (d.group != g)
                    continue;
                const QString text = shown(job.text(d.detail));
                // Three lines at most, so no detail, however long, pushes
                // the others into the footer.
                const double line = w.metrics(value).height();
                const double h = std::clamp(w.wrappedHeight(text, value, column - captionWidth), line, 3 * line);
                if (draw) {
                    w.line(x, y + 1, QString::fromLatin1(d.caption), caption, kCaptionColour);
                    w.wrapped(QRectF(x + captionWidth, y, column - captionWidth, h), text, value);
                }
                y += h + 2;
            }
            y += 8;
        }
        bottom = std::max(bottom, y);
    }
    return bottom - top;
}

struct TableRow
{
    Indication cells;
    double height;
};

double tableHeaderHeight(PageWriter &w)
{
    return w.metrics(w.font(7.5, true)).height() * 2 + 6;
}

double drawTableHeader(PageWriter &w, double y)
{
    const QFont f = w.font(7.5, true);
    const double h = tableHeaderHeight(w);
    w.box(QRectF(kLeft, y, kWidth, h), kHeaderFill);
    double x = kLeft;
    for (int c = 0; c < int(Column::Count); ++c) {
        const double cw = columnWidth(Column(c));
        w.wrapped(QRectF(x + 3, y + 3, cw - 6, h - 6), QString::fromLatin1(kColumns[c].title), f);
        x += cw;
    }
    w.rule(kLeft, y + h, kRight, 0.75, Qt::black);
    return h;
}

void drawTableRow(PageWriter &w, TableRow &row, double y)
{
    const QFont f = w.font(8);
    double x = kLeft;
    for (int c = 0; c < int(Column::Count); ++c) {
        const double cw = columnWidth(Column(c));
        w.wrapped(QRectF(x + 3, y + 2, cw - 6, row.height - 2), cell(row.cells, Column(c)),
                  Column(c) == Column::Evaluation ? w.font(8, true) : f);
        x += cw;
    }
    w.rule(kLeft, y + row.height, kRight, 0.4);
}

QString tally(const QList<ExportMemory> &memories, const Job &job)
{
    int counts[kEvaluationCount] = {};
    for (const ExportMemory &m : memories)
        ++counts[int(job.evaluation(m.number))];
    return QStringLiteral("%1 memor%2: %3 accept, %4 record, %5 reject, %6 not evaluated.")
        .arg(memories.size())
        .arg(memories.size() == 1 ? QStringLiteral("y") : QStringLiteral("ies"))
        .arg(counts[int(Evaluation::Accept)])
        .arg(counts[int(Evaluation::Record)])
        .arg(counts[int(Evaluation::Reject)])
        .arg(counts[int(Evaluation::None)]);
}

// The page of one memory, below the header.
void drawMemoryPage(PageWriter &w, const ExportMemory &m, const Job &job, double top)
{
    AscanPlot plot;
    plot.setRecord(m.record, memoryName(m.record, QStringLiteral("A-scan")));
    const SetupView view = decodeSetup(m.record);
    double y = top;
    const QString title = m.number > 0 ? QStringLiteral("Memory %1").arg(m.number) : QStringLiteral("A-scan");
    const QFont titleFont = w.font(12, true);
    w.line(kLeft, y, title, titleFont);
    w.line(kLeft + w.metrics(titleFont).horizontalAdvance(title) + 14, y + 3,
           QStringLiteral("Taken %1").arg(timeText(m.record)), w.font(9), kCaptionColour);
    w.line(kRight, y, QStringLiteral("Evaluation: %1").arg(evaluationText(job.evaluation(m.number))), titleFont,
           Qt::black, true);
    y += w.metrics(titleFont).height() + 6;

    // The A-scan as the viewer draws it, in vectors.
    QPainter &p = w.painter();
    p.save();
    p.translate(kLeft, y);
    p.scale(kAscanScale, kAscanScale);
    plot.setSize(QSize(int(kWidth / kAscanScale), int(kAscanHeight / kAscanScale)));
    plot.paint(p);
    p.restore();
    w.frame(QRectF(kLeft, y, kWidth, kAscanHeight));
    y += kAscanHeight + 12;

    const QFont section = w.font(9.5, true), caption = w.font(7.5), value = w.font(8), bold = w.font(8, true);
    const double rowH = w.metrics(value).height() + 1.5;

    // Left: the settings, in two columns.
    const double leftWidth = kWidth * 0.46;
    w.line(kLeft, y, QStringLiteral("Settings"), section);
    const double settingsTop = y + w.metrics(section).height() + 3;
    const int perColumn = int((std::size(kShownSettings) + 1) / 2);
    for (int i = 0; i < int(std::size(kShownSettings)); ++i) {
        const ShownSetting &s = kShownSettings[i];
        const double x = kLeft + (i / perColumn) * (leftWidth / 2);
        const double ry = settingsTop + (i % perColumn) * rowH;
        const QString cap = s.caption ? QString::fromLatin1(s.caption) : shown(view.text(Field::DacCaption));
        w.line(x, ry + 0.5, cap, caption, kCaptionColour);
        w.line(x + 80, ry, shown(view.text(s.field)), value);
    }

    // Right: the echoes, the instrument's readings, the notes.
    const double x = kLeft + leftWidth + 16;
    double ry = y;
    w.line(x, ry, QStringLiteral("Echoes in the gates"), section);
    ry += w.metrics(section).height() + 3;
    const int d = plot.readoutDecimals();
    const ColumnInfo heads[] = {{"Gate", 28}, {"Ampl. %", 44}, {"Path mm", 52}, {"Depth mm", 54},
                                {"Surface mm", 60}, {"Leg", 28}, {"to DAC dB", 0}};
    double at[std::size(heads)];
    for (std::size_t c = 0; c < std::size(heads); ++c) {
        at[c] = c == 0 ? x : at[c - 1] + heads[c - 1].width;
        w.line(at[c], ry, QString::fromLatin1(heads[c].title), caption, kCaptionColour);
    }
    ry += rowH;
    w.rule(x, ry, kRight, 0.4);
    ry += 2;
    if (plot.gatePeaks().isEmpty()) {
        w.line(x, ry, QStringLiteral("No gate is on in this memory."), value);
        ry += rowH;
    }
    for (const GatePeak &g : plot.gatePeaks()) {
        const bool path = plot.hasScale() && g.found;
        const QString cells[] = {
            QString::number(g.gate),
            g.found ? QString::number(g.amplitude) : QStringLiteral("-"),
            path ? fixed(g.path, d) : QStringLiteral("-"),
            g.found ? measured(g.place.depth, d) : QStringLiteral("-"),
            g.found ? measured(g.place.surface, d) : QStringLiteral("-"),
            g.found && g.place.leg.known ? QString::number(int(g.place.leg.value)) : QStringLiteral("-"),
            g.found ? measured(g.toDac, 1, true) : QStringLiteral("-"),
        };
        for (std::size_t c = 0; c < std::size(cells); ++c)
            w.line(at[c], ry, cells[c], value);
        ry += rowH;
    }
    ry += 10;
    w.line(x, ry, QStringLiteral("Instrument readings"), section);
    ry += w.metrics(section).height() + 3;
    QStringList readings;
    for (Field f : fieldsOf(FieldKind::Reading))
        if (!view.text(f).trimmed().isEmpty())
            readings << view.text(f).trimmed();
    w.line(x, ry, readings.isEmpty() ? QStringLiteral("-") : readings.join(QStringLiteral("   ")), value);
    ry += rowH + 10;
    w.line(x, ry, QStringLiteral("Notes"), section);
    ry += w.metrics(section).height() + 3;
    for (Field f : fieldsOf(FieldKind::Note)) {
        w.line(x, ry + 0.5, QString::fromLatin1(fieldInfo(f).reportCaption), caption, kCaptionColour);
        w.line(x + 84, ry, shown(view.text(f)), bold);
        ry += rowH;
    }
}

} // namespace

Indication indicationOf(const ExportMemory &memory, const Job &job)
{
    AscanPlot plot;
    plot.setRecord(memory.record, QString());
    const SetupView view = decodeSetup(memory.record);
    Indication row;
    const QString none = QStringLiteral("-");
    row.memory = memory.number > 0 ? QString::number(memory.number) : none;
    row.time = timeText(memory.record);
    row.gate = row.amplitude = row.toDac = row.path = row.depth = row.surface = none;
    if (const GatePeak *p = reportedPeak(plot)) {
        const int d = plot.readoutDecimals();
        row.gate = QString::number(p->gate);
        row.amplitude = QString::number(p->amplitude);
        row.toDac = measured(p->toDac, 1, true);
        if (plot.hasScale())
            row.path = fixed(p->path, d);
        row.depth = measured(p->place.depth, d);
        row.surface = measured(p->place.surface, d);
    }
    QStringList notes;
    for (Field f : fieldsOf(FieldKind::Note))
        if (!view.text(f).trimmed().isEmpty())
            notes << view.text(f).trimmed();
    row.notes = notes.isEmpty() ? none : notes.join(QStringLiteral(" / "));
    row.evaluation = evaluationText(job.evaluation(memory.number));
    return row;
}

InspectionReport inspectionReport(const QList<ExportMemory> &memories, const Job &job, const Letterhead &letterhead,
                                  const QDate &date)
{
    InspectionReport out;
    if (memories.isEmpty())
        return out;
    QBuffer buffer(&out.pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b); // for archiving
    pdf.setResolution(kPdfResolution);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    pdf.setCreator(QStringLiteral("Vextrum DGS"));
    pdf.setTitle(QStringLiteral("Inspection Report %1").arg(job.text(JobDetail::ReportNumber).trimmed()).trimmed());
    QPainter p;
    if (!p.begin(&pdf)) {
        out.pdf.clear();
        return out;
    }
    p.scale(pdf.resolution() / kPixelsPerInch, pdf.resolution() / kPixelsPerInch);
    PageWriter w(p);
    const LetterheadArt art(letterhead); // decoded once for every page
    Frame frame{job, art, !letterhead.isEmpty(), !letterhead.logo.isEmpty(), date, 0};
    const double bodyTop = headerBottom(frame) + 8;

    // Lay the summary out first, so every page knows the page count.
    const double detailsHeight = jobDetails(w, job, bodyTop, false);
    const QFont section = w.font(11, true), rowFont = w.font(8);
    const double sectionHeight = w.metrics(section).height() + 4;
    const double tableTop = bodyTop + sectionHeight + detailsHeight + 6;
    const double bottom = kFooterTop - 10;
    QList<TableRow> rows;
    for (const ExportMemory &m : memories) {
        TableRow r{indicationOf(m, job), w.metrics(rowFont).height()};
        for (int c = 0; c < int(Column::Count); ++c)
            r.height = std::max(r.height, w.wrappedHeight(cell(r.cells, Column(c)), rowFont, columnWidth(Column(c)) - 6));
        r.height += 5;
        rows.append(r);
    }
    // The rows each summary page holds.
    QList<int> rowsOn{0};
    double y = tableTop + sectionHeight + tableHeaderHeight(w);
    for (const TableRow &r : rows) {
        // A row that does not fit goes over; so does the first, should the
        // job's details have left page 1 no room for it.
        if (y + r.height > bottom && (rowsOn.back() > 0 || rowsOn.size() == 1)) {
            rowsOn.append(0);
            y = bodyTop + sectionHeight + tableHeaderHeight(w);
        }
        y += r.height;
        ++rowsOn.back();
    }
    const double tallyHeight = w.metrics(rowFont).height() + 10;
    const bool tallyOnItsOwn = y + tallyHeight > bottom;
    const int summaryPages = int(rowsOn.size()) + (tallyOnItsOwn ? 1 : 0);
    frame.pages = summaryPages + int(memories.size());

    int next = 0;
    for (int page = 1; page <= summaryPages; ++page) {
        if (page > 1)
            pdf.newPage();
        drawFrame(w, frame, page);
        y = bodyTop;
        if (page == 1) {
            w.line(kLeft, y, QStringLiteral("Job details"), section);
            y += sectionHeight;
            jobDetails(w, job, y, true);
            y = tableTop;
        }
        if (page <= rowsOn.size() && rowsOn[page - 1] > 0) {
            w.line(kLeft, y, next == 0 ? QStringLiteral("Indications") : QStringLiteral("Indications (continued)"),
                   section);
            y += sectionHeight;
            y += drawTableHeader(w, y);
            for (int k = 0; k < rowsOn[page - 1]; ++k, ++next) {
                drawTableRow(w, rows[next], y);
                y += rows[next].height;
            }
        }
        if (page == summaryPages)
            w.line(kLeft, y + 6, tally(memories, job), w.font(8.5, true));
    }
    for (int i = 0; i < memories.size(); ++i) {
        pdf.newPage();
        drawFrame(w, frame, summaryPages + i + 1);
        drawMemoryPage(w, memories[i], job, bodyTop);
    }
    if (!p.end()) {
        out.pdf.clear();
        return out;
    }
    buffer.close();
    out.pages = frame.pages;
    out.sha256 = QString::fromLatin1(QCryptographicHash::hash(out.pdf, QCryptographicHash::Sha256).toHex());
    return out;
}

bool writeReportFile(const QString &path, const InspectionReport &report, QString *error)
{
    auto failed = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), why);
        return false;
    };
    if (report.pdf.isEmpty())
        return failed(QStringLiteral("the report could not be made"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (file.write(report.pdf) != report.pdf.size()) {
        file.cancelWriting();
        return failed(file.errorString());
    }
    return file.commit() || failed(file.errorString());
}

bool writeInspectionReport(const QString &path, const QList<ExportMemory> &memories, const Job &job,
                           Archive &archive, int *pages, QString *error, QString *unrecorded)
{
    const InspectionReport report = inspectionReport(memories, job, loadLetterhead(), QDate::currentDate());
    if (!writeReportFile(path, report, error))
        return false;
    if (pages)
        *pages = report.pages;
    ReportEntry entry;
    entry.number = job.text(JobDetail::ReportNumber).trimmed();
    entry.at = QDateTime::currentDateTimeUtc();
    QList<int> numbers;
    QList<std::pair<int, Record>> reported;
    for (const ExportMemory &m : memories) {
        if (m.number > 0)
            numbers << m.number;
        reported.append({m.number, m.record});
    }
    entry.memories = memoryNumbersText(numbers);
    entry.pages = report.pages;
    entry.sha256 = report.sha256;
    entry.path = QFileInfo(path).absoluteFilePath();
    if (!archive.keepReport(entry, job, reported) && unrecorded)
        *unrecorded = archive.why().isEmpty() ? QStringLiteral("the archive is not open") : archive.why();
    return true;
}

QString reportNumberUsed(const Job &job, const Archive &archive)
{
    const QString number = job.text(JobDetail::ReportNumber).trimmed();
    const QList<ReportEntry> earlier = number.isEmpty() ? QList<ReportEntry>() : archive.reports(number);
    if (earlier.isEmpty())
        return QString();
    return QStringLiteral("Report number %1 was already exported on %2 by %3 (%4 time(s) in all).")
        .arg(number, QLocale().toString(earlier.front().at.toLocalTime(), QLocale::ShortFormat),
             earlier.front().user.isEmpty() ? QStringLiteral("an unnamed user") : earlier.front().user)
        .arg(earlier.size());
}

} // namespace vextrum
