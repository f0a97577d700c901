#pragma once
// A pseudo-terminal pair standing in for a serial cable: the program opens
// the slave path as its port, and the instrument end reads and writes the
// master. Used by the instrument simulator and by the tests.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vextrum {

class PtyPair : public QObject
{
    Q_OBJECT
public:
    explicit PtyPair(QObject *parent = nullptr);
    ~PtyPair() override;

    bool isValid() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }

    // Writes to the program's side; false when the pair is closed.
    bool write(const QByteArray &bytes);
    // Writes what the program's side has room for now, never waiting: the
    // bytes taken (0 when it is full), -1 when the pair is closed.
    qsizetype writeSome(const char *bytes, qsizetype size);
    // Whatever the program has sent and has not been taken yet.
    QByteArray takeReceived();
    // Closes the master: to the program the device is gone.
    void closeMaster();

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray received_;
};

} // namespace vextrum
