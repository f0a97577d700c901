#include "report/frmprint.h"

#include "display/picturebox.h"
#include "display/programicon.h"
#include "report/reportpage.h"

using namespace vextrum;

frmprint::frmprint(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmprint"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowIcon(vextrum::programIcon());
    setAttribute(Qt::WA_DontShowOnScreen);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    for (const ReportSection &s : reportSections()) {
        auto *box = new PictureBox(makeSectionCanvas(s), this);
        box->setObjectName(QString::fromLatin1(s.name));
        box->resize(box->canvas().sizePixels());
    }
}

PictureBox *frmprint::picture(const char *name) const
{
    return findChild<PictureBox *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

Canvas &frmprint::canvas(const char *name)
{
    PictureBox *box = picture(name);
    Q_ASSERT_X(box, "frmprint::canvas", name);
    return box->canvas();
}

frmprint &frmprint::of(QWidget &main)
{
    if (auto *w = main.findChild<frmprint *>(QString(), Qt::FindDirectChildrenOnly))
        return *w;
    return *new frmprint(&main);
}
