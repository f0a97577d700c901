#pragma once
// The serial port control Comm1: the handful of operations the program
// needs from a serial port, on top of QSerialPort. Bytes are taken in only
// when the port says they have arrived (never by waiting on it), a bounded
// piece at a time, into our own receive buffer of bounded size; the program
// reads them from there. When that buffer is full, further input stays with
// the port's driver until the readers have caught up.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace vextrum {

struct LinkSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "9600,N,8,1" and the like; false for anything it cannot read.
bool parseLinkSettings(const QString &text, LinkSettings *out);

class CommPort : public QObject
{
    Q_OBJECT
public:
    static constexpr int kEventReceive = 2; // notification kind: data received
    // Input is taken from the driver, and handled by the readers, at most
    // this much per turn of the event loop, so a flood cannot starve the window.
    static constexpr int kSlice = 4096;
    // The receive buffer takes no more than this.
    static constexpr int kInputLimit = 64 * 1024;

    explicit CommPort(QObject *parent = nullptr);
    ~CommPort() override;

    // The device behind port n (1..4). Windows: COMn. Elsewhere the
    // environment variable VEXTRUM_COMn if set, else /dev/ttyS<n-1>.
    static QString deviceName(int port);

    void setCommPort(int port) { port_ = port; }
    int commPort() const { return port_; }
    // A device opened instead of port n's (a USB adapter the system
    // reports, say); empty: port n's.
    void setDevice(const QString &device) { deviceOverride_ = device; }
    QString device() const { return deviceOverride_.isEmpty() ? deviceName(port_) : deviceOverride_; }
    bool setSettings(const QString &settings);
    QString settings() const { return settingsText_; }
    void setOutBufferSize(int bytes) { outBufferSize_ = bytes; }
    int outBufferSize() const { return outBufferSize_; }

    // Opens the selected port; false, with errorString(), when it is
    // absent, held by another program or not one of ports 1 to 4.
    bool open();
    void close();
    bool isOpen() const;
    QString errorString() const { return error_; }

    // Hands text to the port as 8-bit characters, exactly as given.
    bool output(const QByteArray &text);

    // Bytes received and not yet read. Never waits on the port.
    int inBufferCount();
    void setInputLen(int length) { inputLen_ = length; }
    int inputLen() const { return inputLen_; }
    // Up to inputLen pending bytes (0: all of them); nothing when none.
    QByteArray input();
    // Drops every pending byte ahead of the first start byte (255), and that
    // byte too: true. Without a start byte everything pending is dropped: false.
    bool skipToStartByte();

    // With a threshold of 1 or more, onComm(2) fires when data arrives and
    // that many bytes are pending; 0 turns notifications off.
    void setRThreshold(int bytes) { threshold_ = bytes; }
    int rThreshold() const { return threshold_; }

signals:
    void onComm(int event);
    // Bytes arrived, whatever the threshold: what the program's own
    // readers wait on while notifications are off.
    void dataArrived();
    // The device went away under an open port (a USB adapter pulled out);
    // the port is closed. The reason is ours, never a stale system error.
    void portLost(const QString &reason);
    // close() closed an open port: whoever was reading it has lost it.
    void closed();

private:
    void arrived();
    void pull(bool rewatch = false);
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort serial_;
    QByteArray pending_;
    QElapsedTimer lastFailure_;
    int failures_ = 0; // failed reads or writes in a row, none succeeding between
    QString device_; // the device path opened
    QString settingsText_ = QStringLiteral("9600,N,8,1");
    QString error_;
    int port_ = 1;
    int outBufferSize_ = 512;
    int inputLen_ = 0;
    int threshold_ = 0;
    bool opening_ = false;
    QString deviceOverride_;
};

} // namespace vextrum
