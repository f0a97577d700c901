#pragma once
// "File Save": writes the whole store to a data file.

#include "files/filelists.h"

class QLineEdit;
namespace vextrum {
class MemoryStore;
}

class frmsave : public vextrum::FileWindow
{
    Q_OBJECT
public:
    // `parent` is the main window.
    frmsave(const vextrum::MemoryStore &store, QWidget *parent = nullptr);
    void cmdsaveok_Click();

private:
    const vextrum::MemoryStore &store_;
    QLineEdit *name_;
};
