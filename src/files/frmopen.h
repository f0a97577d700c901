#pragma once
// "File Open": reads a data file back into the store.

#include "files/filelists.h"

class QComboBox;
class QLineEdit;
namespace vextrum {
class MemoryStore;
}

class frmopen : public vextrum::FileWindow
{
    Q_OBJECT
public:
    // `lastDirectory` is where the window was last left; it opens there
    // and keeps it up to date. `parent` is the main window.
    frmopen(vextrum::MemoryStore &store, QString &lastDirectory, QWidget *parent = nullptr);

    // Replaces the store with the file named in Text1.
    void direct();

signals:
    // What was opened, for the status bar.
    void status(const QString &text);

private:
    void directoryChanged(const QString &path);
    void patternTyped(const QString &text);

    vextrum::MemoryStore &store_;
    QString &lastDirectory_;
    vextrum::FileList *files_;
    QComboBox *ext_;
    QLineEdit *path_;
};
