#include "app/frmmain.h"

#include "app/exportmenu.h"
#include "app/frmabout.h"
#include "app/frmarchive.h"
#include "archive/archive.h"
#include "archive/serversync.h"
#include "app/frmbrowse.h"
#include "app/frmhelp.h"
#include "app/frmviewer.h"
#include "app/showonce.h"
#include "display/ascan.h"
#include "display/demotrace.h"
#include "display/memorylist.h"
#include "display/memorypicture.h"
#include "display/msgbox.h"
#include "display/panel.h"
#include "display/picturebox.h"
#include "display/programicon.h"
#include "files/frmopen.h"
#include "files/frmoption.h"
#include "files/frmsave.h"
#include "files/portconfig.h"
#include "report/frmjob.h"
#include "report/frmletterhead.h"
#include "report/frmprintop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
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

using namespace vextrum;

namespace {

constexpr int kClientWidth = 11880, kClientHeight = 8310;

QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

} // namespace

frmmain::frmmain(Session &session, Archive *archive, QWidget *parent)
    : QMainWindow(parent), session_(session),
      noArchive_(archive ? nullptr : std::make_unique<Archive>()), archive_(archive ? archive : noArchive_.get())
{
    session_.store().setKeeper(archive_);
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    setWindowIcon(programIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setCentralWidget(client);

    caption(client, QStringLiteral("Mem No"), twipsRect(240, 0, 1095, 375));
    lstmem_ = new QListWidget(client);
    lstmem_->setObjectName(QStringLiteral("lstmem"));
    lstmem_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstmem_->setGeometry(twipsRect(240, 360, 1095, 4545));
    // Every entry reads whole in the list's width, "Mem 200 *" included: a
    // narrow face of the panel's type. Should neither face be installed, a
    // scroll bar rather than an ellipsis.
    QFont narrow;
    narrow.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")});
    narrow.setPointSizeF(8.25);
    lstmem_->setFont(narrow);
    lstmem_->setTextElideMode(Qt::ElideNone);
    lstmem_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const MemoryStore &store = session_.store();
    driveMemoryList(lstmem_, [this] { lstmem_DblClick(); }, [&store](int row) {
        return store.isCaptured(row) ? memoryToolTip(store.record(row)) : QString();
    });
    fillList();

    cmdcapture_ = new QPushButton(QStringLiteral("Capture"), client);
    cmdcapture_->setObjectName(QStringLiteral("cmdcapture"));
    cmdcapture_->setFont(sansFont(12, true));
    cmdcapture_->setGeometry(twipsRect(240, 4920, 1215, 615));

    caption(client, QStringLiteral("A  Scan"), twipsRect(3600, 0, 975, 375));
    picascan_ = new PictureBox(makeAscanCanvas(), client);
    picascan_->setObjectName(QStringLiteral("picascan"));
    picascan_->setGeometry(twipsRect(1440, 360, ascan::kWidgetWidthTwips, ascan::kWidgetHeightTwips));

    fields_ = std::make_unique<FieldBoxes>(client);
    const QList<QLineEdit *> &notes = fields_->noteBoxes();
    for (int k = 0; k < notes.size(); ++k)
        connect(notes[k], &QLineEdit::textChanged, this,
                [this, k](const QString &text) { session_.store().editNote(k, text); });
    auto *save = new QPushButton(QStringLiteral("Detail/Note SAVE"), client);
    save->setObjectName(QStringLiteral("cmdtxtsav"));
    save->setFont(sansFont(8.25, true));
    save->setGeometry(twipsRect(3480, 7320, 2055, 495));
    connect(save, &QPushButton::clicked, this, &frmmain::cmdtxtsav_Click);
    connect(lstmem_, &QListWidget::itemDoubleClicked, this, &frmmain::lstmem_DblClick);
    connect(cmdcapture_, &QPushButton::clicked, this, &frmmain::cmdcapture_Click);

    buildMenus();
    buildStatusBar();
    connectSession();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmmain::~frmmain() = default;

ReportContext frmmain::reportContext()
{
    return {session_.store(), print_, this, [this] { return selectedSlots(); },
            [this] { return picascan_->image().copy(); },
            [this] { return browser_ ? browser_->selectedSlots() : QList<int>(); }};
}

void frmmain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [bar](const char *name, const QString &text) {
        QMenu *menu = bar->addMenu(text);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto addItem = [this](QMenu *menu, const char *name, const QString &text, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setParent(this);
        menu->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    Session &s = session_;
    QMenu *file = addMenu("mnufile", QStringLiteral("File"));
    addItem(file, "mnunew", QStringLiteral("New"), [] {}); // no action
    addItem(file, "mnuopen", QStringLiteral("Open"), [this, &s] {
        showOnce(open_, [&] {
            auto *w = new frmopen(s.store(), openDirectory_, this);
            connect(w, &frmopen::status, this, &frmmain::showStatus);
            return w;
        });
    });
    addItem(file, "mnusave", QStringLiteral("Save"),
            [this, &s] { showOnce(save_, [&] { return new frmsave(s.store(), this); }); });
    addItem(file, "mnupsetup", QStringLiteral("PrintSetup"), [this] { print_.setup(this); });
    addItem(file, "mnuprint", QStringLiteral("Print"), [this] {
        showOnce(printop_, [this] {
            auto *w = new frmprintop(reportContext(), this);
            connect(w, &frmprintop::runDone, this, &frmmain::showStatus);
            return w;
        });
    });
    file->addSeparator();
    addItem(file, "mnuexportpdf", QStringLiteral("Export PDF..."), [this] { mnuexportpdf_Click(reportContext(), *this); });
    addItem(file, "mnuexportreport", QStringLiteral("Export Inspection Report..."),
            [this] { mnuexportreport_Click(reportContext(), *this, *archive_); });
    addItem(file, "mnuexportcsv", QStringLiteral("Export CSV..."), [this] { mnuexportcsv_Click(reportContext(), *this); });
    addItem(file, "mnuexportpic", QStringLiteral("Export Picture..."),
            [this] { mnuexportpic_Click(reportContext(), *this); });
    addItem(file, "mnuletterhead", QStringLiteral("Report Letterhead..."), [this] {
        showOnce(letterhead_, [this] {
            return new frmletterhead([this](const QString &text) { MsgBox(this, text); }, this);
        });
    });
    addItem(file, "mnujob", QStringLiteral("Job Details..."),
            [this, &s] { showOnce(job_, [&] { return new frmjob(s.store(), this); }); });
    file->addSeparator();
    addItem(file, "mnuexit", QStringLiteral("Exit"), [this] { endProgram(); });

    QAction *option = bar->addAction(QStringLiteral("Option"));
    option->setObjectName(QStringLiteral("mnuoption"));
    connect(option, &QAction::triggered, this, [this] { showOption(); });

    QMenu *view = addMenu("mnuview", QStringLiteral("View"));
    addItem(view, "mnuviewer", QStringLiteral("A-scan Viewer"),
            [this, &s] { showOnce(viewer_, [&] { return new frmviewer(s.store(), this); }); });
    addItem(view, "mnubrowser", QStringLiteral("Memory Browser"),
            [this, &s] { showOnce(browser_, [&] { return new frmbrowse(s.store(), this); }); });
    addItem(view, "mnuarchive", QStringLiteral("Archive"), [this, &s] {
        showOnce(archiveWindow_, [&] {
            auto *w = new frmarchive(*archive_, sync_, reportContext(), this);
            connect(w, &frmarchive::status, this, &frmmain::showStatus);
            connect(w, &frmarchive::memoryShown, this, [this, &s] {
                showOnce(viewer_, [&] { return new frmviewer(s.store(), this); });
            });
            return w;
        });
    });

    QMenu *help = addMenu("mnuhelp", QStringLiteral("Help"));
    addItem(help, "mnuhelpt", QStringLiteral("Help Topic"),
            [this] { showOnce(help_, [this] { return new frmhelp(this); }); });
    addItem(help, "mnuabout", QStringLiteral("About Data Capture"),
            [this] { showOnce(about_, [this] { return new frmAbout(this); }); });
}

void frmmain::buildStatusBar()
{
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("capturestatus"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("captureprogress"));
    progress_->setMaximumWidth(200);
    progress_->hide();
    cmdstop_ = new QPushButton(QStringLiteral("Stop"), this);
    cmdstop_->setObjectName(QStringLiteral("cmdstop"));
    cmdstop_->hide();
    archiveState_ = new QLabel(tr("Not archiving"), this);
    archiveState_->setObjectName(QStringLiteral("archivestate"));
    // Dark red: a palette, where a style sheet costs the start a parse.
    QPalette red;
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    archiveState_->setPalette(red);
    archiveState_->hide();
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(archiveState_);
    serverState_ = new QLabel(this);
    serverState_->setObjectName(QStringLiteral("archiveserver"));
    serverState_->hide();
    statusBar()->addPermanentWidget(serverState_);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cmdstop_);
}

void frmmain::connectSession()
{
    MemoryStore &store = session_.store();
    connect(&store, &MemoryStore::replaced, this, &frmmain::fillList);
    connect(&store, &MemoryStore::fileStateChanged, this, &frmmain::showFileState);
    connect(&store, &MemoryStore::filed, this, [this](int slot) {
        if (QListWidgetItem *item = lstmem_->item(slot)) {
            item->setText(entryText(slot, true));
            item->setSelected(false);
        }
    });
    connect(&store, &MemoryStore::currentShown, this, [this] {
        display_pattern();
        display_setup();
    });

    CaptureRun &capture = session_.capture();
    connect(&capture, &CaptureRun::requesting, this, [this](int memory, int index, int total) {
        showStatus(tr("Requesting Mem %1 (%2 of %3)").arg(memory).arg(index).arg(total));
        progress_->setRange(0, total);
        progress_->setValue(index - 1);
        progress_->show();
        // The reply goes on a clean picture.
        picascan_->canvas().clear();
        picascan_->refresh();
    });
    auto runEnded = [this] {
        showStatus(session_.capture().summary());
        progress_->hide();
        cmdstop_->hide();
        updateCaptureButton();
    };
    connect(&capture, &CaptureRun::finished, this, runEnded);
    connect(&capture, &CaptureRun::stopped, this, runEnded);
    connect(&capture, &CaptureRun::aborted, this, runEnded);
    connect(cmdstop_, &QPushButton::clicked, &capture, &CaptureRun::stop);
    // Esc stops a run, and only while one runs: otherwise the key goes to
    // the window that has the focus (About closes on it).
    stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stopKey_->setEnabled(false);
    connect(stopKey_, &QShortcut::activated, &capture, &CaptureRun::stop);

    connect(&session_, &Session::status, this, &frmmain::showStatus);
    connect(archive_, &Archive::stateChanged, this, &frmmain::showArchiveState);
    connect(&session_, &Session::busyChanged, this, &frmmain::updateCaptureButton);
    connect(&session_.port(), &CommPort::portLost, this, [this](const QString &reason) {
        MsgBox(this, tr("The serial port went away (%1): choose the port again under Option.").arg(reason),
               QStringLiteral("Capture"));
    });
}

// "Vextrum DGS - day1.dat *": the data file in use, and a mark while
// memories filed or notes saved are in no file yet.
void frmmain::showFileState()
{
    const MemoryStore &store = session_.store();
    QString title = QString::fromLatin1(kProgramTitle);
    if (!store.dataFile().isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(store.dataFile()).fileName();
    if (store.hasUnsavedWork())
        title += QStringLiteral(" *");
    setWindowTitle(title);
}

// While memories are not archived the status bar says so for good, and
// why when it starts.
void frmmain::showArchiveState()
{
    const bool off = !archive_->path().isEmpty() && !archive_->isArchiving();
    archiveState_->setVisible(off);
    archiveState_->setToolTip(off ? archive_->why() : QString());
    if (off)
        showStatus(archive_->why());
}

void frmmain::setServerSync(ServerSync *sync)
{
    sync_ = sync;
    if (!sync_)
        return;
    connect(sync_, &ServerSync::statusChanged, this, [this] {
        const QString text = sync_->statusText();
        serverState_->setText(text);
        serverState_->setToolTip(sync_->problem());
        serverState_->setVisible(!text.isEmpty());
    });
}

void frmmain::fillList()
{
    lstmem_->clear();
    for (int s = 0; s < kMemoryCount; ++s)
        lstmem_->addItem(entryText(s, session_.store().isCaptured(s)));
}

QList<int> frmmain::selectedSlots() const
{
    QList<int> found;
    for (int s = 0; s < lstmem_->count(); ++s)
        if (lstmem_->item(s)->isSelected())
            found.append(s);
    return found;
}

QLineEdit *frmmain::box(const char *name) const
{
    return findChild<QLineEdit *>(QString::fromLatin1(name));
}

void frmmain::Form_Load()
{
    MemoryStore &store = session_.store();
    store.reset();

    // From here any failure takes the start-up failure path.
    bool ok = false;
    if (const auto port = readPortConfig()) {
        session_.setPortNumber(*port);
        session_.setPortDevice(readPortDevice());
        if (session_.openPort()) {
            session_.flushInput();
            Record trace = store.current();
            loadDemoTrace(trace);
            store.setTrace(trace);
            display_pattern();
            session_.flushInput();
            ok = true;
        }
    }
    if (ok) {
        show();
        // An archive still to open tells its state once open.
        if (!archive_->opensLater())
            showArchiveState();
        return;
    }
    archive_->openNow();
    MsgBox(this, QStringLiteral("Port configuratin file is lost so select apropriate serial port which is necessary "),
           QStringLiteral("File Error"));
    session_.setPortNumber(1);
    showOption();
    hide();
}

frmoption *frmmain::showOption()
{
    return showOnce(option_, [this] { return new frmoption(session_, this); });
}

void frmmain::display_pattern()
{
    drawPattern(picascan_->canvas(), session_.store().current());
    picascan_->refresh();
}

void frmmain::display_setup()
{
    const MemoryStore &store = session_.store();
    fields_->show(store.onScreen());
    drawSettings(picascan_->canvas(), store.current(), store.onScreen());
    picascan_->refresh();
}

void frmmain::lstmem_DblClick()
{
    const QList<int> selected = selectedSlots();
    if (selected.isEmpty())
        return;
    const int slot = selected.front();
    session_.store().show(slot);
    if (!session_.store().isCaptured(slot))
        showStatus(tr("Mem %1 holds no captured memory").arg(slot + 1));
}

void frmmain::cmdtxtsav_Click()
{
    if (session_.store().showingArchived()) {
        showStatus(session_.store().saveNotes() ? tr("Notes saved into the archive")
                                                : tr("Notes not saved: %1").arg(archive_->why()));
        return;
    }
    if (!session_.store().saveNotes()) {
        showStatus(tr("No memory shown: double-click one in the list, then save its notes."));
        return;
    }
    showStatus(tr("Notes saved in Mem %1").arg(session_.store().shownSlot() + 1));
}

void frmmain::showStatus(const QString &text)
{
    status_->setText(text);
}

void frmmain::updateCaptureButton()
{
    cmdcapture_->setEnabled(!session_.busy());
    stopKey_->setEnabled(session_.capturing());
}

void frmmain::cmdcapture_Click()
{
    if (session_.busy())
        return; // one reader on the port at a time
    if (!session_.port().isOpen()) {
        MsgBox(this, tr("The serial port is not open: choose the instrument's port under Option."),
               QStringLiteral("Capture"));
        return;
    }
    // The button greys out for the run: the keyboard goes back to the list
    // rather than on to whatever box follows the button.
    if (cmdcapture_->hasFocus())
        lstmem_->setFocus();
    cmdcapture_->setEnabled(false);
    cmdstop_->show();
    session_.startCapture([this](int slot) {
        const QListWidgetItem *item = lstmem_->item(slot);
        return item && item->isSelected();
    });
}

void frmmain::endProgram()
{
    if (ending_)
        return;
    ending_ = true;
    session_.end();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    close();
    QCoreApplication::quit();
}

void frmmain::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    // The window is on screen: the archive opens next, before the user
    // can reach for it (anything that uses it sooner opens it itself).
    if (!painted_) {
        painted_ = true;
        if (archive_->opensLater())
            QTimer::singleShot(0, archive_, &Archive::openNow);
    }
}

void frmmain::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}
