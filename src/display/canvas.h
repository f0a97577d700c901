#pragma once
// A drawing surface with a persistent image, in logical units (points or
// twips) mapped onto whole pixels at 15 twips a pixel. Drawing is aliased,
// so every picture is exact to the pixel.
//
// The same drawing can go onto any QPainter instead (a PDF page, an SVG, a
// picture at a larger scale): the canvas then keeps no image, and draws in
// its pixels onto the painter, whose transform the caller sets so that one
// canvas pixel lands where the caller wants it. Rounding, line widths, text
// places and line heights are those of the image, so both come out alike.

#include "display/surface.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <memory>

class QPainter;

namespace vextrum {

constexpr int kTwipsPerPixel = 15;
constexpr double kPixelsPerPoint = 20.0 / kTwipsPerPixel; // 1 point = 20 twips
constexpr double kPixelsPerTwip = 1.0 / kTwipsPerPixel;

inline constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// A widget's place given in twips, as the windows' layouts are.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

class Canvas : public Surface
{
public:
    Canvas(QSize pixels, double pixelsPerUnit);
    // Drawing onto `target` (which must outlive the canvas), clipped to the
    // canvas's size; clear() paints its area white.
    Canvas(QPainter &target, QSize pixels, double pixelsPerUnit);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    // Logical unit to pixel: round to nearest; far-off values are held to
    // a range the painter can take, so nothing out there can fail.
    int toPixel(double units) const;

    void clear() override;
    // Text is drawn aliased too, so it is exactly the foreground colour.
    void setFont(const QFont &f)
    {
        font_ = f;
        font_.setStyleStrategy(QFont::NoAntialias);
    }
    const QFont &font() const { return font_; }

    void line(double x1, double y1, double x2, double y2, const QColor &c) override;
    void dot(double x, double y, const QColor &c) override;
    // On a painter that writes what it draws (PDF, SVG), the dots go as one
    // fill and the run as one path of its lines; on pixels, one by one as
    // ever.
    void dots(const QList<QPointF> &points, const QColor &c) override;
    void polyline(const QList<QPointF> &points, const QColor &c) override;
    // The current point moves to the next line's start. On a painter that
    // writes what it draws, blanks at either end and long runs of blanks
    // inside are left out and the words put where they would stand.
    void text(double x, double y, const QString &s) override;
    void rectangle(double x1, double y1, double x2, double y2, const QColor &c);

    // Changes the size; the drawing is kept where it fits.
    void resize(QSize pixels);
    // A picture drawn under everything at the top-left corner, natural size.
    void setBackgroundPicture(const QImage &picture);

    const QImage &image() const; // finishes any drawing in progress; null on a painter
    QSize sizePixels() const { return size_; }
    bool onPainter() const { return target_ != nullptr; }

private:
    QPainter &painter();
    void endPainting() const;
    void clipToSize();

    QImage image_;
    QSize size_;
    QPainter *target_ = nullptr;
    bool vector_ = false; // target_ writes shapes and text, not pixels
    QImage background_;
    double scale_;
    QFont font_;
    mutable std::unique_ptr<QPainter> painter_;
};

} // namespace vextrum
