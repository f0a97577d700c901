#pragma once
// Takes in the rest of a reply once its first start byte has been read,
// as bytes arrive (no waiting loop), a bounded slice per turn of the event
// loop, then unpacks it into a record. A reply that stops part-way is given
// up after a quiet spell, and one that never ends (a byte now and then, or
// endless fill) after a bound on the whole reply; neither is unpacked. A
// reply that holds what no real reply does (link/replycheck.h) is line
// noise: read whole and dropped, the record left as it was.

#include "link/replyreader.h"
#include "link/timeouts.h"
#include "store/record.h"

#include <QObject>
#include <QTimer>

namespace vextrum {

class CommPort;

class ReplyReceiver : public QObject
{
    Q_OBJECT
public:
    ReplyReceiver(CommPort &port, const LinkTimeouts &timeouts, QObject *parent = nullptr);

    // Notifications off, then reads what is there and waits for the rest.
    // The reply is unpacked over `base`: the positions a reply does not
    // carry keep base's values.
    void begin(const Record &base);
    // The reply last read whole, once finished(true) was sent.
    const Record &record() const { return record_; }
    bool isReading() const { return reading_; }
    // Ends a reading at once: nothing is unpacked. A close of the port or
    // its loss does the same by itself.
    void abandon();
    // The last reading was read to its end but was no memory: line noise,
    // not a reply cut short, so nothing of it is still coming.
    bool readWholeButNoMemory() const { return noMemory_; }

signals:
    // complete: the reply was read whole, is a memory, and was unpacked
    // into record().
    void finished(bool complete);

private:
    void consume();
    void readLater();
    void end(bool complete);

    CommPort &port_;
    RxBuffer buffer_{};
    ReplyReader reader_;
    QTimer quiet_;
    QTimer whole_;
    Record record_{};
    bool reading_ = false;
    bool readPosted_ = false;
    bool noMemory_ = false;
};

} // namespace vextrum
