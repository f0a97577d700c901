#include "display/msgbox.h"

#include <QMessageBox>

namespace {

MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}

bool showMessage(QWidget *parent, const QString &text, const QString &title, bool question)
{
    if (const MessageHook &hook = messageHook())
        return hook(title, text) && question;
    QMessageBox box(QMessageBox::NoIcon, title, text, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent);
    if (question) {
        box.setDefaultButton(QMessageBox::No); // Enter never destroys by accident
        box.setEscapeButton(QMessageBox::No);
    }
    return box.exec() == QMessageBox::Yes;
}

} // namespace

void MsgBox(QWidget *parent, const QString &text, const QString &title)
{
    showMessage(parent, text, title, false);
}

bool MsgBoxYesNo(QWidget *parent, const QString &text, const QString &title)
{
    return showMessage(parent, text, title, true);
}

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}
