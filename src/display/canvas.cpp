#include "display/canvas.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace vextrum {

namespace {
constexpr double kFarLimit = 1.0e6; // pixels; well past any surface

// Every canvas measures its text as an image canvas does, so a canvas on
// another painter puts each line where the image would.
const QImage &referenceImage()
{
    static const QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

// The font that draws on `device` as large, in canvas pixels, as `font`
// draws on an image.
QFont fontFor(const QFont &font, const QPaintDevice *device)
{
    const int deviceDpi = device ? device->logicalDpiY() : 0;
    const int imageDpi = referenceImage().logicalDpiY();
    if (deviceDpi <= 0 || deviceDpi == imageDpi || font.pointSizeF() <= 0)
        return font;
    QFont f = font;
    f.setPointSizeF(font.pointSizeF() * imageDpi / deviceDpi);
    return f;
}

// Blanks inside a text that are better left out than written as glyphs.
constexpr int kLongBlankRun = 4;

// The text's words at their places in the whole text, `font` on `device`:
// blanks at either end and runs of kLongBlankRun or more inside are not
// drawn, so a page that keeps every glyph of its text holds only these.
void drawWords(QPainter &p, const QFont &font, QPointF at, const QString &s)
{
    const QFontMetricsF fm(font, p.device());
    const qsizetype n = s.size();
    qsizetype k = 0;
    while (k < n) {
        qsizetype start = k;
        while (start < n && s.at(start) == QLatin1Char(' '))
            ++start;
        if (start == n)
            break;
        // The run goes on over short gaps up to a long one or the end.
        qsizetype end = start;
        qsizetype blanks = 0;
        for (k = start; k < n; ++k) {
            if (s.at(k) != QLatin1Char(' ')) {
                blanks = 0;
                end = k + 1;
            } else if (++blanks == kLongBlankRun) {
                break;
            }
        }
        if (start == 0 && end == n) {
            p.drawText(at, s);
            return;
        }
        // Where the whole text puts the run's first letter (kerning and all).
        const double x = start == 0 ? 0 : fm.horizontalAdvance(s, int(start));
        p.drawText(QPointF(at.x() + x, at.y()), s.mid(start, end - start));
        k = std::max(k, end);
    }
}
} // namespace

Canvas::Canvas(QSize pixels, double pixelsPerUnit)
    : image_(pixels, QImage::Format_RGB32), size_(pixels), scale_(pixelsPerUnit)
{
    image_.fill(kWhite);
}

Canvas::Canvas(QPainter &target, QSize pixels, double pixelsPerUnit)
    : size_(pixels), target_(&target),
      vector_(target.paintEngine() && target.paintEngine()->type() != QPaintEngine::Raster), scale_(pixelsPerUnit)
{
    clipToSize();
}

void Canvas::clipToSize()
{
    if (target_)
        target_->setClipRect(QRect(QPoint(0, 0), size_));
}

Canvas::~Canvas() = default;

int Canvas::toPixel(double units) const
{
    double px = std::floor(units * scale_ + 0.5);
    if (!(px > -kFarLimit)) // also catches NaN
        px = -kFarLimit;
    return int(std::min(px, kFarLimit));
}

QPainter &Canvas::painter()
{
    if (target_)
        return *target_;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
    }
    return *painter_;
}

