#include "files/datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtAlgorithms>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vextrum {

namespace {

// The 4-byte field of every value from -99 to 999, built once, so encoding
// a file is one table look-up and one 4-byte copy per value.
using Field = std::array<char, kFieldWidth>;
using FieldTable = std::array<Field, kFieldMax - kFieldMin + 1>;

const FieldTable &fieldTable()
{
    static const FieldTable table = [] {
        FieldTable t{};
        for (int v = kFieldMin; v <= kFieldMax; ++v) {
            Field &f = t[std::size_t(v - kFieldMin)];
            f.fill(' ');
            const std::string text = std::to_string(v);
            std::memcpy(f.data(), text.data(), text.size());
        }
        return t;
    }();
    return table;
}

inline int fitField(int v)
{
    return v < kFieldMin ? kFieldMin : v > kFieldMax ? kFieldMax : v;
}

} // namespace

QByteArray formatField(std::int16_t v)
{
    const Field &f = fieldTable()[std::size_t(fitField(v) - kFieldMin)];
    return QByteArray(f.data(), kFieldWidth);
}

namespace {

// Numbers [first, first + count) of the file, in file order, into `out`;
// returns how many were written as -99 or 999.
int encodeNumbers(const Store &store, int first, int count, char *out)
{
    const FieldTable &table = fieldTable();
    int changed = 0;
    int slot = first / kFileValues, index = first % kFileValues;
    for (int n = 0; n < count;) {
        const Record &r = store[std::size_t(slot)];
        const int run = std::min(count - n, kFileValues - index);
        for (int i = index; i < index + run; ++i) {
            const int v = r[std::size_t(i)];
            const int fit = fitField(v);
            changed += fit != v;
            std::memcpy(out, table[std::size_t(fit - kFieldMin)].data(), kFieldWidth);
            out += kFieldWidth;
        }
        n += run;
        index = 0;
        ++slot;
    }
    return changed;
}

} // namespace

EncodeResult encodeStore(const Store &store)
{
    EncodeResult result;
    result.bytes = QByteArray(kDataFileSize, Qt::Uninitialized);
    result.changed = encodeNumbers(store, 0, kFileNumbers, result.bytes.data());
    return result;
}

bool writeDataFile(const QString &path, const Store &store, QString *error, int *changed)
{
    if (changed)
        *changed = 0;
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return fail(QStringLiteral("No file name was given."));
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return fail(QStringLiteral("No file name was given after the folder %1.").arg(shown));
    if (info.isDir())
        return fail(QStringLiteral("%1 is a folder, not a file.").arg(shown));
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("Cannot create %1: its folder does not exist.").arg(shown));

    // The content goes to a temporary file beside the target, which takes
    // the target's place only once it is complete: a full disk or a lost
    // medium leaves any earlier file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot create %1: %2.").arg(shown, file.errorString()));
    // Encoded a piece at a time into one buffer that stays in the cache,
    // rather than all 880 000 bytes into fresh memory first.
    constexpr int kPieceNumbers = 16384;
    thread_local std::array<char, kPieceNumbers * kFieldWidth> piece;
    int changedValues = 0;
    qsizetype written = 0;
    bool complete = true;
    for (int first = 0; first < kFileNumbers && complete; first += kPieceNumbers) {
        const int count = std::min(kPieceNumbers, kFileNumbers - first);
        changedValues += encodeNumbers(store, first, count, piece.data());
        // A short write (a full disk, a file size limit) sets no error of its
        // own: writing on at the first byte not taken brings out the
        // system's reason.
        const qsizetype size = qsizetype(count) * kFieldWidth;
        qsizetype done = 0;
        while (done < size) {
            const qint64 n = file.write(piece.data() + done, size - done);
            if (n <= 0)
                break;
            done += n;
        }
        written += done;
        complete = done == size;
    }
    if (!complete) {
        QString why = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        if (why.isEmpty())
            why = QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(kDataFileSize);
        file.cancelWriting();
        return fail(QStringLiteral("Cannot write %1: %2.").arg(shown, why));
    }
    if (!file.commit())
        return fail(QStringLiteral("Cannot write %1: %2.").arg(shown, file.errorString()));
    if (changed)
        *changed = changedValues;
    return true;
}

