#pragma once
// dfd.cfg: the one line that names the instrument's serial port.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace vextrum {

constexpr char kPortConfigFile[] = "dfd.cfg";

// The first number of the content: leading blanks and line breaks skipped,
// the number ending at a comma, blank or line end, as a 16-bit integer.
// Empty content, text or a number beyond 16 bits gives nothing.
std::optional<std::int16_t> parsePortConfig(const QByteArray &content);

// Reads the file; nothing when it is missing, not a regular file (a folder,
// a pipe, a device), unreadable or not a number.
std::optional<std::int16_t> readPortConfig(const QString &path = QString::fromLatin1(kPortConfigFile));

// The port in decimal followed by CR LF: 3 gives 0x33 0x0D 0x0A.
QByteArray formatPortConfig(int port);

// Creates or replaces the file whole; false with a reason when it cannot.
bool writePortConfig(int port, QString *error = nullptr,
                     const QString &path = QString::fromLatin1(kPortConfigFile));

// A serial device chosen beyond COM1 to COM4 (a USB adapter, say), kept in
// the user's settings: dfd.cfg holds a port number only. Empty: none, the
// numbered port is used.
QString readPortDevice();
void writePortDevice(const QString &device);

} // namespace vextrum
