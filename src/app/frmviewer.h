#pragma once
// "A-scan Viewer": the memory on screen at any size, with the pointer's
// sound path and amplitude, the highest echo in each gate, zoom, a second
// memory to compare with, and a copy of the picture for the clipboard.
// It follows the store: every memory put on screen is shown here.

#include "app/viewwindow.h"

class QComboBox;
class QLabel;

namespace vextrum {
class AscanScope;
class MemoryStore;
struct Readout;
} // namespace vextrum

class frmviewer : public ViewWindow
{
    Q_OBJECT
public:
    frmviewer(const vextrum::MemoryStore &store, QWidget *parent = nullptr);

    vextrum::AscanScope *scope() const { return scope_; }
    // Takes the current record again, as the main window shows it.
    void followRecord();
    // Takes the captured memories again for the compare choice.
    void followStore();
    // The memory drawn over the one on screen; 0 for none.
    void compareWith(int memory);

protected:
    // Esc shows the whole range of a zoomed picture, else closes.
    void escape() override;

private:
    void showReadout(const vextrum::Readout &r);
    void showPeaks();
    void copyPicture();

    const vextrum::MemoryStore &store_;
    vextrum::AscanScope *scope_;
    QLabel *name_;
    QLabel *pointer_;
    QLabel *sample_;
    QLabel *peaks_;
    QLabel *zoom_;
    QComboBox *compare_;
};
