#include "report/letterhead.h"

#include "display/canvas.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSettings>
#include <QSvgRenderer>

namespace vextrum {

namespace {

// The band: above the heading at y = 4000 twips, over the report's width.
constexpr int kBandLeft = 870, kBandTop = 600;
constexpr int kLogoMax = 2400;   // twips, the logo's box is square
constexpr int kLogoGap = 300;    // between the logo and the text
constexpr double kCompanyPoints = 16, kAddressPoints = 10;

constexpr double px(double twips) { return twips / kTwipsPerPixel; }

bool isSvg(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(1024).trimmed();
    return head.startsWith("<?xml") || head.startsWith("<svg") || head.contains("<svg");
}

// A font of `points` as large, in page pixels, as on the screen at 96 dpi,
// whatever the device's resolution.
QFont pageFont(const QPainter &page, double points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    const int dpi = page.device() ? page.device()->logicalDpiY() : 96;
    f.setPointSizeF(points * 96.0 / (dpi > 0 ? dpi : 96));
    f.setBold(bold);
    return f;
}

} // namespace

bool Letterhead::isEmpty() const
{
    if (!company.trimmed().isEmpty() || !logo.isEmpty())
        return false;
    for (const QString &line : address)
        if (!line.trimmed().isEmpty())
            return false;
    return true;
}

Letterhead readLetterhead(QSettings &settings)
{
    Letterhead l;
    settings.beginGroup(QString::fromLatin1(kLetterheadGroup));
    l.company = settings.value(QStringLiteral("Company")).toString();
    for (int k = 0; k < 3; ++k)
        l.address[size_t(k)] = settings.value(QStringLiteral("Address%1").arg(k + 1)).toString();
    l.logo = settings.value(QStringLiteral("Logo")).toByteArray();
    l.logoName = settings.value(QStringLiteral("LogoName")).toString();
    settings.endGroup();
    if (!isUsableLogo(l.logo))
        l.logo.clear(); // a damaged setting prints no logo rather than fail
    return l;
}

void writeLetterhead(QSettings &settings, const Letterhead &l)
{
    settings.beginGroup(QString::fromLatin1(kLetterheadGroup));
    settings.setValue(QStringLiteral("Company"), l.company);
    for (int k = 0; k < 3; ++k)
        settings.setValue(QStringLiteral("Address%1").arg(k + 1), l.address[size_t(k)]);
    settings.setValue(QStringLiteral("Logo"), l.logo);
    settings.setValue(QStringLiteral("LogoName"), l.logo.isEmpty() ? QString() : l.logoName);
    settings.endGroup();
    settings.sync();
}

Letterhead loadLetterhead()
{
    QSettings s;
    return readLetterhead(s);
}

void saveLetterhead(const Letterhead &l)
{
    QSettings s;
    writeLetterhead(s, l);
}

bool isUsableLogo(const QByteArray &bytes, QString *reason)
{
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("The file is empty."));
    if (bytes.size() > kMaxLogoBytes)
        return fail(QStringLiteral("The picture is larger than 4 MB."));
    if (isSvg(bytes)) {
        QSvgRenderer svg(bytes);
        return svg.isValid() && !svg.defaultSize().isEmpty()
                   ? true
                   : fail(QStringLiteral("The SVG drawing cannot be read."));
    }
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg")
        return fail(QStringLiteral("The file is not a PNG, JPEG or SVG picture."));
    return reader.canRead() && !reader.size().isEmpty() ? true : fail(QStringLiteral("The picture cannot be read."));
}

void drawLetterhead(QPainter &page, const Letterhead &l)
{
    if (l.isEmpty())
        return;
    page.save();
    double textLeft = px(kBandLeft);
    if (!l.logo.isEmpty()) {
        QSizeF natural;
        QSvgRenderer svg;
        QImage image;
        if (isSvg(l.logo) && svg.load(l.logo))
            natural = svg.defaultSize();
        else if (image.loadFromData(l.logo))
            natural = image.size();
        if (!natural.isEmpty()) {
            const QSizeF box = natural.scaled(QSizeF(px(kLogoMax), px(kLogoMax)), Qt::KeepAspectRatio);
            const QRectF at(QPointF(px(kBandLeft), px(kBandTop)), box);
            if (svg.isValid())
                svg.render(&page, at);
            else
                page.drawImage(at, image);
            textLeft = at.right() + px(kLogoGap);
        }
    }
    page.setPen(kBlack);
    double y = px(kBandTop);
    auto line = [&](const QString &text, double points, bool bold) {
        const QFont f = pageFont(page, points, bold);
        page.setFont(f);
        // Measured on the device, the font's metrics are in page units.
        const QFontMetricsF fm(f, page.device());
        page.drawText(QPointF(textLeft, y + fm.ascent()), text);
        y += fm.height() * 1.15;
    };
    if (!l.company.trimmed().isEmpty())
        line(l.company, kCompanyPoints, true);
    for (const QString &a : l.address)
        if (!a.trimmed().isEmpty())
            line(a, kAddressPoints, false);
    page.restore();
}

} // namespace vextrum
