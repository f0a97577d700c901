#pragma once
// The boxes and labels of the main window that show the fields of the
// record on screen: the parameter panel, the measurement readings under
// the A-scan picture and the four note boxes. Built from the field table
// at their places in twips; they show a SetupView and never hold data of
// their own.

#include "store/fields.h"

#include <QList>
#include <array>

class QFont;
class QLabel;
class QLineEdit;
class QWidget;

namespace vextrum {

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

// Measurement readings under the A-scan picture, twips on the main window:
// reading k at kMeasureLeft + k * kMeasureStep.
constexpr int kMeasureLeft = 1440, kMeasureStep = 1320;
constexpr int kMeasureTop = 5160, kMeasureWidth = 1215, kMeasureHeight = 285;

// Note boxes and their labels: note k at kNoteTop + k * kNoteStep.
constexpr int kNoteTop = 5760, kNoteStep = 360;

class FieldBoxes
{
public:
    // Builds every box and label on `client` (the main window's area).
    explicit FieldBoxes(QWidget *client);

    // Fills every box and label from the view; a text wider than its box
    // shows its start.
    void show(const SetupView &view);

    QLineEdit *box(Field f) const { return boxes_[std::size_t(f)]; }
    QLabel *label(Field f) const { return labels_[std::size_t(f)]; }
    // The note boxes in note order.
    const QList<QLineEdit *> &noteBoxes() const { return notes_; }

private:
    void buildPanel(QWidget *client);
    void buildReadings(QWidget *client);
    void buildNotes(QWidget *client);

    std::array<QLineEdit *, kFieldCount> boxes_{};
    std::array<QLabel *, kFieldCount> labels_{};
    QList<QLineEdit *> notes_;
};

// The program's panel font: MS Sans Serif (or its stand-in) at `points`.
QFont sansFont(double points, bool bold = false);

} // namespace vextrum
