#include "app/windowsize.h"

#include <QSettings>
#include <QWidget>

namespace {
QString key(const QWidget *window)
{
    return window->objectName() + QStringLiteral("/size");
}
} // namespace

void restoreWindowSize(QWidget *window, QSize fallback)
{
    const QSettings settings(QStringLiteral("Tarvonix"), QStringLiteral("Vextrum DGS"));
    const QSize size = settings.value(key(window), fallback).toSize();
    window->resize(size.isValid() ? size.expandedTo(window->minimumSizeHint()) : fallback);
}

void saveWindowSize(const QWidget *window)
{
    QSettings settings(QStringLiteral("Tarvonix"), QStringLiteral("Vextrum DGS"));
    settings.setValue(key(window), window->size());
}
