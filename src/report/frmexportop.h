#pragma once
// The choice of memories for an export, as in the print options: the one
// on screen, the selected ones or all captured ones. A modal dialog that
// the export's file chooser follows.

#include "report/optionframe.h"

#include <QDialog>

class frmexportop : public QDialog
{
    Q_OBJECT
public:
    // `browser`: the Memory Browser's selection is offered too.
    frmexportop(const QString &title, bool browser, QWidget *parent = nullptr);
    vextrum::PrintChoice choice() const;

private:
    vextrum::OptionFrame options_;
};
