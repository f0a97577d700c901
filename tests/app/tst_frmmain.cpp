// Start-up, shutdown and the port selection, driven as a user would, with
// pseudo-terminals standing in for COM1 to COM4.
#include "app/frmmain.h"
#include "common/workdir.h"
#include "display/picturebox.h"
#include "files/frmoption.h"
#include "link/commport.h"
#include "simkit/ptypair.h"
#include "simkit/replybuilder.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QScrollBar>
#include <QtTest>
#include <sys/stat.h>
#include <memory>

using namespace vextrum;

namespace {

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class tst_frmmain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void normalStart();
    void layoutAtTwipPositions();
    void startFailures_data();
    void startFailures();
    void startWithHeldPort();
    void exitEndsAtOnce();
    void optionOkWritesConfigAndOpens();
    void optionShowsConfiguredPort();
    void optionCancelRestoresPort();
    void optionOutsideOneToFour();
    void optionOkOnHeldPortThenFreePort();
    void optionOkWithUnwritableConfig();
    void optionCloseBoxWithoutAnyPort();
    void optionMenuBringsOneWindow();

private:
    frmmain &start(const QByteArray &config);
    frmoption *option() const;

    std::unique_ptr<TempWorkDir> dir_;
    std::unique_ptr<PtyPair> ptys_[4];
    std::unique_ptr<Session> m_;
    std::unique_ptr<frmmain> main_;
    MessageLog log_;
};

void tst_frmmain::init()
{
    dir_ = std::make_unique<TempWorkDir>();
    for (int n = 0; n < 4; ++n) {
        ptys_[n] = std::make_unique<PtyPair>();
        QVERIFY(ptys_[n]->isValid());
        qputenv(QByteArray("VEXTRUM_COM" + QByteArray::number(n + 1)).constData(),
                ptys_[n]->slavePath().toLocal8Bit());
    }
    m_ = std::make_unique<Session>();
    log_.messages.clear();
    log_.attach();
}

void tst_frmmain::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmoption"))
            delete w;
    main_.reset();
    m_.reset();
    for (auto &p : ptys_)
        p.reset();
    dir_.reset();
}

frmmain &tst_frmmain::start(const QByteArray &config)
{
    if (!config.isNull())
        writeFile(QStringLiteral("dfd.cfg"), config);
    main_ = std::make_unique<frmmain>(*m_);
    main_->Form_Load();
    return *main_;
}

frmoption *tst_frmmain::option() const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *o = qobject_cast<frmoption *>(w); o && o->isVisible())
            return o;
    return nullptr;
}

void tst_frmmain::normalStart()
{
    frmmain &w = start("1\r\n");
    QVERIFY(log_.messages.isEmpty());
    QVERIFY(w.isVisible());
    QCOMPARE(w.windowTitle(), QStringLiteral("Vextrum DGS"));
    QCOMPARE(m_->portNumber(), 1);
    QVERIFY(w.Comm1().isOpen());
    QCOMPARE(w.Comm1().commPort(), 1);
    QCOMPARE(w.Comm1().settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(w.Comm1().rThreshold(), 1);
    QCOMPARE(w.Comm1().inputLen(), 1);
    QCOMPARE(w.Comm1().outBufferSize(), 30);
    QCOMPARE(m_->capture().requestedMemory(), 0);
    QVERIFY(!m_->capturing());

    QListWidget *list = w.lstmem();
    QCOMPARE(list->count(), 200);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    for (int s = 0; s < 200; ++s)
        QCOMPARE(list->item(s)->text(), QStringLiteral("Mem %1").arg(s + 1));
    QCOMPARE(m_->store().record(7)[260], std::int16_t(0));
    QCOMPARE(m_->store().record(7)[261], std::int16_t(32));

    QTimer *timer = w.tmrwt();
    QCOMPARE(timer->objectName(), QStringLiteral("tmrwt"));
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 2000);

    // The demonstration trace: the saturated pulse (samples 13 to 19) at
    // the top line, the first echo's peak of 75 at sample 54.
    QCOMPARE(m_->store().current()[13], std::int16_t(100));
    QCOMPARE(m_->store().current()[54], std::int16_t(75));
    QCOMPARE(m_->store().current()[251], std::int16_t(2));
    QCOMPARE(m_->store().current()[0], std::int16_t(0));
    const Canvas &c = w.picascan()->canvas();
    const QImage &img = w.picascan()->image();
    QCOMPARE(img.pixelColor(c.toPixel(17.5), c.toPixel(10)), kGreen);
    QCOMPARE(img.pixelColor(c.toPixel(55), c.toPixel(60)), kGreen);
    QCOMPARE(img.pixelColor(c.toPixel(120), c.toPixel(210)), kGreen);
    // No scale labels or gate lines at start-up.
    QCOMPARE(img.pixelColor(c.toPixel(3), c.toPixel(220)), kWhite);
    QCOMPARE(w.box("txtrange")->text(), QStringLiteral("100"));
}

