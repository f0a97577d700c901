#include "simkit/replybuilder.h"

#include "store/fields.h"
#include "link/unpack.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace vextrum {

namespace {

constexpr char kMenuFiller = ' ';

char byteOf(std::int16_t value)
{
    return char(std::uint8_t(value)); // the instrument only ever sends bytes
}

} // namespace

QByteArray ascanBlock(const Record &record)
{
    QByteArray block(kAscanBlockLength, '\0');
    for (int p = pos::AscanFirst; p <= pos::AscanLast; ++p)
        block[p + 1] = byteOf(record[p]);
    return block;
}

QByteArray menuBlock(const Record &record)
{
    QByteArray block(kMenuBlockLength, kMenuFiller);
    for (const UnpackRun &run : unpackRuns()) {
        for (int i = 0; i < run.count; ++i)
            block[run.blockOffset + i] = byteOf(record[run.recordFirst + i]);
    }
    return block;
}

QByteArray assembleReply(QByteArray ascan, QByteArray menu, const ReplyShape &shape)
{
    ascan.resize(kAscanBlockLength, '\0');
    menu.resize(kMenuBlockLength, '\0');
    const std::uint8_t fill = shape.fillByte == kReplyStartByte ? 254 : shape.fillByte;
    const int fillBytes = std::max(0, shape.fillBytes);
    QByteArray reply;
    reply.reserve(kShortestReply + fillBytes);
    reply += char(kReplyStartByte);
    reply += ascan;
    reply += char(shape.gapByte);
    reply += QByteArray(fillBytes, char(fill));
    reply += char(kReplyStartByte);
    reply += menu;
    return reply;
}

QByteArray buildReply(const Record &record, const ReplyShape &shape)
{
    return assembleReply(ascanBlock(record), menuBlock(record), shape);
}

// ---------------------------------------------------------------------------
// Sample memories

