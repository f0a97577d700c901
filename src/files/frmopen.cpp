#include "files/frmopen.h"

#include "display/msgbox.h"
#include "files/datafile.h"
#include "files/jobfile.h"
#include "files/filelists.h"
#include "store/memorystore.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>
#include <memory>
#include <QPushButton>

using namespace vextrum;

namespace {
const QString kAllFiles = QStringLiteral("All Files(*.*)");

// The pattern an entry of the extension box stands for.
QString patternFor(const QString &text)
{
    return text == kAllFiles ? QStringLiteral("*.*") : text;
}
} // namespace

frmopen::frmopen(MemoryStore &store, QString &lastDirectory, QWidget *parent)
    : FileWindow("frmopen", QStringLiteral("File Open"), QSize(420, 324), parent), store_(store),
      lastDirectory_(lastDirectory)
{
    placeLists(QRect(8, 8, 190, 24), QRect(8, 38, 190, 150), QRect(8, 226, 404, 20));
    files_ = new FileList(this);
    files_->setObjectName(QStringLiteral("File1"));
    files_->setGeometry(206, 8, 206, 212);
    ext_ = new QComboBox(this);
    ext_->setObjectName(QStringLiteral("cmbext"));
    ext_->setEditable(true);
    ext_->setInsertPolicy(QComboBox::NoInsert);
    ext_->addItems({QStringLiteral("*.dat"), QStringLiteral("*.txt"), kAllFiles});
    ext_->setGeometry(8, 196, 190, 24);
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("Text1"));
    path_->setGeometry(8, 252, 404, 24);
    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("cmdok"));
    ok->setGeometry(165, 286, 90, 28);

    setTabOrder(drive_, dir_);
    setTabOrder(dir_, files_);
    setTabOrder(files_, ext_);
    setTabOrder(ext_, ok);
    setTabOrder(ok, path_);

    connect(dir_, &DirList::pathChanged, this, &frmopen::directoryChanged);
    connect(files_, &FileList::fileClicked, this,
            [this](const QString &name) { path_->setText(joinPath(files_->directory(), name)); });
    connect(files_, &FileList::fileDoubleClicked, this, [this](const QString &name) {
        path_->setText(joinPath(files_->directory(), name));
        direct();
    });
    connect(ext_, &QComboBox::currentTextChanged, this, &frmopen::patternTyped);
    connect(ok, &QPushButton::clicked, this, &frmopen::direct);

    // Opening: back where the window was last left, else the working directory.
    ext_->setCurrentText(QStringLiteral("*.dat"));
    const QString start = lastDirectory_.isEmpty() ? QDir::currentPath() : lastDirectory_;
    drive_->setDriveOf(start);
    dir_->setPath(start);
    directoryChanged(dir_->path());
}

void frmopen::directoryChanged(const QString &path)
{
    lastDirectory_ = path;
    files_->setDirectory(path);
    path_->setText(joinPath(path, QStringLiteral("temp.dat")));
}

void frmopen::patternTyped(const QString &text)
{
    // An entry chosen from the list stands for its pattern; typed text is
    // the pattern itself.
    files_->setPattern(patternFor(text));
}

void frmopen::direct()
{
    const QString path = path_->text();
    QWidget *main = parentWidget();
    close();
    if (main) {
        main->raise();
        main->activateWindow();
    }

    // Read into a copy: the store takes it whole, or not at all when not
    // one number could be read.
    auto records = std::make_unique<Store>(store_.records());
    const OpenResult result = readDataFile(path, *records);
    if (result.notADataFile()) {
        // Nothing was read: the memories, marks, selection and screen stay.
        MsgBox(main, result.message(path), QStringLiteral("File Open"));
        return;
    }
    // A file read whole becomes the one in use; a file read in part is not,
    // so that saving over it asks first.
    const bool whole = result.status == OpenResult::Ok;
    QString jobWhy;
    const std::optional<Job> job = readJobFile(path, &jobWhy);
    if (result.storeChanged())
        store_.replace(*records, result.captured, whole ? path : QString(), path,
                       job.value_or(Job())); // the record on screen is no longer one of them
    else
        store_.showAgain();
    const auto captured = std::count(result.captured.begin(), result.captured.end(), true);
    emit status(QStringLiteral("%1 %2: %3 captured memor%4")
                    .arg(whole ? QStringLiteral("Opened") : QStringLiteral("Opened in part"), QFileInfo(path).fileName())
                    .arg(captured)
                    .arg(captured == 1 ? QStringLiteral("y") : QStringLiteral("ies")));
    if (!whole)
        MsgBox(main, result.message(path), QStringLiteral("File Open"));
    if (!job)
        MsgBox(main, QStringLiteral("The job details kept beside it can't be read: %1").arg(jobWhy),
               QStringLiteral("File Open"));
}
