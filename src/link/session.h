#pragma once
// The session with the instrument: it owns the memory store, the serial
// port Comm1, the Capture run and the receive path (memories the
// instrument sends by itself). Windows are handed the session, or the part
// of it they need; they show its state and forward what the user does.

#include "link/capture.h"
#include "link/commport.h"
#include "link/replyreceiver.h"
#include "link/timeouts.h"
#include "store/memorystore.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace vextrum {

class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(const LinkTimeouts &timeouts = {}, QObject *parent = nullptr);
    ~Session() override;

    MemoryStore &store() { return store_; }
    const MemoryStore &store() const { return store_; }
    CommPort &port() { return port_; }
    CaptureRun &capture() { return capture_; }
    ReplyReceiver &receivePath() { return receivePath_; }
    const LinkTimeouts &timeouts() const { return timeouts_; }

    // The configured port, 1 to 4 (0 before one is read).
    int portNumber() const { return portNumber_; }
    void setPortNumber(int port) { portNumber_ = port; }
    // A serial device the system reports, opened instead of the numbered
    // port when not empty.
    const QString &portDevice() const { return portDevice_; }
    void setPortDevice(const QString &device) { portDevice_ = device; }
    // Closes the port, selects portNumber() at the link's settings and
    // opens it; false when it cannot be opened.
    bool openPort();
    // Reads and discards all pending input, leaving the read length at 1.
    void flushInput();

    // One reader on the port at a time: a Capture run, a reply coming in
    // by itself, or the rest of a broken reply being dropped.
    bool busy() const;
    bool capturing() const { return capture_.isRunning(); }

    enum class CaptureStart { Started, Busy, PortClosed };
    CaptureStart startCapture(CaptureRun::Selection selected);

    // The port's notification: a reply the instrument sends by itself.
    void Comm1_OnComm(int event);

    // The program is closing: the port is released and windows going away
    // must not reopen anything.
    void end();
    bool ending() const { return ending_; }

signals:
    // A line for the user about what the link did.
    void status(const QString &text);
    // busy() may have changed.
    void busyChanged();

private:
    void tailBytesArrived();
    void receivedReplyFinished(bool complete);
    void dropTail();

    LinkTimeouts timeouts_;
    MemoryStore store_;
    CommPort port_;
    CaptureRun capture_;
    ReplyReceiver receivePath_;
    QTimer tail_;
    QElapsedTimer tailClock_; // since the tail drop began
    bool tailSaid_ = false;
    bool tailBounded_ = false; // the timer runs to the bound, not to a quiet line
    int portNumber_ = 0;
    QString portDevice_;
    bool ending_ = false;
};

} // namespace vextrum
