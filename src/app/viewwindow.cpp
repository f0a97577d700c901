#include "app/viewwindow.h"

#include <QHeaderView>
#include <QTableView>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

namespace {
QSettings settings()
{
    return QSettings(QStringLiteral("Tarvonix"), QStringLiteral("Vextrum DGS"));
}

QString key(const QWidget *window)
{
    return window->objectName() + QStringLiteral("/size");
}
} // namespace

void setUpRowTable(QTableView *table)
{
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
}

ViewWindow::ViewWindow(const char *name, const QString &title, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { escape(); });
}

void ViewWindow::restoreSize(QSize fallback)
{
    QSize size = settings().value(key(this), fallback).toSize();
    size = size.isValid() ? size.expandedTo(minimumSizeHint()) : fallback;
    // Only as large as the screen it opens on: a size kept on a larger
    // monitor would put the window's edges out of reach.
    const QScreen *on = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (on)
        size = size.boundedTo(on->availableGeometry().size());
    resize(size);
}

void ViewWindow::escape()
{
    close();
}

void ViewWindow::closeEvent(QCloseEvent *event)
{
    settings().setValue(key(this), size());
    QWidget::closeEvent(event);
}
