#include "store/record.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace vextrum {

void initialiseStore(Store &store)
{
    for (int s = 0; s < kMemoryCount; ++s) {
        Record &r = store[s];
        for (int p = 0; p <= 260; ++p)
            r[p] = 0;
        for (int p = 261; p < kRecordSize; ++p)
            r[p] = kBlank;
    }
    store[kMemoryCount].fill(0);
}

Record emptyRecord()
{
    Record r;
    for (int p = 0; p <= 250; ++p)
        r[p] = 0;
    for (int p = 251; p < kRecordSize; ++p)
        r[p] = kBlank;
    return r;
}

QChar codeToChar(int code)
{
    if (code == 0)
        return QChar(kNulStandIn);
    if (code < 0 || code > 255)
        return QChar(kBadCodeStandIn);
    return QChar(char16_t(code));
}

std::int16_t charToCode(QChar c)
{
    const char16_t u = c.unicode();
    if (u == kNulStandIn)
        return 0;
    if (u > 255)
        return '?';
    return std::int16_t(u);
}

QString recordText(const Record &record, int first, int count)
{
    QString text;
    text.reserve(count);
    for (int p = first; p < first + count; ++p)
        text += codeToChar(record[p]);
    return text;
}

void setRecordText(Record &record, int first, QStringView text)
{
    for (int k = 0; k < text.size() && first + k < kRecordSize; ++k)
        record[first + k] = charToCode(text[k]);
}

double readNumber(QStringView text)
{
    // Gather the longest prefix (blanks skipped) that can still form a
    // decimal number, then let strtod read it.
    std::string num;
    bool digits = false, point = false, exponent = false;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c >= '0' && c <= '9') {
            digits = true;
            num += char(c);
        } else if ((c == '+' || c == '-') && (num.empty() || num.back() == 'e')) {
            num += char(c);
        } else if (c == '.' && !point && !exponent) {
            point = true;
            num += '.';
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && digits && !exponent) {
            exponent = true;
            num += 'e';
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    // A dangling exponent ("1e", "1e-") reads as the mantissa alone.
    while (!num.empty() && (num.back() == 'e' || num.back() == '+' || num.back() == '-'))
        num.pop_back();
    const double v = std::strtod(num.c_str(), nullptr);
    // A number too large for a double reads as 0 rather than infinity.
    return std::isfinite(v) ? v : 0.0;
}

double ownNumber(const Record &record)
{
    return readNumber(recordText(record, pos::OwnNumberFirst, 3));
}

int memoryNumber(const Record &record)
{
    const double n = ownNumber(record);
    return n >= 1 && n <= kMemoryCount && n == int(n) ? int(n) : 0;
}

QString entryText(int slot, bool captured)
{
    QString t = QStringLiteral("Mem ") + QString::number(slot + 1);
    if (captured)
        t += QStringLiteral(" *");
    return t;
}

} // namespace vextrum
