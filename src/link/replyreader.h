#pragma once
// Reads the rest of an instrument reply, byte by byte, into the receive
// buffer. The caller has already taken the first start byte (255) off the
// line and feeds every byte after it; the reader says when the menu block
// is complete. It does no I/O and keeps no clock: bounding the wait for a
// reply that stops part-way is the caller's business.

#include "store/record.h"

#include <cstdint>

namespace vextrum {

class ReplyReader
{
public:
    enum class State {
        AscanBlock, // 252 bytes into buffer 0..251
        GapByte,    // one byte, dropped whatever it is (a 255 too)
        Fill,       // dropped up to and including the next 255
        MenuBlock,  // 1319 bytes into buffer 260..1578
        Done,       // complete; further bytes are not taken
    };
    enum class Status { NeedMore, Done };

    explicit ReplyReader(RxBuffer &buffer) : buffer_(buffer) {}

    Status feed(std::uint8_t byte);

    State state() const { return state_; }
    bool done() const { return state_ == State::Done; }
    // Bytes taken since the last reset, the caller's start byte not counted.
    int bytesRead() const { return bytesRead_; }
    // Ready for the next reply. The buffer is left as it is.
    void reset();

private:
    RxBuffer &buffer_;
    State state_ = State::AscanBlock;
    int index_ = 0; // byte index within the current block
    int bytesRead_ = 0;
};

} // namespace vextrum
