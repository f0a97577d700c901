#pragma once
// The main window: memory list, A-scan picture, parameter panel, notes and
// Capture. It shows what the session's memory store holds and forwards
// what the user does; the session owns the port, the Capture run and the
// receive path. It also makes the other windows, handing each the part of
// the session it needs.

#include "link/session.h"
#include "report/printsettings.h"
#include "report/reportcontext.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTimer;
class frmAbout;
class frmarchive;
class frmbrowse;
class frmhelp;
class frmjob;
class frmletterhead;
class frmopen;
class frmoption;
class frmprintop;
class frmsave;
class frmviewer;

namespace vextrum {
class Archive;
class FieldBoxes;
class ServerSync;
class PictureBox;
} // namespace vextrum

class frmmain : public QMainWindow
{
    Q_OBJECT
public:
    // Every memory filed or read and every note save goes into `archive`
    // too; without one, an archive that is not open stands in.
    explicit frmmain(vextrum::Session &session, vextrum::Archive *archive = nullptr, QWidget *parent = nullptr);
    ~frmmain() override;

    // Start-up: list, store, dfd.cfg, port, demonstration trace. On any
    // failure: "File Error", port 1, the port selection, main window hidden.
    void Form_Load();

    // The record on screen: its trace and graticule, then its panel,
    // readings and notes with what its settings draw over the trace.
    void display_pattern();
    void display_setup();

    // Shows the first selected memory from the top; nothing when no entry
    // is selected.
    void lstmem_DblClick();
    // Writes the note boxes into the memory on screen; with none on screen
    // it writes nothing and says how to pick one.
    void cmdtxtsav_Click();

    // Capture of the selected memories, and the instrument's own sending:
    // the work is the session's.
    void cmdcapture_Click();
    void getascan() { session_.capture().getascan(); }
    void Unfreez() { session_.capture().Unfreez(); }
    void tmrwt_Timer() { session_.capture().tmrwt_Timer(); }
    void Comm1_OnComm(int event) { session_.Comm1_OnComm(event); }

    // Ends the program at once: port released, every window closed.
    void endProgram();

    vextrum::Session &session() { return session_; }
    vextrum::Archive &archive() { return *archive_; }
    // The team's server kept in step with the archive; none by default.
    void setServerSync(vextrum::ServerSync *sync);
    vextrum::CommPort &Comm1() { return session_.port(); }
    bool capturing() const { return session_.capturing(); }
    vextrum::CaptureRun &captureRun() { return session_.capture(); }
    vextrum::ReplyReceiver &receivePath() { return session_.receivePath(); }
    vextrum::PrintSettings &printSettings() { return print_; }
    QListWidget *lstmem() const { return lstmem_; }
    vextrum::PictureBox *picascan() const { return picascan_; }
    QTimer *tmrwt() { return &session_.capture().replyTimer(); }
    // A box of the window by objectName, for a look at what it shows.
    QLineEdit *box(const char *name) const;

    // Opens the port selection window, or brings an open one to the front.
    frmoption *showOption();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void connectSession();
    void fillList();
    void showFileState();
    void showArchiveState();
    void showStatus(const QString &text);
    void updateCaptureButton();
    QList<int> selectedSlots() const;
    // What the print and export windows get of this window and the session.
    vextrum::ReportContext reportContext();

    vextrum::Session &session_;
    std::unique_ptr<vextrum::Archive> noArchive_; // stands in when none is given
    vextrum::Archive *archive_;
    vextrum::PrintSettings print_;
    std::unique_ptr<vextrum::FieldBoxes> fields_;
    QString openDirectory_; // where File, Open was last left
    QListWidget *lstmem_ = nullptr;
    QPushButton *cmdcapture_ = nullptr;
    vextrum::PictureBox *picascan_ = nullptr;
    QLabel *status_ = nullptr;
    QLabel *archiveState_ = nullptr; // shown while memories are not archived
    QLabel *serverState_ = nullptr;  // what the team's server has of them
    vextrum::ServerSync *sync_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QPushButton *cmdstop_ = nullptr;
    QShortcut *stopKey_ = nullptr; // Esc: Stop, while a run goes on
    QPointer<frmoption> option_;
    QPointer<frmopen> open_;
    QPointer<frmsave> save_;
    QPointer<frmprintop> printop_;
    QPointer<frmhelp> help_;
    QPointer<frmAbout> about_;
    QPointer<frmviewer> viewer_;
    QPointer<frmbrowse> browser_;
    QPointer<frmarchive> archiveWindow_;
    QPointer<frmletterhead> letterhead_;
    QPointer<frmjob> job_;
    bool ending_ = false;
    bool painted_ = false;
};
