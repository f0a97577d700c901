#include "display/panel.h"

#include "display/canvas.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace vextrum {

namespace {

// Accepts only characters with a single-byte (Latin-1) code.
class SingleByteValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (QChar c : input)
            if (c.unicode() > 255 && c.unicode() != kNulStandIn)
                return Invalid;
        return Acceptable;
    }
};

QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

QPalette textColour(const QColor &colour)
{
    QPalette p;
    p.setColor(QPalette::WindowText, colour);
    return p;
}

} // namespace

QFont sansFont(double points, bool bold)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

FieldBoxes::FieldBoxes(QWidget *client)
{
    buildReadings(client);
    buildPanel(client);
    buildNotes(client);
}

void FieldBoxes::buildReadings(QWidget *client)
{
    for (Field f : fieldsOf(FieldKind::Reading)) {
        const FieldInfo &info = fieldInfo(f);
        auto *e = new QLineEdit(client);
        e->setObjectName(QString::fromLatin1(info.name));
        e->setReadOnly(true);
        e->setGeometry(
            twipsRect(kMeasureLeft + info.row * kMeasureStep, kMeasureTop, kMeasureWidth, kMeasureHeight));
        boxes_[std::size_t(f)] = e;
    }
}

void FieldBoxes::buildPanel(QWidget *client)
{
    // The panel frame starts inside this caption's box: its text keeps to
    // the top, clear of the frame's line.
    caption(client, QStringLiteral("Menu Data"), twipsRect(8520, 0, 1575, 375))
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("panel"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(twipsRect(panel::kLeft, panel::kTop, panel::kWidth, panel::kHeight));
    // The boxes show on the button colour, edge to edge: their base is that
    // colour and each fills its whole area with it. A palette, where a style
    // sheet would cost each box a rule lookup when made and when shown.
    QPalette boxes;
    boxes.setBrush(QPalette::Base, frame->palette().button());
    frame->setPalette(boxes);
    // Most boxes take the frame's font: made in that font, a box lays its
    // text out once rather than again for a font of its own.
    const QFont boxFont = sansFont(8.25);
    frame->setFont(boxFont);

    const QPalette blue = textColour(QColor(0, 0, 255));
    const QFont captionFont = sansFont(8.25, true);
    const QFont lastFont = sansFont(9.75);
    QFont gainFont = lastFont;
    gainFont.setBold(true);

    auto makeBox = [this, frame, &boxFont](const FieldInfo &f, const QRect &r, const QFont &font) {
        auto *e = new QLineEdit(QString::fromLatin1(f.start), frame);
        e->setObjectName(QString::fromLatin1(f.name));
        e->setReadOnly(true);
        e->setFrame(false);
        e->setAutoFillBackground(true);
        if (font != boxFont)
            e->setFont(font);
        e->setTextMargins(0, 0, 0, 0);
        e->setContentsMargins(0, 0, 0, 0);
        e->setGeometry(r);
        e->setCursorPosition(0);
        boxes_[std::size_t(f.field)] = e;
    };
    auto makeCaption = [this, frame, &captionFont](const FieldInfo &f, const QString &text, const QString &name,
                                                   const QRect &r, const QPalette &palette) {
        QLabel *cap = caption(frame, text, r);
        cap->setObjectName(name);
        cap->setFont(captionFont);
        cap->setPalette(palette);
        labels_[std::size_t(f.field)] = cap;
    };

    // The settings, row by row: each box, then the caption over it (fixed,
    // or a label of its own whose text the record gives).
    for (const FieldInfo &f : fieldTable()) {
        if (f.kind != FieldKind::Setup || f.row == kLastLine)
            continue;
        const int left = panel::kColumns[f.column];
        const int rowTop = panel::kRowTops[f.row];
        const QRect above = twipsRect(left, rowTop - panel::kCaptionAbove, panel::kBoxWidth, panel::kCaptionAbove);
        makeBox(f, twipsRect(left, rowTop, panel::kBoxWidth, panel::kBoxHeight), boxFont);
        if (f.caption)
            makeCaption(f, QString::fromLatin1(f.caption), QStringLiteral("cap_") + QString::fromLatin1(f.name),
                        above, blue);
        else if (const FieldInfo *c = captionFieldOf(f))
            makeCaption(*c, QString::fromLatin1(c->start), QString::fromLatin1(c->name), above, blue);
    }

    auto *separator = new QFrame(frame);
    separator->setObjectName(QStringLiteral("separator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(twipsRect(0, panel::kSeparatorY, panel::kWidth, 30));

    // The last line: Gain (red caption, bold box), REF, then time and date.
    const int top = panel::kLastLineTop, h = panel::kLastLineBoxHeight;
    for (const FieldInfo &f : fieldTable()) {
        if (f.row != kLastLine)
            continue;
        if (f.kind == FieldKind::Time) {
            makeCaption(f, QString::fromLatin1(f.start), QString::fromLatin1(f.name),
                        twipsRect(panel::kTimeLabelLeft, top, panel::kWidth - panel::kTimeLabelLeft - 60, h), blue);
            continue;
        }
        const bool gain = f.column == 0;
        const int capLeft = gain ? 120 : 1380;
        makeCaption(f, QString::fromLatin1(f.caption), QStringLiteral("cap_") + QString::fromLatin1(f.name),
                    twipsRect(capLeft, top, 420, h), textColour(gain ? QColor(255, 0, 0) : QColor(0, 0, 255)));
        makeBox(f, twipsRect(capLeft + 420, top, 780, h), gain ? gainFont : lastFont);
    }
}

void FieldBoxes::buildNotes(QWidget *client)
{
    const QFont font = sansFont(9.75);
    for (Field f : fieldsOf(FieldKind::Note)) {
        const FieldInfo &info = fieldInfo(f);
        const int top = kNoteTop + info.row * kNoteStep;
        QLabel *label = caption(client, QString::fromLatin1(info.caption), twipsRect(720, top, 1920, 330));
        label->setObjectName(QStringLiteral("lab_") + QString::fromLatin1(info.name));
        label->setFont(font);
        labels_[std::size_t(f)] = label;
        auto *e = new QLineEdit(client);
        e->setObjectName(QString::fromLatin1(info.name));
        e->setMaxLength(pos::NoteLength);
        e->setValidator(new SingleByteValidator(e));
        e->setFont(font);
        e->setGeometry(twipsRect(2640, top, 3975, 330));
        boxes_[std::size_t(f)] = e;
        notes_.append(e);
    }
}

void FieldBoxes::show(const SetupView &view)
{
    for (const FieldInfo &f : fieldTable()) {
        const QString &text = view.text(f.field);
        if (f.kind == FieldKind::Caption || f.kind == FieldKind::Time) {
            if (QLabel *l = labels_[std::size_t(f.field)])
                l->setText(text);
        } else if (QLineEdit *e = boxes_[std::size_t(f.field)]) {
            e->setText(text);
            e->setCursorPosition(0);
        }
    }
}

} // namespace vextrum
