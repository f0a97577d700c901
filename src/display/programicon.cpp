#include "display/programicon.h"

#include <QIconEngine>
#include <QPainter>
#include <algorithm>
#include <array>

namespace vextrum {

namespace {

constexpr std::array<int, 6> kSizes = {16, 32, 48, 64, 128, 256};

// The icon drawn at each size, each picture decoded only when a size is
// first asked for: a window that is never given an icon by its platform
// never decodes any. Every answer is the one an icon holding all the sizes
// gives, since the pictures it holds always include the one that icon
// would choose.
class IconFiles : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded(size).pixmap(size, mode, state);
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        loaded(rect.size() * painter->device()->devicePixelRatio())
            .paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded(size).actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off)
            for (int s : kSizes)
                sizes.append(QSize(s, s));
        return sizes;
    }
    QIconEngine *clone() const override { return new IconFiles(*this); }
    QString key() const override { return QStringLiteral("vextrum-icon-files"); }

private:
    // The icon with the picture an icon of every size would take for
    // `size`: the smallest that covers it, else the largest.
    const QIcon &loaded(const QSize &size)
    {
        const qint64 area = qint64(size.width()) * size.height();
        const auto it = std::find_if(kSizes.begin(), kSizes.end(), [area](int s) { return qint64(s) * s >= area; });
        const std::size_t k = it == kSizes.end() ? kSizes.size() - 1 : std::size_t(it - kSizes.begin());
        if (!have_[k]) {
            have_[k] = true;
            icon_.addFile(QStringLiteral(":/icons/vextrum-dgs-%1.png").arg(kSizes[k]), QSize(kSizes[k], kSizes[k]));
        }
        return icon_;
    }

    QIcon icon_;
    std::array<bool, kSizes.size()> have_{};
};

} // namespace

QIcon programIcon()
{
    // Built once; every window shares the one icon.
    static const QIcon icon(new IconFiles);
    return icon;
}

} // namespace vextrum
