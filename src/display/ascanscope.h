#pragma once
// A widget showing an AscanPlot at its own size: the pointer's readout as
// it moves, a drag zooms into a sound-path range, a double-click shows the
// whole range again.

#include "display/ascanplot.h"

#include <QWidget>

class QRubberBand;

namespace vextrum {

class AscanScope : public QWidget
{
    Q_OBJECT
public:
    explicit AscanScope(QWidget *parent = nullptr);

    AscanPlot &plot() { return plot_; }
    const AscanPlot &plot() const { return plot_; }
    // The picture as shown, drawn afresh at the widget's size.
    QImage picture() const;
    // Redraw after the plot changed; the readout is taken again.
    void replot();
    void showWholeRange();

signals:
    void readoutChanged(const vextrum::Readout &readout);
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    AscanPlot plot_;
    QRubberBand *band_ = nullptr;
    QPoint dragFrom_;
    bool dragging_ = false;
    QPointF lastPointer_{-1, -1};
};

} // namespace vextrum
