#pragma once
// "File Save": writes the whole store to a data file.

#include <QWidget>

class QLineEdit;
class frmmain;
struct Module1;

namespace vextrum {
class DriveList;
class DirList;
} // namespace vextrum

class frmsave : public QWidget
{
    Q_OBJECT
public:
    frmsave(Module1 &m, frmmain &main, QWidget *parent = nullptr);
    void cmdsaveok_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    Module1 &m_;
    frmmain &main_;
    vextrum::DriveList *drive_;
    vextrum::DirList *dir_;
    QLineEdit *name_;
};