void tst_frmmain::layoutAtTwipPositions()
{
    frmmain &w = start("1\r\n");
    QCOMPARE(w.centralWidget()->size(), QSize(792, 554));
    QCOMPARE(w.lstmem()->geometry(), QRect(16, 24, 73, 303));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("cmdcapture"))->geometry(), QRect(16, 328, 81, 41));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("cmdcapture"))->text(), QStringLiteral("Capture"));
    QCOMPARE(w.picascan()->geometry(), QRect(96, 24, 347, 311));
    QCOMPARE(w.picascan()->contentsRect().size(), w.picascan()->image().size());
    QCOMPARE(w.box("txtmeapo1")->geometry(), QRect(96, 344, 81, 19));
    QCOMPARE(w.box("txtmeapo4")->geometry(), QRect(360, 344, 81, 19));
    // Panel cells: column 2 of the GATE 2 row, inside the frame.
    QCOMPARE(w.box("txtend2")->geometry(), QRect(176, 89, 72, 13));

    // The widest entry there is, "Mem 200 *" once the instrument sent it,
    // reads whole in the list's width: no sideways scrolling.
    QVERIFY(ptys_[0]->write(buildReply(sampleMemory(200))));
    QListWidget *list = w.lstmem();
    QTRY_COMPARE(list->item(199)->text(), QStringLiteral("Mem 200 *"));
    list->scrollToBottom();
    QVERIFY2(list->sizeHintForColumn(0) <= list->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(list->sizeHintForColumn(0)).arg(list->viewport()->width())));
    QTRY_COMPARE(list->horizontalScrollBar()->maximum(), 0);
}

void tst_frmmain::startFailures_data()
{
    QTest::addColumn<QByteArray>("config"); // null: no file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("text") << QByteArray("COM1\r\n");
    QTest::newRow("negative") << QByteArray("-3\r\n");
    QTest::newRow("beyond 16 bits") << QByteArray("70000\r\n");
    QTest::newRow("binary junk") << QByteArray("\xff\xfe\x00\x01", 4);
    QTest::newRow("port 7") << QByteArray("7\r\n");
    QTest::newRow("port 0") << QByteArray("0\r\n");
    QTest::newRow("a pipe") << QByteArray("<fifo>"); // would wait for good if opened
}

