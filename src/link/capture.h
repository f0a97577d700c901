#pragma once
// The Capture run: for each selected list entry in order, request the
// memory, wait for its reply's start byte, take the reply in, and file it
// when it carries the number asked for. One retry after a silent wait.
// Driven by the port's arrivals and the reply timer: it never waits in a
// loop, so the window stays live and the processor idle.

#include "store/module1.h"
#include "link/replyreceiver.h"

#include <QList>
#include <QObject>
#include <QString>

class QTimer;

namespace vextrum {

class CommPort;

// What the run needs from the window it serves.
class CaptureHost
{
public:
    virtual ~CaptureHost() = default;
    virtual int entryCount() const = 0;
    virtual bool entrySelected(int entry) const = 0;
    virtual void markCaptured(int entry) = 0;
    virtual void getascan() = 0;     // request, clear picture, start the timer
    virtual void showCurrent() = 0;  // draw the current record
    virtual void Unfreez() = 0;      // let the instrument go on
};

class CaptureRun : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Finished, // every selected entry was tried
        Stopped,  // the user stopped it
        Aborted,  // the port was closed or went away
    };

    CaptureRun(Module1 &m, CommPort &port, QTimer &replyTimer, CaptureHost &host, QObject *parent = nullptr);

    void start();
    // The user's stop: the reply in progress is dropped, what was filed
    // stays, the instrument is let go. Nothing when no run is under way.
    void stop();
    bool isRunning() const { return running_; }
    ReplyReceiver &receiver() { return receiver_; }

    // The last run: how it ended, and what it got of what was selected.
    Outcome outcome() const { return outcome_; }
    int received() const { return received_; }
    int total() const { return total_; }
    const QList<int> &notReceived() const { return missed_; } // memory numbers
    // One line for the status bar about the last run.
    QString summary() const;

signals:
    // A request goes out: memory number, its place among the selected
    // entries (1-based), and how many were selected at the start.
    void requesting(int memory, int index, int total);
    void finished();
    // Stopped by the user.
    void stopped();
    // The port was closed or went away: the run ended at once.
    void aborted(const QString &reason);

private:
    enum class Phase { Idle, Waiting, Reading };
    static constexpr int kUntouched = -2; // the run left the current record as it was

    void nextEntry();
    void request();
    void poll();
    void timerTicked();
    void replyFinished(bool complete);
    void entryDone();
    void finish();
    void end();
    void abort(const QString &reason);

    Module1 &m_;
    CommPort &port_;
    QTimer &timer_;
    CaptureHost &host_;
    ReplyReceiver receiver_;
    Phase phase_ = Phase::Idle;
    int entry_ = -1;
    bool retried_ = false;
    bool running_ = false;
    int done_ = 0, total_ = 0, received_ = 0;
    QList<int> missed_;
    Outcome outcome_ = Outcome::Finished;
    QString abortReason_;
    int lastFiled_ = kUntouched; // slot of the record now current; -1: the empty record
    bool wasShowingStored_ = false;
};

} // namespace vextrum
