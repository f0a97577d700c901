#include "link/capture.h"

#include "link/commport.h"

#include <QTimer>

namespace vextrum {

CaptureRun::CaptureRun(Module1 &m, CommPort &port, QTimer &replyTimer, CaptureHost &host, QObject *parent)
    : QObject(parent), m_(m), port_(port), timer_(replyTimer), host_(host), receiver_(port, m.rxBuffer)
{
    connect(&port_, &CommPort::dataArrived, this, [this] {
        if (phase_ == Phase::Waiting)
            poll();
    });
    // Connected after the window's own tick handler, which sets the flag.
    connect(&timer_, &QTimer::timeout, this, &CaptureRun::timerTicked);
    connect(&receiver_, &ReplyReceiver::finished, this, &CaptureRun::replyFinished);
    connect(&port_, &CommPort::portLost, this, &CaptureRun::abort);
    connect(&port_, &CommPort::closed, this, [this] { abort(tr("the serial port was closed")); });
}

void CaptureRun::start()
{
    if (running_)
        return;
    running_ = true;
    m_.capturing = true;
    entry_ = -1;
    done_ = 0;
    total_ = 0;
    received_ = 0;
    missed_.clear();
    outcome_ = Outcome::Finished;
    abortReason_.clear();
    for (int i = 0; i < host_.entryCount(); ++i)
        total_ += host_.entrySelected(i);
    // The first request clears the picture: until the end of the run no
    // stored memory is on screen for the notes to go to.
    lastFiled_ = kUntouched;
    wasShowingStored_ = m_.showingStored;
    m_.showingStored = false;
    nextEntry();
}

void CaptureRun::stop()
{
    if (!running_)
        return;
    phase_ = Phase::Idle; // the reply being dropped must not count
    receiver_.abandon();
    timer_.stop();
    m_.timedOut = false;
    outcome_ = Outcome::Stopped;
    end();
    host_.Unfreez();
    emit stopped();
}

void CaptureRun::nextEntry()
{
    const int count = host_.entryCount();
    do {
        ++entry_;
    } while (entry_ < count && !host_.entrySelected(entry_));
    if (entry_ >= count) {
        finish();
        return;
    }
    retried_ = false;
    request();
}

void CaptureRun::request()
{
    m_.requestedMemory = entry_ + 1;
    emit requesting(m_.requestedMemory, std::min(done_ + 1, std::max(total_, 1)), total_);
    host_.getascan();
    port_.setInputLen(1);
    phase_ = Phase::Waiting;
    poll();
}

void CaptureRun::poll()
{
    // Bytes ahead of the start byte cannot belong to the reply: dropped
    // all at once.
    if (phase_ == Phase::Waiting && port_.skipToStartByte()) {
        phase_ = Phase::Reading;
        receiver_.begin(m_.current);
    }
}

void CaptureRun::timerTicked()
{
    if (phase_ != Phase::Waiting)
        return; // a tick while a reply comes in changes nothing
    if (!m_.timedOut)
        return;
    if (!retried_) {
        retried_ = true;
        request();
        return;
    }
    missed_ << entry_ + 1;
    entryDone();
}

void CaptureRun::replyFinished(bool complete)
{
    if (phase_ != Phase::Reading || !port_.isOpen())
        return; // the port went away: abort() ends the run
    bool filed = false;
    if (complete) {
        if (ownNumber(m_.current) == m_.requestedMemory) {
            host_.markCaptured(entry_);
            m_.store[entry_] = m_.current;
            lastFiled_ = entry_;
            filed = true;
        } else {
            m_.current = emptyRecord();
            lastFiled_ = -1;
        }
    }
    if (filed)
        ++received_;
    else
        missed_ << entry_ + 1;
    // A reply that stopped part-way, never ended, or carried no memory
    // number is never filed: the memory failed, the record is as it was.
    timer_.stop();
    m_.timedOut = false;
    entryDone();
}

void CaptureRun::entryDone()
{
    phase_ = Phase::Idle;
    ++done_;
    nextEntry();
}

void CaptureRun::finish()
{
    outcome_ = Outcome::Finished;
    end();
    host_.Unfreez();
    emit finished();
}

// The current record goes back on screen; the notes go to the memory it
// is, if it is one.
void CaptureRun::end()
{
    phase_ = Phase::Idle;
    if (lastFiled_ >= 0) {
        m_.shownSlot = std::int16_t(lastFiled_);
        m_.showingStored = true;
    } else {
        // Untouched: still what was shown before, or double-clicked since.
        m_.showingStored = lastFiled_ == kUntouched && (wasShowingStored_ || m_.showingStored);
    }
    host_.showCurrent();
    m_.capturing = false;
    running_ = false;
}

void CaptureRun::abort(const QString &reason)
{
    if (!running_)
        return;
    phase_ = Phase::Idle;
    receiver_.abandon();
    timer_.stop();
    m_.timedOut = false;
    outcome_ = Outcome::Aborted;
    abortReason_ = reason;
    end();
    emit aborted(reason);
}

QString CaptureRun::summary() const
{
    if (total_ == 0)
        return tr("Nothing selected: select memories in the list, then press Capture.");
    const QString counts = tr("%1 of %2 received").arg(received_).arg(total_);
    switch (outcome_) {
    case Outcome::Stopped:
        return tr("Capture stopped: %1").arg(counts);
    case Outcome::Aborted:
        return tr("Capture stopped: %1; %2").arg(counts, abortReason_);
    case Outcome::Finished:
        break;
    }
    if (missed_.isEmpty())
        return tr("Capture finished: %1").arg(counts);
    constexpr int kNamed = 10;
    QStringList names;
    for (int k = 0; k < missed_.size() && k < kNamed; ++k)
        names << QStringLiteral("Mem %1").arg(missed_[k]);
    if (missed_.size() > kNamed)
        names << QStringLiteral("\u2026");
    return tr("Capture finished: %1; not received: %2").arg(counts, names.join(QStringLiteral(", ")));
}

} // namespace vextrum
