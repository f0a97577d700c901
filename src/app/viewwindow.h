#pragma once
// What the windows of the View menu share: a window of its own over the
// main window, gone when closed, opened at the size it was last left at
// (kept in the user's settings under its objectName), and Esc.

#include <QWidget>

class QTableView;

// A table of rows picked whole (one or several), read-only, with rows as
// high as the text needs: the Memory Browser's and the Archive's.
void setUpRowTable(QTableView *table);

class ViewWindow : public QWidget
{
    Q_OBJECT
public:
    ViewWindow(const char *name, const QString &title, QWidget *parent);

protected:
    // The size last left, else `fallback`; called once the window is built.
    void restoreSize(QSize fallback);
    // Esc: closes the window.
    virtual void escape();
    void closeEvent(QCloseEvent *event) override;
};
