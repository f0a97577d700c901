#pragma once
// Layout of the instrument's reply to a memory request, and the unpacking
// of a received reply into a memory record.
//
// On the line: 255, the A-scan block (252 bytes), one gap byte, fill
// bytes (never 255), 255, the menu data block (1319 bytes). In the receive
// buffer the A-scan block lies at 0..251 and the menu block at 260..1578.

#include "store/record.h"

#include <array>
#include <cstdint>

namespace vextrum {

constexpr std::uint8_t kReplyStartByte = 255;
constexpr int kAscanBlockLength = 252;
constexpr int kMenuBlockLength = 1319;
constexpr int kMenuBufferFirst = 260; // menu block byte k at buffer 260 + k
// Start byte, A-scan block, gap byte, start byte, menu block: no fill.
constexpr int kShortestReply = 1 + kAscanBlockLength + 1 + 1 + kMenuBlockLength;

// One run of the menu block: record positions recordFirst .. recordFirst +
// count - 1 take block bytes blockOffset .. blockOffset + count - 1.
struct UnpackRun
{
    int recordFirst;
    int count;
    int blockOffset;
};

// The instrument's menu pages, field by field, in block order. Mostly the
// first 7 bytes of a 14-byte item; the bytes between are dropped.
inline constexpr std::array<UnpackRun, 62> kUnpackRuns{{
    {260, 7, 8},     {267, 7, 22},    {274, 7, 36},    {281, 7, 50},
    {288, 6, 64},    {295, 7, 77},    {302, 7, 91},    {309, 7, 105},
    {316, 7, 119},   {323, 7, 141},   {330, 7, 155},   {337, 7, 169},
    {344, 7, 183},   {351, 7, 205},   {358, 7, 219},   {365, 7, 233},
    {372, 4, 257},   {376, 7, 269},   {383, 7, 283},   {390, 7, 297},
    {397, 7, 311},   {404, 56, 325},  {460, 7, 396},   {467, 7, 410},
    {474, 7, 424},   {481, 7, 438},   {488, 7, 460},   {495, 7, 474},
    {502, 7, 488},   {509, 7, 502},   {516, 7, 524},   {523, 7, 538},
    {530, 7, 552},   {537, 7, 566},   {544, 7, 587},   {551, 7, 601},
    {558, 7, 615},   {565, 7, 629},   {572, 7, 651},   {579, 7, 665},
    {586, 7, 679},   {593, 7, 693},   {600, 7, 714},   {607, 7, 728},
    {614, 7, 742},   {621, 7, 756},   {628, 7, 777},   {635, 7, 791},
    {642, 7, 805},   {649, 7, 819},   {656, 7, 833},   {663, 7, 847},
    {670, 7, 861},   {677, 7, 875},   {684, 7, 889},   {691, 7, 903},
    {698, 7, 917},   {705, 6, 931},   {712, 18, 937},  {730, 8, 956},
    {738, 8, 965},   {746, 344, 974},
}};

const std::array<UnpackRun, 62> &unpackRuns();

// The two 6-byte runs (gain, amplitude correction) are completed to 7
// characters with fixed values rather than block bytes.
struct FixedValue
{
    int recordPosition;
    std::int16_t value;
};
inline constexpr std::array<FixedValue, 2> kFixedValues{{{294, 32}, {711, 66}}};

// Record positions 0..250 := buffer 1..251 (block byte 0 is not used);
// 260..1089 := menu block bytes by the runs, then the fixed values.
// Positions 251..259 and 1090..1100 keep what the record held.
void unpackReply(const RxBuffer &buffer, Record &record);

} // namespace vextrum
