#pragma once
// A fresh program for a window test: a temporary working directory with
// dfd.cfg naming port 1, a pseudo-terminal as COM1, Module1 and the main
// window after Form_Load.

#include "app/frmmain.h"
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

struct Program
{
    TempWorkDir dir;
    vextrum::PtyPair instrument;
    std::unique_ptr<Module1> m = std::make_unique<Module1>();
    MessageLog log;
    std::unique_ptr<frmmain> main;

    // COM1 is our own pseudo-terminal, or the device given.
    explicit Program(const QString &com1 = QString())
    {
        qputenv("VEXTRUM_COM1", (com1.isEmpty() ? instrument.slavePath() : com1).toLocal8Bit());
        QFile cfg(QStringLiteral("dfd.cfg"));
        if (cfg.open(QIODevice::WriteOnly))
            cfg.write("1\r\n");
        cfg.close();
        log.attach(*m);
        main = std::make_unique<frmmain>(*m);
        main->Form_Load();
    }

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
