#include "report/letterhead.h"

#include "display/canvas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QXmlStreamReader>

namespace vextrum {

namespace {

// The band: above the heading at y = 4000 twips, over the report's width.
constexpr int kBandLeft = 870, kBandTop = 600;
constexpr int kLogoMax = 2400;   // twips, the logo's box is square
constexpr int kLogoGap = 300;    // between the logo and the text
constexpr double kCompanyPoints = 16, kAddressPoints = 10;

constexpr double px(double twips) { return twips / kTwipsPerPixel; }

// A picture logo is scaled once to its box at this resolution: sharp on
// paper, small in a PDF.
constexpr double kLogoDpi = 300;

constexpr char kLogoFileName[] = "letterhead-logo";

bool isSvg(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(1024).trimmed();
    return head.startsWith("<?xml") || head.startsWith("<svg") || head.contains("<svg");
}

} // namespace

QFont pageFont(const QPainter &page, double points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    const int dpi = page.device() ? page.device()->logicalDpiY() : 96;
    f.setPointSizeF(points * 96.0 / (dpi > 0 ? dpi : 96));
    f.setBold(bold);
    return f;
}

bool Letterhead::isEmpty() const
{
    if (!company.trimmed().isEmpty() || !logo.isEmpty())
        return false;
    for (const QString &line : address)
        if (!line.trimmed().isEmpty())
            return false;
    return true;
}

QString keptLogoPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QString::fromLatin1(kLogoFileName));
}

Letterhead readLetterhead(QSettings &settings)
{
    Letterhead l;
    settings.beginGroup(QString::fromLatin1(kLetterheadGroup));
    l.company = settings.value(QStringLiteral("Company")).toString();
    for (int k = 0; k < 3; ++k)
        l.address[size_t(k)] = settings.value(QStringLiteral("Address%1").arg(k + 1)).toString();
    l.logoName = settings.value(QStringLiteral("LogoName")).toString();
    // Earlier versions kept the logo's bytes in the settings themselves.
    const QByteArray inSettings = settings.value(QStringLiteral("Logo")).toByteArray();
    settings.endGroup();
    if (!inSettings.isEmpty())
        l.logo = inSettings;
    else if (!l.logoName.isEmpty() && !readLogoFile(keptLogoPath(), &l.logo, nullptr))
        l.logo.clear();
    if (!isUsableLogo(l.logo))
        l.logo.clear(); // a damaged logo file prints no logo rather than fail
    return l;
}

bool writeLetterhead(QSettings &settings, const Letterhead &l, QString *error)
{
    const QString kept = keptLogoPath();
    if (l.logo.isEmpty()) {
        QFile::remove(kept);
    } else {
        QDir().mkpath(QFileInfo(kept).path());
        QSaveFile f(kept);
        if (!f.open(QIODevice::WriteOnly) || f.write(l.logo) != l.logo.size() || !f.commit()) {
            if (error)
                *error = QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(kept), f.errorString());
            return false;
        }
    }
    settings.beginGroup(QString::fromLatin1(kLetterheadGroup));
    settings.setValue(QStringLiteral("Company"), l.company);
    for (int k = 0; k < 3; ++k)
        settings.setValue(QStringLiteral("Address%1").arg(k + 1), l.address[size_t(k)]);
    settings.remove(QStringLiteral("Logo"));
    settings.setValue(QStringLiteral("LogoName"), l.logo.isEmpty() ? QString() : l.logoName);
    settings.endGroup();
    settings.sync();
    return true;
}

Letterhead loadLetterhead()
{
    QSettings s;
    const Letterhead l = readLetterhead(s);
    // A logo still in the settings moves to its file, so the settings
    // written at every window close stay small.
    if (s.contains(QStringLiteral("%1/Logo").arg(QString::fromLatin1(kLetterheadGroup))))
        writeLetterhead(s, l);
    return l;
}

bool saveLetterhead(const Letterhead &l, QString *error)
{
    QSettings s;
    return writeLetterhead(s, l, error);
}

bool readLogoFile(const QString &path, QByteArray *bytes, QString *reason)
{
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QFileInfo info(path);
    // Checked before opening: opening a pipe waits for a writer.
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a picture file but a %2.")
                        .arg(info.fileName(), !info.exists() ? QStringLiteral("name that does not exist")
                                              : info.isDir() ? QStringLiteral("folder")
                                                             : QStringLiteral("device or pipe")));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    // Never more than the limit, whatever the file claims to be.
    QByteArray read = f.read(kMaxLogoBytes + 1);
    if (read.size() > kMaxLogoBytes)
        return fail(QStringLiteral("The picture is larger than 4 MB."));
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    *bytes = std::move(read);
    return true;
}