QString joinPath(const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return name;
    const QChar last = dir.back();
    if (last == QLatin1Char('/') || last == QLatin1Char('\\'))
        return dir + name;
    return dir + QDir::separator() + name;
}

// ---------------------------------------------------------------------------
// Reading

QString OpenResult::message(const QString &path) const
{
    const auto where = [this] {
        return QStringLiteral("memory %1, position %2").arg(slot + 1).arg(index);
    };
    const auto shownItem = [this] {
        // Printable ASCII as is; anything else (a binary file) as '?'.
        constexpr int kShown = 24;
        QString text;
        for (int k = 0; k < item.size() && k < kShown; ++k) {
            const unsigned char c = static_cast<unsigned char>(item[k]);
            text += (c >= 0x20 && c < 0x7F) ? QChar(char16_t(c)) : QChar(u'?');
        }
        if (item.size() > kShown)
            text += QStringLiteral("...");
        return text;
    };
    if (notADataFile()) {
        const QString file = path.isEmpty() ? QStringLiteral("The file") : QDir::toNativeSeparators(path);
        switch (status) {
        case NotANumber:
            return QStringLiteral("%1 is not a data file: \"%2\" is not a number.").arg(file, shownItem());
        case OutOfRange:
            return QStringLiteral("%1 is not a data file: \"%2\" is out of range.").arg(file, shownItem());
        default:
            return QStringLiteral("%1 is not a data file: it holds no number.").arg(file);
        }
    }
    const QString cleared = storeChanged() ? QStringLiteral(" The memories from that point on were cleared.")
                                           : QString();
    switch (status) {
    case Ok:
        return QString();
    case CannotOpen:
        return QStringLiteral("The file cannot be opened: %1.").arg(reason);
    case ReadFailed:
        return QStringLiteral("Reading the file failed at %1: %2.").arg(where(), reason) + cleared;
    case EndedEarly:
        return QStringLiteral("The file ends early: %1 and all after it are missing.").arg(where()) + cleared;
    case NotANumber:
        return QStringLiteral("Not a number at %1: \"%2\".").arg(where(), shownItem()) + cleared;
    case OutOfRange:
        return QStringLiteral("Number out of range (-32768 to 32767) at %1: \"%2\".")
                   .arg(where(), shownItem())
            + cleared;
    }
    return QString();
}

namespace {

// What each byte can be within the file. Blanks, tabs, commas, CR and LF
// separate the numbers; a run of them, mixed as it may be (", ", CR LF,
// several blanks), counts as one separator, so an empty item never arises.
enum CharClass : std::uint8_t { Other, Sep, Digit, Sign, Point, ExpChar };

constexpr std::array<CharClass, 256> makeClasses()
{
    std::array<CharClass, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = Digit;
    t[' '] = t['\t'] = t[','] = t['\r'] = t['\n'] = Sep;
    t['+'] = t['-'] = Sign;
    t['.'] = Point;
    t['e'] = t['E'] = ExpChar;
    return t;
}
constexpr std::array<CharClass, 256> kClass = makeClasses();

// Far beyond the length of any file, and far from overflowing.
constexpr std::int64_t kExpCap = 1'000'000'000'000'000;

constexpr int kOwnNumberLast = pos::OwnNumberFirst + 2; // 360

} // namespace

DataFileParser::DataFileParser(Store &store) : m_store(store) {}

inline void DataFileParser::keep(char c)
{
    if (m_itemLen < kItemKeep)
        m_item[m_itemLen++] = c;
}

