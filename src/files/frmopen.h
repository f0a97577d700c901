#pragma once
// "File Open": reads a data file back into the store.

#include "files/filelists.h"

class QComboBox;
class QLineEdit;
namespace vextrum {
class FileHost;
}
struct Module1;

class frmopen : public vextrum::FileWindow
{
    Q_OBJECT
public:
    frmopen(Module1 &m, vextrum::FileHost &main, QWidget *parent = nullptr);

    // Replaces the store with the file named in Text1 and redraws.
    void direct();

private:
    void directoryChanged(const QString &path);
    void patternTyped(const QString &text);

    Module1 &m_;
    vextrum::FileHost &main_;
    vextrum::FileList *files_;
    QComboBox *ext_;
    QLineEdit *path_;
};
