#pragma once
// File, "Report Letterhead...": the company name, three address lines and
// a logo printed above the report, kept in the user's settings and (the
// logo) the application data folder. OK keeps
// what is shown, Cancel (or closing the window) keeps the settings as
// they were. Always made with new: it deletes itself when closed.

#include "report/letterhead.h"

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class frmletterhead : public QWidget
{
    Q_OBJECT
public:
    // `tell` shows a one-line message to the user.
    frmletterhead(std::function<void(const QString &)> tell, QWidget *parent = nullptr);

    // Takes the picture file as the logo, or tells why it cannot.
    bool setLogoFile(const QString &path);
    vextrum::Letterhead letterhead() const;

    void cmdlogo_Click();   // chooses a logo file
    void cmdnologo_Click(); // no logo
    void cmdok_Click();     // saves and closes

private:
    void showLogo();

    std::function<void(const QString &)> tell_;
    QLineEdit *txtcompany_ = nullptr;
    std::array<QLineEdit *, 3> txtaddress_{};
    QLabel *piclogo_ = nullptr;
    QByteArray logo_;
    QString logoName_;
};
