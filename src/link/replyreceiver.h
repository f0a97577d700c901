#pragma once
// Takes in the rest of a reply once its first start byte has been read,
// as bytes arrive (no waiting loop), a bounded slice per turn of the event
// loop, then unpacks it into a record. A reply that stops part-way is given
// up after a quiet spell, and one that never ends (a byte now and then, or
// endless fill) after a bound on the whole reply; neither is unpacked. A
// reply whose own number is not three digits is no memory: read whole and
// dropped, the record left as it was.

#include "link/replyreader.h"
#include "store/record.h"

#include <QObject>
#include <QTimer>

namespace vextrum {

class CommPort;

class ReplyReceiver : public QObject
{
    Q_OBJECT
public:
    static constexpr int kQuietLimitMs = 2000;  // no byte for this long: stalled
    // A whole reply is about 1600 bytes and fill: 1.7 s at the line rate.
    static constexpr int kReplyLimitMs = 10000; // not complete by then: given up

    ReplyReceiver(CommPort &port, RxBuffer &buffer, QObject *parent = nullptr);

    // Notifications off, then reads what is there and waits for the rest.
    void begin(Record &target);
    bool isReading() const { return reading_; }
    // Ends a reading at once: nothing is unpacked. A close of the port or
    // its loss does the same by itself.
    void abandon();
    void setQuietLimit(int ms) { quiet_.setInterval(ms); }
    // The last reading was read to its end but carried no memory number:
    // line noise, not a reply cut short, so nothing of it is still coming.
    bool readWholeButNoMemory() const { return noMemory_; }

signals:
    // complete: the reply was read whole, is a memory, and was unpacked
    // into the target.
    void finished(bool complete);

private:
    void consume();
    void readLater();
    void end(bool complete);

    CommPort &port_;
    RxBuffer &buffer_;
    ReplyReader reader_;
    QTimer quiet_;
    QTimer whole_;
    Record *target_ = nullptr;
    bool reading_ = false;
    bool readPosted_ = false;
    bool noMemory_ = false;
};

} // namespace vextrum
