#pragma once
// Finding what was drawn: the bounding box of non-white pixels, and of
// the pixels where two pictures differ.

#include <QImage>
#include <QRect>

// Bounding box of the pixels in `region` darker than near-white.
inline QRect inkBox(const QImage &img, QRect region = {})
{
    if (region.isNull())
        region = img.rect();
    region &= img.rect();
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qRed(p) < 200 || qGreen(p) < 200 || qBlue(p) < 200)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

inline bool hasInk(const QImage &img, const QRect &region)
{
    return !inkBox(img, region).isNull();
}

// Bounding box of the pixels that differ between two same-size pictures.
inline QRect diffBox(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y)
        for (int x = 0; x < qMin(a.width(), b.width()); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}
