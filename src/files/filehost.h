#pragma once
// What the file, notes and port windows need from the main window. The
// main window implements it; these windows know nothing else of it.

class QListWidget;
class QWidget;

namespace vextrum {

class CommPort;

class FileHost
{
public:
    virtual ~FileHost() = default;

    // The main window itself: shown and raised when a window of ours
    // closes, and the parent of our messages.
    virtual QWidget *hostWindow() = 0;
    // The memory list: Open rebuilds its entries.
    virtual QListWidget *lstmem() const = 0;
    // Draw the current record: the picture, then the panel.
    virtual void display_pattern() = 0;
    virtual void display_setup() = 0;

    // The serial port that the port selection opens and closes.
    virtual CommPort &Comm1() = 0;
    // Reads and discards all pending input, leaving the read length at 1.
    virtual void flushInput() = 0;
    // The program is closing: windows going away must not reopen anything.
    virtual bool ending() const = 0;
};

} // namespace vextrum
