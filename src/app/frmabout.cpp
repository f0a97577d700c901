#include "app/frmabout.h"

#include "display/programicon.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    // A tool window: no task-bar entry, no minimize or maximize.
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Vextrum DGS"));
    setWindowIcon(vextrum::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(vextrum::programIcon().pixmap(48, 48));
    auto label = [this](const char *name, const QString &text, bool bold = false) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.4);
            l->setFont(f);
        }
        return l;
    };
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true); // Enter; Esc closes a dialog too
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(label("lblTitle", QStringLiteral("Vextrum DGS"), true), 0, 1);
    grid->addWidget(label("lblVersion", QStringLiteral("Version 01.01")), 1, 1);
    grid->addWidget(label("Label2", QStringLiteral("Application for to Transfer Data from Galvanor-II DGS to PC")), 2, 1);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addWidget(label("Label1", QStringLiteral("Tarvonix Instruments Mfg. Co.(P) Ltd.")), 4, 1);
    grid->addWidget(ok, 5, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}
