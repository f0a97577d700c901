// Vextrum DGS: transfer and reporting for the Galvanor-II DGS.
#include "app/fonts.h"
#include "app/frmmain.h"
#include "store/module1.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vextrum DGS"));
    vextrum::installFontSubstitutes();

    auto m = std::make_unique<Module1>(); // the store is too big for the stack
    frmmain main(*m);
    main.Form_Load();
    return app.exec();
}
