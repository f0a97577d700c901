#pragma once
// A fresh program for a window test: a temporary working directory with
// dfd.cfg naming port 1, a pseudo-terminal as COM1, the session and the
// main window after Form_Load, shown as a user has it.

#include "app/frmmain.h"
#include "archive/archive.h"
#include "common/workdir.h"
#include "simkit/ptypair.h"
#include "simkit/simulator.h"

#include <QFile>
#include <QListWidget>
#include <QTest>
#include <memory>

// The simulated instrument without the line's pace: what window tests
// want when the timing of the link is not what they test.
inline vextrum::SimulatorOptions fastInstrument()
{
    vextrum::SimulatorOptions o;
    o.rate = 0;
    o.delayMs = 5;
    return o;
}

// Link limits a tenth of the instrument's: tests that wait out a silent
// or broken line take a fraction of the real seconds.
inline vextrum::LinkTimeouts quickTimeouts()
{
    vextrum::LinkTimeouts t;
    t.requestMs = 200;
    t.quietMs = 200;
    t.replyMs = 2500; // a reply at the slowest test rate takes about 0.8 s
    t.tailQuietMs = 50;
    return t;
}

struct Program
{
    TempWorkDir dir;
    vextrum::PtyPair instrument;
    MessageLog log;
    std::unique_ptr<vextrum::Archive> archive; // none unless a test names one
    std::unique_ptr<vextrum::Session> session;
    std::unique_ptr<frmmain> main;

    // COM1 is our own pseudo-terminal, or the device given; the link waits
    // as long as `timeouts` say; memories are archived in `archivePath`
    // when one is named, as the program does at start.
    explicit Program(const QString &com1 = QString(), const vextrum::LinkTimeouts &timeouts = {},
                     const QString &archivePath = QString())
    {
        qputenv("VEXTRUM_COM1", (com1.isEmpty() ? instrument.slavePath() : com1).toLocal8Bit());
        QFile cfg(QStringLiteral("dfd.cfg"));
        if (cfg.open(QIODevice::WriteOnly))
            cfg.write("1\r\n");
        cfg.close();
        log.attach();
        session = std::make_unique<vextrum::Session>(timeouts);
        if (!archivePath.isEmpty()) {
            archive = std::make_unique<vextrum::Archive>();
            archive->open(archivePath);
        }
        main = std::make_unique<frmmain>(*session, archive.get());
        m = &session->store();
        main->Form_Load();
        // Shown and active, as a user has it: window shortcuts work only so.
        if (main->isVisible()) {
            main->activateWindow();
            (void)QTest::qWaitForWindowActive(main.get());
        }
    }
    ~Program()
    {
        main.reset(); // the window goes before the session it shows
        session.reset();
    }

    vextrum::MemoryStore &store() { return session->store(); }
    vextrum::MemoryStore *m = nullptr; // the memories: the session's store

    // Double-clicks entry `row` as a user would: click, then double-click
    // on the viewport at the item's rectangle.
    void doubleClick(int row, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QListWidget *list = main->lstmem();
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
    }
};
