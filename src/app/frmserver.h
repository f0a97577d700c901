#pragma once
// "Server...": the team's archive server as a PostgreSQL connection URI,
// a password for this run only (the password file or a service file
// serve otherwise), "Test connection" and what the server answered. The
// URI is kept in the settings without any password.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vextrum {
class ServerSync;
}

class frmserver : public QDialog
{
    Q_OBJECT
public:
    frmserver(vextrum::ServerSync &sync, QWidget *parent = nullptr);

    void testConnection();
    void accept() override;

private:
    // The URI without a password, and the password it held (if any).
    QString uriWithoutPassword(QString *password) const;

    vextrum::ServerSync &sync_;
    QLineEdit *uri_;
    QLineEdit *password_;
    QLabel *answer_;
};
