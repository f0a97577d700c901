#include "files/portconfig.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <cmath>

namespace vextrum {

std::optional<std::int16_t> parsePortConfig(const QByteArray &content)
{
    int i = 0;
    const int n = content.size();
    while (i < n && (content[i] == ' ' || content[i] == '\t' || content[i] == '\r' || content[i] == '\n'))
        ++i;
    int end = i;
    while (end < n && content[end] != ',' && content[end] != ' ' && content[end] != '\t'
           && content[end] != '\r' && content[end] != '\n')
        ++end;
    const QByteArray token = content.mid(i, end - i);
    if (token.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = token.toDouble(&ok); // digits, sign, point, exponent
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    const double rounded = std::nearbyint(v); // half to even
    if (rounded < -32768 || rounded > 32767)
        return std::nullopt;
    return std::int16_t(rounded);
}

std::optional<std::int16_t> readPortConfig(const QString &path)
{
    // A regular file only: opening a pipe or a device could wait for good.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The number stands at the start; a little is plenty.
    return parsePortConfig(f.read(4096));
}

QByteArray formatPortConfig(int port)
{
    return QByteArray::number(port) + "\r\n";
}

bool writePortConfig(int port, QString *error, const QString &path)
{
    QSaveFile f(path);
    f.setDirectWriteFallback(true); // a writable file in a read-only folder
    if (!f.open(QIODevice::WriteOnly) || f.write(formatPortConfig(port)) < 0 || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

namespace {
const QString kPortDeviceKey = QStringLiteral("Port/Device");
}

QString readPortDevice()
{
    return QSettings().value(kPortDeviceKey).toString();
}

void writePortDevice(const QString &device)
{
    QSettings settings;
    if (device.isEmpty())
        settings.remove(kPortDeviceKey);
    else
        settings.setValue(kPortDeviceKey, device);
}

} // namespace vextrum
