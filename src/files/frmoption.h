#pragma once
// "Port selection": chooses COM1 to COM4, re-opens the main window's port
// on it and records the choice in dfd.cfg for the next start.

#include <QWidget>

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

    vextrum::Session &session_;
    QRadioButton *options_[4] = {};
    int saved_ = 1;
    bool finished_ = false;
};
