#pragma once
// "File Open": reads a data file back into the store.

#include <QWidget>

class QComboBox;
class QLineEdit;
class frmmain;
struct Module1;

namespace vextrum {
class DriveList;
class DirList;
class FileList;
} // namespace vextrum

class frmopen : public QWidget
{
    Q_OBJECT
public:
    frmopen(Module1 &m, frmmain &main, QWidget *parent = nullptr);

    // Replaces the store with the file named in Text1 and redraws.
    void direct();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void directoryChanged(const QString &path);
    void patternTyped(const QString &text);

    Module1 &m_;
    frmmain &main_;
    vextrum::DriveList *drive_;
    vextrum::DirList *dir_;
    vextrum::FileList *files_;
    QComboBox *ext_;
    QLineEdit *path_;
};
