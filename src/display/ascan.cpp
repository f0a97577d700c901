#include "display/ascan.h"

#include <cmath>

namespace vextrum {

QSize ascan::imageSize()
{
    return {twipsToPixels(kWidgetWidthTwips) - 2 * kBorderPixels,
            twipsToPixels(kWidgetHeightTwips) - 2 * kBorderPixels};
}

std::unique_ptr<Canvas> makeAscanCanvas(QPainter *target)
{
    auto c = target ? std::make_unique<Canvas>(*target, ascan::imageSize(), kPixelsPerPoint)
                    : std::make_unique<Canvas>(ascan::imageSize(), kPixelsPerPoint);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(8);
    c->setFont(f);
    return c;
}

void drawPattern(Surface &surface, const Record &record, const QColor &trace)
{
    surface.clear();
    surface.setDrawWidth(2);
    drawBaseline(surface);
    drawTrace(surface, record, trace);
    drawGraticule(surface);
}

void drawBaseline(Surface &surface)
{
    surface.line(0, ascan::kBaselineY, 252, ascan::kBaselineY, kBlack);
}

void drawTrace(Surface &surface, const Record &record, const QColor &colour)
{
    using namespace ascan;
    surface.dot(0, kBaselineY, colour);
    QList<QPointF> points;
    points.reserve(pos::AscanDrawnLast + 2);
    points.append(QPointF(0, kBaselineY));
    int x = 0;
    for (int k = 0; k <= pos::AscanDrawnLast; ++k) {
        // Whole numbers, as the instrument's percent; no lower clamp, so a
        // negative sample lies below the baseline.
        int y = kBaselineY - 2 * int(record[k]);
        if (y < kTopY)
            y = kTopY;
        ++x;
        points.append(QPointF(x, y));
    }
    surface.polyline(points, colour);
}

void drawGraticule(Surface &surface)
{
    // Each dot once: where a column crosses a dotted row, the row has it.
    static const QList<QPointF> points = [] {
        QList<QPointF> p;
        for (int y = 10; y <= 190; y += 20)
            for (int x = 1; x <= 246; x += 5)
                p.append(QPointF(x, y));
        for (int y = 10; y <= 213; y += y < 210 ? 5 : 1)
            for (int x = 1; x <= 251; x += 25)
                if (y > 190 || (y - 10) % 20 != 0 || x > 246)
                    p.append(QPointF(x, y));
        return p;
    }();
    surface.dots(points, surface.foreground());
}

GateLine gateLine(QStringView start, QStringView end, QStringView level)
{
    const double x1 = ascan::kGateScale * readNumber(start);
    return {x1, x1 + ascan::kGateScale * readNumber(end), ascan::kBaselineY - 2 * readNumber(level)};
}

void drawGateLine(Surface &surface, QStringView start, QStringView end, QStringView level, const QColor &colour)
{
    const GateLine g = gateLine(start, end, level);
    surface.line(g.x1, g.y, g.x2, g.y, colour);
}

QString formatLabel(double value)
{
    if (value == 0)
        return QStringLiteral(" 0");
    QString s = QString::number(value, 'g', 15);
    return value < 0 ? s : QLatin1Char(' ') + s;
}

QList<ScaleLabel> scaleLabels(double range, double delay)
{
    using ascan::kLabelY;
    QList<ScaleLabel> labels;
    if (range == 0)
        return labels;
    labels.append({0, kLabelY, formatLabel(delay)});
    if (delay > std::floor(delay)) {
        labels.append({229, kLabelY, formatLabel(range + delay)});
        return labels;
    }
    if (range > 5 * std::floor(range / 5)) {
        labels.append({232, kLabelY, formatLabel(range + delay)});
        return labels;
    }
    const double step = range / 5;
    static const double xs[5] = {41, 91, 141, 191, 239};
    double value = delay;
    for (double x : xs) {
        value += step;
        labels.append({x, kLabelY, formatLabel(value)});
    }
    return labels;
}

void drawScaleLabels(Surface &surface, double range, double delay)
{
    for (const ScaleLabel &l : scaleLabels(range, delay))
        surface.text(l.x, l.y, l.text);
}

} // namespace vextrum
