#include "display/setupfields.h"

namespace vextrum {

const QList<SetupField> &setupFields()
{
    // box, first, shown, caption, captionLabel, captionFirst, captionStart, row, column, start
    static const QList<SetupField> fields = {
        {"txtzero", 260, 7, "ZERO", nullptr, -1, nullptr, 0, 0, "108"},
        {"txtrange", 267, 7, "RANGE", nullptr, -1, nullptr, 0, 1, "100"},
        {"txtvelo", 274, 7, "VEL ", nullptr, -1, nullptr, 0, 2, "5920"},
        {"txtdelay", 281, 7, "DELAY", nullptr, -1, nullptr, 0, 3, "0.0"},
        {"txtgain", 288, 5, "Gain", nullptr, -1, nullptr, kLastLine, 0, "25"},
        {"txtgate", 295, 7, "GATE 1", nullptr, -1, nullptr, 1, 0, "OFF"},
        {"txtstart", 302, 7, "START", nullptr, -1, nullptr, 1, 1, "30%"},
        {"txtend", 309, 7, "END", nullptr, -1, nullptr, 1, 2, "70%"},
        {"txtlevel", 316, 7, "LEVEL", nullptr, -1, nullptr, 1, 3, "40%"},
        {"txtgate2", 323, 7, "GATE 2", nullptr, -1, nullptr, 2, 0, "OFF"},
        {"txtstart2", 330, 7, "START", nullptr, -1, nullptr, 2, 1, "30%"},
        {"txtend2", 337, 7, "END", nullptr, -1, nullptr, 2, 2, "70%"},
        {"txtlevel2", 344, 7, "LEVEL", nullptr, -1, nullptr, 2, 3, "40%"},
        {"txtmem", 351, 7, "MEMORY", nullptr, -1, nullptr, 3, 0, "A SCAN"},
        {"txtmemno", 358, 7, "MEM NO", nullptr, -1, nullptr, 3, 1, "1"},
        {"txtaction", 365, 7, "ACTION", nullptr, -1, nullptr, 3, 2, "SEND"},
        {"txtrefg", 372, 4, "REF", nullptr, -1, nullptr, kLastLine, 1, "25"},
        {"txtent", -1, 0, "NOTE", nullptr, -1, nullptr, 3, 3, "ENTER"},
        {"txtreject", 376, 7, "REJECT", nullptr, -1, nullptr, 4, 0, "00%"},
        {"txtpower", 383, 7, "POWER", nullptr, -1, nullptr, 4, 1, "HI"},
        {"txtdamp", 390, 7, "DAMPING", nullptr, -1, nullptr, 4, 2, "HIGH"},
        {"txtmode", 397, 7, "MODE", nullptr, -1, nullptr, 4, 3, "SINGLE"},
        {"txtdac", 411, 7, nullptr, "labdac", 404, "DAC", 5, 0, "OFF"},
        {"txtcur", 425, 7, nullptr, "labgsta1", 418, "STRT G1", 5, 1, "30%"},
        {"txtpoint", 439, 7, nullptr, "labpnt", 432, "POINT", 5, 2, "001"},
        {"Txtpress", 453, 7, nullptr, "labpress", 446, "PRESS", 5, 3, "ENTER"},
        {"txtmea", 460, 7, "MEASURE", nullptr, -1, nullptr, 6, 0, "OFF"},
        {"txtxoff", 467, 7, "X-OFF", nullptr, -1, nullptr, 6, 1, "000"},
        {"txtangle", 474, 7, "ANGLE", nullptr, -1, nullptr, 6, 2, "000"},
        {"txtthick", 481, 7, "THICK", nullptr, -1, nullptr, 6, 3, "0100"},
        {"txttrig", 488, 7, "TRIGGER", nullptr, -1, nullptr, 7, 0, "FLANK"},
        {"txthud", 495, 7, "HUD", nullptr, -1, nullptr, 7, 1, "OFF"},
        {"txtsetref", 502, 7, "SET REF", nullptr, -1, nullptr, 7, 2, "OFF"},
        {"txtunit", 509, 7, "UNIT", nullptr, -1, nullptr, 7, 3, "METRIC"},
        {"txtclock", 516, 7, "CLOCK", nullptr, -1, nullptr, 8, 0, "OFF"},
        {"txtcolor", 523, 7, "COLOR", nullptr, -1, nullptr, 8, 1, "005"},
        {"txtVideo", 530, 7, "VIDEO", nullptr, -1, nullptr, 8, 2, "ENVELOP"},
        {"txtbrt", 537, 6, "BRIGHT", nullptr, -1, nullptr, 8, 3, "50%"},
        {"txtcinfig", 544, 7, "CONFIG", nullptr, -1, nullptr, 9, 0, "DAC"},
        {"txthorn", 551, 7, "HORN", nullptr, -1, nullptr, 9, 1, "OFF"},
        {"txtbeep", 558, 7, "BEEP", nullptr, -1, nullptr, 9, 2, "OFF"},
        {"txtprf", 565, 7, "PRF", nullptr, -1, nullptr, 9, 3, "HI"},
        {"txtmp1", 572, 7, "MEA PO1", nullptr, -1, nullptr, 10, 0, "OFF"},
        {"txtmp2", 579, 7, "MEA PO2", nullptr, -1, nullptr, 10, 1, "OFF"},
        {"txtmp3", 586, 7, "MEA PO3", nullptr, -1, nullptr, 10, 2, "OFF"},
        {"txtblk1", 593, 7, nullptr, nullptr, -1, nullptr, 10, 3, ""},
        {"txtdgs", 600, 7, "DGS", nullptr, -1, nullptr, 11, 0, "OFF"},
        {"txtstrtg1", 607, 7, "STRT G1", nullptr, -1, nullptr, 11, 1, "30 %"},
        {"txtdgsref", 614, 7, "DGS-REF", nullptr, -1, nullptr, 11, 2, "OFF"},
        {"txttlcorr", 621, 7, "TL-CORR", nullptr, -1, nullptr, 11, 3, "00.0 dB"},
        {"txtscaleno", 628, 7, "SCALE NO", nullptr, -1, nullptr, 12, 0, "002"},
        {"txtprbname", 635, 7, "PRBNAME", nullptr, -1, nullptr, 12, 1, "M2SN"},
        {"txtpfreq", 642, 7, "PRBFREQ", nullptr, -1, nullptr, 12, 2, "2.00MHZ"},
        {"txtdelvel", 649, 7, "DEL-VEL", nullptr, -1, nullptr, 12, 3, "2500M/S"},
        {"txtdefft", 656, 7, "D EFFT", nullptr, -1, nullptr, 13, 0, "23.1 MM"},
        {"txtdgscrv", 663, 7, "DGS-CRV", nullptr, -1, nullptr, 13, 1, "11.0 MM"},
        {"txtrefecho", 670, 7, "REFTYPE", nullptr, -1, nullptr, 13, 2, "FBH"},
        {"txtrefsize", 677, 7, "REFSIZE", nullptr, -1, nullptr, 13, 3, "11.0 MM"},
        {"txtexit", 684, 7, "EXIT", nullptr, -1, nullptr, 14, 0, ""},
        {"txtattref", 691, 7, "ATT-REF", nullptr, -1, nullptr, 14, 1, "00.0 dB"},
        {"txtattobj", 698, 7, "ATT-OBJ", nullptr, -1, nullptr, 14, 2, "00.0 dB"},
        {"txtamplcor", 705, 7, "AMPLCOR", nullptr, -1, nullptr, 14, 3, "00.0 dB"},
    };
    return fields;
}

const QList<MeasureBox> &measureBoxes()
{
    static const QList<MeasureBox> boxes = {
        {"txtmeapo1", 722, 1440},
        {"txtmeapo2", 730, 2760},
        {"txtmeapo3", 738, 4080},
        {"txtmeapo4", 746, 5400},
    };
    return boxes;
}

} // namespace vextrum
