#pragma once
// Takes in the rest of a reply once its first start byte has been read,
// as bytes arrive (no waiting loop), then unpacks it into a record. A reply
// that stops part-way is given up after a quiet spell and never unpacked.

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
    static constexpr int kQuietLimitMs = 2000; // no byte for this long: stalled

    ReplyReceiver(CommPort &port, RxBuffer &buffer, QObject *parent = nullptr);

    // Notifications off, then reads what is there and waits for the rest.
    void begin(Record &target);
    bool isReading() const { return reading_; }
    // Ends a reading at once: nothing is unpacked. A close of the port or
    // its loss does the same by itself.
    void abandon();
    void setQuietLimit(int ms) { quiet_.setInterval(ms); }

signals:
    // complete: the reply was read whole and unpacked into the target.
    void finished(bool complete);

private:
    void consume();
    void end(bool complete);

    CommPort &port_;
    RxBuffer &buffer_;
    ReplyReader reader_;
    QTimer quiet_;
    Record *target_ = nullptr;
    bool reading_ = false;
};

} // namespace vextrum
