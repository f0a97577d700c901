#pragma once
// "Port selection": chooses COM1 to COM4, or any serial port the system
// reports, re-opens the main window's port on it and records the choice
// for the next start (the number in dfd.cfg, a device in the settings).

#include <QWidget>

class QListWidget;
class QRadioButton;
class QPushButton;
namespace vextrum {
class Session;
}

class frmoption : public QWidget
{
    Q_OBJECT
public:
    // `parent` is the main window: shown again when this window goes.
    frmoption(vextrum::Session &session, QWidget *parent = nullptr);

    void cmdok_Click();
    void cmdcancel_Click();
    int savedPort() const { return saved_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void finish();
    void showMain();
    void listPorts();

    vextrum::Session &session_;
    QRadioButton *options_[4] = {};
    int saved_ = 1;
    QString savedDevice_;
    QListWidget *lstports_ = nullptr;
    bool finished_ = false;
};
