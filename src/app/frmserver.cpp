#include "app/frmserver.h"

#include "archive/archive.h"
#include "archive/serversync.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

using namespace vextrum;

frmserver::frmserver(ServerSync &sync, QWidget *parent) : QDialog(parent), sync_(sync)
{
    setObjectName(QStringLiteral("frmserver"));
    setWindowTitle(QStringLiteral("Team Archive Server"));
    uri_ = new QLineEdit(sync_.server(), this);
    uri_->setObjectName(QStringLiteral("txturi"));
    uri_->setPlaceholderText(QStringLiteral("postgresql://inspector@db.example:5432/vextrum?sslmode=verify-full"));
    uri_->setMinimumWidth(460);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("txtpassword"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("only if the password file does not hold it"));
    answer_ = new QLabel(sync_.hasServer() ? sync_.statusText() : QStringLiteral("No server: this PC only."), this);
    answer_->setObjectName(QStringLiteral("labtest"));
    answer_->setWordWrap(true);
    auto *test = new QPushButton(QStringLiteral("Test connection"), this);
    test->setObjectName(QStringLiteral("cmdtest"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdok"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Server URI:"), uri_);
    form->addRow(QStringLiteral("Password:"), password_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(test, 0, Qt::AlignLeft);
    layout->addWidget(answer_);
    layout->addWidget(buttons);

    connect(test, &QPushButton::clicked, this, &frmserver::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmserver::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmserver::reject);
}

QString frmserver::uriWithoutPassword(QString *password) const
{
    const QString typed = uri_->text().trimmed();
    QUrl url(typed);
    *password = password_->text();
    QUrlQuery query(url);
    const QString inQuery = query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (!url.isValid() || (url.password().isEmpty() && inQuery.isEmpty()))
        return typed;
    if (password->isEmpty())
        *password = url.password().isEmpty() ? inQuery : url.password();
    url.setPassword(QString());
    query.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(query);
    return url.toString();
}

void frmserver::testConnection()
{
    QString password;
    const QString uri = uriWithoutPassword(&password);
    if (uri.isEmpty()) {
        answer_->setText(QStringLiteral("No server: this PC only."));
        return;
    }
    answer_->setText(QStringLiteral("Connecting..."));
    // Tried on the sending thread: a server that does not answer holds up
    // nothing here.
    sync_.ask(
        [uri, password](Archive &) -> QVariant {
            Archive trial;
            return trial.openServer(uri, password) ? QString() : trial.why();
        },
        this,
        [this](const QVariant &why) {
            answer_->setText(why.toString().isEmpty() ? QStringLiteral("The server answers: the team archive is ready.")
                                                      : why.toString());
        });
}

void frmserver::accept()
{
    QString password;
    const QString uri = uriWithoutPassword(&password);
    // Never the password: libpq's password file is the place to keep one.
    QSettings().setValue(QString::fromLatin1(ServerSync::kServerKey), uri);
    sync_.setServer(uri, password);
    QDialog::accept();
}
