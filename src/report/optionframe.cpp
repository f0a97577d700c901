#include "report/optionframe.h"

#include "display/canvas.h"
#include "report/reportcontext.h"
#include "store/memorystore.h"

#include <QGroupBox>
#include <QRadioButton>

namespace vextrum {

namespace {

constexpr int kClientWidth = 6360, kClientHeight = 3495;
constexpr int kFrameLeft = 1080, kFrameTop = 480;
constexpr int kBrowserLine = 360; // the browser's option, under "All Ascan Report"

struct OptionButton
{
    const char *name;
    const char *caption;
    int left, top, width, height; // twips on the window
};
const OptionButton kOptions[] = {
    {"opsingle", "Currently Displayed Ascan Report", 1200, 840, 3975, 375},
    {"opselect", "Selected Ascan Report", 1200, 1200, 3735, 375},
    {"opall", "All Ascan Report", 1200, 1560, 2775, 375},
    {"opbrowser", "Selected in the Browser", 1200, 1920, 3735, 375},
};

} // namespace

PrintChoice OptionFrame::choice() const
{
    if (opsingle->isChecked())
        return PrintChoice::Single;
    if (opselect->isChecked())
        return PrintChoice::Selected;
    if (opall->isChecked())
        return PrintChoice::All;
    if (opbrowser && opbrowser->isChecked())
        return PrintChoice::Browser;
    return PrintChoice::None;
}

int OptionFrame::below(int top) const
{
    return opbrowser ? top + kBrowserLine : top;
}

OptionFrame buildOptionFrame(QWidget *window, const QString &title, bool browser)
{
    const int grow = browser ? kBrowserLine : 0;
    window->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight + grow));
    QFont captionFont(QStringLiteral("MS Sans Serif"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);
    window->setFont(captionFont);

    QPalette blue = window->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 255));

    OptionFrame o;
    o.frame = new QGroupBox(title, window);
    o.frame->setObjectName(QStringLiteral("Frame1"));
    o.frame->setGeometry(twipsRect(kFrameLeft, kFrameTop, 4215, 1815 + grow));
    o.frame->setPalette(blue);

    QRadioButton **buttons[] = {&o.opsingle, &o.opselect, &o.opall, &o.opbrowser};
    for (int k = 0; k < (browser ? 4 : 3); ++k) {
        const OptionButton &b = kOptions[k];
        auto *button = new QRadioButton(QString::fromLatin1(b.caption), o.frame);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setGeometry(twipsRect(b.left - kFrameLeft, b.top - kFrameTop, b.width, b.height));
        *buttons[k] = button;
    }
    o.opsingle->setChecked(true);
    return o;
}

QList<int> memoriesChosen(PrintChoice choice, const ReportContext &context)
{
    return memoriesToPrint(choice, context.store.capturedSlots(), context.selected ? context.selected() : QList<int>(),
                           context.inBrowser ? context.inBrowser() : QList<int>());
}

} // namespace vextrum
