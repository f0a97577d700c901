#include "link/commport.h"

#include "link/unpack.h"

#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <algorithm>

namespace vextrum {

bool parseLinkSettings(const QString &text, LinkSettings *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    LinkSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return false;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        s.parity = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    s.dataBits = QSerialPort::DataBits(bits);
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;
    if (out)
        *out = s;
    return true;
}

namespace {
// A read or write can fail once for no lasting reason (the port had
// nothing for us after all). A device that is really gone fails again at
// once, every time it is tried: this many failures in a row, each within
// the window of the one before, with no byte arriving between, mean lost.
constexpr int kFailuresLost = 3;
constexpr int kFailureWindowMs = 1000;
constexpr int kRetryMs = 50; // after a failure, the port is watched again this soon
} // namespace

CommPort::CommPort(QObject *parent) : QObject(parent)
{
    // The port itself takes in at most one slice a turn and holds at most
    // that much; when it is full it stops taking input until we read it.
    serial_.setReadBufferSize(kSlice);
    connect(&serial_, &QSerialPort::readyRead, this, &CommPort::arrived);
    connect(&serial_, &QSerialPort::errorOccurred, this, &CommPort::handleError);
}

CommPort::~CommPort()
{
    blockSignals(true); // the readers may be gone already
    close();
}

QString CommPort::deviceName(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    const QByteArray name = "VEXTRUM_COM" + QByteArray::number(port);
    const QByteArray device = qgetenv(name.constData());
    if (!device.isEmpty())
        return QString::fromLocal8Bit(device);
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

bool CommPort::setSettings(const QString &settings)
{
    if (!parseLinkSettings(settings, nullptr))
        return false;
    settingsText_ = settings;
    return true;
}

bool CommPort::open()
{
    if (serial_.isOpen()) {
        error_ = tr("Port already open");
        return false;
    }
    if (deviceOverride_.isEmpty() && (port_ < 1 || port_ > 4)) {
        error_ = tr("There is no port %1").arg(port_);
        return false;
    }
    LinkSettings s;
    parseLinkSettings(settingsText_, &s);
    serial_.setPortName(device());
    serial_.setBaudRate(s.baud);
    serial_.setParity(s.parity);
    serial_.setDataBits(s.dataBits);
    serial_.setStopBits(s.stopBits);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    pending_.clear();
    failures_ = 0;
    device_ = device();
    opening_ = true;
    const bool ok = serial_.open(QIODevice::ReadWrite);
    opening_ = false;
    if (!ok) {
        error_ = serial_.errorString();
        return false;
    }
    error_.clear();
    return true;
}

void CommPort::close()
{
    const bool wasOpen = serial_.isOpen();
    if (wasOpen)
        serial_.close();
    pending_.clear();
    if (wasOpen)
        emit closed();
}

bool CommPort::isOpen() const
{
    return serial_.isOpen();
}

bool CommPort::output(const QByteArray &text)
{
    if (!serial_.isOpen())
        return false;
    return serial_.write(text) == text.size();
}

void CommPort::arrived()
{
    failures_ = 0; // bytes came: the line is alive
    const qsizetype before = pending_.size();
    pull();
    if (pending_.size() == before)
        return; // the receive buffer is full: the input waits at the port
    emit dataArrived();
    if (threshold_ > 0 && pending_.size() >= threshold_)
        emit onComm(kEventReceive);
}

void CommPort::pull(bool rewatch)
{
    if (!serial_.isOpen() || pending_.size() >= kInputLimit)
        return;
    // Only what the port has already taken in: this never waits on the
    // device. Asking for one byte more than it holds makes it look at the
    // device again, which has it watch for input again if a full buffer or
    // a failure had made it stop.
    const qint64 held = serial_.bytesAvailable();
    if (held > 0 || rewatch)
        pending_ += serial_.read(held + 1);
}

int CommPort::inBufferCount()
{
    pull();
    return int(pending_.size() + (serial_.isOpen() ? serial_.bytesAvailable() : 0));
}

QByteArray CommPort::input()
{
    pull();
    QByteArray out;
    if (inputLen_ <= 0) {
        out.swap(pending_);
        pull(); // and what waited at the port for room
        out += pending_;
        pending_.clear();
    } else {
        const qsizetype n = std::min<qsizetype>(inputLen_, pending_.size());
        out = pending_.left(n);
        pending_.remove(0, n);
    }
    pull();
    return out;
}

bool CommPort::skipToStartByte()
{
    pull();
    while (!pending_.isEmpty()) {
        const qsizetype at = pending_.indexOf(char(kReplyStartByte));
        if (at >= 0) {
            pending_.remove(0, at + 1);
            pull();
            return true;
        }
        pending_.clear();
        pull(); // at most what the port holds: this ends
    }
    return false;
}

void CommPort::handleError(QSerialPort::SerialPortError error)
{
    if (opening_ || !serial_.isOpen())
        return;
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError && error != QSerialPort::ResourceError)
        return; // pty setters and the like report harmless errors
    serial_.clearError();
    // Qt's own text for such an error is whatever the system said last,
    // often about something else: the reason given is ours.
    QString reason;
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(device_))
        reason = tr("%1 is no longer there").arg(device_);
#endif
    if (reason.isEmpty()) {
        if (!lastFailure_.isValid() || lastFailure_.elapsed() > kFailureWindowMs)
            failures_ = 0;
        lastFailure_.start();
        if (++failures_ >= kFailuresLost) {
            reason = error == QSerialPort::WriteError ? tr("writing to it keeps failing")
                                                      : tr("reading from it keeps failing");
        } else {
            // The port may have stopped watching for input: have it watch
            // again shortly, so a device really gone shows itself again.
            QTimer::singleShot(kRetryMs, this, [this] { pull(true); });
            return;
        }
    }
    serial_.close();
    pending_.clear();
    failures_ = 0;
    emit portLost(reason);
}

} // namespace vextrum
