#pragma once
// "File Save": writes the whole store to a data file.

#include "files/filelists.h"

class QLineEdit;
namespace vextrum {
class FileHost;
}
struct Module1;

class frmsave : public vextrum::FileWindow
{
    Q_OBJECT
public:
    frmsave(Module1 &m, vextrum::FileHost &main, QWidget *parent = nullptr);
    void cmdsaveok_Click();

private:
    Module1 &m_;
    vextrum::FileHost &main_;
    QLineEdit *name_;
};
