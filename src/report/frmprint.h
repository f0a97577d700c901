#pragma once
// The hidden composition window of the report: four picture canvases, one
// per section of the page. Made on the first report as a window of the
// main window and kept for the rest of the run; never shown.

#include <QWidget>

namespace vextrum {
class Canvas;
class PictureBox;
} // namespace vextrum

class frmprint : public QWidget
{
    Q_OBJECT
public:
    explicit frmprint(QWidget *parent = nullptr);

    // The canvas of pichead, picecho, picsetup or Picnote.
    vextrum::Canvas &canvas(const char *name);
    vextrum::PictureBox *picture(const char *name) const;

    // The main window's composition window, made on first use.
    static frmprint &of(QWidget &main);
};
