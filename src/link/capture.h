#pragma once
// The Capture run: for each selected memory in order, request it, wait for
// its reply's start byte, take the reply in, and file it when it carries
// the number asked for. One retry after a silent wait. Driven by the
// port's arrivals and its own reply timer: it never waits in a loop, so
// the window stays live and the processor idle.

#include "link/replyreceiver.h"
#include "link/timeouts.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace vextrum {

class CommPort;
class MemoryStore;

class CaptureRun : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Finished, // every selected entry was tried
        Stopped,  // the user stopped it
        Aborted,  // the port was closed or went away
    };
    // Whether the list entry of a slot is selected, asked as the run goes:
    // an entry selected during the run is still taken when its turn comes.
    using Selection = std::function<bool(int slot)>;

    CaptureRun(MemoryStore &store, CommPort &port, const LinkTimeouts &timeouts, QObject *parent = nullptr);

    void start(Selection selected);
    // The user's stop: the reply in progress is dropped, what was filed
    // stays, the instrument is let go. Nothing when no run is under way.
    void stop();
    bool isRunning() const { return running_; }
    ReplyReceiver &receiver() { return receiver_; }
    // The reply timer "tmrwt": started with each request.
    QTimer &replyTimer() { return timer_; }
    int requestedMemory() const { return requested_; }

    // Sends the request for the memory asked for and starts the reply timer.
    void getascan();
    // The reply timer's tick: a silent wait is over.
    void tmrwt_Timer();
    // Lets the instrument go on after a run.
    void Unfreez();

    // The last run: how it ended, and what it got of what was selected.
    Outcome outcome() const { return outcome_; }
    int received() const { return received_; }
    int total() const { return total_; }
    const QList<int> &notReceived() const { return missed_; } // memory numbers
    // One line for the status bar about the last run.
    QString summary() const;

signals:
    // A request goes out (the picture is cleared for its reply): memory
    // number, its place among the selected entries (1-based), and how many
    // were selected at the start.
    void requesting(int memory, int index, int total);
    void finished();
    // Stopped by the user.
    void stopped();
    // The port was closed or went away: the run ended at once.
    void aborted(const QString &reason);

private:
    void leftUndone();
    enum class Phase { Idle, Waiting, Reading };

    void nextEntry();
    void request();
    void poll();
    void replyFinished(bool complete);
    void entryDone();
    void finish();
    void end();
    void abort(const QString &reason);

    MemoryStore &store_;
    CommPort &port_;
    QTimer timer_;
    ReplyReceiver receiver_;
    Selection selected_;
    Phase phase_ = Phase::Idle;
    int entry_ = -1;
    int requested_ = 0;
    bool retried_ = false;
    bool running_ = false;
    int done_ = 0, total_ = 0, received_ = 0;
    QList<int> missed_;
    Outcome outcome_ = Outcome::Finished;
    QString abortReason_;
    bool touched_ = false;         // the run put a record on screen
    bool wasShowingStored_ = false;
};

} // namespace vextrum
