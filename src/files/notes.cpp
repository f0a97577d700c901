#include "files/notes.h"

#include "display/setupview.h"

namespace vextrum {

void saveNotes(Record &slot, const QStringList &boxTexts)
{
    const QList<NoteField> &fields = noteFields();
    for (int n = 0; n < fields.size() && n < boxTexts.size(); ++n) {
        const QString &text = boxTexts[n];
        const int first = fields[n].first;
        for (int k = 0; k < pos::NoteLength; ++k)
            slot[first + k] = k < text.size() ? charToCode(text[k]) : kBlank;
    }
}

QValidator::State SingleByteValidator::validate(QString &input, int &) const
{
    for (QChar c : input)
        if (c.unicode() > 255 && c.unicode() != kNulStandIn)
            return Invalid;
    return Acceptable;
}

} // namespace vextrum
