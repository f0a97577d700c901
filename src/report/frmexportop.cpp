#include "report/frmexportop.h"

#include "display/canvas.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

using namespace vextrum;

frmexportop::frmexportop(const QString &title, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmexportop"));
    setWindowTitle(title);
    setFixedSize(twipsToPixels(6360), twipsToPixels(3495));
    QFont captionFont(QStringLiteral("MS Sans Serif"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);
    setFont(captionFont);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 255));

    auto *frame = new QGroupBox(QStringLiteral("Export Option"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(1080, 480, 4215, 1815));
    frame->setPalette(blue);
    auto option = [frame](const char *name, const char *caption, int top, int width) {
        auto *b = new QRadioButton(QString::fromLatin1(caption), frame);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(twipsRect(120, top - 480, width, 375));
        return b;
    };
    opsingle_ = option("opsingle", "Currently Displayed Ascan Report", 840, 3975);
    opselect_ = option("opselect", "Selected Ascan Report", 1200, 3735);
    opall_ = option("opall", "All Ascan Report", 1560, 2775);
    opsingle_->setChecked(true);

    auto *cmdexport = new QPushButton(QStringLiteral("Export"), this);
    cmdexport->setObjectName(QStringLiteral("cmdexport"));
    cmdexport->setGeometry(twipsRect(1080, 2520, 1335, 495));
    cmdexport->setDefault(true);
    auto *cmdcancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));
    cmdcancel->setGeometry(twipsRect(2640, 2520, 1335, 495));
    connect(cmdexport, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdcancel, &QPushButton::clicked, this, &QDialog::reject);
}

PrintChoice frmexportop::choice() const
{
    if (opsingle_->isChecked())
        return PrintChoice::Single;
    if (opselect_->isChecked())
        return PrintChoice::Selected;
    return opall_->isChecked() ? PrintChoice::All : PrintChoice::None;
}
