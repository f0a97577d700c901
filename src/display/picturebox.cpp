#include "display/picturebox.h"

#include <QPainter>

namespace vextrum {

PictureBox::PictureBox(std::unique_ptr<Canvas> canvas, QWidget *parent)
    : QFrame(parent), canvas_(std::move(canvas))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(this);
        const QRect inner = contentsRect();
        p.fillRect(inner, Qt::white);
        p.drawImage(inner.topLeft(), canvas_->image());
    }
    QFrame::paintEvent(event);
}

} // namespace vextrum
