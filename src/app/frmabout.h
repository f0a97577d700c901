#pragma once
// "About Vextrum DGS": fixed texts; Enter and Esc close it.
#include <QDialog>

class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
