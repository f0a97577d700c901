#include "link/commport.h"

#include <QStringList>

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

CommPort::CommPort(QObject *parent) : QObject(parent)
{
    connect(&serial_, &QSerialPort::readyRead, this, [this] {
        if (polling_)
            return; // a reader is asking for the count right now
        drain();
        emit dataArrived();
        if (threshold_ > 0 && pending_.size() >= threshold_)
            emit onComm(kEventReceive);
    });
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
    if (port_ < 1 || port_ > 4) {
        error_ = tr("There is no port %1").arg(port_);
        return false;
    }
    LinkSettings s;
    parseLinkSettings(settingsText_, &s);
    serial_.setPortName(deviceName(port_));
    serial_.setBaudRate(s.baud);
    serial_.setParity(s.parity);
    serial_.setDataBits(s.dataBits);
    serial_.setStopBits(s.stopBits);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    pending_.clear();
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

void CommPort::drain()
{
    if (!serial_.isOpen())
        return;
    if (!polling_) {
        // Take in what the driver holds right now (a zero-time poll, it
        // never waits), so counts and flushes see every byte that arrived.
        polling_ = true;
        serial_.waitForReadyRead(0);
        polling_ = false;
    }
    if (serial_.isOpen() && serial_.bytesAvailable() > 0)
        pending_ += serial_.readAll();
}

int CommPort::inBufferCount()
{
    drain();
    return int(pending_.size());
}

QByteArray CommPort::input()
{
    drain();
    const int n = inputLen_ <= 0 ? int(pending_.size()) : std::min<int>(inputLen_, int(pending_.size()));
    QByteArray out = pending_.left(n);
    pending_.remove(0, n);
    return out;
}

void CommPort::handleError(QSerialPort::SerialPortError error)
{
    if (opening_ || !serial_.isOpen())
        return;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError: {
        // Qt keeps reporting a vanished device in a flood while the port
        // stays open: close on the first report and say so once.
        const QString reason = serial_.errorString();
        serial_.close();
        emit portLost(reason);
        break;
    }
    default:
        break; // pty setters and the like report harmless errors
    }
}

} // namespace vextrum
