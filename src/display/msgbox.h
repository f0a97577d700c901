#pragma once
// Every message of the program goes through one function: a one-line text
// and a title, with a single OK button (MsgBox) or Yes and No (MsgBoxYesNo),
// or the message hook when one is set (the tests read messages, and give
// answers, there instead of clicking).

#include <QString>
#include <functional>

class QWidget;

constexpr char kProgramTitle[] = "Vextrum DGS";

// Gets every message; returns the answer to a Yes/No question (true: Yes),
// ignored for a message with OK alone.
using MessageHook = std::function<bool(const QString &title, const QString &text)>;

void MsgBox(QWidget *parent, const QString &text, const QString &title = QString::fromLatin1(kProgramTitle));
// True when the user answers Yes; No and closing the box answer No.
bool MsgBoxYesNo(QWidget *parent, const QString &text, const QString &title = QString::fromLatin1(kProgramTitle));

// Sends every later message to `hook` instead of the screen; an empty
// hook shows them again.
void setMessageHook(MessageHook hook);
