#pragma once
// Opening a window of the menu bar: made on first use, then brought to the
// front instead of being made again while it is open.

#include <QPointer>
#include <QWidget>

template <class W, class Make>
W *showOnce(QPointer<W> &open, Make make)
{
    if (!open) {
        open = make();
        open->show();
    }
    open->raise();
    open->activateWindow();
    return open;
}
