#pragma once
// What the report and print windows need from the main window: the
// picture, the panel and note boxes that a page copies, the memory list
// that a print run walks, and the redraw of the current record. The main
// window implements it.

#include <QImage>
#include <QString>

class QListWidget;
class QWidget;

namespace vextrum {

class ReportHost
{
public:
    virtual ~ReportHost() = default;

    // The main window itself: the parent of the report windows and of
    // their messages.
    virtual QWidget *hostWindow() = 0;
    virtual QListWidget *lstmem() const = 0;
    virtual void display_pattern() = 0;
    virtual void display_setup() = 0;
    // A line in the main window's status bar: how a print run went.
    virtual void showStatus(const QString &text) = 0;

    // The A-scan picture as it is on screen.
    virtual QImage ascanImage() const = 0;
    // The text of a panel, measurement or note box; empty for no such box.
    virtual QString boxText(const char *name) const = 0;
    // The caption of a panel label (the DAC and gate labels the setup
    // block names); empty for no such label.
    virtual QString captionText(const char *name) const = 0;
};

} // namespace vextrum
