#pragma once
// What the A-scan drawing needs of a surface: a current point, a pen width
// in pixels, lines, dots and text in logical units. The main picture draws
// onto a Canvas (a persistent image); the viewer draws the same way onto
// any QPainter at any size.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <algorithm>

namespace vextrum {

const QColor kGreen(0, 170, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

class Surface
{
public:
    virtual ~Surface() = default;

    virtual void clear() = 0; // background everywhere, point to (0, 0)
    void setDrawWidth(int pixels) { drawWidth_ = std::max(1, pixels); }
    int drawWidth() const { return drawWidth_; }
    void setForeground(const QColor &c) { foreground_ = c; }
    QColor foreground() const { return foreground_; }

    QPointF currentPoint() const { return current_; }
    void moveTo(double x, double y) { current_ = {x, y}; }
    virtual void line(double x1, double y1, double x2, double y2, const QColor &c) = 0;
    void lineTo(double x, double y, const QColor &c) { line(current_.x(), current_.y(), x, y, c); }
    virtual void dot(double x, double y, const QColor &c) = 0;
    // Many dots of one colour, and lines from point to point of a run: as
    // dot() and lineTo() draw them one by one. A surface that writes what
    // it draws (a PDF page) may put each in one piece; the pixels stay.
    virtual void dots(const QList<QPointF> &points, const QColor &c)
    {
        for (const QPointF &p : points)
            dot(p.x(), p.y(), c);
    }
    virtual void polyline(const QList<QPointF> &points, const QColor &c)
    {
        if (points.isEmpty())
            return;
        moveTo(points.front().x(), points.front().y());
        for (qsizetype k = 1; k < points.size(); ++k)
            lineTo(points[k].x(), points[k].y(), c);
    }
    // Text with the top-left corner of its line cell at (x, y), in the
    // foreground colour.
    virtual void text(double x, double y, const QString &s) = 0;

protected:
    QPointF current_;
    int drawWidth_ = 1;
    QColor foreground_ = kBlack;
};

} // namespace vextrum
