#pragma once
// The four notes of a memory: operator, job detail, defect detail and
// remark, 20 single-byte characters each.

#include "store/record.h"

#include <QStringList>
#include <QValidator>

namespace vextrum {

// "Detail/Note SAVE": each box replaces its whole field, padded with
// blanks, so a shorter note never keeps the tail of the old one and an
// emptied box clears its field. Texts in note order; at most 20 characters
// of each are taken.
void saveNotes(Record &slot, const QStringList &boxTexts);

// Accepts only characters with a single-byte (Latin-1) code.
class SingleByteValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace vextrum
