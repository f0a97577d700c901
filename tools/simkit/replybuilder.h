#pragma once
// The instrument's side of a reply: a memory record turned into the bytes
// the instrument sends for it, and a set of sample memories to send. Used
// by the instrument simulator, the tests and demonstrations.

#include "store/record.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

namespace vextrum {

// What the instrument may vary around the two blocks.
struct ReplyShape
{
    int fillBytes = 0;         // bytes between the gap byte and the second 255
    std::uint8_t gapByte = 0;  // any value, 255 included
    std::uint8_t fillByte = 0; // never 255: sent as 254 if asked for
};

// The 252-byte A-scan block: byte 0 is 0, bytes 1..251 are positions 0..250.
QByteArray ascanBlock(const Record &record);
// The 1319-byte menu block: every byte named by the unpacking runs from the
// record, the bytes between them blanks (32).
QByteArray menuBlock(const Record &record);
// 255, A-scan block, gap byte, fill, 255, menu block. Blocks of the wrong
// length are cut or padded with 0 to length.
QByteArray assembleReply(QByteArray ascan, QByteArray menu, const ReplyShape &shape = {});
// The whole reply for a record. Values are sent as bytes, modulo 256.
QByteArray buildReply(const Record &record, const ReplyShape &shape = {});

// Sample memories: instrument settings, time, readings, DAC curve, notes
// and an A-scan with an initial pulse and echoes. The variants differ in
// their modes (gates, DAC, DGS, clock, measurement) and texts; the memory
// number goes into the record's own number ("007" for memory 7) and varies
// the trace, time and readings. Memory numbers 0..999 are honoured.
constexpr int kSampleVariants = 6;
Record sampleRecord(int memory, int variant);
// Memory n with the variant (n - 1) mod kSampleVariants.
Record sampleMemory(int memory);
// Memories 1..200 in order (memory n at index n - 1).
QList<Record> sampleMemories();

} // namespace vextrum
