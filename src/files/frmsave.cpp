#include "files/frmsave.h"

#include "display/msgbox.h"
#include "files/datafile.h"
#include "files/filelists.h"
#include "files/jobfile.h"
#include "store/memorystore.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vextrum;

frmsave::frmsave(MemoryStore &store, QWidget *parent)
    : FileWindow("frmsave", QStringLiteral("File Save"), QSize(400, 246), parent), store_(store)
{
    placeLists(QRect(8, 8, 200, 24), QRect(8, 40, 200, 172), QRect(8, 218, 384, 20));

    auto *label = new QLabel(QStringLiteral("File Name"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(220, 40, 170, 20);
    name_ = new QLineEdit(QStringLiteral("temp.dat"), this);
    name_->setObjectName(QStringLiteral("txtfilename"));
    name_->setGeometry(220, 62, 170, 24);
    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("cmdsaveok"));
    ok->setGeometry(220, 100, 90, 28);
    ok->setDefault(true);

    // Every opening starts in the working directory, on its drive.
    const QString cwd = QDir::currentPath();
    drive_->setDriveOf(cwd);
    dir_->setPath(cwd);
    connect(ok, &QPushButton::clicked, this, &frmsave::cmdsaveok_Click);
}

void frmsave::cmdsaveok_Click()
{
    const QString path = joinPath(dir_->path(), name_->text());
    QString error;
    int changed = 0;
    if (name_->text().isEmpty()) {
        MsgBox(this, QStringLiteral("The file can't be saved: no file name is given."), QStringLiteral("File Save"));
        return;
    }
    // Another file of that name is replaced only when the user says so;
    // the file in use is saved again without asking.
    const QFileInfo target(path);
    if (target.exists() && !sameFile(path, store_.dataFile())
        && !MsgBoxYesNo(this,
                        QStringLiteral("%1 already exists and is not the file in use. Replace it?")
                            .arg(QDir::toNativeSeparators(target.absoluteFilePath())),
                        QStringLiteral("File Save")))
        return; // nothing written; the window stays for another name
    if (!writeDataFile(path, store_.records(), &error, &changed)) {
        // The reason names the file already.
        MsgBox(this, QStringLiteral("The file can't be saved: %1").arg(error), QStringLiteral("File Save"));
        return; // the window stays for another try
    }
    // The job details go beside it; should they fail, the work stays
    // unsaved (the title keeps its "*") and the user is told.
    if (!writeJobFile(target.absoluteFilePath(), store_.job(), &error)) {
        // A job file of the earlier save beside the new data file would
        // give its evaluations to other memories at the next Open.
        const bool earlierGone = removeJobFile(target.absoluteFilePath());
        MsgBox(this,
               QStringLiteral("The job details can't be saved: %1%2")
                   .arg(error, earlierGone ? QString() : QStringLiteral(" The job file of an earlier save is still there.")),
               QStringLiteral("File Save"));
        return;
    }
    store_.savedTo(target.absoluteFilePath());
    if (changed > 0)
        MsgBox(this,
               QStringLiteral("%1 value(s) did not fit a field of the file and were saved as the nearest that fits.")
                   .arg(changed),
               QStringLiteral("File Save"));
    QWidget *main = parentWidget();
    close();
    if (main) {
        main->raise();
        main->activateWindow();
    }
}
