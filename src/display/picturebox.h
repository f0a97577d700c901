#pragma once
// A picture box: a sunken frame showing a Canvas's persistent image, so
// what is drawn stays without depending on a repaint.

#include "display/canvas.h"

#include <QFrame>
#include <memory>

namespace vextrum {

class PictureBox : public QFrame
{
    Q_OBJECT
public:
    PictureBox(std::unique_ptr<Canvas> canvas, QWidget *parent = nullptr);

    Canvas &canvas() { return *canvas_; }
    const QImage &image() const { return canvas_->image(); }
    // Call after drawing so the screen shows the new image.
    void refresh() { update(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<Canvas> canvas_;
};

} // namespace vextrum
