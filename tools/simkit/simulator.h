#pragma once
// The instrument's end of the serial link, for trying the program without
// a Galvanor-II: a pseudo-terminal the program opens as its port, on which
// memory requests are answered with replies paced at the line rate. Faults
// of a real link (no answer, late answer, wrong memory, a reply cut short,
// noise, fill, a 255 gap byte, a memory sent unasked) can be switched on.

#include "link/frames.h"
#include "store/record.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

namespace vextrum {

class PtyPair;

struct SimulatorOptions
{
    int rate = kLineBytesPerSecond; // bytes a second on the line; 0: as fast as possible
    int delayMs = 50;               // from the last request frame to the first reply byte
    QString file;                   // data file whose memories are served; empty: samples

    // Faults.
    bool noAnswer = false;          // requests are never answered
    bool secondRequestOnly = false; // a memory is answered only on every second request
    bool wrongMemory = false;       // memory n + 1 is sent for a request of n
    int cutAfter = -1;              // a reply stops after this many bytes; < 0: whole
    int noiseBytes = 0;             // bytes (never 255) sent ahead of each start byte
    int fillBytes = 0;              // fill between the gap byte and the second 255
    bool gapStartByte = false;      // the gap byte is a 255
    int unaskedMemory = 0;          // memory sent once without a request; 0: none
    int unaskedAfterMs = 1000;      // ... this long after start
};

class InstrumentSimulator : public QObject
{
    Q_OBJECT
public:
    explicit InstrumentSimulator(const SimulatorOptions &options = {}, QObject *parent = nullptr);
    ~InstrumentSimulator() override;

    // False when the pseudo-terminal could not be opened or the data file
    // not read; errorString() says why.
    bool isValid() const { return error_.isEmpty(); }
    QString errorString() const { return error_; }
    // The device the program opens as its serial port.
    QString devicePath() const;
    const SimulatorOptions &options() const { return options_; }

    // What is served for memory n: the data file's or sample's memory n.
    // Numbers outside 1..200 get a sample carrying that number.
    Record recordFor(int memory) const;
    void setRecord(int memory, const Record &record);

    // Queues memory n for sending now, as after a request (faults of the
    // reply's shape apply, the answering faults do not).
    void sendMemory(int memory);
    // Bytes queued and not yet on the line.
    qsizetype pendingBytes() const;

signals:
    void frameReceived(const QByteArray &frame);
    void junkReceived(const QByteArray &bytes); // bytes that fit no frame
    void requestReceived(int memory);
    void unfreezeReceived();
    // The last byte of memory n's reply (cut or whole) is on the line.
    void replySent(int memory);

private:
    struct Outgoing
    {
        QByteArray bytes;
        int memory;
    };

    void takeBytes(const QByteArray &bytes);
    void handleFrame(const QByteArray &frame);
    void handleRequest(int memory);
    void pump();

    SimulatorOptions options_;
    QString error_;
    std::unique_ptr<PtyPair> pty_;
    std::vector<Record> records_; // memories 1..200

    QByteArray incoming_;
    enum class Expect { R, AorF, Digit } expect_ = Expect::R;
    int digits_ = 0, number_ = 0;
    QHash<int, int> unanswered_; // requests per memory since its last answer

    std::deque<Outgoing> outgoing_;
    qsizetype headSent_ = 0; // bytes of outgoing_.front() already written
    QTimer pacer_;
    QElapsedTimer clock_;    // since the line last went busy
    qint64 sentOnClock_ = 0; // bytes written since then
};

} // namespace vextrum
