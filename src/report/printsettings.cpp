#include "report/printsettings.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace vextrum {

PrintSettings::PrintSettings() = default;
PrintSettings::~PrintSettings() = default;

QPrinter &PrintSettings::printer()
{
    if (!printer_)
        printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void PrintSettings::setup(QWidget *parent)
{
    QPrintDialog dialog(&printer(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    // Set-up only chooses the printer; nothing is printed from here, so
    // the confirm button says OK rather than the dialog's own "Print".
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    dialog.exec();
}

} // namespace vextrum
