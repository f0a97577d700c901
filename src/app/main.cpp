// Vextrum DGS: transfer and reporting for the Galvanor-II DGS.
#include "app/fonts.h"
#include "app/frmmain.h"
#include "display/programicon.h"
#include "link/session.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarvonix")); // the settings' folder
    QApplication::setApplicationName(QStringLiteral("Vextrum DGS"));
    // Message boxes and the platform's dialogs take the program's icon too.
    QApplication::setWindowIcon(vextrum::programIcon());
    vextrum::installFontSubstitutes();

    vextrum::Session session;
    frmmain main(session);
    main.Form_Load();
    return app.exec();
}