inline void DataFileParser::beginItem()
{
    m_negative = m_expNegative = false;
    m_intDigits = m_digits = m_exp = 0;
    m_firstSig = -1;
    m_sigCount = 0;
    m_tailNonZero = false;
    m_itemLen = 0;
}

inline void DataFileParser::mantissaDigit(int d)
{
    if (m_firstSig < 0) {
        if (d == 0) {
            ++m_digits;
            return;
        }
        m_firstSig = m_digits;
    }
    if (m_sigCount < 6)
        m_sig[m_sigCount++] = std::uint8_t(d);
    else if (d != 0)
        m_tailNonZero = true;
    ++m_digits;
}

void DataFileParser::fail(OpenResult::Status status)
{
    m_result.status = status;
    if (status == OpenResult::NotANumber || status == OpenResult::OutOfRange)
        m_result.item = QByteArray(m_item, m_itemLen);
    m_done = true;
}

// The number just read, rounded to the nearest integer with a half going to
// the even neighbour. The rounding works on the decimal digits as written,
// so 2.5 gives 2 and 3.5 gives 4 however many digits or what exponent the
// number carries, and no text is converted to floating point.
void DataFileParser::endItem()
{
    int value = 0;
    if (m_firstSig >= 0) {
        const std::int64_t exp = m_expNegative ? -m_exp : m_exp;
        // Digits of the whole part, counted from the first significant one.
        const std::int64_t whole = m_intDigits + exp - m_firstSig;
        if (whole > 5) { // 100 000 or more
            fail(OpenResult::OutOfRange);
            return;
        }
        const auto sigAt = [this](std::int64_t k) { return k < m_sigCount ? int(m_sig[k]) : 0; };
        int magnitude = 0;
        for (std::int64_t k = 0; k < whole; ++k)
            magnitude = magnitude * 10 + sigAt(k);
        if (whole >= 0) { // below 0.1 rounds to 0
            const int next = sigAt(whole);
            bool rest = m_tailNonZero;
            for (std::int64_t k = whole + 1; k < m_sigCount; ++k)
                rest = rest || m_sig[k] != 0;
            if (next > 5 || (next == 5 && (rest || (magnitude & 1))))
                ++magnitude;
        }
        value = m_negative ? -magnitude : magnitude;
        if (value < -32768 || value > 32767) {
            fail(OpenResult::OutOfRange);
            return;
        }
    }

    put(value);
}

inline void DataFileParser::put(int value)
{
    if (!m_started) {
        m_started = true;
        for (int s = 0; s < kFileSlots; ++s) {
            Record &slot = m_store[std::size_t(s)];
            std::fill(slot.begin(), slot.begin() + 256, std::int16_t(0));
            std::fill(slot.begin() + 256, slot.begin() + kFileValues, kBlank);
        }
    }
    Record &r = m_store[std::size_t(m_result.slot)];
    r[std::size_t(m_result.index)] = std::int16_t(value);
    if (m_result.index == kOwnNumberLast)
        m_result.captured[std::size_t(m_result.slot)] = ownNumber(r) == m_result.slot + 1;
    if (++m_result.index == kFileValues) {
        m_result.index = 0;
        if (++m_result.slot == kFileSlots)
            m_done = true; // anything after the last number is ignored
    }
}

