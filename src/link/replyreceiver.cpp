#include "link/replyreceiver.h"

#include "link/commport.h"
#include "link/unpack.h"

namespace vextrum {

ReplyReceiver::ReplyReceiver(CommPort &port, RxBuffer &buffer, QObject *parent)
    : QObject(parent), port_(port), buffer_(buffer), reader_(buffer)
{
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietLimitMs);
    connect(&quiet_, &QTimer::timeout, this, [this] { end(false); });
    connect(&port_, &CommPort::dataArrived, this, [this] {
        if (reading_)
            consume();
    });
    connect(&port_, &CommPort::portLost, this, [this] {
        if (reading_)
            end(false);
    });
    connect(&port_, &CommPort::closed, this, [this] {
        if (reading_)
            end(false);
    });
}

void ReplyReceiver::begin(Record &target)
{
    target_ = &target;
    port_.setRThreshold(0);
    reader_.reset();
    reading_ = true;
    quiet_.start();
    consume();
}

void ReplyReceiver::abandon()
{
    if (reading_)
        end(false);
}

void ReplyReceiver::consume()
{
    port_.setInputLen(1);
    bool progressed = false;
    while (reading_ && port_.inBufferCount() > 0) {
        const QByteArray b = port_.input();
        if (b.isEmpty())
            break;
        progressed = true;
        if (reader_.feed(std::uint8_t(b[0])) == ReplyReader::Status::Done) {
            unpackReply(buffer_, *target_);
            end(true);
            return;
        }
    }
    if (progressed)
        quiet_.start();
}

void ReplyReceiver::end(bool complete)
{
    quiet_.stop();
    reading_ = false;
    // Whatever follows the reply (or the rest of a broken one) is dropped.
    port_.setInputLen(0);
    port_.input();
    port_.setRThreshold(1);
    emit finished(complete);
}

} // namespace vextrum
