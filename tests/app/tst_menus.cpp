// The menu bar, and the Help and About windows.
#include "app/frmabout.h"
#include "app/frmhelp.h"
#include "app/helptext.h"
#include "common/program.h"
#include "display/programicon.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using vextrum::programIcon;

class tst_menus : public QObject
{
    Q_OBJECT
private slots:
    void captionsAndNamesInOrder();
    void newChangesNothing();
    void eachItemOpensItsWindowOnce_data();
    void eachItemOpensItsWindowOnce();
    void aboutClosesOnEnterAndEsc_data();
    void aboutClosesOnEnterAndEsc();
    void helpText();
    void helpClosesOnAltC();
};

void tst_menus::captionsAndNamesInOrder()
{
    Program p;
    QStringList top;
    for (QAction *a : p.main->menuBar()->actions())
        top << a->text() + QLatin1Char('=') + a->objectName();
    QCOMPARE(top, (QStringList{"File=mnufile", "Option=mnuoption", "View=mnuview", "Help=mnuhelp"}));
    bool noKeys = true;
    auto items = [&](const char *menu) {
        QStringList out;
        for (QAction *a : p.main->findChild<QMenu *>(QString::fromLatin1(menu))->actions()) {
            out << a->text() + QLatin1Char('=') + a->objectName();
            noKeys = noKeys && a->shortcut().isEmpty() && !a->text().contains(QLatin1Char('&'));
        }
        return out;
    };
    // The export items stand between separators after Print, before Exit.
    QCOMPARE(items("mnufile"),
             (QStringList{"New=mnunew", "Open=mnuopen", "Save=mnusave", "PrintSetup=mnupsetup", "Print=mnuprint", "=",
                          "Export PDF...=mnuexportpdf", "Export Inspection Report...=mnuexportreport", "Export CSV...=mnuexportcsv",
                          "Export Picture...=mnuexportpic", "Report Letterhead...=mnuletterhead",
                          "Job Details...=mnujob", "=", "Exit=mnuexit"}));
    QCOMPARE(items("mnuview"), (QStringList{"A-scan Viewer=mnuviewer", "Memory Browser=mnubrowser", "Archive=mnuarchive"}));
    QCOMPARE(items("mnuhelp"), (QStringList{"Help Topic=mnuhelpt", "About Data Capture=mnuabout"}));
    QVERIFY(noKeys); // no shortcut or access keys
}

void tst_menus::newChangesNothing()
{
    Program p;
    const vextrum::Record current = p.m->current();
    const int windows = QApplication::topLevelWidgets().size();
    p.main->findChild<QAction *>(QStringLiteral("mnunew"))->trigger();
    QCOMPARE(p.m->current(), current);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QVERIFY(p.log.messages.isEmpty());
}

void tst_menus::eachItemOpensItsWindowOnce_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::newRow("Open") << "mnuopen" << "frmopen" << "File Open";
    QTest::newRow("Save") << "mnusave" << "frmsave" << "File Save";
    QTest::newRow("Option") << "mnuoption" << "frmoption" << "Port selection";
    QTest::newRow("Help Topic") << "mnuhelpt" << "frmhelp" << "Help";
    QTest::newRow("About") << "mnuabout" << "frmAbout" << "About Vextrum DGS";
    QTest::newRow("A-scan Viewer") << "mnuviewer" << "frmviewer" << "A-scan Viewer";
    QTest::newRow("Memory Browser") << "mnubrowser" << "frmbrowse" << "Memory Browser";
    QTest::newRow("Archive") << "mnuarchive" << "frmarchive" << "Archive";
    QTest::newRow("Job Details") << "mnujob" << "frmjob" << "Job Details";
}