namespace {

// A 4-byte field as Save writes it, "7   " to "999 ": one to three digits,
// then blanks to the field's end. Its value, or -1 for any other bytes
// (a sign, a tab, a longer number...), which the steps of feed() take.
inline int savedField(const char *p)
{
    const std::uint32_t w = qFromLittleEndian<quint32>(p); // the field's first byte lowest
    const std::uint32_t x = w ^ 0x30303030u; // digits to 0..9, a blank to 0x10
    const std::uint32_t m = x ^ 0x10101010u; // a blank to 0
    const std::uint32_t zero = (m - 0x01010101u) & ~m & 0x80808080u;
    if (zero == 0)
        return -1;
    const int len = qCountTrailingZeroBits(zero) / 8; // bytes before the first blank
    if (len == 0 || len == 4 || (m >> (8 * len)) != 0)
        return -1;
    const std::uint32_t mask = (1u << (8 * len)) - 1;
    const std::uint32_t d = x & mask;
    if ((d & 0x80808080u) != 0 || ((d + 0x76767676u) & 0x80808080u & mask) != 0)
        return -1;
    const std::uint32_t r = d << (8 * (3 - len)); // digits in bytes 0..2, units in byte 2
    return int(r & 0xFF) * 100 + int((r >> 8) & 0xFF) * 10 + int((r >> 16) & 0xFF);
}

// Two such fields at once, as one 8-byte word: false unless both are as
// Save writes them, then savedField() takes them one by one.
inline bool savedPair(const char *p, int &first, int &second)
{
    constexpr quint64 k01 = 0x0101010101010101ull, k7F = 0x7F7F7F7F7F7F7F7Full, k80 = 0x8080808080808080ull;
    const quint64 w = qFromLittleEndian<quint64>(p);
    const quint64 x = w ^ (0x30 * k01); // digits to 0..9, a blank to 0x10
    const quint64 m = x ^ (0x10 * k01); // a blank to 0
    // The high bit of each byte that is a blank, of each that is no digit;
    // computed on 7 bits first, so no byte carries into the next.
    const quint64 blank = ~(((m & k7F) + k7F) | m) & k80;
    const quint64 notDigit = (x | ((x & k7F) + 0x76 * k01)) & k80;
    // Only digits and blanks; each field starts with a digit, ends with a
    // blank, and has no digit after a blank.
    if ((notDigit & ~blank) != 0 || (blank & 0x0000008000000080ull) != 0
        || (blank & 0x8000000080000000ull) != 0x8000000080000000ull
        || ((blank << 8) & ~blank & 0x8080800080808000ull) != 0)
        return false;
    const quint64 digits = x & ~((blank >> 7) * 0xFF);
    const int len0 = int(qCountTrailingZeroBits(blank)) / 8; // 1..3 digits
    const int len1 = int(qCountTrailingZeroBits(blank >> 32)) / 8;
    // Each field's digits to the top of its half, units in its last byte;
    // then tens with units, and hundreds with the rest, both halves at once.
    const quint64 r = quint64(quint32(digits) << (32 - 8 * len0))
                      | quint64(quint32(digits >> 32) << (32 - 8 * len1)) << 32;
    quint64 t = (r * 10 + (r >> 8)) & 0x00FF00FF00FF00FFull;
    t = (t * 100 + (t >> 16)) & 0x0000FFFF0000FFFFull;
    first = int(quint32(t));
    second = int(t >> 32);
    return true;
}

#if defined(__GNUC__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
#define VEXTRUM_FIELD_LANES
// Four such fields at once, as four 32-bit lanes of one vector (the
// compiler's vector extension: SSE2 on x86-64, NEON on ARM), each lane with
// its field's first byte lowest; false unless all four are as Save writes
// them.
using Lanes = std::int32_t __attribute__((vector_size(16)));
using Values = std::int16_t __attribute__((vector_size(8)));

inline bool savedQuad(const char *p, std::int16_t *to)
{
    Lanes w;
    std::memcpy(&w, p, sizeof w);
    const Lanes d0 = (w & 0xFF) - '0', d1 = ((w >> 8) & 0xFF) - '0', d2 = ((w >> 16) & 0xFF) - '0';
    const Lanes blank1 = d1 == ' ' - '0', blank2 = d2 == ' ' - '0';
    // A digit first, a blank last, and no digit after a blank.
    const Lanes ok = (d0 >= 0) & (d0 < 10) & (((d1 >= 0) & (d1 < 10)) | blank1)
                     & (((d2 >= 0) & (d2 < 10)) | blank2) & (((w >> 24) & 0xFF) == ' ') & (~blank1 | blank2);
    quint64 halves[2];
    std::memcpy(halves, &ok, sizeof halves);
    if ((halves[0] & halves[1]) != ~quint64(0))
        return false;
    Lanes value = d0;
    value = (blank1 & value) | (~blank1 & (value * 10 + d1));
    value = (blank2 & value) | (~blank2 & (value * 10 + d2));
    const Values narrow = __builtin_convertvector(value, Values);
    std::memcpy(to, &narrow, sizeof narrow);
    return true;
}
#endif

} // namespace