namespace {

// A setup text per variant, as the instrument shows it.
struct SampleText
{
    int first;
    int width;
    const char *text[kSampleVariants];
};

// Variants: 0 weld with DAC 6/14, 1 forging with TCG, 2 plate with DGS and
// gate 1 on DAC -6, 3 tube with plain DAC, 4 bare setup with everything off,
// 5 axle with DGS and both gates.
const SampleText kSampleTexts[] = {
    {260, 7, {"108    ", "112    ", "095    ", "210    ", "108    ", "150    "}},
    {267, 7, {"100 MM ", "250 MM ", "050 MM ", "200 MM ", "125 MM ", "012 MM "}},
    {274, 7, {"3240M/S", "5920M/S", "5920M/S", "3250M/S", "5920M/S", "6320M/S"}},
    {281, 7, {"0.0 MM ", "0.0 MM ", "2.5 MM ", "10.0 MM", "0.0 MM ", "0.0 MM "}},
    {288, 6, {"48.5  ", "36.0  ", "52.0  ", "40.5  ", "25.0  ", "60.5  "}},
    {295, 7, {"ON     ", "ON     ", "DAC -6 ", "OFF    ", "DAC -12", "ON     "}},
    {302, 7, {"30%    ", "20%    ", "35%    ", "30%    ", "40%    ", "10%    "}},
    {309, 7, {"40%    ", "30%    ", "20%    ", "50%    ", "25%    ", "60%    "}},
    {316, 7, {"40%    ", "50%    ", "30%    ", "40%    ", "20%    ", "45%    "}},
    {323, 7, {"OFF    ", "ON     ", "OFF    ", "ON     ", "OFF    ", "ON     "}},
    {330, 7, {"60%    ", "55%    ", "60%    ", "70%    ", "60%    ", "75%    "}},
    {337, 7, {"20%    ", "30%    ", "20%    ", "20%    ", "20%    ", "20%    "}},
    {344, 7, {"20%    ", "25%    ", "20%    ", "60%    ", "20%    ", "30%    "}},
    {351, 7, {"A SCAN ", "A SCAN ", "A SCAN ", "A SCAN ", "A SCAN ", "A SCAN "}},
    {365, 7, {"SEND   ", "SEND   ", "SEND   ", "SEND   ", "SEND   ", "SEND   "}},
    {372, 4, {"25.0", "30.5", "42.0", "18.0", "25.0", "36.0"}},
    {376, 7, {"00%    ", "05%    ", "00%    ", "10%    ", "00%    ", "05%    "}},
    {383, 7, {"HI     ", "HI     ", "LOW    ", "HI     ", "LOW    ", "HI     "}},
    {390, 7, {"HIGH   ", "LOW    ", "HIGH   ", "HIGH   ", "LOW    ", "HIGH   "}},
    {397, 7, {"DUAL   ", "SINGLE ", "SINGLE ", "DUAL   ", "SINGLE ", "THROUGH"}},
    {404, 7, {"DAC    ", "DAC    ", "DAC    ", "DAC    ", "DAC    ", "DAC    "}},
    {411, 7, {"ON 6/14", "ON  TCG", "OFF    ", "ON     ", "OFF    ", "OFF    "}},
    {418, 7, {"STRT G1", "STRT G1", "STRT G1", "STRT G1", "STRT G1", "STRT G1"}},
    {425, 7, {"30%    ", "20%    ", "35%    ", "30%    ", "40%    ", "10%    "}},
    {432, 7, {"POINT  ", "POINT  ", "POINT  ", "POINT  ", "POINT  ", "POINT  "}},
    {439, 7, {"006    ", "004    ", "001    ", "005    ", "001    ", "003    "}},
    {446, 7, {"PRESS  ", "PRESS  ", "PRESS  ", "PRESS  ", "PRESS  ", "PRESS  "}},
    {453, 7, {"ENTER  ", "ENTER  ", "ENTER  ", "ENTER  ", "ENTER  ", "ENTER  "}},
    {460, 7, {"ON     ", "ON     ", "OFF    ", "ON     ", "OFF    ", "ON     "}},
    {467, 7, {"012    ", "000    ", "000    ", "008    ", "000    ", "000    "}},
    {474, 7, {"060    ", "000    ", "000    ", "045    ", "000    ", "000    "}},
    {481, 7, {"0020   ", "0250   ", "0025   ", "0008   ", "0100   ", "0120   "}},
    {488, 7, {"FLANK  ", "PEAK   ", "FLANK  ", "FLANK  ", "FLANK  ", "PEAK   "}},
    {495, 7, {"OFF    ", "OFF    ", "OFF    ", "ON     ", "OFF    ", "OFF    "}},
    {502, 7, {"OFF    ", "OFF    ", "ON     ", "OFF    ", "OFF    ", "ON     "}},
    {509, 7, {"METRIC ", "METRIC ", "METRIC ", "METRIC ", "METRIC ", "METRIC "}},
    {516, 7, {"ON     ", "ON     ", "OFF    ", "ON     ", "OFF    ", "ON     "}},
    {523, 7, {"005    ", "003    ", "005    ", "001    ", "005    ", "002    "}},
    {530, 7, {"ENVELOP", "FULL   ", "ENVELOP", "RF     ", "ENVELOP", "FULL   "}},
    {537, 7, {"50%    ", "70%    ", "50%    ", "60%    ", "50%    ", "80%    "}},
    {544, 7, {"DAC    ", "DAC    ", "DGS    ", "DAC    ", "DAC    ", "DGS    "}},
    {551, 7, {"OFF    ", "OFF    ", "OFF    ", "ON     ", "OFF    ", "OFF    "}},
    {558, 7, {"OFF    ", "ON     ", "OFF    ", "OFF    ", "OFF    ", "ON     "}},
    {565, 7, {"HI     ", "LOW    ", "HI     ", "HI     ", "HI     ", "LOW    "}},
    {572, 7, {"SA     ", "SA     ", "OFF    ", "SA     ", "OFF    ", "SA     "}},
    {579, 7, {"DA     ", "DA     ", "OFF    ", "RA     ", "OFF    ", "DA     "}},
    {586, 7, {"A%     ", "A%     ", "OFF    ", "DA     ", "OFF    ", "A%     "}},
    {593, 7, {"       ", "       ", "       ", "       ", "       ", "       "}},
    {600, 7, {"OFF    ", "OFF    ", "ON     ", "OFF    ", "OFF    ", "ON     "}},
    {607, 7, {"30 %   ", "20 %   ", "35 %   ", "30 %   ", "40 %   ", "10 %   "}},
    {614, 7, {"OFF    ", "OFF    ", "ON     ", "OFF    ", "OFF    ", "ON     "}},
    {621, 7, {"00.0 dB", "00.0 dB", "02.0 dB", "00.0 dB", "00.0 dB", "01.5 dB"}},
    {628, 7, {"002    ", "001    ", "002    ", "004    ", "002    ", "003    "}},
    {635, 7, {"MWB60-4", "B4S    ", "M2SN   ", "MSEB4  ", "M2SN   ", "B2S    "}},
    {642, 7, {"4.00MHZ", "4.00MHZ", "2.00MHZ", "4.00MHZ", "2.00MHZ", "2.00MHZ"}},
    {649, 7, {"2730M/S", "2500M/S", "2500M/S", "2730M/S", "2500M/S", "2500M/S"}},
    {656, 7, {"08.0 MM", "23.1 MM", "23.1 MM", "05.0 MM", "23.1 MM", "11.5 MM"}},
    {663, 7, {"03.0 MM", "11.0 MM", "11.0 MM", "02.0 MM", "11.0 MM", "04.0 MM"}},
    {670, 7, {"SDH    ", "FBH    ", "FBH    ", "SDH    ", "FBH    ", "BW     "}},
    {677, 7, {"03.0 MM", "11.0 MM", "03.0 MM", "01.5 MM", "11.0 MM", "02.0 MM"}},
    {684, 7, {"       ", "       ", "       ", "       ", "       ", "       "}},
    {691, 7, {"00.0 dB", "00.0 dB", "01.0 dB", "00.0 dB", "00.0 dB", "02.0 dB"}},
    {698, 7, {"00.0 dB", "01.5 dB", "00.0 dB", "00.0 dB", "00.0 dB", "03.0 dB"}},
    {705, 7, {"00.0 dB", "00.0 dB", "04.0 dB", "00.0 dB", "00.0 dB", "02.5 dB"}},
    {1010, 20, {"R. HALVORSEN", "M. OKAFOR", "J. PETERS", "A. NOVAK", "", "S. TANAKA"}},
    {1030, 20, {"PIPE WELD W-114", "FORGING LOT 2207", "PLATE 25MM S355", "BOILER TUBE 7/3", "",
                "AXLE SHAFT 0412"}},
    {1050, 20, {"ROOT CRACK", "INCLUSION", "", "LAMINATION", "", "NO DEFECT FOUND"}},
    {1070, 20, {"REPAIR AND RETEST", "", "DGS REF FBH 3", "ACCEPT", "", "CAL BLOCK V1"}},
};

bool curveShown(int variant)
{
    return variant != 4; // the bare setup has neither DAC nor DGS
}

void put(Record &record, int first, int width, const QString &text)
{
    setRecordText(record, first, text.leftJustified(width, QLatin1Char(' '), true));
}

// A small deterministic generator, so a memory looks the same every time.
struct Lcg
{
    std::uint32_t state;
    std::uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 16;
    }
};

