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
    explicit frmexportop(const QString &title, QWidget *parent = nullptr);
    vextrum::PrintChoice choice() const;

private:
    vextrum::OptionFrame options_;
};
