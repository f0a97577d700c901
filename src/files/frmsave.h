#pragma once
// "File Save": writes the whole store to a data file. Over an existing
// file other than the one in use it asks first.

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
    frmsave(vextrum::MemoryStore &store, QWidget *parent = nullptr);
    void cmdsaveok_Click();

private:
    vextrum::MemoryStore &store_;
    QLineEdit *name_;
};
