#include "display/ascanscope.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace vextrum {

AscanScope::AscanScope(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(360, 240);
    setCursor(Qt::CrossCursor);
    band_ = new QRubberBand(QRubberBand::Rectangle, this);
    plot_.setSize(size());
}

QImage AscanScope::picture() const
{
    QImage image(plot_.size(), QImage::Format_RGB32);
    QPainter p(&image);
    plot_.paint(p);
    return image;
}

void AscanScope::replot()
{
    update();
    if (rect().contains(lastPointer_.toPoint()))
        emit readoutChanged(plot_.readoutAt(lastPointer_));
}

void AscanScope::showWholeRange()
{
    plot_.showWholeRange();
    replot();
    emit zoomChanged();
}

void AscanScope::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    plot_.paint(p);
}

void AscanScope::resizeEvent(QResizeEvent *event)
{
    plot_.setSize(event->size());
    QWidget::resizeEvent(event);
}

void AscanScope::mouseMoveEvent(QMouseEvent *event)
{
    lastPointer_ = event->position();
    if (dragging_) {
        const QRectF plot = plot_.plotRect();
        const int x = event->position().toPoint().x();
        band_->setGeometry(QRect(QPoint(std::min(dragFrom_.x(), x), int(plot.top())),
                                 QPoint(std::max(dragFrom_.x(), x), int(plot.bottom()))));
        band_->show();
    }
    emit readoutChanged(plot_.readoutAt(lastPointer_));
}

void AscanScope::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragFrom_ = event->position().toPoint();
    dragging_ = true;
}

void AscanScope::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !dragging_)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    band_->hide();
    if (plot_.zoomToPixels(dragFrom_.x(), event->position().x())) {
        replot();
        emit zoomChanged();
    }
}

void AscanScope::mouseDoubleClickEvent(QMouseEvent *event)
{
    dragging_ = false;
    band_->hide();
    if (event->button() == Qt::LeftButton)
        showWholeRange();
}

void AscanScope::leaveEvent(QEvent *event)
{
    lastPointer_ = {-1, -1};
    emit readoutChanged(Readout{});
    QWidget::leaveEvent(event);
}

} // namespace vextrum
