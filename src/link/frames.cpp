#include "link/frames.h"

namespace vextrum {

QByteArray frame(char lead)
{
    QByteArray f(kFrameLength, 'Z');
    f[0] = lead;
    return f;
}

QByteArray digitFrame(int digit)
{
    return frame(char('0' + digit));
}

std::array<int, 3> requestDigits(int memory)
{
    int left = memory, hundreds = 0, tens = 0;
    while (left > 99) {
        left -= 100;
        ++hundreds;
    }
    while (left > 9) {
        left -= 10;
        ++tens;
    }
    return {hundreds, tens, left};
}

QList<QByteArray> memoryRequest(int memory)
{
    const auto d = requestDigits(memory);
    return {rFrame(), aFrame(), digitFrame(d[0]), digitFrame(d[1]), digitFrame(d[2])};
}

QList<QByteArray> unfreezeSequence()
{
    return {rFrame(), fFrame()};
}

} // namespace vextrum
