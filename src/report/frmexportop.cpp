#include "report/frmexportop.h"

#include "display/canvas.h"

#include <QPushButton>

using namespace vextrum;

frmexportop::frmexportop(const QString &title, bool browser, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmexportop"));
    setWindowTitle(title);
    options_ = buildOptionFrame(this, QStringLiteral("Export Option"), browser);

    auto *cmdexport = new QPushButton(QStringLiteral("Export"), this);
    cmdexport->setObjectName(QStringLiteral("cmdexport"));
    cmdexport->setGeometry(twipsRect(1080, options_.below(2520), 1335, 495));
    cmdexport->setDefault(true);
    auto *cmdcancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));
    cmdcancel->setGeometry(twipsRect(2640, options_.below(2520), 1335, 495));
    connect(cmdexport, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdcancel, &QPushButton::clicked, this, &QDialog::reject);
}

PrintChoice frmexportop::choice() const
{
    return options_.choice();
}
