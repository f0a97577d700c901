#include "simkit/simulator.h"

#include "files/datafile.h"
#include "simkit/ptypair.h"
#include "simkit/replybuilder.h"

#include <algorithm>

namespace vextrum {

namespace {

constexpr int kPaceIntervalMs = 10;
constexpr qsizetype kFastChunk = 4096; // at full speed, one pty buffer a tick

bool isFrame(const char *bytes)
{
    if (bytes[0] == 'Z')
        return false;
    return std::all_of(bytes + 1, bytes + kFrameLength, [](char c) { return c == 'Z'; });
}

QByteArray noise(int count)
{
    QByteArray bytes(std::max(0, count), '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 53 + 7) % 255); // 0..254: never a start byte
    return bytes;
}

} // namespace

InstrumentSimulator::InstrumentSimulator(const SimulatorOptions &options, QObject *parent)
    : QObject(parent), options_(options), pty_(std::make_unique<PtyPair>())
{
    if (!pty_->isValid()) {
        error_ = tr("No pseudo-terminal could be opened");
        return;
    }
    connect(pty_.get(), &PtyPair::received, this, &InstrumentSimulator::takeBytes);

    records_.reserve(kMemoryCount);
    if (options_.file.isEmpty()) {
        for (int m = 1; m <= kMemoryCount; ++m)
            records_.push_back(sampleMemory(m));
    } else {
        auto store = std::make_unique<Store>();
        initialiseStore(*store);
        const OpenResult result = readDataFile(options_.file, *store);
        if (result.status != OpenResult::Ok) {
            error_ = options_.file + QStringLiteral(": ") + result.message();
            return;
        }
        records_.assign(store->begin(), store->begin() + kMemoryCount);
    }

    pacer_.setTimerType(Qt::PreciseTimer);
    pacer_.setInterval(options_.rate > 0 ? kPaceIntervalMs : 0);
    connect(&pacer_, &QTimer::timeout, this, &InstrumentSimulator::pump);

    if (options_.unaskedMemory > 0)
        QTimer::singleShot(std::max(0, options_.unaskedAfterMs), this,
                           [this] { sendMemory(options_.unaskedMemory); });
}

InstrumentSimulator::~InstrumentSimulator() = default;

QString InstrumentSimulator::devicePath() const
{
    return pty_->slavePath();
}

Record InstrumentSimulator::recordFor(int memory) const
{
    if (memory >= 1 && memory <= int(records_.size()))
        return records_[memory - 1];
    return sampleMemory(memory);
}

void InstrumentSimulator::setRecord(int memory, const Record &record)
{
    if (memory >= 1 && memory <= int(records_.size()))
        records_[memory - 1] = record;
}

qsizetype InstrumentSimulator::pendingBytes() const
{
    qsizetype n = -headSent_;
    for (const Outgoing &o : outgoing_)
        n += o.bytes.size();
    return n;
}

void InstrumentSimulator::takeBytes(const QByteArray &bytes)
{
    // Frames follow each other without separators; a byte that starts no
    // frame is passed over so one stray byte cannot misalign all the rest.
    incoming_ += bytes;
    qsizetype at = 0;
    QByteArray junk;
    while (incoming_.size() - at >= kFrameLength) {
        if (isFrame(incoming_.constData() + at)) {
            if (!junk.isEmpty()) {
                emit junkReceived(junk);
                junk.clear();
            }
            handleFrame(incoming_.mid(at, kFrameLength));
            at += kFrameLength;
        } else {
            junk += incoming_.at(at++);
        }
    }
    incoming_.remove(0, at);
    if (!junk.isEmpty())
        emit junkReceived(junk);
}

void InstrumentSimulator::handleFrame(const QByteArray &frame)
{
    emit frameReceived(frame);
    const char lead = frame.at(0);
    if (lead == 'R') { // an R always starts a sequence afresh
        expect_ = Expect::AorF;
        return;
    }
    switch (expect_) {
    case Expect::R:
        break;
    case Expect::AorF:
        if (lead == 'A') {
            expect_ = Expect::Digit;
            digits_ = number_ = 0;
            return;
        }
        if (lead == 'F')
            emit unfreezeReceived();
        break;
    case Expect::Digit:
        if (lead >= '0' && lead <= '9') {
            number_ = number_ * 10 + (lead - '0');
            if (++digits_ < 3)
                return;
            handleRequest(number_);
        }
        break;
    }
    expect_ = Expect::R;
}

void InstrumentSimulator::handleRequest(int memory)
{
    emit requestReceived(memory);
    if (memory < 1 || memory > kMemoryCount)
        return; // the instrument holds no such memory
    if (options_.noAnswer)
        return;
    if (options_.secondRequestOnly && ++unanswered_[memory] < 2)
        return;
    unanswered_.remove(memory);
    const int sent = options_.wrongMemory ? memory + 1 : memory;
    QTimer::singleShot(std::max(0, options_.delayMs), this, [this, sent] { sendMemory(sent); });
}

void InstrumentSimulator::sendMemory(int memory)
{
    ReplyShape shape;
    shape.fillBytes = options_.fillBytes;
    shape.gapByte = options_.gapStartByte ? 255 : 0;
    QByteArray reply = buildReply(recordFor(memory), shape);
    if (options_.cutAfter >= 0)
        reply.truncate(options_.cutAfter);
    outgoing_.push_back({noise(options_.noiseBytes) + reply, memory});
    if (!pacer_.isActive()) {
        clock_.start();
        sentOnClock_ = 0;
        pacer_.start();
    }
}

void InstrumentSimulator::pump()
{
    // Bytes due by now at the line rate, less those already written: late
    // timer ticks are made up, so the average rate holds exactly.
    qint64 allowed = kFastChunk;
    if (options_.rate > 0)
        allowed = clock_.elapsed() * options_.rate / 1000 - sentOnClock_;
    while (allowed > 0 && !outgoing_.empty()) {
        Outgoing &head = outgoing_.front();
        const qsizetype n = std::min<qsizetype>(allowed, head.bytes.size() - headSent_);
        if (n > 0 && !pty_->write(head.bytes.mid(headSent_, n))) {
            outgoing_.clear(); // the line is gone
            headSent_ = 0;
            break;
        }
        headSent_ += n;
        sentOnClock_ += n;
        allowed -= n;
        if (headSent_ == head.bytes.size()) {
            const int memory = head.memory;
            outgoing_.pop_front();
            headSent_ = 0;
            emit replySent(memory);
        }
    }
    if (outgoing_.empty())
        pacer_.stop();
}

} // namespace vextrum
