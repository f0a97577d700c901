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
    for (int i = 0; i < host_.entryCount(); ++i)
        total_ += host_.entrySelected(i);
    nextEntry();
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
    entryDone();
}

void CaptureRun::replyFinished(bool complete)
{
    if (phase_ != Phase::Reading || !port_.isOpen())
        return; // the port went away: abort() ends the run
    if (complete) {
        if (ownNumber(m_.current) == m_.requestedMemory) {
            host_.markCaptured(entry_);
            m_.store[entry_] = m_.current;
        } else {
            m_.current = emptyRecord();
        }
    }
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
    phase_ = Phase::Idle;
    host_.showCurrent();
    host_.Unfreez();
    m_.capturing = false;
    running_ = false;
    emit finished();
}

void CaptureRun::abort(const QString &reason)
{
    if (!running_)
        return;
    receiver_.abandon();
    timer_.stop();
    m_.timedOut = false;
    phase_ = Phase::Idle;
    host_.showCurrent();
    m_.capturing = false;
    running_ = false;
    emit aborted(reason);
}

} // namespace vextrum
