#include "link/session.h"

#include "link/frames.h"

#include <algorithm>
#include <cmath>

namespace vextrum {

Session::Session(const LinkTimeouts &timeouts, QObject *parent)
    : QObject(parent), timeouts_(timeouts), store_(this), port_(this), capture_(store_, port_, timeouts_, this),
      receivePath_(port_, timeouts_, this), tail_(this)
{
    port_.setObjectName(QStringLiteral("Comm1"));
    port_.setOutBufferSize(30);

    // The rest of a reply cut short is still on its way: it is dropped
    // until the line has been quiet a while, so that no byte of it is
    // taken for the start of a reply.
    tail_.setSingleShot(true);
    tail_.setTimerType(Qt::PreciseTimer); // a coarse timer may end the bound early
    tail_.setInterval(timeouts_.tailQuietMs);
    connect(&tail_, &QTimer::timeout, this, [this] {
        if (port_.isOpen() && port_.inBufferCount() > 0) {
            tailBytesArrived();
            if (tail_.isActive())
                return;
        }
        // Whether the line fell quiet is known by which wait ran out, not
        // by the clock, which a timer may read a little before the bound.
        if (tailBounded_ || tailClock_.elapsed() >= timeouts_.tailMostMs)
            emit status(tr("Capture is back, though the instrument is still sending"));
        else if (tailSaid_)
            emit status(tr("The line is quiet: Capture is back"));
        emit busyChanged();
    });

    auto runEnded = [this] {
        if (capture_.outcome() != CaptureRun::Outcome::Finished)
            dropTail();
        emit busyChanged();
    };
    connect(&capture_, &CaptureRun::finished, this, runEnded);
    connect(&capture_, &CaptureRun::stopped, this, runEnded);
    connect(&capture_, &CaptureRun::aborted, this, runEnded);
    connect(&receivePath_, &ReplyReceiver::finished, this, &Session::receivedReplyFinished);
    connect(&port_, &CommPort::onComm, this, &Session::Comm1_OnComm);
    connect(&port_, &CommPort::portLost, this, &Session::busyChanged);
}

Session::~Session()
{
    ending_ = true;
}

bool Session::openPort()
{
    if (port_.isOpen())
        port_.close();
    port_.setCommPort(portNumber_);
    port_.setDevice(portDevice_);
    port_.setSettings(QString::fromLatin1(kLinkSettings));
    port_.setRThreshold(1);
    return port_.open();
}

void Session::flushInput()
{
    port_.setInputLen(0);
    port_.input();
    port_.setInputLen(1);
}

bool Session::busy() const
{
    return capture_.isRunning() || receivePath_.isReading() || tail_.isActive();
}

Session::CaptureStart Session::startCapture(CaptureRun::Selection selected)
{
    if (busy())
        return CaptureStart::Busy;
    if (!port_.isOpen())
        return CaptureStart::PortClosed;
    capture_.start(std::move(selected));
    emit busyChanged();
    return CaptureStart::Started;
}

void Session::dropTail()
{
    flushInput();
    tailClock_.start();
    tailSaid_ = false;
    tailBounded_ = false;
    tail_.start(timeouts_.tailQuietMs);
    emit busyChanged();
}

// Bytes during the tail drop: dropped, and the wait for a quiet line
// starts again, but never beyond its bound, so an instrument that keeps
// sending cannot keep Capture away.
void Session::tailBytesArrived()
{
    flushInput();
    if (tailClock_.elapsed() >= timeouts_.tailMostMs)
        return; // the timer runs out: Capture comes back
    // The rest of a reply cut short takes under a second at the line's
    // rate; only bytes beyond that are worth a word.
    if (!tailSaid_ && tailClock_.elapsed() >= timeouts_.tailMostMs / 2) {
        tailSaid_ = true;
        emit status(tr("The instrument is still sending: Capture is back once the line is quiet, within %1 s")
                        .arg(timeouts_.tailMostMs / 1000.0));
    }
    const qint64 left = timeouts_.tailMostMs - tailClock_.elapsed();
    tailBounded_ = left < timeouts_.tailQuietMs;
    tail_.start(int(std::clamp<qint64>(left, 1, timeouts_.tailQuietMs)));
}

void Session::Comm1_OnComm(int event)
{
    if (capture_.isRunning() || receivePath_.isReading())
        return;
    if (tail_.isActive()) {
        tailBytesArrived();
        return;
    }
    if (event != CommPort::kEventReceive)
        return;
    port_.setInputLen(1);
    if (port_.inBufferCount() == 0)
        return;
    // Whatever stands ahead of a start byte belongs to no reply: dropped
    // all at once, however much it is.
    if (!port_.skipToStartByte())
        return;
    receivePath_.begin(store_.current());
    emit busyChanged();
}

void Session::receivedReplyFinished(bool complete)
{
    const QString noMemory = tr("Bytes on the line that were no memory were dropped");
    if (!complete && receivePath_.readWholeButNoMemory()) {
        // Noise read to its end: nothing of it is still coming.
        emit busyChanged();
        emit status(noMemory);
        return;
    }
    if (!complete) {
        // A reply cut short is never filed, nor is its rest.
        dropTail();
        emit status(port_.isOpen() ? tr("A reply from the instrument stopped part-way: nothing filed")
                                   : tr("A reply from the instrument was dropped: the serial port was closed"));
        return;
    }
    emit busyChanged();
    const Record &record = receivePath_.record();
    const double k = ownNumber(record);
    if (k < 1 || k > kMemoryCount || k != std::floor(k)) {
        // Numbered as no memory of the store: nothing filed, the screen as it was.
        emit status(noMemory);
        return;
    }
    const int slot = int(k) - 1;
    store_.file(slot, record);
    emit status(tr("Mem %1 received").arg(slot + 1));
}

void Session::end()
{
    if (ending_)
        return;
    ending_ = true;
    port_.close();
}

} // namespace vextrum
