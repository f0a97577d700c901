#pragma once
// Every message of the program goes through MsgBox: a one-line text, a
// title and a single OK button, or the message hook when one is set (the
// tests read messages there instead of waiting for a click).

#include <QString>
#include <functional>

class QWidget;

constexpr char kProgramTitle[] = "Vextrum DGS";

using MessageHook = std::function<void(const QString &title, const QString &text)>;

void MsgBox(QWidget *parent, const QString &text, const QString &title = QString::fromLatin1(kProgramTitle));

// Sends every later message to `hook` instead of the screen; an empty
// hook shows them again.
void setMessageHook(MessageHook hook);
