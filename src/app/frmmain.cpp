#include "app/frmmain.h"

#include "app/exportmenu.h"
#include "app/frmabout.h"
#include "app/frmbrowse.h"
#include "app/frmhelp.h"
#include "app/frmviewer.h"
#include "store/msgbox.h"
#include "display/ascan.h"
#include "display/dac.h"
#include "display/demotrace.h"
#include "display/memorylist.h"
#include "display/picturebox.h"
#include "display/programicon.h"
#include "display/setupfields.h"
#include "display/setupview.h"
#include "files/frmopen.h"
#include "files/frmoption.h"
#include "files/frmsave.h"
#include "files/notes.h"
#include "files/portconfig.h"
#include "link/commport.h"
#include "link/frames.h"
#include "link/replyreceiver.h"
#include "report/frmprintop.h"
#include "report/printreport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

using namespace vextrum;

namespace {

constexpr int kClientWidth = 11880, kClientHeight = 8310;
constexpr int kReplyTimeoutMs = 2000;
constexpr int kTailQuietMs = 250; // a reply's bytes follow each other far closer

QFont sansFont(double points, bool bold = false)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

} // namespace

frmmain::frmmain(Module1 &m, QWidget *parent) : QMainWindow(parent), m_(m)
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    setWindowIcon(programIcon());

    comm_ = new CommPort(this);
    comm_->setObjectName(QStringLiteral("Comm1"));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setCentralWidget(client);

    caption(client, QStringLiteral("Mem No"), twipsRect(240, 0, 1095, 375));
    lstmem_ = new QListWidget(client);
    lstmem_->setObjectName(QStringLiteral("lstmem"));
    lstmem_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstmem_->setGeometry(twipsRect(240, 360, 1095, 4545));
    // Entries read whole ("Mem 200 *"): a scroll bar rather than an ellipsis.
    lstmem_->setTextElideMode(Qt::ElideNone);
    lstmem_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    driveMemoryList(lstmem_, [this] { lstmem_DblClick(); }, [this](int row) {
        const QListWidgetItem *item = lstmem_->item(row);
        return item && isCapturedEntry(item->text(), row) ? memoryToolTip(m_.store[row]) : QString();
    });

    cmdcapture_ = new QPushButton(QStringLiteral("Capture"), client);
    cmdcapture_->setObjectName(QStringLiteral("cmdcapture"));
    cmdcapture_->setFont(sansFont(12, true));
    cmdcapture_->setGeometry(twipsRect(240, 4920, 1215, 615));

    tmrwt_ = new QTimer(this);
    tmrwt_->setObjectName(QStringLiteral("tmrwt"));
    tmrwt_->setInterval(kReplyTimeoutMs);
    tmrwt_->setSingleShot(true);
    tmrwt_->setTimerType(Qt::PreciseTimer);
    connect(tmrwt_, &QTimer::timeout, this, &frmmain::tmrwt_Timer);

    caption(client, QStringLiteral("A  Scan"), twipsRect(3600, 0, 975, 375));
    picascan_ = new PictureBox(makeAscanCanvas(), client);
    picascan_->setObjectName(QStringLiteral("picascan"));
    picascan_->setGeometry(twipsRect(1440, 360, ascan::kWidgetWidthTwips, ascan::kWidgetHeightTwips));

    for (const MeasureBox &mb : measureBoxes()) {
        auto *e = new QLineEdit(client);
        e->setObjectName(QString::fromLatin1(mb.box));
        e->setReadOnly(true);
        e->setGeometry(twipsRect(mb.left, kMeasureTop, kMeasureWidth, kMeasureHeight));
    }

    // The panel frame starts inside this caption's box: its text keeps to
    // the top, clear of the frame's line.
    caption(client, QStringLiteral("Menu Data"), twipsRect(8520, 0, 1575, 375))
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    buildPanel(client);
    buildNotes(client);
    connect(lstmem_, &QListWidget::itemDoubleClicked, this, &frmmain::lstmem_DblClick);
    // The entries' captured marks are the record of the filled slots: any
    // change to them (Capture, Open) is a change of the store.
    storeChangedLater_ = new QTimer(this);
    storeChangedLater_->setSingleShot(true);
    storeChangedLater_->setInterval(0);
    connect(storeChangedLater_, &QTimer::timeout, this, &frmmain::storeChanged);
    const auto later = [this] { storeChangedLater_->start(); };
    connect(lstmem_->model(), &QAbstractItemModel::dataChanged, this, later);
    connect(lstmem_->model(), &QAbstractItemModel::rowsInserted, this, later);
    connect(lstmem_->model(), &QAbstractItemModel::rowsRemoved, this, later);
    connect(lstmem_->model(), &QAbstractItemModel::modelReset, this, later);
    buildMenus();

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("capturestatus"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("captureprogress"));
    progress_->setMaximumWidth(200);
    progress_->hide();
    cmdstop_ = new QPushButton(QStringLiteral("Stop"), this);
    cmdstop_->setObjectName(QStringLiteral("cmdstop"));
    cmdstop_->hide();
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cmdstop_);

    capture_ = new CaptureRun(m_, *comm_, *tmrwt_, *this, this);
    connect(cmdcapture_, &QPushButton::clicked, this, &frmmain::cmdcapture_Click);
    connect(capture_, &CaptureRun::requesting, this, [this](int memory, int index, int total) {
        status_->setText(tr("Requesting Mem %1 (%2 of %3)").arg(memory).arg(index).arg(total));
        progress_->setRange(0, total);
        progress_->setValue(index - 1);
        progress_->show();
    });
    // The rest of a reply cut short is still on its way: it is dropped
    // until the line has been quiet a while, so that no byte of it is
    // taken for the start of a reply.
    tail_ = new QTimer(this);
    tail_->setSingleShot(true);
    tail_->setInterval(kTailQuietMs);
    connect(tail_, &QTimer::timeout, this, [this] {
        if (comm_->isOpen() && comm_->inBufferCount() > 0) {
            flushInput();
            tail_->start();
            return;
        }
        updateCaptureButton();
    });
    auto runEnded = [this] {
        if (capture_->outcome() != CaptureRun::Outcome::Finished)
            dropTail();
        status_->setText(capture_->summary());
        progress_->hide();
        cmdstop_->hide();
        updateCaptureButton();
    };
    connect(capture_, &CaptureRun::finished, this, runEnded);
    connect(capture_, &CaptureRun::stopped, this, runEnded);
    connect(capture_, &CaptureRun::aborted, this, runEnded);
    connect(cmdstop_, &QPushButton::clicked, capture_, &CaptureRun::stop);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, capture_, &CaptureRun::stop);
    passive_ = new ReplyReceiver(*comm_, m_.rxBuffer, this);
    connect(passive_, &ReplyReceiver::finished, this, &frmmain::passiveReplyFinished);
    connect(comm_, &CommPort::onComm, this, &frmmain::Comm1_OnComm);
    connect(comm_, &CommPort::portLost, this, &frmmain::portLost);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmmain::~frmmain() = default;

