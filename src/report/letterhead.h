#pragma once
// The letterhead: the inspection company's name, up to three address lines
// and a logo (PNG, JPEG or SVG), printed in the band above the report's
// heading on every page, printed or exported. The texts and the logo's
// original name are kept in the user's settings, the logo itself as a
// file in the application data folder; with nothing set the band stays
// empty.

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <array>
#include <memory>

class QFont;
class QPainter;
class QSettings;
class QSvgRenderer;

namespace vextrum {

struct Letterhead
{
    QString company;
    std::array<QString, 3> address;
    QByteArray logo;  // the picture file's bytes, kept whole
    QString logoName; // the file it came from, for the window

    bool isEmpty() const;
};

// Settings group, the largest logo file kept, and the most pixels a logo
// may decode to: it prints at most 1.7 inches wide, and a picture beyond
// this could not even be held in memory to print.
constexpr char kLetterheadGroup[] = "Letterhead";
constexpr qsizetype kMaxLogoBytes = 4 * 1024 * 1024;
constexpr qint64 kMaxLogoPixels = 16 * 1000 * 1000;

// The logo file the program keeps, in the application data folder.
QString keptLogoPath();

Letterhead readLetterhead(QSettings &settings);
// Writes the texts into the settings and the logo into its file (or
// removes the file for no logo). False, with the reason, when the logo
// file cannot be written; the settings are then left as they were.
bool writeLetterhead(QSettings &settings, const Letterhead &letterhead, QString *error = nullptr);
// The same on the program's own settings.
Letterhead loadLetterhead();
bool saveLetterhead(const Letterhead &letterhead, QString *error = nullptr);

// The bytes of a picture file chosen as a logo: a regular file only (a
// pipe or a device could block or never end) and never more than
// kMaxLogoBytes. False with a one-line reason otherwise.
bool readLogoFile(const QString &path, QByteArray *bytes, QString *reason);

// True when `bytes` hold a picture the letterhead can show and print: a
// PNG, JPEG or SVG within the size limits, and an SVG that draws
// everything from itself (no reference to another file). Otherwise false
// with a one-line reason.
bool isUsableLogo(const QByteArray &bytes, QString *reason = nullptr);

// An Arial font of `points` on a page painter whose unit is one canvas
// pixel (1/96 inch), whatever the device's resolution.
QFont pageFont(const QPainter &page, double points, bool bold = false);

// A letterhead ready to draw on many pages: the logo decoded once, a
// picture scaled once to print size, so every page of a run shares one
// image (a PDF holds it once).
class LetterheadArt
{
public:
    explicit LetterheadArt(const Letterhead &letterhead);
    ~LetterheadArt();

    // Draws onto a page painter whose unit is one canvas pixel (15 twips)
    // from the printable area's corner, inside the band above the report's
    // heading. Text stays text and an SVG logo stays vectors on a vector
    // page. Nothing for an empty letterhead.
    void draw(QPainter &page) const;

private:
    Letterhead texts_;
    QImage image_;
    std::unique_ptr<QSvgRenderer> svg_;
    QSizeF natural_; // the logo's own size, for its proportions
};

} // namespace vextrum
