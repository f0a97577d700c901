#pragma once
// "Help": the fixed help text, read-only, opened at its top.
#include <QWidget>

class frmhelp : public QWidget
{
    Q_OBJECT
public:
    explicit frmhelp(QWidget *parent = nullptr);
};