void tst_menus::eachItemOpensItsWindowOnce()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    QFETCH(QString, title);
    Program p;
    auto count = [&] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->objectName() == window && w->isVisible();
        return n;
    };
    QAction *a = p.main->findChild<QAction *>(item);
    a->trigger();
    QCOMPARE(count(), 1);
    a->trigger();
    QCOMPARE(count(), 1);
    QWidget *w = p.main->findChild<QWidget *>(window);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), title);
    QVERIFY(p.main->isVisible()); // modeless: the main window stays usable
    QVERIFY(!w->isModal());
    // The program's own icon, on the main window and on this one; no
    // application-wide icon is set here, so each window set it itself.
    QCOMPARE(p.main->windowIcon().cacheKey(), programIcon().cacheKey());
    QCOMPARE(w->windowIcon().cacheKey(), programIcon().cacheKey());
}

void tst_menus::aboutClosesOnEnterAndEsc_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_menus::aboutClosesOnEnterAndEsc()
{
    QFETCH(int, key);
    Program p;
    p.main->findChild<QAction *>(QStringLiteral("mnuabout"))->trigger();
    auto *about = p.main->findChild<frmAbout *>();
    QVERIFY(about);
    const QStringList texts{"Vextrum DGS", "Version 01.01", "Application for to Transfer Data from Galvanor-II DGS to PC",
                            "Tarvonix Instruments Mfg. Co.(P) Ltd."};
    const char *names[] = {"lblTitle", "lblVersion", "Label2", "Label1"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(about->findChild<QLabel *>(QString::fromLatin1(names[i]))->text(), texts[i]);
    // picIcon shows the program's icon.
    const QImage shown = about->findChild<QLabel *>(QStringLiteral("picIcon"))->pixmap().toImage();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             programIcon().pixmap(shown.size()).toImage().convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(about->findChild<QPushButton *>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    QVERIFY(about->windowFlags() & Qt::Tool); // no task-bar entry
    QVERIFY(!(about->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QVERIFY(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key(key));
    QTRY_VERIFY(!p.main->findChild<frmAbout *>());
}

void tst_menus::helpText()
{
    const QStringList topics = vextrum::helpTopics();
    QCOMPARE(topics, (QStringList{"1> How To Install \"Vextrum DGS\" Transfer Software.",
                                  "2> How To Select Serial Port.",
                                  "3> How To Transfer Data From The Galvanor-II DGS to PC.",
                                  "4> How To Save/Open data File.", "5> How To Print Data File.",
                                  "6> How To Select Printer."}));
    const QString text = vextrum::helpText();
    QVERIFY(text.startsWith(topics.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")));
    QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
    const QStringList lines = text.split(QStringLiteral("\r\n")).mid(7); // after the list
    for (const char *heading : {"1> How To Install \"Vextrum DGS\" Transfer Software.",
                                "3> How To Transfer Data From The Galvanor-II DGS  to PC.",
                                "2> How To Select Serial Port.", "4> How To Save/Open data File",
                                "5> How To Print Data File.", "6> How to select Printer."})
        QCOMPARE(lines.count(QString::fromLatin1(heading)), 1);
    QVERIFY(text.contains(QStringLiteral("CAPTURE")));
    QVERIFY(text.contains(QStringLiteral("Note Save")));
    QVERIFY(text.trimmed().endsWith(QStringLiteral("Tarvonix Instruments Mfg. Co.(P) Ltd.")));
    // Bodies are indented by eight spaces, steps introduced by ">".
    QVERIFY(lines.contains(QStringLiteral("        > Put the CD into the drive and run its setup file; follow the")));
}

void tst_menus::helpClosesOnAltC()
{
    Program p;
    p.main->findChild<QAction *>(QStringLiteral("mnuhelpt"))->trigger();
    auto *help = p.main->findChild<frmhelp *>();
    QVERIFY(help);
    auto *text = help->findChild<QPlainTextEdit *>(QStringLiteral("txthlp"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->verticalScrollBar()->value(), 0);
    QCOMPARE(text->font().family(), QStringLiteral("Arial"));
    QCOMPARE(help->findChild<QPushButton *>(QStringLiteral("cmdclose"))->text(), QStringLiteral("&Close"));
    help->show();
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QTest::keyClick(help, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!p.main->findChild<frmhelp *>());
}

QTEST_MAIN(tst_menus)
#include "tst_menus.moc"
