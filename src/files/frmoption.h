#pragma once
// "Port selection": chooses COM1 to COM4, re-opens the main window's port
// on it and records the choice in dfd.cfg for the next start.

#include <QWidget>

class QRadioButton;
class QPushButton;
namespace vextrum {
class FileHost;
}
struct Module1;

class frmoption : public QWidget
{
    Q_OBJECT
public:
    frmoption(Module1 &m, vextrum::FileHost &main, QWidget *parent = nullptr);

    void cmdok_Click();
    void cmdcancel_Click();
    int savedPort() const { return saved_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Close the port, select the configured one at 9600,N,8,1 and open it.
    bool reopenPort();
    void finish();

    Module1 &m_;
    vextrum::FileHost &main_;
    QRadioButton *options_[4] = {};
    int saved_ = 1;
    bool finished_ = false;
};
