#pragma once
// The main window: memory list, A-scan picture, parameter panel, notes,
// Capture, and the serial port Comm1. It shows what Module1 holds and wires
// the windows together; the logic it calls lives in the layers below, and
// the file and report windows reach it only through their host interfaces.

#include "store/module1.h"
#include "files/filehost.h"
#include "link/capture.h"
#include "report/reporthost.h"

#include <QMainWindow>
#include <QHash>
#include <QPointer>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QAction;
class QProgressBar;
class frmoption;

namespace vextrum {
class CommPort;
class PictureBox;
class ReplyReceiver;
} // namespace vextrum

class frmmain : public QMainWindow,
                public vextrum::FileHost,
                public vextrum::ReportHost,
                private vextrum::CaptureHost
{
    Q_OBJECT
public:
    explicit frmmain(Module1 &m, QWidget *parent = nullptr);
    ~frmmain() override;

    // Start-up: list, store, dfd.cfg, port, demonstration trace. On any
    // failure: "File Error", port 1, the port selection, main window hidden.
    void Form_Load();

    void display_pattern() override;
    void display_setup() override;
    void display_DAC();
    void display_DAC614();
    void cal_grt();

    // Shows the first selected memory from the top and makes its slot the
    // shown slot; nothing when no entry is selected.
    void lstmem_DblClick();
    // Shows the memory of a slot as the list's double-click does.
    void showMemory(int slot);
    // Writes the note boxes into the memory on screen; with none on screen
    // it writes nothing and says how to pick one.
    void cmdtxtsav_Click();
    // A line for the user in the status bar.
    void showStatus(const QString &text) override;

    // Capture of the selected memories, and the instrument's own sending.
    void cmdcapture_Click();
    void getascan() override;
    void Unfreez() override;
    void tmrwt_Timer();
    void Comm1_OnComm(int event);
    bool capturing() const { return m_.capturing || capture_->isRunning(); }
    vextrum::CaptureRun &captureRun() { return *capture_; }
    vextrum::ReplyReceiver &receivePath() { return *passive_; }

    // Ends the program at once: port released, every window closed.
    void endProgram();
    bool ending() const override { return ending_; }

    // Reads and discards all pending input, leaving the read length at 1.
    void flushInput() override;

    vextrum::CommPort &Comm1() override { return *comm_; }
    Module1 &module() { return m_; }
    QListWidget *lstmem() const override { return lstmem_; }
    vextrum::PictureBox *picascan() const { return picascan_; }
    QTimer *tmrwt() const { return tmrwt_; }
    QLineEdit *box(const char *name) const;

    // FileHost and ReportHost
    QWidget *hostWindow() override { return this; }
    QImage ascanImage() const override;
    QString boxText(const char *name) const override;
    QString captionText(const char *name) const override;

    // Opens the port selection window, or brings an open one to the front.
    frmoption *showOption();
    // The same for the other windows of the menu bar.
    QWidget *showWindow(const QString &name);

signals:
    // A memory was drawn on the main picture (the current record).
    void recordShown();
    // Memories were captured, opened or given notes; sent once the work at
    // hand is done.
    void storeChanged();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildPanel(QWidget *client);
    void buildNotes(QWidget *client);
    void passiveReplyFinished(bool complete);
    void portLost(const QString &reason);
    void updateCaptureButton();
    void dropTail();

    // CaptureHost
    int entryCount() const override;
    bool entrySelected(int entry) const override;
    void markCaptured(int entry) override;
    void showCurrent() override;

    Module1 &m_;
    vextrum::CommPort *comm_ = nullptr;
    QListWidget *lstmem_ = nullptr;
    QPushButton *cmdcapture_ = nullptr;
    QTimer *tmrwt_ = nullptr;
    QTimer *storeChangedLater_ = nullptr;
    vextrum::PictureBox *picascan_ = nullptr;
    QPointer<frmoption> option_;
    QHash<QString, QPointer<QWidget>> windows_;
    vextrum::CaptureRun *capture_ = nullptr;
    vextrum::ReplyReceiver *passive_ = nullptr;
    QLabel *status_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QPushButton *cmdstop_ = nullptr;
    QTimer *tail_ = nullptr;
    bool ending_ = false;
};
