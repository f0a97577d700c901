#pragma once
// Every message of the program goes through MsgBox: a one-line text, a
// title and a single OK button, or the Module1 hook when one is set.

#include <QString>

class QWidget;
struct Module1;

constexpr char kProgramTitle[] = "Vextrum DGS";

void MsgBox(Module1 &m, QWidget *parent, const QString &text,
            const QString &title = QString::fromLatin1(kProgramTitle));
