#include "link/replyreceiver.h"

#include "link/commport.h"
#include "link/replycheck.h"
#include "link/unpack.h"

namespace vextrum {

ReplyReceiver::ReplyReceiver(CommPort &port, const LinkTimeouts &timeouts, QObject *parent)
    : QObject(parent), port_(port), reader_(buffer_)
{
    quiet_.setSingleShot(true);
    quiet_.setInterval(timeouts.quietMs);
    connect(&quiet_, &QTimer::timeout, this, [this] { end(false); });
    whole_.setSingleShot(true);
    whole_.setInterval(timeouts.replyMs);
    connect(&whole_, &QTimer::timeout, this, [this] { end(false); });
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

void ReplyReceiver::begin(const Record &base)
{
    record_ = base;
    port_.setRThreshold(0);
    reader_.reset();
    reading_ = true;
    noMemory_ = false;
    quiet_.start();
    whole_.start();
    consume();
}

void ReplyReceiver::abandon()
{
    if (reading_)
        end(false);
}

void ReplyReceiver::consume()
{
    if (!reading_)
        return;
    port_.setInputLen(CommPort::kSlice);
    const QByteArray slice = port_.input();
    port_.setInputLen(1);
    if (slice.isEmpty())
        return;
    quiet_.start();
    for (const char c : slice) {
        if (reader_.feed(std::uint8_t(c)) != ReplyReader::Status::Done)
            continue;
        // Read whole; the rest of this slice is what follows the reply.
        Record record = record_;
        unpackReply(buffer_, record);
        const bool memory = isMemoryReply(record);
        if (memory)
            record_ = record;
        noMemory_ = !memory;
        end(memory);
        return;
    }
    if (port_.inBufferCount() > 0)
        readLater(); // the rest on the next turn: the window gets its turn first
}

void ReplyReceiver::readLater()
{
    if (readPosted_)
        return;
    readPosted_ = true;
    QTimer::singleShot(0, this, [this] {
        readPosted_ = false;
        consume();
    });
}

void ReplyReceiver::end(bool complete)
{
    quiet_.stop();
    whole_.stop();
    reading_ = false;
    // Whatever follows the reply (or the rest of a broken one) is dropped.
    port_.setInputLen(0);
    port_.input();
    port_.setRThreshold(1);
    emit finished(complete);
}

} // namespace vextrum
