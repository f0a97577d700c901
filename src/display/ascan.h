#pragma once
// The A-scan picture: trace, dotted graticule, gate lines and scale
// labels, drawn in points onto a Canvas.

#include "display/canvas.h"
#include "store/record.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace vextrum {

namespace ascan {
constexpr int kBaselineY = 210;     // 0 % amplitude
constexpr int kTopY = 10;           // 100 %
constexpr int kLabelY = 215;        // top of the scale label row
constexpr double kGateScale = 2.5;  // units per percent of screen width
// The picture box is 5205 x 4665 twips with a 2-pixel sunken border.
constexpr int kWidgetWidthTwips = 5205;
constexpr int kWidgetHeightTwips = 4665;
constexpr int kBorderPixels = 2;
QSize imageSize(); // the inner area in pixels
} // namespace ascan

// Clear, baseline, trace from samples 0..249, graticule and ticks.
void drawPattern(Surface &surface, const Record &record, const QColor &trace = kGreen);

// The parts of the pattern, in its drawing order.
void drawBaseline(Surface &surface);
// From (0, 210), marked, through sample k at x = k + 1.
void drawTrace(Surface &surface, const Record &record, const QColor &colour = kGreen);
void drawGraticule(Surface &surface); // dotted rows, columns and ticks

// Gate line from the START, END and LEVEL texts; END is added to START.
void drawGateLine(Surface &surface, QStringView start, QStringView end, QStringView level,
                  const QColor &colour = kGreen);
// Where that line runs, in logical units.
struct GateLine
{
    double x1, x2, y;
};
GateLine gateLine(QStringView start, QStringView end, QStringView level);

struct ScaleLabel
{
    double x;
    double y;
    QString text;
    bool operator==(const ScaleLabel &o) const { return x == o.x && y == o.y && text == o.text; }
};

// Shortest general form with at most 15 significant digits, a blank where
// a minus sign would stand: 20 gives " 20", -2.5 gives "-2.5".
QString formatLabel(double value);

// The labels under the trace for a range R and a delay D.
QList<ScaleLabel> scaleLabels(double range, double delay);
void drawScaleLabels(Surface &surface, double range, double delay);

// A fresh canvas the size of the picture's inner area, in points; on
// `target` when given (see Canvas).
std::unique_ptr<Canvas> makeAscanCanvas(QPainter *target = nullptr);

} // namespace vextrum
