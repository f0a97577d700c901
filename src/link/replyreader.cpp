#include "link/replyreader.h"

#include "link/unpack.h"

namespace vextrum {

ReplyReader::Status ReplyReader::feed(std::uint8_t byte)
{
    if (state_ == State::Done)
        return Status::Done;
    ++bytesRead_;
    switch (state_) {
    case State::AscanBlock:
        buffer_[index_++] = byte;
        if (index_ == kAscanBlockLength)
            state_ = State::GapByte;
        break;
    case State::GapByte:
        state_ = State::Fill;
        break;
    case State::Fill:
        if (byte == kReplyStartByte) {
            state_ = State::MenuBlock;
            index_ = 0;
        }
        break;
    case State::MenuBlock:
        buffer_[kMenuBufferFirst + index_++] = byte;
        if (index_ == kMenuBlockLength)
            state_ = State::Done;
        break;
    case State::Done:
        break;
    }
    return state_ == State::Done ? Status::Done : Status::NeedMore;
}

void ReplyReader::reset()
{
    state_ = State::AscanBlock;
    index_ = 0;
    bytesRead_ = 0;
}

} // namespace vextrum
