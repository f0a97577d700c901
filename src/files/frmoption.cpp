#include "files/frmoption.h"

#include "display/canvas.h"
#include "display/msgbox.h"
#include "display/programicon.h"
#include "files/portconfig.h"
#include "link/commport.h"
#include "link/session.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace vextrum;

frmoption::frmoption(Session &session, QWidget *parent)
    : QWidget(parent, Qt::Window), session_(session)
{
    setObjectName(QStringLiteral("frmoption"));
    setWindowTitle(QStringLiteral("Port selection"));
    setWindowIcon(vextrum::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(5400), twipsToPixels(2880));

    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setPointSizeF(8.25);
    bold.setBold(true);

    auto *cmdok = new QPushButton(QStringLiteral("Ok"), this);
    cmdok->setObjectName(QStringLiteral("cmdok"));
    cmdok->setFont(bold);
    cmdok->setGeometry(twipsRect(1200, 2280, 1215, 375));
    cmdok->setDefault(true);
    auto *cmdcancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));
    cmdcancel->setFont(bold);
    cmdcancel->setGeometry(twipsRect(2760, 2280, 1215, 375));

    QFont deviceFont(QStringLiteral("MS Sans Serif"));
    deviceFont.setPointSizeF(6.75);
    for (int n = 1; n <= 4; ++n) {
        auto *o = new QRadioButton(QStringLiteral("Comport %1").arg(n), this);
        o->setObjectName(QStringLiteral("Option%1").arg(n));
        o->setFont(bold);
        o->setGeometry(twipsRect(240, 240 + (n - 1) * 480, 1680, 375));
        options_[n - 1] = o;
        // Which device the button opens on this machine, under its caption.
        const QString device = CommPort::deviceName(n);
        auto *where = new QLabel(this);
        where->setObjectName(QStringLiteral("labdev%1").arg(n));
        where->setFont(deviceFont);
        where->setGeometry(twipsRect(540, 240 + (n - 1) * 480 + 300, 1440, 195));
        where->setText(where->fontMetrics().elidedText(device, Qt::ElideMiddle, where->width()));
        where->setToolTip(device);
        where->setEnabled(false); // greyed: it describes, it is not a choice
        o->setToolTip(device);
        connect(o, &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                session_.setPortNumber(n);
        });
    }

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(2040, 120, 3120, 1920));
    auto *label = new QLabel(QStringLiteral(
        "According  to  the  cable of  Galvanor II DGS connected  to   the   serial   port    of  "
        "computer select apropriate option."), frame);
    label->setObjectName(QStringLiteral("Label2"));
    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPointSizeF(9.75);
    label->setFont(labelFont);
    label->setWordWrap(true);
    label->setGeometry(twipsRect(120, 120, 2880, 1680));

    setTabOrder(cmdok, cmdcancel);
    setTabOrder(cmdcancel, options_[0]);

    // Opening: start from the configured port; Comport 1 is the fallback.
    saved_ = session_.portNumber();
    const int configured = session_.portNumber();
    options_[0]->setChecked(true);
    if (configured >= 1 && configured <= 4)
        options_[configured - 1]->setChecked(true);
    else
        saved_ = 1;
    session_.setPortNumber(configured); // selecting a button must not change it yet

    connect(cmdok, &QPushButton::clicked, this, &frmoption::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmoption::cmdcancel_Click);
}

void frmoption::showMain()
{
    if (QWidget *main = parentWidget()) {
        main->show();
        main->raise();
        main->activateWindow();
    }
}

void frmoption::finish()
{
    finished_ = true;
    close();
    showMain();
}

void frmoption::cmdok_Click()
{
    QString error;
    if (!writePortConfig(session_.portNumber(), &error)) {
        MsgBox(this, QStringLiteral("Port configuratin file can't be written: ") + error,
               QStringLiteral("Port Selection Error"));
        return;
    }
    if (!session_.openPort()) {
        MsgBox(this,
               QStringLiteral("Selected Port is used by another device or it might be not available "),
               QStringLiteral("Port Selection Error"));
        return;
    }
    finish();
    session_.flushInput();
}

void frmoption::cmdcancel_Click()
{
    session_.setPortNumber(saved_);
    if (!session_.openPort())
        return; // the window stays open with the port closed
    finish();
}

void frmoption::closeEvent(QCloseEvent *event)
{
    if (!finished_ && !session_.ending()) {
        // The close box acts as Cancel; when the port cannot be opened the
        // window still goes, so the program stays usable without a port.
        session_.setPortNumber(saved_);
        session_.openPort();
        finished_ = true;
        if (QWidget *main = parentWidget())
            main->show();
    }
    event->accept();
}

void frmoption::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
