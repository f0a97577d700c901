#pragma once
// The A-scan of one memory at any size, for measuring: the main picture's
// drawing (trace, graticule, gate lines, DAC curves) with a label at every
// division, the mapping between pixels and sound path (mm) / amplitude (%),
// the highest echo in each drawn gate, a zoom into a sound-path range and
// a second memory drawn over the first for comparison. No window needed:
// it paints onto any QPainter.

#include "display/memorypicture.h"
#include "display/surface.h"
#include "store/record.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

class QPainter;

namespace vextrum {

const QColor kCompareColour(200, 0, 200); // apart from the measuring colours

namespace plot {
// The ten divisions of the screen run from column x = 1 (sound path =
// delay) to x = 251 (delay + range); sample k stands at x = k + 1.
constexpr double kFirstColumn = 1, kLastColumn = 251;
constexpr double kColumnsSpan = kLastColumn - kFirstColumn;
constexpr int kDivisions = 10;
constexpr double kMinZoomUnits = 2.5; // narrower drags are taken as clicks
} // namespace plot

// What lies under the pointer.
struct Readout
{
    bool inside = false;           // over the picture's graticule
    bool hasPath = false;          // the memory gives a range to measure with
    double path = 0;               // mm at the pointer
    double amplitude = 0;          // % of screen height at the pointer
    int sample = 0;                // trace sample under the pointer, 0..249
    double samplePath = 0;         // its sound path, mm
    int sampleAmplitude = 0;       // its value, %
};

// A value measured on an echo, or why it cannot be.
struct Measure
{
    bool known = false;
    double value = 0;
    QString why; // when not known: the reason, for a tooltip
};

// Where an echo at sound path `path` (mm) lies, from the probe's ANGLE
// (degrees), X-OFF (mm from the probe index to its front) and the object's
// THICK (mm): depth, surface distance from the probe's front and the leg,
// the depth folded back at each wall for a skip.
struct EchoPlace
{
    Measure depth, surface, leg;
};
EchoPlace echoPlace(double path, double angle, double xOffset, double thickness);

// The highest echo inside a drawn gate (the first of equal highest).
struct GatePeak
{
    int gate = 1;         // 1 or 2
    bool found = false;   // the gate covers at least one sample
    int sample = 0;
    double path = 0;      // mm
    int amplitude = 0;    // %
    EchoPlace place;
    Measure toDac;        // dB over (+) or under (-) the DAC curve there
};

struct DivisionLabel
{
    double x; // device pixels, the column's centre
    QString text;
};

class AscanPlot
{
public:
    AscanPlot();

    void setRecord(const Record &record, const QString &name);
    const Record &record() const { return record_; }
    const QString &name() const { return name_; }
    void setCompare(const Record &record, const QString &name);
    void clearCompare();
    bool comparing() const { return compare_.has_value(); }
    const QString &compareName() const { return compareName_; }

    // From the memory's RANGE and DELAY texts, as the scale labels read them.
    double range() const { return range_; }
    double delay() const { return delay_; }
    bool hasScale() const { return range_ != 0; }

    // The whole picture's size in pixels; the graticule sits inside margins.
    void setSize(QSize size);
    QSize size() const { return size_; }
    QRectF plotRect() const { return plot_; }

    // Logical x (main picture units) <-> sound path, and pixels <-> logical.
    double pathAt(double x) const { return delay_ + range_ * (x - plot::kFirstColumn) / plot::kColumnsSpan; }
    double logicalX(double px) const;
    double pixelX(double x) const;
    double logicalY(double py) const;
    double pixelY(double y) const;

    Readout readoutAt(QPointF pixel) const;
    const QList<GatePeak> &gatePeaks() const { return peaks_; }

    // Zoom to the sound-path range between two pixel columns, widened so
    // its divisions fall on round values; false (and nothing changes) for
    // a drag narrower than about one percent.
    bool zoomToPixels(double a, double b);
    void showWholeRange();
    bool zoomed() const { return z0_ != plot::kFirstColumn || z1_ != plot::kLastColumn; }
    double zoomFirst() const { return z0_; } // logical x at the left edge
    double zoomLast() const { return z1_; }  // ... and at the right edge

    // Sound path at each of the 11 columns, in the zoomed range.
    QList<DivisionLabel> divisionLabels() const;
    // Decimals that tell the labels and readouts apart at this zoom.
    int pathDecimals() const;
    // Decimals of a sound-path readout: the sample pitch's first digit.
    int readoutDecimals() const;

    void paint(QPainter &painter) const;

private:
    void findPeaks();
    Measure dacRatio(const GatePeak &p) const;
    void roundZoom(double &lo, double &hi) const;
    void layout();

    Record record_{};
    QString name_;
    SetupView view_;
    std::optional<Record> compare_;
    QString compareName_;
    double compareRange_ = 0, compareDelay_ = 0;
    double range_ = 0, delay_ = 0;
    double z0_ = plot::kFirstColumn, z1_ = plot::kLastColumn;
    QList<GatePeak> peaks_;
    QSize size_;
    QRectF plot_;
    int fontPixels_ = 12;
};

// "Mem 7" for a record numbered 7, else the given fallback.
QString memoryName(const Record &record, const QString &fallback);

// The readout and the gate peaks as the viewer writes them.
QString pointerText(const Readout &r, int decimals);
QString sampleText(const Readout &r, int decimals);
QString peakText(const GatePeak &p, bool hasPath, int decimals);
// Why the values shown as "-" for a peak are not known, a line each.
QString peakWhy(const GatePeak &p);

} // namespace vextrum
