#pragma once
// The letterhead: the inspection company's name, up to three address lines
// and a logo (PNG, JPEG or SVG), printed in the band above the report's
// heading on every page, printed or exported. Kept in the user's settings;
// with nothing set the band stays empty.

#include <QByteArray>
#include <QString>
#include <array>

class QPainter;
class QSettings;

namespace vextrum {

struct Letterhead
{
    QString company;
    std::array<QString, 3> address;
    QByteArray logo;  // the image file's bytes, kept whole
    QString logoName; // the file it came from, for the window

    bool isEmpty() const;
};

// Settings group and the largest logo file kept.
constexpr char kLetterheadGroup[] = "Letterhead";
constexpr qsizetype kMaxLogoBytes = 4 * 1024 * 1024;

Letterhead readLetterhead(QSettings &settings);
void writeLetterhead(QSettings &settings, const Letterhead &letterhead);
// The same on the program's own settings.
Letterhead loadLetterhead();
void saveLetterhead(const Letterhead &letterhead);

// True when `bytes` hold a picture the letterhead can show (PNG, JPEG or
// SVG); otherwise false with a one-line reason.
bool isUsableLogo(const QByteArray &bytes, QString *reason = nullptr);

// Draws the letterhead onto a page painter whose unit is one canvas pixel
// (15 twips) from the printable area's corner, inside the band above the
// report's heading. Text stays text and an SVG logo stays vectors on a
// vector page. Nothing for an empty letterhead.
void drawLetterhead(QPainter &page, const Letterhead &letterhead);

} // namespace vextrum
