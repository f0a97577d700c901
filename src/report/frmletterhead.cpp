#include "report/frmletterhead.h"

#include "display/canvas.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

using namespace vextrum;

namespace {

constexpr int kClientWidth = 6360, kClientHeight = 4080;
constexpr int kLogoLeft = 1560, kLogoTop = 1860, kLogoWidth = 1800, kLogoHeight = 1200;
constexpr int kTextMax = 80; // characters of a letterhead line

QLabel *label(QWidget *parent, const char *name, const char *text, const QRect &at)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
}

QLineEdit *lineBox(QWidget *parent, const QString &name, int top)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(kTextMax);
    e->setGeometry(twipsRect(1560, top, 4560, 315));
    return e;
}

QPushButton *button(QWidget *parent, const char *name, const char *text, const QRect &at)
{
    auto *b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    return b;
}

} // namespace

frmletterhead::frmletterhead(std::function<void(const QString &)> tell, QWidget *parent)
    : QWidget(parent, Qt::Window), tell_(std::move(tell))
{
    setObjectName(QStringLiteral("frmletterhead"));
    setWindowTitle(QStringLiteral("Report Letterhead"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));

    label(this, "Label1", "Company", twipsRect(240, 270, 1200, 285));
    txtcompany_ = lineBox(this, QStringLiteral("txtcompany"), 240);
    label(this, "Label2", "Address", twipsRect(240, 690, 1200, 285));
    for (int k = 0; k < 3; ++k)
        txtaddress_[size_t(k)] = lineBox(this, QStringLiteral("txtaddress%1").arg(k + 1), 660 + 360 * k);
    label(this, "Label3", "Logo", twipsRect(240, kLogoTop, 1200, 285));
    piclogo_ = label(this, "piclogo", "", twipsRect(kLogoLeft, kLogoTop, kLogoWidth, kLogoHeight));
    piclogo_->setFrameStyle(QFrame::Box | QFrame::Plain);
    piclogo_->setAlignment(Qt::AlignCenter);
    auto *cmdlogo = button(this, "cmdlogo", "Logo...", twipsRect(3600, kLogoTop, 1335, 375));
    auto *cmdnologo = button(this, "cmdnologo", "No Logo", twipsRect(3600, kLogoTop + 480, 1335, 375));
    auto *cmdok = button(this, "cmdok", "OK", twipsRect(3360, 3480, 1215, 375));
    auto *cmdcancel = button(this, "cmdcancel", "Cancel", twipsRect(4800, 3480, 1215, 375));
    cmdok->setDefault(true);
    connect(cmdlogo, &QPushButton::clicked, this, &frmletterhead::cmdlogo_Click);
    connect(cmdnologo, &QPushButton::clicked, this, &frmletterhead::cmdnologo_Click);
    connect(cmdok, &QPushButton::clicked, this, &frmletterhead::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &QWidget::close);

    const Letterhead l = loadLetterhead();
    txtcompany_->setText(l.company);
    for (int k = 0; k < 3; ++k)
        txtaddress_[size_t(k)]->setText(l.address[size_t(k)]);
    logo_ = l.logo;
    logoName_ = l.logoName;
    showLogo();
}

Letterhead frmletterhead::letterhead() const
{
    Letterhead l;
    l.company = txtcompany_->text();
    for (int k = 0; k < 3; ++k)
        l.address[size_t(k)] = txtaddress_[size_t(k)]->text();
    l.logo = logo_;
    l.logoName = logoName_;
    return l;
}

bool frmletterhead::setLogoFile(const QString &path)
{
    QByteArray bytes;
    QString reason;
    if (readLogoFile(path, &bytes, &reason) && isUsableLogo(bytes, &reason)) {
        logo_ = bytes;
        logoName_ = QFileInfo(path).fileName();
        showLogo();
        return true;
    }
    if (tell_)
        tell_(QStringLiteral("The logo can't be used: %1").arg(reason));
    return false;
}

void frmletterhead::cmdlogo_Click()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Letterhead Logo"), QString(),
                                                      QStringLiteral("Pictures (*.png *.jpg *.jpeg *.svg)"));
    if (!path.isEmpty())
        setLogoFile(path);
}

void frmletterhead::cmdnologo_Click()
{
    logo_.clear();
    logoName_.clear();
    showLogo();
}

void frmletterhead::cmdok_Click()
{
    QString error;
    if (!saveLetterhead(letterhead(), &error)) {
        if (tell_)
            tell_(QStringLiteral("The letterhead can't be kept: %1").arg(error));
        return; // the window stays, with what was typed
    }
    close();
}

void frmletterhead::showLogo()
{
    piclogo_->setToolTip(logoName_);
    if (logo_.isEmpty()) {
        piclogo_->setPixmap(QPixmap());
        piclogo_->setText(QStringLiteral("(none)"));
        return;
    }
    // The logo as the page shows it, drawn into the box.
    QPixmap preview(piclogo_->size() - QSize(4, 4));
    preview.fill(Qt::white);
    QPainter p(&preview);
    QSvgRenderer svg(logo_);
    QImage image;
    QSizeF natural = svg.isValid() ? QSizeF(svg.defaultSize()) : QSizeF();
    if (!svg.isValid() && image.loadFromData(logo_))
        natural = image.size();
    if (!natural.isEmpty()) {
        const QSizeF box = natural.scaled(QSizeF(preview.size()), Qt::KeepAspectRatio);
        const QRectF at(QPointF((preview.width() - box.width()) / 2, (preview.height() - box.height()) / 2), box);
        if (svg.isValid())
            svg.render(&p, at);
        else
            p.drawImage(at, image);
    }
    p.end();
    piclogo_->setPixmap(preview);
}
