#pragma once
// Request frames of the instrument link: 22 ASCII characters each, a
// leading character and 21 'Z'. No terminator, separator or checksum.

#include <QByteArray>
#include <QList>
#include <array>

namespace vextrum {

constexpr int kFrameLength = 22;
constexpr char kLinkSettings[] = "9600,N,8,1";
constexpr int kLineBytesPerSecond = 960; // 9600 baud, 10 bits a byte

QByteArray frame(char lead);
inline QByteArray rFrame() { return frame('R'); }
inline QByteArray aFrame() { return frame('A'); }
inline QByteArray fFrame() { return frame('F'); }
QByteArray digitFrame(int digit);

// Hundreds, tens and units of a memory number, formed by counting: take
// 100 while more than 99 is left, then 10 while more than 9 is left.
std::array<int, 3> requestDigits(int memory);

// R, A and the three digit frames for memory n (1..200).
QList<QByteArray> memoryRequest(int memory);
// R, F: lets the instrument go on after a Capture run.
QList<QByteArray> unfreezeSequence();

} // namespace vextrum