void frmmain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [bar](const char *name, const QString &text) {
        QMenu *menu = bar->addMenu(text);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto addItem = [this](QMenu *menu, const char *name, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setParent(this);
        menu->addAction(a);
        return a;
    };
    QMenu *file = addMenu("mnufile", QStringLiteral("File"));
    addItem(file, "mnunew", QStringLiteral("New")); // no action
    connect(addItem(file, "mnuopen", QStringLiteral("Open")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmopen")); });
    connect(addItem(file, "mnusave", QStringLiteral("Save")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmsave")); });
    connect(addItem(file, "mnupsetup", QStringLiteral("PrintSetup")), &QAction::triggered, this,
            [this] { printerSetup(m_, this); });
    connect(addItem(file, "mnuprint", QStringLiteral("Print")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmprintop")); });
    file->addSeparator();
    connect(addItem(file, "mnuexportpdf", QStringLiteral("Export PDF...")), &QAction::triggered, this,
            [this] { mnuexportpdf_Click(m_, *this); });
    connect(addItem(file, "mnuexportcsv", QStringLiteral("Export CSV...")), &QAction::triggered, this,
            [this] { mnuexportcsv_Click(m_, *this); });
    connect(addItem(file, "mnuexportpic", QStringLiteral("Export Picture...")), &QAction::triggered, this,
            [this] { mnuexportpic_Click(m_, *this); });
    connect(addItem(file, "mnuletterhead", QStringLiteral("Report Letterhead...")), &QAction::triggered, this,
            [this] { mnuletterhead_Click(m_, *this); });
    file->addSeparator();
    QAction *exit = addItem(file, "mnuexit", QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &frmmain::endProgram);

    QAction *option = bar->addAction(QStringLiteral("Option"));
    option->setObjectName(QStringLiteral("mnuoption"));
    connect(option, &QAction::triggered, this, [this] { showOption(); });

    QMenu *view = addMenu("mnuview", QStringLiteral("View"));
    connect(addItem(view, "mnuviewer", QStringLiteral("A-scan Viewer")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmviewer")); });
    connect(addItem(view, "mnubrowser", QStringLiteral("Memory Browser")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmbrowse")); });

    QMenu *help = addMenu("mnuhelp", QStringLiteral("Help"));
    connect(addItem(help, "mnuhelpt", QStringLiteral("Help Topic")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmhelp")); });
    connect(addItem(help, "mnuabout", QStringLiteral("About Data Capture")), &QAction::triggered, this,
            [this] { showWindow(QStringLiteral("frmAbout")); });
}

void frmmain::buildPanel(QWidget *client)
{
    auto *frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("panel"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(twipsRect(panel::kLeft, panel::kTop, panel::kWidth, panel::kHeight));

    QPalette captionPalette;
    captionPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    const QFont captionFont = sansFont(8.25, true);
    const QFont boxFont = sansFont(8.25);

    auto makeBox = [frame](const SetupField &f, const QRect &r, const QFont &font) {
        auto *e = new QLineEdit(QString::fromLatin1(f.start), frame);
        e->setObjectName(QString::fromLatin1(f.box));
        e->setReadOnly(true);
        e->setFrame(false);
        e->setFont(font);
        e->setTextMargins(0, 0, 0, 0);
        e->setContentsMargins(0, 0, 0, 0);
        e->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); padding: 0px; }"));
        e->setGeometry(r);
        e->setCursorPosition(0);
        return e;
    };

    for (const SetupField &f : setupFields()) {
        if (f.row == kLastLine)
            continue;
        const int left = panel::kColumns[f.column];
        const int top = panel::kRowTops[f.row];
        makeBox(f, twipsRect(left, top, panel::kBoxWidth, panel::kBoxHeight), boxFont);
        const QRect capRect = twipsRect(left, top - panel::kCaptionAbove, panel::kBoxWidth, panel::kCaptionAbove);
        QLabel *cap = nullptr;
        if (f.captionLabel) {
            cap = caption(frame, QString::fromLatin1(f.captionStart), capRect);
            cap->setObjectName(QString::fromLatin1(f.captionLabel));
        } else if (f.caption) {
            cap = caption(frame, QString::fromLatin1(f.caption), capRect);
            cap->setObjectName(QStringLiteral("cap_") + QString::fromLatin1(f.box));
        }
        if (cap) {
            cap->setFont(captionFont);
            cap->setPalette(captionPalette);
        }
    }

    auto *separator = new QFrame(frame);
    separator->setObjectName(QStringLiteral("separator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(twipsRect(0, panel::kSeparatorY, panel::kWidth, 30));

    // The last line: Gain (red caption, bold box), REF, then time and date.
    const QFont lastFont = sansFont(9.75);
    QFont gainFont = lastFont;
    gainFont.setBold(true);
    const int top = panel::kLastLineTop, h = panel::kLastLineBoxHeight;
    for (const SetupField &f : setupFields()) {
        if (f.row != kLastLine)
            continue;
        const bool gain = f.column == 0;
        const int capLeft = gain ? 120 : 1380;
        QLabel *cap = caption(frame, QString::fromLatin1(f.caption), twipsRect(capLeft, top, 420, h));
        cap->setObjectName(QStringLiteral("cap_") + QString::fromLatin1(f.box));
        cap->setFont(captionFont);
        QPalette p;
        p.setColor(QPalette::WindowText, gain ? QColor(255, 0, 0) : QColor(0, 0, 255));
        cap->setPalette(p);
        makeBox(f, twipsRect(capLeft + 420, top, 780, h), gain ? gainFont : lastFont);
    }
    QLabel *tmdt = caption(frame, QString::fromLatin1(kTimeStart),
                           twipsRect(panel::kTimeLabelLeft, top, panel::kWidth - panel::kTimeLabelLeft - 60, h));
    tmdt->setObjectName(QStringLiteral("txttmdt"));
    tmdt->setFont(captionFont);
    tmdt->setPalette(captionPalette);
}

void frmmain::buildNotes(QWidget *client)
{
    const QFont font = sansFont(9.75);
    int top = 5760;
    for (const NoteField &n : noteFields()) {
        QLabel *label = caption(client, QString::fromLatin1(n.label), twipsRect(720, top, 1920, 330));
        label->setObjectName(QStringLiteral("lab_") + QString::fromLatin1(n.box));
        label->setFont(font);
        auto *e = new QLineEdit(client);
        e->setObjectName(QString::fromLatin1(n.box));
        e->setMaxLength(pos::NoteLength);
        e->setValidator(new SingleByteValidator(e));
        e->setFont(font);
        e->setGeometry(twipsRect(2640, top, 3975, 330));
        top += 360;
    }
    auto *save = new QPushButton(QStringLiteral("Detail/Note SAVE"), client);
    save->setObjectName(QStringLiteral("cmdtxtsav"));
    save->setFont(sansFont(8.25, true));
    save->setGeometry(twipsRect(3480, 7320, 2055, 495));
    connect(save, &QPushButton::clicked, this, &frmmain::cmdtxtsav_Click);
}

QLineEdit *frmmain::box(const char *name) const
{
    return findChild<QLineEdit *>(QString::fromLatin1(name));
}

QString frmmain::boxText(const char *name) const
{
    const QLineEdit *e = box(name);
    return e ? e->text() : QString();
}

QString frmmain::captionText(const char *name) const
{
    const QLabel *l = findChild<QLabel *>(QString::fromLatin1(name));
    return l ? l->text() : QString();
}

QImage frmmain::ascanImage() const
{
    return picascan_->image().copy();
}

void frmmain::Form_Load()
{
    lstmem_->clear();
    for (int s = 0; s < kMemoryCount; ++s)
        lstmem_->addItem(entryText(s));
    initialiseStore(m_.store);
    m_.requestedMemory = 0;
    m_.capturing = false;

    // From here any failure takes the start-up failure path.
    bool ok = false;
    if (const auto port = readPortConfig()) {
        m_.portNumber = *port;
        comm_->setCommPort(m_.portNumber);
        comm_->setSettings(QString::fromLatin1(kLinkSettings));
        comm_->setRThreshold(1);
        comm_->setOutBufferSize(30);
        if (comm_->open()) {
            flushInput();
            loadDemoTrace(m_.current);
            display_pattern();
            flushInput();
            ok = true;
        }
    }
    if (ok) {
        show();
        return;
    }
    MsgBox(m_, this,
           QStringLiteral("Port configuratin file is lost so select apropriate serial port which is necessary "),
           QStringLiteral("File Error"));
    m_.portNumber = 1;
    showOption();
    hide();
}

void frmmain::flushInput()
{
    comm_->setInputLen(0);
    comm_->input();
    comm_->setInputLen(1);
}

frmoption *frmmain::showOption()
{
    if (!option_) {
        option_ = new frmoption(m_, *this, this);
        option_->show();
    }
    option_->raise();
    option_->activateWindow();
    return option_;
}

QWidget *frmmain::showWindow(const QString &name)
{
    QPointer<QWidget> &w = windows_[name];
    if (!w) {
        if (name == QLatin1String("frmopen"))
            w = new frmopen(m_, *this, this);
        else if (name == QLatin1String("frmsave"))
            w = new frmsave(m_, *this, this);
        else if (name == QLatin1String("frmprintop"))
            w = new frmprintop(m_, *this, this);
        else if (name == QLatin1String("frmhelp"))
            w = new frmhelp(this);
        else if (name == QLatin1String("frmAbout"))
            w = new frmAbout(this);
        else if (name == QLatin1String("frmviewer"))
            w = new frmviewer(m_, *this, this);
        else if (name == QLatin1String("frmbrowse"))
            w = new frmbrowse(m_, *this, this);
        else
            return nullptr;
        w->show();
    }
    w->raise();
    w->activateWindow();
    return w;
}

void frmmain::display_pattern()
{
    drawPattern(picascan_->canvas(), m_.current);
    picascan_->refresh();
}

void frmmain::display_setup()
{
    const SetupView view = decodeSetup(m_.current);
    for (const auto &[name, text] : view.texts) {
        if (auto *e = findChild<QLineEdit *>(name)) {
            e->setText(text);
            e->setCursorPosition(0); // a text wider than its box shows its start
        } else if (auto *l = findChild<QLabel *>(name)) {
            l->setText(text);
        }
    }
    Canvas &c = picascan_->canvas();
    for (Overlay o : view.overlays) {
        switch (o) {
        case Overlay::Gate1:
            drawGateLine(c, boxText("txtstart"), boxText("txtend"), boxText("txtlevel"));
            break;
        case Overlay::Gate2:
            drawGateLine(c, boxText("txtstart2"), boxText("txtend2"), boxText("txtlevel2"));
            break;
        case Overlay::DacCurve:
            display_DAC();
            break;
        case Overlay::Dac614Curves:
            display_DAC614();
            break;
        }
    }
    cal_grt();
    emit recordShown();
}

void frmmain::display_DAC()
{
    drawDacCurve(picascan_->canvas(), m_.current);
    picascan_->refresh();
}

void frmmain::display_DAC614()
{
    drawDac614Curves(picascan_->canvas(), m_.current);
    picascan_->refresh();
}

void frmmain::lstmem_DblClick()
{
    for (int s = 0; s < lstmem_->count(); ++s) {
        if (!lstmem_->item(s)->isSelected())
            continue;
        showMemory(s);
        return;
    }
}

void frmmain::showMemory(int slot)
{
    if (slot < 0 || slot >= kMemoryCount)
        return;
    m_.current = m_.store[std::size_t(slot)];
    display_pattern();
    display_setup();
    m_.shownSlot = std::int16_t(slot);
    m_.showingStored = true;
}

void frmmain::cmdtxtsav_Click()
{
    if (!m_.showingStored) {
        status_->setText(tr("No memory shown: double-click one in the list, then save its notes."));
        return;
    }
    QStringList texts;
    for (const NoteField &n : noteFields())
        texts << boxText(n.box);
    saveNotes(m_.store[m_.shownSlot], texts);
    status_->setText(tr("Notes saved in Mem %1").arg(m_.shownSlot + 1));
    storeChangedLater_->start();
}

void frmmain::showStatus(const QString &text)
{
    status_->setText(text);
}

void frmmain::cal_grt()
{
    drawScaleLabels(picascan_->canvas(), readNumber(boxText("txtrange")), readNumber(boxText("txtdelay")));
    picascan_->refresh();
}

void frmmain::endProgram()
{
    if (ending_)
        return;
    ending_ = true;
    comm_->close();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    close();
    QCoreApplication::quit();
}

void frmmain::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

// --- Capture ---------------------------------------------------------

int frmmain::entryCount() const
{
    return lstmem_->count();
}

bool frmmain::entrySelected(int entry) const
{
    const QListWidgetItem *item = lstmem_->item(entry);
    return item && item->isSelected();
}

void frmmain::markCaptured(int entry)
{
    if (QListWidgetItem *item = lstmem_->item(entry)) {
        item->setText(entryText(entry, true));
        item->setSelected(false);
    }
    // A memory captured again keeps its mark but not its contents.
    storeChangedLater_->start();
}

void frmmain::showCurrent()
{
    display_pattern();
    display_setup();
}

void frmmain::updateCaptureButton()
{
    cmdcapture_->setEnabled(!capture_->isRunning() && !passive_->isReading() && !tail_->isActive());
}

void frmmain::dropTail()
{
    flushInput();
    tail_->start();
    updateCaptureButton();
}

void frmmain::cmdcapture_Click()
{
    if (capture_->isRunning() || passive_->isReading() || tail_->isActive())
        return; // one reader on the port at a time
    if (!comm_->isOpen()) {
        MsgBox(m_, this, tr("The serial port is not open: choose the instrument's port under Option."),
               QStringLiteral("Capture"));
        return;
    }
    // The button greys out for the run: the keyboard goes back to the list
    // rather than on to whatever box follows the button.
    if (cmdcapture_->hasFocus())
        lstmem_->setFocus();
    cmdcapture_->setEnabled(false);
    cmdstop_->show();
    capture_->start();
}

void frmmain::getascan()
{
    for (const QByteArray &f : memoryRequest(m_.requestedMemory))
        comm_->output(f);
    picascan_->canvas().clear();
    picascan_->refresh();
    m_.timedOut = false;
    tmrwt_->start();
}

void frmmain::Unfreez()
{
    for (const QByteArray &f : unfreezeSequence())
        comm_->output(f);
}

void frmmain::tmrwt_Timer()
{
    m_.timedOut = true;
    tmrwt_->stop();
}

void frmmain::Comm1_OnComm(int event)
{
    if (m_.capturing || capture_->isRunning() || passive_->isReading())
        return;
    if (tail_->isActive()) {
        flushInput();
        tail_->start();
        return;
    }
    if (event != CommPort::kEventReceive)
        return;
    comm_->setInputLen(1);
    if (comm_->inBufferCount() == 0)
        return;
    // Whatever stands ahead of a start byte belongs to no reply: dropped
    // all at once, however much it is.
    if (!comm_->skipToStartByte())
        return;
    updateCaptureButton();
    passive_->begin(m_.current);
    updateCaptureButton();
}

void frmmain::passiveReplyFinished(bool complete)
{
    if (!complete && passive_->readWholeButNoMemory()) {
        // Noise read to its end: nothing of it is still coming.
        updateCaptureButton();
        status_->setText(tr("Bytes on the line that were no memory were dropped"));
        return;
    }
    if (!complete) // a reply cut short is never filed, nor is its rest
        dropTail();
    updateCaptureButton();
    if (!complete) {
        status_->setText(comm_->isOpen() ? tr("A reply from the instrument stopped part-way: nothing filed")
                                         : tr("A reply from the instrument was dropped: the serial port was closed"));
        return;
    }
    const double k = ownNumber(m_.current);
    if (k < 1 || k > kMemoryCount || k != std::floor(k))
        return;
    const int slot = int(k) - 1;
    markCaptured(slot);
    m_.store[slot] = m_.current;
    display_pattern();
    display_setup();
    m_.shownSlot = std::int16_t(slot);
    m_.showingStored = true;
    tmrwt_->stop();
    m_.timedOut = false;
    status_->setText(tr("Mem %1 received").arg(slot + 1));
}

void frmmain::portLost(const QString &reason)
{
    updateCaptureButton();
    MsgBox(m_, this, tr("The serial port went away (%1): choose the port again under Option.").arg(reason),
           QStringLiteral("Capture"));
}
