#pragma once
// The setup block of a record as the parameter panel shows it: one table
// for the fields, their boxes, captions, panel cells and start texts.

#include <QList>

namespace vextrum {

struct SetupField
{
    const char *box;          // objectName of the box showing the field
    int first;                // first record position; -1: reads nothing
    int shown;                // characters shown
    const char *caption;      // fixed caption over the box, or nullptr
    const char *captionLabel; // label whose caption the record gives, or nullptr
    int captionFirst;         // record position of that caption (7 characters)
    const char *captionStart; // that label's start text
    int row;                  // panel row 0..14; kLastLine for Gain and REF
    int column;               // 0..3
    const char *start;        // text before any memory is shown
};

constexpr int kLastLine = 15;

// Fields 1 to 65 in record order, with `txtent` after REF.
const QList<SetupField> &setupFields();

// Panel geometry, twips relative to the panel frame.
namespace panel {
constexpr int kLeft = 6720, kTop = 240, kWidth = 5205, kHeight = 7785;
constexpr int kColumns[4] = {120, 1320, 2640, 3960};
constexpr int kRowTops[15] = {360, 840, 1335, 1800, 2280, 2775, 3255, 3720,
                              4215, 4680, 5160, 5760, 6240, 6720, 7200};
constexpr int kCaptionAbove = 240;
constexpr int kBoxWidth = 1080, kBoxHeight = 195;
constexpr int kSeparatorY = 5400;
constexpr int kLastLineTop = 7440;
constexpr int kLastLineBoxHeight = 245;
constexpr int kTimeLabelLeft = 2640;
} // namespace panel

// Measurement readings under the A-scan picture.
struct MeasureBox
{
    const char *box;
    int first; // 8 characters
    int left;  // twips on the main window
};
const QList<MeasureBox> &measureBoxes();
constexpr int kMeasureTop = 5160, kMeasureWidth = 1215, kMeasureHeight = 285;

constexpr int kTimeFirst = 712;  // 10 characters: hhmmddmmyy
constexpr char kTimeStart[] = "Tm: 7:55  Dt: 28/4/2003";

} // namespace vextrum
