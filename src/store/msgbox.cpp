#include "store/msgbox.h"

#include "store/module1.h"

#include <QMessageBox>

void MsgBox(Module1 &m, QWidget *parent, const QString &text, const QString &title)
{
    if (m.messageHook) {
        m.messageHook(title, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}
