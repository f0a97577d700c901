#pragma once
// The size a window was last left at, kept in the user's settings under
// the window's objectName.

#include <QSize>

class QWidget;

void restoreWindowSize(QWidget *window, QSize fallback);
void saveWindowSize(const QWidget *window);
