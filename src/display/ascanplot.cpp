#include "display/ascanplot.h"

#include "display/ascan.h"
#include "display/paintersurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vextrum {

namespace {

constexpr double kTopY = ascan::kTopY, kBaseY = ascan::kBaselineY;
constexpr double kPictureBottom = 230; // the main picture's last unit

// v written with d decimals, without a "-0".
QString fixed(double v, int d)
{
    if (std::abs(v) < 0.5 * std::pow(10.0, -d))
        v = 0;
    return QString::number(v, 'f', d);
}

QFont labelFont(int pixels)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixels);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

} // namespace

AscanPlot::AscanPlot()
{
    setSize(QSize(640, 400));
}

void AscanPlot::setRecord(const Record &record, const QString &name)
{
    record_ = record;
    name_ = name;
    view_ = decodeSetup(record_);
    range_ = readNumber(view_.text(Field::Range));
    delay_ = readNumber(view_.text(Field::Delay));
    if (!std::isfinite(range_) || !std::isfinite(delay_))
        range_ = delay_ = 0; // nothing sensible to measure with
    findPeaks();
}

void AscanPlot::setCompare(const Record &record, const QString &name)
{
    compare_ = record;
    compareName_ = name;
    const SetupView view = decodeSetup(record);
    compareRange_ = readNumber(view.text(Field::Range));
    compareDelay_ = readNumber(view.text(Field::Delay));
    if (!std::isfinite(compareRange_) || !std::isfinite(compareDelay_))
        compareRange_ = compareDelay_ = 0;
}

void AscanPlot::clearCompare()
{
    compare_.reset();
    compareName_.clear();
}

void AscanPlot::setSize(QSize size)
{
    size_ = size.expandedTo(QSize(120, 80));
    layout();
}

void AscanPlot::layout()
{
    fontPixels_ = std::clamp(size_.height() / 45, 11, 16);
    const double f = fontPixels_;
    const double left = 3 * f, right = 2.5 * f, top = 1.8 * f, bottom = 3.6 * f;
    plot_ = QRectF(left, top, size_.width() - left - right, size_.height() - top - bottom);
}

double AscanPlot::pixelX(double x) const
{
    return plot_.left() + (x - z0_) * plot_.width() / (z1_ - z0_);
}

double AscanPlot::logicalX(double px) const
{
    return z0_ + (px - plot_.left()) * (z1_ - z0_) / plot_.width();
}

double AscanPlot::pixelY(double y) const
{
    return plot_.top() + (y - kTopY) * plot_.height() / (kBaseY - kTopY);
}

double AscanPlot::logicalY(double py) const
{
    return kTopY + (py - plot_.top()) * (kBaseY - kTopY) / plot_.height();
}

Readout AscanPlot::readoutAt(QPointF pixel) const
{
    Readout r;
    r.inside = plot_.adjusted(-1, -1, 1, 1).contains(pixel);
    r.hasPath = hasScale();
    const double x = logicalX(pixel.x());
    r.path = pathAt(x);
    r.amplitude = (kBaseY - logicalY(pixel.y())) / 2;
    r.sample = std::clamp(int(std::lround(x - plot::kFirstColumn)), 0, int(pos::AscanDrawnLast));
    r.samplePath = pathAt(r.sample + plot::kFirstColumn);
    r.sampleAmplitude = record_[std::size_t(r.sample)];
    return r;
}

// The echo against the DAC curve at its own column: sample k stands at
// x = k + 1, where curve point k + 1 (in half-percent) stands.
Measure AscanPlot::dacRatio(const GatePeak &p) const
{
    Measure m;
    if (!view_.overlays.contains(Overlay::DacCurve)) {
        m.why = QStringLiteral("No DAC curve in this memory (DAC and DGS off)");
        return m;
    }
    const int j = p.sample + 1;
    const double curve = record_[std::size_t(pos::DacFirst + j)] / 2.0;
    if (curve <= 0) {
        m.why = QStringLiteral("The DAC curve has no value at this echo");
        return m;
    }
    if (p.amplitude <= 0) {
        m.why = QStringLiteral("No echo above the baseline");
        return m;
    }
    m.known = true;
    m.value = 20 * std::log10(p.amplitude / curve);
    return m;
}

