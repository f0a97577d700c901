#include "display/msgbox.h"

#include <QMessageBox>

namespace {
MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}
} // namespace

void MsgBox(QWidget *parent, const QString &text, const QString &title)
{
    if (const MessageHook &hook = messageHook()) {
        hook(title, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}
