#pragma once
// The memory record and the memory store: the program's one body of
// measurement data, laid out exactly as the instrument delivers it.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

namespace vextrum {

constexpr int kRecordSize = 1101;   // positions 0..1100
constexpr int kStoreSlots = 201;    // slots 0..200; slot 200 is never used
constexpr int kMemoryCount = 200;   // memories 1..200 live in slots 0..199
constexpr int kRxBufferSize = 1601; // positions 0..1600

using Record = std::array<std::int16_t, kRecordSize>;
using Store = std::array<Record, kStoreSlots>;
using RxBuffer = std::array<std::int16_t, kRxBufferSize>;

// Regions of a record.
namespace pos {
constexpr int AscanFirst = 0;
constexpr int AscanDrawnLast = 249;
constexpr int AscanLast = 250;
constexpr int SetupFirst = 260;
constexpr int SetupLast = 753;
constexpr int OwnNumberFirst = 358; // three characters, 358..360
constexpr int DacFirst = 754;
constexpr int DacLast = 1004;
constexpr int NotesFirst = 1010;
constexpr int NoteLength = 20;
constexpr int NotesLast = 1089;
} // namespace pos

constexpr std::int16_t kBlank = 32;

// Slots 0..199: positions 0..260 := 0, 261..1100 := 32. Slot 200 stays 0.
void initialiseStore(Store &store);

// The empty record: 0..250 hold 0, 251..1100 hold 32.
Record emptyRecord();

// One record value as a character (Latin-1). A code 0 (the first ZERO
// character of a never-filled slot) becomes an invisible zero-width space,
// so no box holds an embedded NUL yet no mode text compares equal by
// accident; codes outside 0..255 become the replacement character.
constexpr char16_t kNulStandIn = 0x200B;
constexpr char16_t kBadCodeStandIn = 0xFFFD;
QChar codeToChar(int code);
// The inverse for characters typed or shown: Latin-1 code, 0 for the NUL
// stand-in, '?' for anything without a single-byte code.
std::int16_t charToCode(QChar c);

// Text of positions [first, first + count), one character per position.
QString recordText(const Record &record, int first, int count);

// Writes text into positions from `first`, one code per character.
void setRecordText(Record &record, int first, QStringView text);

// Numeric reading of a display text: blanks are ignored wherever they
// stand, reading stops at the first character that cannot continue a
// decimal number (sign, digits, one decimal point, exponent). No number
// gives 0. "30%" gives 30, "OFF" gives 0.
double readNumber(QStringView text);

// The record's own memory number: positions 358..360 read as one number.
double ownNumber(const Record &record);
// The memory the record's own number names, 1..200; 0 when it names none.
int memoryNumber(const Record &record);

// List entry texts: "Mem 7" and, once filed, "Mem 7 *".
QString entryText(int slot, bool captured = false);

} // namespace vextrum
