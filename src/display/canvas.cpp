#include "display/canvas.h"

#include <QFontMetrics>
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
} // namespace

Canvas::Canvas(QSize pixels, double pixelsPerUnit)
    : image_(pixels, QImage::Format_RGB32), size_(pixels), scale_(pixelsPerUnit)
{
    image_.fill(kWhite);
}

Canvas::Canvas(QPainter &target, QSize pixels, double pixelsPerUnit)
    : size_(pixels), target_(&target), scale_(pixelsPerUnit)
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

void Canvas::text(double x, double y, const QString &s)
{
    QPainter &p = painter();
    p.setFont(target_ ? fontFor(font_, target_->device()) : font_);
    p.setPen(foreground_);
    const QFontMetrics fm(font_, target_ ? &referenceImage() : &image_);
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
