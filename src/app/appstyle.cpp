#include "app/appstyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QProxyStyle>

namespace vextrum {

namespace {

// The style's own icon, asked for at the first use.
class StyleIcon : public QIconEngine
{
public:
    StyleIcon(const QStyle *style, QStyle::StandardPixmap which) : style_(style), which_(which) {}
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QIconEngine *clone() const override { return new StyleIcon(*this); }
    QString key() const override { return QStringLiteral("vextrum-style-icon"); }

private:
    const QIcon &icon()
    {
        if (!read_) {
            read_ = true;
            icon_ = style_->standardIcon(which_);
        }
        return icon_;
    }

    const QStyle *style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
    bool read_ = false;
};

class AppStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        // Asked for without an option, the icon is the same whatever the
        // widget: the menu bar's is.
        if (which == SP_ToolBarHorizontalExtensionButton && !option)
            return QIcon(new StyleIcon(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void installAppStyle()
{
    // The base is a style of the name Qt chose, -style and QT_STYLE_OVERRIDE
    // included; the application owns it and the style it replaces goes.
    QApplication::setStyle(new AppStyle(QApplication::style()->name()));
}

} // namespace vextrum
