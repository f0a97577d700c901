#include "app/frmhelp.h"

#include "app/helptext.h"
#include "display/programicon.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

frmhelp::frmhelp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmhelp"));
    setWindowTitle(QStringLiteral("Help"));
    setWindowIcon(vextrum::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 420);

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("txthlp"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(9.75);
    text->setFont(f);
    // Shown with the platform's line ends; the text itself keeps CR LF.
    text->setPlainText(vextrum::helpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->moveCursor(QTextCursor::Start);
    text->verticalScrollBar()->setValue(0);

    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdclose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(close, 0, Qt::AlignHCenter);
}
