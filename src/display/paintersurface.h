#pragma once
// A Surface on any QPainter: a logical rectangle mapped onto a device
// rectangle, each axis scaled on its own. Drawing stays aliased and pen
// widths stay in device pixels, so a picture drawn at any size follows the
// same rules as the main picture, as vectors.

#include "display/surface.h"

#include <QFont>
#include <QRectF>

class QPainter;

namespace vextrum {

class PainterSurface : public Surface
{
public:
    PainterSurface(QPainter &painter, const QRectF &logical, const QRectF &device);

    QPointF map(double x, double y) const;
    void setFont(const QFont &f) { font_ = f; }

    void clear() override; // the device rectangle to white
    void line(double x1, double y1, double x2, double y2, const QColor &c) override;
    void dot(double x, double y, const QColor &c) override;
    void text(double x, double y, const QString &s) override;

private:
    QPainter &painter_;
    QRectF device_;
    double sx_, sy_, ox_, oy_;
    QFont font_;
};

} // namespace vextrum
