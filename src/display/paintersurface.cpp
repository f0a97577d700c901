#include "display/paintersurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace vextrum {

namespace {
constexpr double kFarLimit = 1.0e6; // pixels; well past any device

double held(double v)
{
    if (!(v > -kFarLimit)) // also catches NaN
        return -kFarLimit;
    return std::min(v, kFarLimit);
}
} // namespace

PainterSurface::PainterSurface(QPainter &painter, const QRectF &logical, const QRectF &device)
    : painter_(painter), device_(device), sx_(device.width() / logical.width()),
      sy_(device.height() / logical.height()), ox_(device.left() - logical.left() * sx_),
      oy_(device.top() - logical.top() * sy_)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
}

QPointF PainterSurface::map(double x, double y) const
{
    return {held(ox_ + x * sx_), held(oy_ + y * sy_)};
}

void PainterSurface::clear()
{
    painter_.fillRect(device_, Qt::white);
    current_ = {0, 0};
}

void PainterSurface::line(double x1, double y1, double x2, double y2, const QColor &c)
{
    painter_.setPen(QPen(c, drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter_.drawLine(QLineF(map(x1, y1), map(x2, y2)));
    current_ = {x2, y2};
}

void PainterSurface::dot(double x, double y, const QColor &c)
{
    const QPointF p = map(x, y);
    const double w = drawWidth_;
    painter_.fillRect(QRectF(p.x() - w / 2, p.y() - w / 2, w, w), c);
    current_ = {x, y};
}

void PainterSurface::text(double x, double y, const QString &s)
{
    painter_.setFont(font_);
    painter_.setPen(foreground_);
    const QFontMetricsF fm(font_, painter_.device());
    const QPointF p = map(x, y);
    painter_.drawText(QPointF(p.x(), p.y() + fm.ascent()), s);
    current_ = {0, y + fm.height() / sy_};
}

} // namespace vextrum
