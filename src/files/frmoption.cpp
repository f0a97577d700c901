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
#include <QListWidget>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <QPushButton>
#include <QRadioButton>

using namespace vextrum;

namespace {
constexpr int kOthersTop = 2880; // the system's ports, below the specified window
}

frmoption::frmoption(Session &session, QWidget *parent)
    : QWidget(parent, Qt::Window), session_(session)
{
    setObjectName(QStringLiteral("frmoption"));
    setWindowTitle(QStringLiteral("Port selection"));
    setWindowIcon(vextrum::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(5400), twipsToPixels(kOthersTop + 1800));

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

    for (int n = 1; n <= 4; ++n) {
        auto *o = new QRadioButton(QStringLiteral("Comport %1").arg(n), this);
        o->setObjectName(QStringLiteral("Option%1").arg(n));
        o->setFont(bold);
        o->setGeometry(twipsRect(240, 240 + (n - 1) * 480, 1680, 375));
        options_[n - 1] = o;
        // Which device the button opens on this machine.
        o->setToolTip(CommPort::deviceName(n));
        connect(o, &QRadioButton::toggled, this, [this, n](bool on) {
            if (!on)
                return;
            session_.setPortNumber(n);
            session_.setPortDevice(QString());
            lstports_->clearSelection();
        });
    }

    // Below the specified window: every serial port the system reports,
    // a USB adapter among them, to choose instead of COM1 to COM4.
    auto *others = new QLabel(QStringLiteral("Or a serial port of this computer:"), this);
    others->setObjectName(QStringLiteral("Label3"));
    others->setGeometry(twipsRect(240, kOthersTop, 4920, 255));
    lstports_ = new QListWidget(this);
    lstports_->setObjectName(QStringLiteral("lstports"));
    lstports_->setGeometry(twipsRect(240, kOthersTop + 300, 3600, 1260));
    auto *refresh = new QPushButton(QStringLiteral("Refresh"), this);
    refresh->setObjectName(QStringLiteral("cmdrefresh"));
    refresh->setGeometry(twipsRect(3960, kOthersTop + 300, 1200, 375));
    connect(refresh, &QPushButton::clicked, this, &frmoption::listPorts);
    connect(lstports_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> chosen = lstports_->selectedItems();
        if (chosen.isEmpty())
            return;
        session_.setPortDevice(chosen.front()->data(Qt::UserRole).toString());
        // None of the four is the choice now.
        for (QRadioButton *o : options_)
            o->setAutoExclusive(false), o->setChecked(false), o->setAutoExclusive(true);
    });

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
    savedDevice_ = session_.portDevice();
    const int configured = session_.portNumber();
    options_[0]->setChecked(true);
    if (configured >= 1 && configured <= 4)
        options_[configured - 1]->setChecked(true);
    else
        saved_ = 1;
    session_.setPortNumber(configured); // selecting a button must not change it yet
    session_.setPortDevice(savedDevice_);
    listPorts();

    connect(cmdok, &QPushButton::clicked, this, &frmoption::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmoption::cmdcancel_Click);
}

// The ports as the system reports them now: one that was unplugged and
// is back shows again after Refresh, without a restart.
void frmoption::listPorts()
{
    const QString chosen = session_.portDevice();
    const QSignalBlocker quiet(lstports_);
    lstports_->clear();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QString text = info.portName();
        QStringList about;
        if (!info.description().isEmpty())
            about << info.description();
        if (!info.manufacturer().isEmpty())
            about << info.manufacturer();
        if (!about.isEmpty())
            text += QStringLiteral(" - ") + about.join(QStringLiteral(", "));
        auto *item = new QListWidgetItem(text, lstports_);
        item->setData(Qt::UserRole, info.systemLocation());
        item->setToolTip(info.systemLocation());
        if (!chosen.isEmpty() && info.systemLocation() == chosen)
            item->setSelected(true);
    }
    if (!chosen.isEmpty())
        for (QRadioButton *o : options_)
            o->setAutoExclusive(false), o->setChecked(false), o->setAutoExclusive(true);
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
    // dfd.cfg keeps a port number 1 to 4; a device beyond them goes to the
    // settings beside it.
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
    writePortDevice(session_.portDevice());
    finish();
    session_.flushInput();
}

void frmoption::cmdcancel_Click()
{
    session_.setPortNumber(saved_);
    session_.setPortDevice(savedDevice_);
    if (!session_.openPort()) {
        // The window stays open with the port closed: say what to do.
        MsgBox(this,
               QStringLiteral("The port chosen before can't be opened either (%1). Choose a port and press Ok, "
                              "or close this window to go on without a port.")
                   .arg(session_.port().errorString()),
               QStringLiteral("Port selection"));
        return;
    }
    finish();
}

void frmoption::closeEvent(QCloseEvent *event)
{
    if (!finished_ && !session_.ending()) {
        // The close box acts as Cancel; when the port cannot be opened the
        // window still goes, so the program stays usable without a port.
        session_.setPortNumber(saved_);
        session_.setPortDevice(savedDevice_);
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
