#include "link/replycheck.h"

#include "link/unpack.h"
#include "store/fields.h"

#include <array>

namespace vextrum {

namespace {

// The switches whose texts the program compares, with every text the
// instrument shows for them. Gate 2 offers what gate 1 does.
struct ModeTexts
{
    Field field;
    std::array<const char *, 4> texts; // unused entries are nullptr
};

constexpr std::array<ModeTexts, 6> kModeTexts{{
    {Field::Gate1, {"OFF    ", "ON     ", "DAC -12", "DAC -6 "}},
    {Field::Gate2, {"OFF    ", "ON     ", "DAC -12", "DAC -6 "}},
    {Field::Dac, {"OFF    ", "ON     ", "ON  TCG", "ON 6/14"}},
    {Field::Dgs, {"OFF    ", "ON     ", nullptr, nullptr}},
    {Field::Measure, {"OFF    ", "ON     ", nullptr, nullptr}},
    {Field::Clock, {"OFF    ", "ON     ", nullptr, nullptr}},
}};

// The time and date field, hhmmddmmyy: each pair's lowest and highest value.
struct DigitPair
{
    int low, high;
};
constexpr std::array<DigitPair, 5> kTimeAndDate{{{0, 23}, {0, 59}, {1, 31}, {1, 12}, {0, 99}}};

// A character the instrument's display can show: no control code of
// either half of the 8-bit code page, and not 255.
bool printable(std::int16_t code)
{
    return (code >= 32 && code <= 126) || (code >= 160 && code <= 254);
}

bool printableRun(const Record &record, int first, int count)
{
    for (int p = first; p < first + count; ++p)
        if (!printable(record[std::size_t(p)]))
            return false;
    return true;
}

bool holdsModeText(const Record &record, const ModeTexts &mode)
{
    const FieldInfo &f = fieldInfo(mode.field);
    for (const char *text : mode.texts) {
        if (!text)
            break;
        int k = 0;
        while (k < f.length && record[std::size_t(f.first + k)] == text[k])
            ++k;
        if (k == f.length)
            return true;
    }
    return false;
}

bool timeAndDateInRange(const Record &record)
{
    int p = fieldInfo(Field::TimeDate).first;
    for (const DigitPair &pair : kTimeAndDate) {
        const int tens = record[std::size_t(p)] - '0', ones = record[std::size_t(p + 1)] - '0';
        if (tens < 0 || tens > 9 || ones < 0 || ones > 9)
            return false;
        const int value = tens * 10 + ones;
        if (value < pair.low || value > pair.high)
            return false;
        p += 2;
    }
    return true;
}

bool noStartByte(const Record &record, int first, int last)
{
    for (int p = first; p <= last; ++p)
        if (record[std::size_t(p)] < 0 || record[std::size_t(p)] >= kReplyStartByte)
            return false;
    return true;
}

} // namespace

ReplyFault replyFault(const Record &record)
{
    for (int p = pos::OwnNumberFirst; p < pos::OwnNumberFirst + 3; ++p)
        if (record[std::size_t(p)] < '0' || record[std::size_t(p)] > '9')
            return ReplyFault::MemoryNumber;
    for (const FieldInfo &f : fieldTable())
        if (f.first >= 0 && !printableRun(record, f.first, f.length))
            return ReplyFault::Unprintable;
    for (const ModeTexts &mode : kModeTexts)
        if (!holdsModeText(record, mode))
            return ReplyFault::ModeText;
    if (holdsModeText(record, {Field::Clock, {"ON     ", nullptr, nullptr, nullptr}}) && !timeAndDateInRange(record))
        return ReplyFault::TimeAndDate;
    if (!noStartByte(record, pos::AscanFirst, pos::AscanLast) || !noStartByte(record, pos::DacFirst, pos::DacLast))
        return ReplyFault::SampleOrPoint;
    return ReplyFault::None;
}

} // namespace vextrum