struct Echo
{
    double centre;
    double height; // percent of screen height
    double width;
};

} // namespace

Record sampleRecord(int memory, int variant)
{
    variant = ((variant % kSampleVariants) + kSampleVariants) % kSampleVariants;
    const int n = std::clamp(memory, 0, 999);
    Record record = emptyRecord();

    for (const SampleText &field : kSampleTexts)
        put(record, field.first, field.width, QString::fromLatin1(field.text[variant]));
    put(record, pos::OwnNumberFirst, 7, QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')));

    // Time and date, hhmmddmmyy, different for every memory.
    const int hour = 7 + (n * 3) % 11, minute = (n * 17) % 60;
    const int day = 1 + n % 28, month = 1 + (n / 28) % 12;
    put(record, fieldInfo(Field::TimeDate).first, 10,
        QStringLiteral("%1%2%3%4%5")
            .arg(hour, 2, 10, QLatin1Char('0'))
            .arg(minute, 2, 10, QLatin1Char('0'))
            .arg(day, 2, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'))
            .arg(3, 2, 10, QLatin1Char('0')));

    // A-scan: initial pulse, a flaw echo and a back-wall echo over grass.
    Lcg rng{std::uint32_t(n) * 2654435761u + std::uint32_t(variant) * 40503u + 1u};
    const Echo echoes[] = {
        {double(40 + (n * 37) % 120), double(30 + (n * 13) % 60), 3.0 + variant % 3},
        {double(205 + variant * 6), variant == 4 ? 0.0 : 70.0 + (n % 4) * 8, 4.0},
    };
    double peak = 0;
    for (int p = pos::AscanFirst; p <= pos::AscanLast; ++p) {
        double v = p <= 12 ? 110.0 - 9.0 * p : 0.0;
        for (const Echo &e : echoes) {
            const double d = (p - e.centre) / e.width;
            v += e.height * std::exp(-d * d);
        }
        v += rng.next() % 4;
        record[p] = std::int16_t(std::clamp(int(std::lround(v)), 0, 120));
        if (p > 12)
            peak = std::max(peak, v);
    }

    // Readings, 8 characters each: sound path, depth, reduced projection
    // of the flaw echo, and its amplitude.
    const double range = readNumber(recordText(record, 267, 7));
    const double path = range * echoes[0].centre / 250.0;
    const double angle = readNumber(recordText(record, 474, 7)) * M_PI / 180.0;
    const QList<QString> readings = {
        QStringLiteral("SA") + QString::number(path, 'f', 1).rightJustified(6),
        QStringLiteral("DA") + QString::number(path * std::cos(angle), 'f', 1).rightJustified(6),
        QStringLiteral("RA") + QString::number(path * std::sin(angle), 'f', 1).rightJustified(6),
        QStringLiteral("A%") + QString::number(std::min(100, int(peak))).rightJustified(6),
    };
    for (int i = 0; i < readings.size(); ++i)
        put(record, 722 + 8 * i, 8, readings[i]);

    // DAC curve in half-percent: falling with distance from the near field.
    const double fall = 80.0 + 25.0 * variant;
    for (int j = 0; j <= pos::DacLast - pos::DacFirst; ++j) {
        int v = 0;
        if (curveShown(variant) && j >= 8)
            v = int(std::lround(190.0 * std::exp(-(j - 8) / fall)));
        record[pos::DacFirst + j] = std::int16_t(v);
    }

    // The instrument completes its two 6-character fields the same way.
    for (const FixedValue &fixed : kFixedValues)
        record[fixed.recordPosition] = fixed.value;
    return record;
}

Record sampleMemory(int memory)
{
    const int n = std::max(memory, 1);
    return sampleRecord(memory, (n - 1) % kSampleVariants);
}

QList<Record> sampleMemories()
{
    QList<Record> records;
    records.reserve(kMemoryCount);
    for (int m = 1; m <= kMemoryCount; ++m)
        records.append(sampleMemory(m));
    return records;
}

} // namespace vextrum
