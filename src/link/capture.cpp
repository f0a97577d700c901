#include "link/capture.h"

#include "link/commport.h"
#include "link/frames.h"
#include "store/memorystore.h"

namespace vextrum {

CaptureRun::CaptureRun(MemoryStore &store, CommPort &port, const LinkTimeouts &timeouts, QObject *parent)
    : QObject(parent), store_(store), port_(port), timer_(this), receiver_(port, timeouts)
{
    timer_.setObjectName(QStringLiteral("tmrwt"));
    timer_.setInterval(timeouts.requestMs);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &CaptureRun::tmrwt_Timer);
    connect(&port_, &CommPort::dataArrived, this, [this] {
        if (phase_ == Phase::Waiting)
            poll();
    });
    connect(&receiver_, &ReplyReceiver::finished, this, &CaptureRun::replyFinished);
    connect(&port_, &CommPort::portLost, this, &CaptureRun::abort);
    connect(&port_, &CommPort::closed, this, [this] { abort(tr("the serial port was closed")); });
}

void CaptureRun::start(Selection selected)
{
    if (running_)
        return;
    running_ = true;
    selected_ = std::move(selected);
    entry_ = -1;
    done_ = 0;
    total_ = 0;
    received_ = 0;
    missed_.clear();
    outcome_ = Outcome::Finished;
    abortReason_.clear();
    for (int s = 0; s < kMemoryCount; ++s)
        total_ += selected_(s);
    // The first request clears the picture: until something arrives no
    // stored memory is on screen for the notes to go to.
    touched_ = false;
    wasShowingStored_ = store_.showingStored();
    store_.setShowingStored(false);
    nextEntry();
}

void CaptureRun::stop()
{
    if (!running_)
        return;
    phase_ = Phase::Idle; // the reply being dropped must not count
    receiver_.abandon();
    timer_.stop();
    outcome_ = Outcome::Stopped;
    leftUndone();
    end();
    Unfreez();
    emit stopped();
}

void CaptureRun::nextEntry()
{
    do {
        ++entry_;
    } while (entry_ < kMemoryCount && !selected_(entry_));
    if (entry_ >= kMemoryCount) {
        finish();
        return;
    }
    retried_ = false;
    request();
}

void CaptureRun::request()
{
    requested_ = entry_ + 1;
    emit requesting(requested_, std::min(done_ + 1, std::max(total_, 1)), total_);
    getascan();
    port_.setInputLen(1);
    phase_ = Phase::Waiting;
    poll();
}

void CaptureRun::getascan()
{
    for (const QByteArray &f : memoryRequest(requested_))
        port_.output(f);
    timer_.start();
}

void CaptureRun::Unfreez()
{
    for (const QByteArray &f : unfreezeSequence())
        port_.output(f);
}

void CaptureRun::poll()
{
    // Bytes ahead of the start byte cannot belong to the reply: dropped
    // all at once.
    if (phase_ == Phase::Waiting && port_.skipToStartByte()) {
        phase_ = Phase::Reading;
        receiver_.begin(store_.current());
    }
}

void CaptureRun::tmrwt_Timer()
{
    timer_.stop();
    if (phase_ != Phase::Waiting)
        return; // a tick while a reply comes in changes nothing
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
    timer_.stop();
    // A reply that stopped part-way, never ended, or carried no memory
    // number is never filed: the memory failed, the record is as it was.
    // One that carries another memory's number leaves an empty screen.
    const bool filed = complete && ownNumber(receiver_.record()) == requested_;
    if (filed) {
        ++received_;
        touched_ = true;
        store_.file(entry_, receiver_.record());
    } else {
        missed_ << entry_ + 1;
        if (complete) {
            touched_ = true;
            store_.showRecord(emptyRecord());
        }
    }
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
    Unfreez();
    emit finished();
}

// The record on screen is drawn again; the notes go to the memory it is,
// if it is one.
void CaptureRun::end()
{
    phase_ = Phase::Idle;
    running_ = false;
    // Untouched: still what was shown before, or double-clicked since.
    if (!touched_ && wasShowingStored_)
        store_.setShowingStored(true);
    store_.showAgain();
}

void CaptureRun::abort(const QString &reason)
{
    if (!running_)
        return;
    phase_ = Phase::Idle;
    receiver_.abandon();
    timer_.stop();
    outcome_ = Outcome::Aborted;
    abortReason_ = reason;
    leftUndone();
    end();
    emit aborted(reason);
}

// A run cut short: the memory being asked for and those not yet reached
// were not received either.
void CaptureRun::leftUndone()
{
    for (int s = std::max(entry_, 0); s < kMemoryCount; ++s)
        if (selected_(s) && !missed_.contains(s + 1))
            missed_ << s + 1;
}

QString CaptureRun::summary() const
{
    if (total_ == 0)
        return tr("Nothing selected: select memories in the list, then press Capture.");
    QString text = tr("%1 of %2 received").arg(received_).arg(total_);
    if (!missed_.isEmpty()) {
        constexpr int kNamed = 10;
        QStringList names;
        for (int k = 0; k < missed_.size() && k < kNamed; ++k)
            names << QStringLiteral("Mem %1").arg(missed_[k]);
        if (missed_.size() > kNamed)
            names << QStringLiteral("\u2026");
        text += tr("; not received: %1").arg(names.join(QStringLiteral(", ")));
    }
    switch (outcome_) {
    case Outcome::Stopped:
        return tr("Capture stopped: %1").arg(text);
    case Outcome::Aborted:
        return tr("Capture stopped: %1; %2").arg(text, abortReason_);
    case Outcome::Finished:
        break;
    }
    return tr("Capture finished: %1").arg(text);
}

} // namespace vextrum