void tst_frmmain::startFailures()
{
    QFETCH(QByteArray, config);
    if (config == "<fifo>") {
        QCOMPARE(::mkfifo("dfd.cfg", 0600), 0);
        config = QByteArray();
    }
    frmmain &w = start(config);
    QCOMPARE(log_.messages.size(), 1);
    QCOMPARE(log_.messages[0].first, QStringLiteral("File Error"));
    QCOMPARE(log_.messages[0].second,
             QStringLiteral("Port configuratin file is lost so select apropriate serial port which is necessary "));
    QCOMPARE(m_->portNumber(), 1);
    QVERIFY(!w.isVisible());
    QVERIFY(!w.Comm1().isOpen());
    frmoption *o = option();
    QVERIFY(o);
    QCOMPARE(o->windowTitle(), QStringLiteral("Port selection"));
    QVERIFY(o->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
    // The list is filled even so; the demonstration trace is not drawn.
    QCOMPARE(w.lstmem()->count(), 200);
    QCOMPARE(w.picascan()->image().pixelColor(20, 20), kWhite);
}

void tst_frmmain::startWithHeldPort()
{
    writeFile(QStringLiteral("dfd.cfg"), "2\r\n");
    CommPort other;
    other.setCommPort(2);
    QVERIFY(other.open());
    frmmain &w = start(QByteArray());
    QCOMPARE(log_.count(QStringLiteral("File Error")), 1);
    QVERIFY(!w.isVisible());
    QVERIFY(option());
}

void tst_frmmain::exitEndsAtOnce()
{
    frmmain &w = start("1\r\n");
    w.showOption();
    QVERIFY(option());
    w.findChild<QAction *>(QStringLiteral("mnuexit"))->trigger();
    QVERIFY(!w.Comm1().isOpen());
    QVERIFY(!w.isVisible());
    QVERIFY(!option());
    QVERIFY(log_.messages.isEmpty()); // nothing asked
    // The port is free again for another program.
    CommPort other;
    other.setCommPort(1);
    QVERIFY(other.open());
}

void tst_frmmain::optionOkWritesConfigAndOpens()
{
    frmmain &w = start("1\r\n");
    frmoption *o = w.showOption();
    QVERIFY(o->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
    o->findChild<QRadioButton *>(QStringLiteral("Option2"))->click();
    QCOMPARE(m_->portNumber(), 2); // at once
    QVERIFY(ptys_[1]->write("stale bytes"));
    QTest::qWait(20);
    QTest::mouseClick(o->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QCOMPARE(readFile(QStringLiteral("dfd.cfg")), QByteArray("\x32\x0d\x0a"));
    QVERIFY(w.Comm1().isOpen());
    QCOMPARE(w.Comm1().commPort(), 2);
    QCOMPARE(w.Comm1().settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(w.Comm1().inBufferCount(), 0);
    QCOMPARE(w.Comm1().inputLen(), 1);
    QVERIFY(!option());
    QVERIFY(w.isVisible());
    QVERIFY(log_.messages.isEmpty());
}

void tst_frmmain::optionShowsConfiguredPort()
{
    frmmain &w = start("3\r\n");
    frmoption *o = w.showOption();
    QVERIFY(o->findChild<QRadioButton *>(QStringLiteral("Option3"))->isChecked());
    QVERIFY(!o->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
    QCOMPARE(o->savedPort(), 3);
    QCOMPARE(m_->portNumber(), 3);
    // Each button tells the device it opens on this machine.
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(o->findChild<QRadioButton *>(QStringLiteral("Option%1").arg(n))->toolTip(),
                 ptys_[n - 1]->slavePath());
    // Nothing on the window overlaps anything else; the system's ports
    // stand below the specified controls.
    const QList<QWidget *> controls = o->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + QStringLiteral(" / ") + controls[j]->objectName()));
    QVERIFY(o->findChild<QWidget *>(QStringLiteral("lstports"))->geometry().top()
            > o->findChild<QWidget *>(QStringLiteral("cmdok"))->geometry().bottom());
}

void tst_frmmain::optionCancelRestoresPort()
{
    frmmain &w = start("3\r\n");
    frmoption *o = w.showOption();
    o->findChild<QRadioButton *>(QStringLiteral("Option4"))->click();
    QCOMPARE(m_->portNumber(), 4);
    QTest::mouseClick(o->findChild<QPushButton *>(QStringLiteral("cmdcancel")), Qt::LeftButton);
    QCOMPARE(m_->portNumber(), 3);
    QVERIFY(w.Comm1().isOpen());
    QCOMPARE(w.Comm1().commPort(), 3);
    QCOMPARE(readFile(QStringLiteral("dfd.cfg")), QByteArray("3\r\n"));
    QVERIFY(!option());
}

void tst_frmmain::optionOutsideOneToFour()
{
    // A hand-written 7: start-up fails, the window falls back to Comport 1
    // and Cancel opens port 1.
    frmmain &w = start("7\r\n");
    frmoption *o = option();
    QVERIFY(o);
    QVERIFY(o->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
    QTest::mouseClick(o->findChild<QPushButton *>(QStringLiteral("cmdcancel")), Qt::LeftButton);
    QVERIFY(w.Comm1().isOpen());
    QCOMPARE(w.Comm1().commPort(), 1);
    QVERIFY(w.isVisible());
    QCOMPARE(readFile(QStringLiteral("dfd.cfg")), QByteArray("7\r\n"));

    // Configured 7 while running: the window shows Comport 1, saved is 1.
    m_->setPortNumber(7);
    o = w.showOption();
    QVERIFY(o->findChild<QRadioButton *>(QStringLiteral("Option1"))->isChecked());
    QCOMPARE(o->savedPort(), 1);
    QCOMPARE(m_->portNumber(), 7);
}

void tst_frmmain::optionOkOnHeldPortThenFreePort()
{
    frmmain &w = start("1\r\n");
    CommPort other;
    other.setCommPort(3);
    QVERIFY(other.open());
    frmoption *o = w.showOption();
    o->findChild<QRadioButton *>(QStringLiteral("Option3"))->click();
    o->cmdok_Click();
    QCOMPARE(log_.messages.size(), 1);
    QCOMPARE(log_.messages[0].first, QStringLiteral("Port Selection Error"));
    QCOMPARE(log_.messages[0].second,
             QStringLiteral("Selected Port is used by another device or it might be not available "));
    QCOMPARE(option(), o); // stays open
    QVERIFY(!w.Comm1().isOpen());
    QCOMPARE(readFile(QStringLiteral("dfd.cfg")), QByteArray("3\r\n")); // already written

    o->findChild<QRadioButton *>(QStringLiteral("Option4"))->click();
    o->cmdok_Click();
    QCOMPARE(log_.messages.size(), 1);
    QVERIFY(!option());
    QCOMPARE(w.Comm1().commPort(), 4);
    QVERIFY(w.Comm1().isOpen());
}

void tst_frmmain::optionOkWithUnwritableConfig()
{
    frmmain &w = start("1\r\n");
    QVERIFY(QFile::remove(QStringLiteral("dfd.cfg")));
    QVERIFY(QDir().mkdir(QStringLiteral("dfd.cfg")));
    frmoption *o = w.showOption();
    o->findChild<QRadioButton *>(QStringLiteral("Option2"))->click();
    o->cmdok_Click();
    QCOMPARE(log_.count(QStringLiteral("Port Selection Error")), 1);
    QCOMPARE(option(), o);
    QVERIFY(w.Comm1().isOpen()); // the port was not touched
    QCOMPARE(w.Comm1().commPort(), 1);
}

void tst_frmmain::optionCloseBoxWithoutAnyPort()
{
    // Start-up fails and no port can be opened at all: the close box still
    // leads back to the main window, with the port closed.
    for (int n = 1; n <= 4; ++n)
        qputenv(QByteArray("VEXTRUM_COM" + QByteArray::number(n)).constData(), "/nonexistent/tty");
    frmmain &w = start(QByteArray());
    frmoption *o = option();
    QVERIFY(o);
    o->cmdcancel_Click();
    QCOMPARE(option(), o); // Cancel cannot open port 1: it stays
    o->close();
    QVERIFY(!option());
    QVERIFY(w.isVisible());
    QVERIFY(!w.Comm1().isOpen());
}

void tst_frmmain::optionMenuBringsOneWindow()
{
    frmmain &w = start("1\r\n");
    QAction *menu = w.findChild<QAction *>(QStringLiteral("mnuoption"));
    QVERIFY(menu);
    QCOMPARE(menu->text(), QStringLiteral("Option"));
    menu->trigger();
    frmoption *first = option();
    QVERIFY(first);
    menu->trigger();
    QCOMPARE(option(), first);
    int count = 0;
    for (QWidget *t : QApplication::topLevelWidgets())
        count += t->objectName() == QLatin1String("frmoption") && t->isVisible();
    QCOMPARE(count, 1);
    processDeletes();
}

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
