// Vextrum DGS: transfer and reporting for the Galvanor-II DGS.
#include "app/appstyle.h"
#include "app/fonts.h"
#include "app/frmmain.h"
#include "archive/archive.h"
#include "archive/serversync.h"
#include "display/programicon.h"
#include "link/session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vextrum::installAppStyle();
    QApplication::setOrganizationName(QStringLiteral("Tarvonix")); // the settings' folder
    QApplication::setApplicationName(QStringLiteral("Vextrum DGS"));
    // Message boxes and the platform's dialogs take the program's icon too.
    QApplication::setWindowIcon(vextrum::programIcon());
    vextrum::installFontSubstitutes();

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Transfer, show and print the memories of the Galvanor-II DGS"));
    options.addHelpOption();
    const QCommandLineOption archivePath(QStringLiteral("archive"),
                                         QStringLiteral("Keep every memory in the archive PATH (default: %1).")
                                             .arg(vextrum::Archive::defaultPath()),
                                         QStringLiteral("PATH"));
    options.addOption(archivePath);
    options.process(app);

    // The archive named on the command line, else the one chosen last in
    // the Archive window, else the default. One that cannot be opened
    // leaves the program working without it. It opens once the main window
    // is on screen, or sooner when something needs it.
    vextrum::Archive archive;
    archive.openAtFirstUse(vextrum::Archive::chosenPath(options.value(archivePath)));
    // What the archive keeps goes on to the team's server, when one is set.
    auto sync = std::make_unique<vextrum::ServerSync>(archive.path());
    QObject::connect(&archive, &vextrum::Archive::kept, sync.get(), &vextrum::ServerSync::pushSoon);
    // Its thread reads the archive once this program has opened it (and
    // brought it up to date), as it did when the archive opened first.
    QObject::connect(
        &archive, &vextrum::Archive::stateChanged, sync.get(),
        [s = sync.get(), server = QSettings().value(QString::fromLatin1(vextrum::ServerSync::kServerKey)).toString()] {
            s->setServer(server);
        },
        Qt::SingleShotConnection);

    vextrum::Session session;
    frmmain main(session, &archive);
    main.setServerSync(sync.get());
    main.Form_Load();
    return app.exec();
}
