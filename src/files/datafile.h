#pragma once
// The data file: the whole memory store as 220 000 fixed-width text fields,
// written by Save and read back by Open. No widgets here; the Save and Open
// windows call these functions and show what they report.
//
// A file holds slots 0..199, values 0..1099 of each, slot-major. Every value
// is a 4-byte field: its decimal text left-aligned and padded with blanks
// ("0   ", "32  ", "255 ", "-3  "). The reader takes the file as a sequence
// of numbers separated by blanks, tabs, commas or line breaks (a run of them
// counts as one separator), so it also opens hand-made text files.

#include "store/record.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace vextrum {

constexpr int kFileSlots = 200;   // slots 0..199; slot 200 never reaches a file
constexpr int kFileValues = 1100; // values 0..1099; value 1100 never reaches a file
constexpr int kFieldWidth = 4;
constexpr int kFileNumbers = kFileSlots * kFileValues;          // 220 000
constexpr qsizetype kDataFileSize = qsizetype(kFileNumbers) * kFieldWidth; // 880 000

// The values a field can hold and still end in a blank: -99..999.
constexpr int kFieldMin = -99;
constexpr int kFieldMax = 999;

// The field of one value. A value outside -99..999 would fill all four
// bytes and run into the next field, so it is written as the nearest value
// that fits (-99 or 999).
QByteArray formatField(std::int16_t v);

struct EncodeResult {
    QByteArray bytes; // kDataFileSize bytes
    int changed = 0;  // values outside -99..999 written as -99 or 999
};

// Slots 0..199, values 0..1099 of the store as one file's content.
EncodeResult encodeStore(const Store &store);

// Writes the store to `path`, replacing any existing file whole. The new
// content goes to a temporary file that replaces the old one only once it
// is complete, so a failure never leaves a half-written file behind. On
// failure returns false and puts a one-line reason into *error. *changed
// receives the count of values written as -99 or 999 (see formatField).
bool writeDataFile(const QString &path, const Store &store, QString *error = nullptr,
                   int *changed = nullptr);

// A directory and a file name joined: a directory that already ends in a
// separator (a drive root such as C:\, or / on Linux) is followed directly
// by the name; any other gets the platform's separator between. An empty
// directory gives the name alone (relative to the working directory).
QString joinPath(const QString &dir, const QString &name);

struct OpenResult {
    enum Status {
        Ok,         // 220 000 numbers read
        CannotOpen, // the file could not be opened or read; store untouched
        EndedEarly, // fewer than 220 000 numbers; slot/index: the first missing
        NotANumber, // slot/index: where the bad item was to go
        OutOfRange, // a number that does not round into -32768..32767
        ReadFailed, // the file stopped reading part-way (a lost medium);
                    // slot/index: the first value not read
    };
    Status status = Ok;
    int slot = 0, index = 0; // where reading stopped: the item that failed
                             // (after Ok: slot 200, index 0)
    QByteArray item;         // the offending item (at most its first 64 bytes)
    QString reason;          // CannotOpen, ReadFailed: the system's reason
    std::array<bool, kMemoryCount> captured{}; // entries to mark " *"

    // Numbers were read into the store (its slots were reset first).
    bool storeChanged() const { return slot > 0 || index > 0; }
    // Not one number could be read: no data file, and the store is as it was.
    bool notADataFile() const
    {
        return !storeChanged() && (status == EndedEarly || status == NotANumber || status == OutOfRange);
    }

    // One line for the user naming the failure and the memory and position,
    // and that what follows was cleared; empty for Ok. `path` names the
    // file in the message of a file that is no data file.
    QString message(const QString &path = QString()) const;
};

// Reads a file's content into the store. With the first number read, slots
// 0..199 are reset (values 0..255 := 0, 256..1099 := 32; value 1100 and slot
// 200 keep what they hold), then filled value by value until the 220 000th
// number, the end of the content, or the first item that is not a usable
// number. Content without one usable number leaves the store untouched. Numbers
// past the 220 000th are ignored. A slot whose own memory number (values
// 358..360) equals its slot number + 1, once value 360 has been read, is
// marked in `captured`.
OpenResult parseDataFile(const QByteArray &content, Store &store);

// Opens `path` and reads it as parseDataFile does. A file that cannot be
// opened, or is not a regular file (a folder, a pipe, a device), leaves the
// store untouched. The file is read in pieces and only as
// far as needed, so a large file that is not a data file fails quickly.
OpenResult readDataFile(const QString &path, Store &store);

// The reader fed piece by piece: the same result as parseDataFile on the
// pieces joined, wherever they are split. The slots are reset when the
// first number is read.
class DataFileParser
{
public:
    explicit DataFileParser(Store &store);

    // Takes the next piece; false once reading has stopped (all numbers
    // read or a bad item), after which further pieces are ignored.
    bool feed(const char *data, qsizetype size);
    bool done() const { return m_done; }

    // The end of the content: settles a number the last piece ended in.
    OpenResult finish();
    // The content cannot be read on: stops with ReadFailed where reading
    // got to, dropping a number the last piece may have cut short.
    OpenResult stop(const QString &reason);

private:
    enum class State : std::uint8_t {
        Between,    // in separators, or before the first item
        Sign,       // after a leading sign
        Int,        // in the integer digits
        BarePoint,  // a point with no digit before it
        Frac,       // after the point, at least one digit seen
        ExpMark,    // after e or E
        ExpSign,    // after the exponent's sign
        Exp,        // in the exponent digits
        Bad,        // in an item already known to be no number
    };

    void beginItem();
    void mantissaDigit(int d);
    void endItem();
    void put(int value);
    const char *putFields(const char *p, const char *end);
    void fail(OpenResult::Status status);
    void keep(char c);

    Store &m_store;
    OpenResult m_result;
    bool m_done = false;
    bool m_started = false; // the slots have been reset
    State m_state = State::Between;

    // The number being read. Digits count from the first mantissa digit;
    // only the first six significant digits are kept, the rest folded into
    // m_tailNonZero, which is all the rounding needs.
    bool m_negative = false;
    bool m_expNegative = false;
    std::int64_t m_intDigits = 0;  // digits before the point
    std::int64_t m_digits = 0;     // mantissa digits so far
    std::int64_t m_firstSig = -1;  // index of the first non-zero digit
    std::int64_t m_exp = 0;        // saturates far beyond any file's length
    int m_sigCount = 0;
    std::uint8_t m_sig[6] = {};
    bool m_tailNonZero = false;

    // The item's first bytes, for the message.
    static constexpr int kItemKeep = 64;
    char m_item[kItemKeep] = {};
    int m_itemLen = 0;
};

// Whether two names lead to one file: the same absolute path once cleaned,
// or (where both exist) the same file behind links. Empty names never do.
bool sameFile(const QString &a, const QString &b);

} // namespace vextrum