// Fields as Save writes them, straight into the record, as far as they go;
// returns where they stop.
const char *DataFileParser::putFields(const char *p, const char *end)
{
    if (!m_started)
        return p;
    while (!m_done && end - p >= 4) {
        Record &r = m_store[std::size_t(m_result.slot)];
        const int from = m_result.index;
        int i = from;
        int v, w;
        for (;;) {
            const qsizetype pairs = std::min<qsizetype>((kFileValues - i) / 2, (end - p) / 8);
            const char *const pairsEnd = p + 8 * pairs;
            std::int16_t *to = r.data() + i;
#ifdef VEXTRUM_FIELD_LANES
            for (const char *const quadsEnd = p + 16 * (pairs / 2); p != quadsEnd && savedQuad(p, to); p += 16)
                to += 4;
#endif
            while (p != pairsEnd && savedPair(p, v, w)) {
                to[0] = std::int16_t(v);
                to[1] = std::int16_t(w);
                to += 2;
                p += 8;
            }
            i = int(to - r.data());
            if (i == kFileValues || end - p < 4 || (v = savedField(p)) < 0)
                break;
            r[std::size_t(i++)] = std::int16_t(v);
            p += 4;
        }
        if (i == from)
            return p;
        m_result.index = i;
        if (from <= kOwnNumberLast && i > kOwnNumberLast)
            m_result.captured[std::size_t(m_result.slot)] = ownNumber(r) == m_result.slot + 1;
        if (i == kFileValues) {
            m_result.index = 0;
            if (++m_result.slot == kFileSlots)
                m_done = true; // anything after the last number is ignored
        } else {
            return p;
        }
    }
    return p;
}

bool DataFileParser::feed(const char *data, qsizetype size)
{
    const char *p = data;
    const char *const end = data + (size > 0 ? size : 0);
    while (p < end && !m_done) {
        if (m_state == State::Between) {
            while (p < end && kClass[static_cast<unsigned char>(*p)] == Sep)
                ++p;
            // An item starts here: fields as Save writes them go at once.
            p = putFields(p, end);
            if (p == end || m_done)
                break;
            // The common item, a whole number of up to five digits with a
            // separator after it in this piece, is read straight away; any
            // other goes through the steps below.
            const char *q = p + (p < end && *p == '-');
            const char *const digits = q;
            int v = 0;
            while (q < end && q - digits < 6 && kClass[static_cast<unsigned char>(*q)] == Digit)
                v = v * 10 + (*q++ - '0');
            if (q > digits && q - digits <= 5 && q < end
                && kClass[static_cast<unsigned char>(*q)] == Sep) {
                v = digits > p ? -v : v;
                if (v >= -32768 && v <= 32767) {
                    put(v);
                    p = q;
                    continue;
                }
            }
            if (p == end)
                break;
        }
        const char ch = *p++;
        const int d = static_cast<unsigned char>(ch) - '0';
        const CharClass k = kClass[static_cast<unsigned char>(ch)];
        if (m_state == State::Between) {
            if (k == Sep)
                continue;
            beginItem();
        }
        if (k == Sep) {
            // An item ends.
            if (m_state == State::Int || m_state == State::Frac || m_state == State::Exp)
                endItem();
            else
                fail(OpenResult::NotANumber);
            m_state = State::Between;
            continue;
        }
        keep(ch);
        switch (m_state) {
        case State::Between:
        case State::Sign:
            if (k == Digit) {
                mantissaDigit(d);
                ++m_intDigits;
                m_state = State::Int;
            } else if (k == Sign && m_state == State::Between) {
                m_negative = ch == '-';
                m_state = State::Sign;
            } else {
                m_state = k == Point ? State::BarePoint : State::Bad;
            }
            break;
        case State::Int:
            if (k == Digit) {
                mantissaDigit(d);
                ++m_intDigits;
            } else {
                m_state = k == Point ? State::Frac : k == ExpChar ? State::ExpMark : State::Bad;
            }
            break;
        case State::BarePoint:
        case State::Frac:
            if (k == Digit) {
                mantissaDigit(d);
                m_state = State::Frac;
            } else {
                m_state = k == ExpChar && m_state == State::Frac ? State::ExpMark : State::Bad;
            }
            break;
        case State::ExpMark:
        case State::ExpSign:
        case State::Exp:
            if (k == Digit) {
                if (m_exp < kExpCap)
                    m_exp = m_exp * 10 + d;
                m_state = State::Exp;
            } else if (k == Sign && m_state == State::ExpMark) {
                m_expNegative = ch == '-';
                m_state = State::ExpSign;
            } else {
                m_state = State::Bad;
            }
            break;
        case State::Bad:
            break;
        }
        // A bad item is gathered on to its end for the message, but no
        // further than the bytes kept of it.
        if (m_state == State::Bad && m_itemLen == kItemKeep)
            fail(OpenResult::NotANumber);
    }
    return !m_done;
}

