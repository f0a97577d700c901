#pragma once
// Module1: the program's shared state for the whole run. main() owns the
// one instance and hands it by reference to the windows.

#include "store/record.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QPrinter;

// Lets tests see messages instead of a box waiting for a click.
using MessageHook = std::function<void(const QString &title, const QString &text)>;

struct Module1
{
    vextrum::Store store{};           // slot s holds memory s + 1
    vextrum::Record current{};        // the memory on screen
    std::int16_t shownSlot = 0;       // where "Detail/Note SAVE" writes
    bool showingStored = false;       // the screen shows store slot shownSlot
    vextrum::RxBuffer rxBuffer{};     // one reply, as read
    std::int16_t portNumber = 0;      // configured port, 1 to 4
    int requestedMemory = 0;          // memory the Capture is asking for
    bool timedOut = false;            // set by the reply timer's tick
    bool capturing = false;           // a Capture run owns the port

    QString openDirectory;            // where File, Open was last left

    // The current printer, chosen in PrintSetup; every report goes to it.
    // Made on first use.
    std::shared_ptr<QPrinter> printer;

    MessageHook messageHook;          // set: messages go here, not on screen
};