namespace {

QString tooManyPixels(const QSize &size)
{
    return QStringLiteral("The picture is %1 x %2 pixels, too large to print: a logo may have at most "
                          "16 million pixels (4000 x 4000).")
        .arg(size.width())
        .arg(size.height());
}

bool withinPixels(const QSize &size)
{
    return qint64(size.width()) * size.height() <= kMaxLogoPixels;
}

// What stops an SVG logo from standing on its own, or an empty text: a
// reference to another file (an image, a use, a stylesheet, an external
// entity) or an embedded picture too large to print.
QString svgFault(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            for (const QXmlStreamEntityDeclaration &e : xml.entityDeclarations())
                if (!e.systemId().isEmpty() || !e.publicId().isEmpty())
                    return QStringLiteral("The SVG drawing refers to another file (%1); choose one that holds "
                                          "everything it shows.")
                        .arg(e.systemId().toString());
        }
        if (token == QXmlStreamReader::ProcessingInstruction && xml.processingInstructionTarget() == u"xml-stylesheet")
            return QStringLiteral("The SVG drawing refers to a style sheet in another file; choose one that "
                                  "holds everything it shows.");
        if (token != QXmlStreamReader::StartElement)
            continue;
        for (const QXmlStreamAttribute &a : xml.attributes()) {
            if (a.name() != u"href")
                continue;
            const QString target = a.value().trimmed().toString();
            if (target.startsWith(QLatin1Char('#')))
                continue; // a part of this drawing
            if (!target.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
                return QStringLiteral("The SVG drawing refers to another file (%1); choose one that holds "
                                      "everything it shows.")
                    .arg(target.left(80));
            const qsizetype comma = target.indexOf(QLatin1Char(','));
            QByteArray data = target.mid(comma + 1).toLatin1();
            if (target.left(comma).contains(QLatin1String(";base64"), Qt::CaseInsensitive))
                data = QByteArray::fromBase64(data);
            QBuffer buffer(&data);
            QImageReader reader(&buffer);
            if (!withinPixels(reader.size()))
                return tooManyPixels(reader.size());
        }
    }
    if (xml.hasError())
        return QStringLiteral("The SVG drawing cannot be read.");
    return QString();
}

} // namespace

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
        const QString fault = svgFault(bytes);
        if (!fault.isEmpty())
            return fail(fault);
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
    // The size from the header, before anything is decoded.
    const QSize size = reader.size();
    if (!size.isEmpty() && !withinPixels(size))
        return fail(tooManyPixels(size));
    return reader.canRead() && !size.isEmpty() ? true : fail(QStringLiteral("The picture cannot be read."));
}

LetterheadArt::LetterheadArt(const Letterhead &l) : texts_(l)
{
    texts_.logo.clear();
    if (l.logo.isEmpty())
        return;
    if (isSvg(l.logo)) {
        svg_ = std::make_unique<QSvgRenderer>(l.logo);
        if (svg_->isValid())
            natural_ = svg_->defaultSize();
        else
            svg_.reset();
        return;
    }
    QImage image;
    if (!image.loadFromData(l.logo))
        return;
    natural_ = image.size();
    const int printSize = int(px(kLogoMax) * kLogoDpi / (1440.0 / kTwipsPerPixel));
    if (image.width() > printSize || image.height() > printSize)
        image = image.scaled(printSize, printSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image_ = image;
}

LetterheadArt::~LetterheadArt() = default;

void LetterheadArt::draw(QPainter &page) const
{
    const Letterhead &l = texts_;
    const bool logo = !natural_.isEmpty() && (svg_ || !image_.isNull());
    if (l.isEmpty() && !logo)
        return;
    page.save();
    double textLeft = px(kBandLeft);
    if (logo) {
        const QSizeF box = natural_.scaled(QSizeF(px(kLogoMax), px(kLogoMax)), Qt::KeepAspectRatio);
        const QRectF at(QPointF(px(kBandLeft), px(kBandTop)), box);
        if (svg_)
            svg_->render(&page, at);
        else
            page.drawImage(at, image_);
        textLeft = at.right() + px(kLogoGap);
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