void AscanPlot::findPeaks()
{
    peaks_.clear();
    auto peak = [this](const GateFields &gate) {
        const GateLine g = gateLine(view_.text(gate.start), view_.text(gate.end), view_.text(gate.level));
        GatePeak p;
        p.gate = gate.gate;
        // Samples whose x = k + 1 lies on the drawn line.
        const double lo = std::max(std::min(g.x1, g.x2) - plot::kFirstColumn, 0.0);
        const double hi = std::min(std::max(g.x1, g.x2) - plot::kFirstColumn, double(pos::AscanDrawnLast));
        for (int k = int(std::ceil(lo)); k <= hi; ++k) {
            if (!p.found || record_[std::size_t(k)] > p.amplitude) {
                p.found = true;
                p.sample = k;
                p.amplitude = record_[std::size_t(k)];
            }
        }
        p.path = pathAt(p.sample + plot::kFirstColumn);
        if (!hasScale()) {
            const QString why = QStringLiteral("No RANGE in this memory to measure with");
            p.place.depth.why = p.place.surface.why = p.place.leg.why = why;
        } else {
            p.place = echoPlace(p.path, readNumber(view_.text(Field::Angle)), readNumber(view_.text(Field::XOffset)),
                                readNumber(view_.text(Field::Thickness)));
        }
        p.toDac = dacRatio(p);
        peaks_.append(p);
    };
    for (Overlay o : view_.overlays)
        for (const GateFields &gate : gateFields())
            if (o == gate.overlay)
                peak(gate);
}

bool AscanPlot::zoomToPixels(double a, double b)
{
    double lo = std::max(logicalX(std::min(a, b)), plot::kFirstColumn);
    double hi = std::min(logicalX(std::max(a, b)), plot::kLastColumn);
    if (hi - lo < plot::kMinZoomUnits * (z1_ - z0_) / plot::kColumnsSpan || hi - lo < 0.5)
        return false;
    if (hasScale() && range_ > 0)
        roundZoom(lo, hi);
    z0_ = lo;
    z1_ = hi;
    return true;
}

// Widens [lo, hi] (logical columns) so that its ten divisions fall on round
// sound paths: a step of 1, 2, 2.5 or 5 times a power of ten, the edges on
// multiples of it, inside the memory's whole range where that allows.
void AscanPlot::roundZoom(double &lo, double &hi) const
{
    const double start = delay_, end = delay_ + range_;
    const double p0 = pathAt(lo), p1 = pathAt(hi);
    const double mantissas[] = {1, 2, 2.5, 5};
    double step = 0;
    double a = 0;
    for (double power = std::pow(10.0, std::floor(std::log10((p1 - p0) / plot::kDivisions))); step == 0; power *= 10)
        for (double m : mantissas) {
            a = std::floor(p0 / (m * power) + 1e-9) * m * power;
            if (a + plot::kDivisions * m * power >= p1 - 1e-9) {
                step = m * power;
                break;
            }
        }
    double b = a + plot::kDivisions * step;
    if (b - a >= end - start)
        return; // as wide as the whole range: leave the drag as it was
    if (b > end) {
        a -= std::ceil((b - end) / step - 1e-9) * step;
        b = a + plot::kDivisions * step;
    }
    if (a < start)
        return;
    auto column = [this](double path) { return plot::kFirstColumn + (path - delay_) * plot::kColumnsSpan / range_; };
    lo = column(a);
    hi = column(b);
}

void AscanPlot::showWholeRange()
{
    z0_ = plot::kFirstColumn;
    z1_ = plot::kLastColumn;
}

int AscanPlot::pathDecimals() const
{
    QList<double> values;
    for (int i = 0; i <= plot::kDivisions; ++i)
        values << pathAt(z0_ + (z1_ - z0_) * i / plot::kDivisions);
    for (int d = 0; d <= 3; ++d) {
        const double scale = std::pow(10.0, d);
        const bool exact = std::all_of(values.begin(), values.end(), [scale](double v) {
            return std::abs(v * scale - std::round(v * scale)) < 1e-6 * std::max(1.0, std::abs(v * scale));
        });
        if (exact)
            return d;
    }
    // Enough decimals that neighbouring labels differ.
    const double step = std::abs(range_) * (z1_ - z0_) / plot::kColumnsSpan / plot::kDivisions;
    return step > 0 ? std::clamp(int(std::ceil(-std::log10(step))) + 1, 0, 3) : 0;
}

int AscanPlot::readoutDecimals() const
{
    const double pitch = std::abs(range_) / plot::kColumnsSpan; // mm a sample
    return pitch > 0 ? std::clamp(int(std::ceil(-std::log10(pitch))), 1, 3) : 1;
}