void Canvas::endPainting() const
{
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

void Canvas::clear()
{
    endPainting();
    if (target_) {
        target_->fillRect(QRect(QPoint(0, 0), size_), kWhite);
        if (!background_.isNull())
            target_->drawImage(0, 0, background_);
    } else {
        image_.fill(kWhite);
        if (!background_.isNull()) {
            QPainter p(&image_);
            p.drawImage(0, 0, background_);
        }
    }
    current_ = {0, 0};
}

void Canvas::line(double x1, double y1, double x2, double y2, const QColor &c)
{
    QPainter &p = painter();
    p.setPen(QPen(c, drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPoint a(toPixel(x1), toPixel(y1)), b(toPixel(x2), toPixel(y2));
    if (a == b)
        dot(x2, y2, c);
    else
        p.drawLine(a, b);
    current_ = {x2, y2};
}

void Canvas::dot(double x, double y, const QColor &c)
{
    const int w = drawWidth_;
    const int px = toPixel(x) - w / 2, py = toPixel(y) - w / 2;
    painter().fillRect(px, py, w, w, c);
    current_ = {x, y};
}

void Canvas::dots(const QList<QPointF> &points, const QColor &c)
{
    if (!vector_) {
        Surface::dots(points, c);
        return;
    }
    const int w = drawWidth_;
    QList<QRect> squares;
    squares.reserve(points.size());
    for (const QPointF &pt : points)
        squares.append(QRect(toPixel(pt.x()) - w / 2, toPixel(pt.y()) - w / 2, w, w));
    QPainter &p = painter();
    const QPen pen = p.pen();
    const QBrush brush = p.brush();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRects(squares.constData(), int(squares.size()));
    p.setBrush(brush);
    p.setPen(pen);
    if (!points.isEmpty())
        current_ = points.back();
}

void Canvas::polyline(const QList<QPointF> &points, const QColor &c)
{
    if (!vector_ || points.size() < 2) {
        Surface::polyline(points, c);
        return;
    }
    QPolygon corners;
    corners.reserve(points.size());
    for (const QPointF &pt : points) {
        const QPoint at(toPixel(pt.x()), toPixel(pt.y()));
        // A line of no length is drawn as a dot: such a run goes line by line.
        if (!corners.isEmpty() && corners.back() == at) {
            Surface::polyline(points, c);
            return;
        }
        corners.append(at);
    }
    // Each line its own piece of the one path, square ends and all, so the
    // shape is that of the lines drawn one by one (a polyline's joins would
    // stick out at sharp turns).
    QPainterPath path;
    for (qsizetype k = 1; k < corners.size(); ++k) {
        path.moveTo(corners[k - 1]);
        path.lineTo(corners[k]);
    }
    QPainter &p = painter();
    p.setPen(QPen(c, drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.strokePath(path, p.pen());
    current_ = points.back();
}

void Canvas::text(double x, double y, const QString &s)
{
    QPainter &p = painter();
    const QFont font = target_ ? fontFor(font_, target_->device()) : font_;
    p.setFont(font);
    p.setPen(foreground_);
    const QFontMetrics fm(font_, target_ ? &referenceImage() : &image_);
    if (vector_)
        drawWords(p, font, QPointF(toPixel(x), toPixel(y) + fm.ascent()), s);
    else
        p.drawText(toPixel(x), toPixel(y) + fm.ascent(), s);
    current_ = {0, y + fm.height() / scale_};
}

void Canvas::rectangle(double x1, double y1, double x2, double y2, const QColor &c)
{
    line(x1, y1, x2, y1, c);
    line(x2, y1, x2, y2, c);
    line(x2, y2, x1, y2, c);
    line(x1, y2, x1, y1, c);
}

void Canvas::resize(QSize pixels)
{
    if (target_) {
        // As on the image: what is drawn stays, new area is white.
        const QRegion added = QRegion(QRect(QPoint(0, 0), pixels)).subtracted(QRect(QPoint(0, 0), size_));
        size_ = pixels;
        clipToSize();
        for (const QRect &r : added)
            target_->fillRect(r, kWhite);
        return;
    }
    size_ = pixels;
    endPainting();
    QImage next(pixels, QImage::Format_RGB32);
    next.fill(kWhite);
    QPainter p(&next);
    p.drawImage(0, 0, image_);
    p.end();
    image_ = next;
}

void Canvas::setBackgroundPicture(const QImage &picture)
{
    endPainting();
    background_ = picture.convertToFormat(QImage::Format_RGB32);
    if (target_) {
        target_->drawImage(0, 0, background_);
        return;
    }
    QPainter p(&image_);
    p.drawImage(0, 0, background_);
}

const QImage &Canvas::image() const
{
    endPainting();
    return image_;
}

} // namespace vextrum