OpenResult DataFileParser::finish()
{
    if (!m_done) {
        switch (m_state) {
        case State::Between:
            break;
        case State::Int:
        case State::Frac:
        case State::Exp:
            endItem();
            break;
        default:
            fail(OpenResult::NotANumber);
            break;
        }
        if (!m_done)
            fail(OpenResult::EndedEarly);
        m_state = State::Between;
    }
    return m_result;
}

OpenResult DataFileParser::stop(const QString &reason)
{
    if (!m_done) {
        fail(OpenResult::ReadFailed);
        m_result.reason = reason;
        m_state = State::Between;
    }
    return m_result;
}

OpenResult parseDataFile(const QByteArray &content, Store &store)
{
    DataFileParser parser(store);
    parser.feed(content.constData(), content.size());
    return parser.finish();
}

OpenResult readDataFile(const QString &path, Store &store)
{
    OpenResult failed;
    failed.status = OpenResult::CannotOpen;
    if (path.isEmpty()) {
        failed.reason = QStringLiteral("no file name was given");
        return failed;
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        failed.reason = QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path));
        return failed;
    }
    // Opening a pipe or a device could wait for good, or read without end.
    if (info.exists() && !info.isFile()) {
        failed.reason = QStringLiteral("%1 is not a regular file").arg(QDir::toNativeSeparators(path));
        return failed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failed.reason = file.errorString();
        return failed;
    }

    // The first piece is read before the store is touched, so a file that
    // opens but cannot be read also leaves the store as it was. The pieces
    // go through one buffer that stays with the thread, already in memory.
    constexpr qint64 kPiece = 64 * 1024;
    thread_local std::array<char, kPiece> buffer;
    qint64 n = file.read(buffer.data(), kPiece);
    if (n < 0) {
        failed.reason = file.errorString();
        return failed;
    }
    DataFileParser parser(store);
    while (n > 0 && parser.feed(buffer.data(), n))
        n = file.read(buffer.data(), kPiece);
    if (n < 0 && !parser.done())
        return parser.stop(file.errorString());
    return parser.finish();
}

bool sameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo x(a), y(b);
    return x.absoluteFilePath() == y.absoluteFilePath()
           || (x.exists() && y.exists() && x.canonicalFilePath() == y.canonicalFilePath());
}

} // namespace vextrum