QList<DivisionLabel> AscanPlot::divisionLabels() const
{
    QList<DivisionLabel> labels;
    if (!hasScale())
        return labels; // as under the main picture: no range, no labels
    const int d = pathDecimals();
    for (int i = 0; i <= plot::kDivisions; ++i)
        labels.append({plot_.left() + plot_.width() * i / plot::kDivisions,
                       fixed(pathAt(z0_ + (z1_ - z0_) * i / plot::kDivisions), d)});
    return labels;
}

void AscanPlot::paint(QPainter &p) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size_), Qt::white);

    // The screen (graticule, baseline) always shows ten divisions; what
    // the memory holds is drawn in the zoomed range over it.
    PainterSurface screen(p, QRectF(plot::kFirstColumn, kTopY, plot::kColumnsSpan, kBaseY - kTopY), plot_);
    PainterSurface content(p, QRectF(z0_, kTopY, z1_ - z0_, kBaseY - kTopY), plot_);
    screen.setDrawWidth(2);
    content.setDrawWidth(2);
    const double pad = zoomed() ? 0 : plot_.width() / plot::kColumnsSpan;
    const QRectF clip = QRectF(QPointF(plot_.left() - pad - 1, pixelY(0)),
                               QPointF(plot_.right() + pad + 1, pixelY(kPictureBottom)))
                            .intersected(QRectF(QPointF(0, 0), QSizeF(size_)));

    drawBaseline(screen);
    p.setClipRect(clip);
    const PictureColours &colours = measuringColours();
    drawTrace(content, record_, colours.trace);
    if (compare_) {
        // The other memory on this one's sound-path axis, so an echo of
        // either stands at its own depth whatever their ranges and delays;
        // sample against sample when either gives no range.
        QRectF from(z0_, kTopY, z1_ - z0_, kBaseY - kTopY);
        if (hasScale() && compareRange_ != 0) {
            auto columnOf = [this](double x) {
                return plot::kFirstColumn + (pathAt(x) - compareDelay_) * plot::kColumnsSpan / compareRange_;
            };
            from.setLeft(columnOf(z0_));
            from.setRight(columnOf(z1_));
        }
        PainterSurface other(p, from, plot_);
        other.setDrawWidth(2);
        drawTrace(other, *compare_, kCompareColour);
    }
    p.setClipping(false);
    drawGraticule(screen);
    p.setClipRect(clip);
    drawOverlays(content, record_, view_, colours);
    p.setClipping(false);

    // Labels: sound path at every column, amplitude at every row.
    const QFont font = labelFont(fontPixels_);
    const QFontMetricsF fm(font, p.device());
    p.setFont(font);
    p.setPen(kBlack);
    const double labelTop = pixelY(213) + 4;
    for (const DivisionLabel &l : divisionLabels()) {
        const double w = fm.horizontalAdvance(l.text);
        p.drawText(QPointF(l.x - w / 2, labelTop + fm.ascent()), l.text);
    }
    for (int pct = 0; pct <= 100; pct += 10) {
        const QString t = QString::number(pct);
        const double y = pixelY(kBaseY - 2 * pct);
        p.drawText(QPointF(plot_.left() - 8 - fm.horizontalAdvance(t), y - fm.height() / 2 + fm.ascent()), t);
    }
    p.drawText(QPointF(2, fm.ascent() + 2), QStringLiteral("Amplitude (%)"));
    const QString axis = hasScale() ? QStringLiteral("Sound path (mm)") : QStringLiteral("No range in this memory");
    p.drawText(QPointF(plot_.right() - fm.horizontalAdvance(axis), labelTop + fm.height() + fm.ascent() + 2), axis);

    // The legend: what each colour is.
    QList<std::pair<QColor, QString>> rows = legendRows(view_, colours);
    rows.front().second = name_;
    if (compare_)
        rows.append({kCompareColour, compareName_});
    const double sw = 2.5 * fontPixels_;
    double textWidth = 0;
    for (const auto &row : rows)
        textWidth = std::max(textWidth, fm.horizontalAdvance(row.second));
    const double w = sw + 12 + textWidth + 8;
    const double h = rows.size() * fm.height() + 8;
    const QRectF box(plot_.right() - w - 4, plot_.top() + 4, w, h);
    p.fillRect(box, Qt::white);
    p.setPen(QPen(kBlack, 1));
    p.drawRect(box);
    for (int i = 0; i < rows.size(); ++i) {
        const double y = box.top() + 4 + i * fm.height();
        p.fillRect(QRectF(box.left() + 6, y + fm.height() / 2 - 1, sw, 2), rows[i].first);
        p.setPen(kBlack);
        p.drawText(QPointF(box.left() + 6 + sw + 6, y + fm.ascent()), rows[i].second);
    }
    p.restore();
}

