#pragma once
// Whether a reply read whole is a memory or line noise. The reply carries
// no checksum, so it is judged by what every real reply holds, from the
// record it unpacks to: its own number in three digits, the setup texts,
// readings and notes printable, the switches the program acts on holding
// one of their mode texts, the time and date (with the clock on) in their
// ranges, and no sample or DAC point of 255, the byte that starts a block.
// Noise passes each of these only by a long chance, and all of them
// together practically never.

#include "store/record.h"

namespace vextrum {

enum class ReplyFault {
    None,          // a memory
    MemoryNumber,  // own number not three digits
    Unprintable,   // a control code in a text field
    ModeText,      // a switch holding none of its mode texts
    TimeAndDate,   // the clock is on but the time or date is out of range
    SampleOrPoint, // an A-scan sample or DAC point of 255
};

ReplyFault replyFault(const Record &record);
inline bool isMemoryReply(const Record &record) { return replyFault(record) == ReplyFault::None; }

} // namespace vextrum
