#pragma once
// The Capture run: for each selected list entry in order, request the
// memory, wait for its reply's start byte, take the reply in, and file it
// when it carries the number asked for. One retry after a silent wait.
// Driven by the port's arrivals and the reply timer: it never waits in a
// loop, so the window stays live and the processor idle.

#include "store/module1.h"
#include "link/replyreceiver.h"

#include <QObject>

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
    CaptureRun(Module1 &m, CommPort &port, QTimer &replyTimer, CaptureHost &host, QObject *parent = nullptr);

    void start();
    bool isRunning() const { return running_; }
    ReplyReceiver &receiver() { return receiver_; }

signals:
    // A request goes out: memory number, its place among the selected
    // entries (1-based), and how many were selected at the start.
    void requesting(int memory, int index, int total);
    void finished();
    // The port went away: the run ended at once.
    void aborted(const QString &reason);

private:
    enum class Phase { Idle, Waiting, Reading };

    void nextEntry();
    void request();
    void poll();
    void timerTicked();
    void replyFinished(bool complete);
    void entryDone();
    void finish();
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
    int done_ = 0, total_ = 0;
};

} // namespace vextrum