EchoPlace echoPlace(double path, double angle, double xOffset, double thickness)
{
    EchoPlace e;
    constexpr double kPi = 3.14159265358979323846;
    if (angle < 0 || angle >= 90) {
        e.depth.why = e.surface.why = e.leg.why = QStringLiteral("The ANGLE is no probe angle");
        return e;
    }
    const double down = path * std::cos(angle * kPi / 180);
    if (angle == 0) {
        e.depth = {true, path, {}};
        e.surface.why = e.leg.why = QStringLiteral("A straight-beam probe: the echo lies under it");
        return e;
    }
    e.surface = {true, path * std::sin(angle * kPi / 180) - xOffset, {}};
    if (thickness <= 0) {
        e.depth = {true, down, {}};
        e.leg.why = QStringLiteral("No THICK in this memory: the depth is not folded at the walls");
        return e;
    }
    // Leg n runs from depth (n - 1)·T to n·T below the surface, going down
    // on odd legs and back up on even ones.
    const int leg = std::max(1, int(std::ceil(down / thickness - 1e-9)));
    const double into = down - (leg - 1) * thickness;
    e.leg = {true, double(leg), {}};
    e.depth = {true, leg % 2 == 1 ? into : thickness - into, {}};
    return e;
}

QString memoryName(const Record &record, const QString &fallback)
{
    const int n = memoryNumber(record);
    return n > 0 ? QStringLiteral("Mem %1").arg(n) : fallback;
}

namespace {
QString pathPart(bool hasPath, double mm, int decimals)
{
    return hasPath ? fixed(mm, decimals) + QStringLiteral(" mm, ") : QString();
}
} // namespace

QString pointerText(const Readout &r, int decimals)
{
    if (!r.inside)
        return QString();
    return QStringLiteral("Pointer: ") + pathPart(r.hasPath, r.path, decimals) + fixed(r.amplitude, 1)
           + QStringLiteral(" %");
}

QString sampleText(const Readout &r, int decimals)
{
    if (!r.inside)
        return QString();
    return QStringLiteral("Sample %1: ").arg(r.sample) + pathPart(r.hasPath, r.samplePath, decimals)
           + QStringLiteral("%1 %").arg(r.sampleAmplitude);
}

QString peakText(const GatePeak &p, bool hasPath, int decimals)
{
    const QString gate = QStringLiteral("Gate %1: ").arg(p.gate);
    if (!p.found)
        return gate + QStringLiteral("no sample inside");
    QString s = gate + QStringLiteral("%1 %").arg(p.amplitude);
    if (hasPath)
        s += QStringLiteral(" at ") + fixed(p.path, decimals) + QStringLiteral(" mm");
    s += QStringLiteral(" (sample %1)").arg(p.sample);
    auto value = [](const Measure &m, const QString &shown) { return m.known ? shown : QStringLiteral("-"); };
    s += QStringLiteral("\n  depth ") + value(p.place.depth, fixed(p.place.depth.value, decimals) + QStringLiteral(" mm"))
         + QStringLiteral(", surface ")
         + value(p.place.surface, fixed(p.place.surface.value, decimals) + QStringLiteral(" mm"))
         + QStringLiteral(", leg ") + value(p.place.leg, QString::number(int(p.place.leg.value)))
         + QStringLiteral("\n  to DAC ")
         + value(p.toDac, (p.toDac.value >= 0 ? QStringLiteral("+") : QString()) + fixed(p.toDac.value, 1)
                              + QStringLiteral(" dB"));
    return s;
}

QString peakWhy(const GatePeak &p)
{
    QStringList why;
    const std::pair<const char *, const Measure *> parts[] = {
        {"depth", &p.place.depth}, {"surface", &p.place.surface}, {"leg", &p.place.leg}, {"to DAC", &p.toDac}};
    for (const auto &[name, m] : parts)
        if (!m->known && !m->why.isEmpty())
            why << QStringLiteral("Gate %1 %2: %3").arg(p.gate).arg(QLatin1String(name), m->why);
    return why.join(QLatin1Char('\n'));
}

} // namespace vextrum
