#include "files/filelists.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>

namespace vextrum {

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    for (const QFileInfo &d : QDir::drives())
        addItem(QDir::toNativeSeparators(d.absoluteFilePath()), d.absoluteFilePath());
    connect(this, &QComboBox::activated, this, [this](int i) { emit driveChosen(itemData(i).toString()); });
}

void DriveList::setDriveOf(const QString &path)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    int best = 0, bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (abs.startsWith(root, Qt::CaseInsensitive) && root.size() > bestLength) {
            best = i;
            bestLength = int(root.size());
        }
    }
    setCurrentIndex(best);
}

QString DriveList::drive() const
{
    return currentData().toString();
}

DirList::DirList(QWidget *parent) : QTreeView(parent), model_(new QFileSystemModel(this))
{
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QString());
    setModel(model_);
    setHeaderHidden(true);
    for (int c = 1; c < model_->columnCount(); ++c)
        hideColumn(c);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &index) {
        const QString p = model_->filePath(index);
        if (!p.isEmpty() && p != path_) {
            path_ = p;
            emit pathChanged(path_);
        }
    });
}

void DirList::setPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QModelIndex index = model_->index(clean);
    if (index.isValid()) {
        setCurrentIndex(index);
        expand(index);
        scrollTo(index);
    }
    if (clean != path_) {
        path_ = clean;
        emit pathChanged(path_);
    }
}

FileList::FileList(QWidget *parent) : QListView(parent), model_(new QFileSystemModel(this))
{
    model_->setFilter(QDir::Files);
    model_->setNameFilterDisables(false);
    model_->setNameFilters({pattern_});
    setModel(model_);
    connect(this, &QListView::clicked, this, [this](const QModelIndex &i) { emit fileClicked(model_->fileName(i)); });
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex &i) { emit fileDoubleClicked(model_->fileName(i)); });
}

void FileList::setDirectory(const QString &dir)
{
    dir_ = dir;
    setRootIndex(model_->setRootPath(dir));
}

void FileList::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    model_->setNameFilters(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts));
}

QStringList FileList::fileNames() const
{
    QStringList names;
    const QModelIndex root = rootIndex();
    for (int r = 0; r < model_->rowCount(root); ++r) {
        const QModelIndex i = model_->index(r, 0, root);
        if (!isRowHidden(r))
            names << model_->fileName(i);
    }
    names.sort();
    return names;
}

FileWindow::FileWindow(const char *name, const QString &title, QSize size, QWidget *parent)
    : QWidget(parent, Qt::Window), drive_(new DriveList(this)), dir_(new DirList(this))
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size);
    drive_->setObjectName(QStringLiteral("Drive1"));
    dir_->setObjectName(QStringLiteral("Dir1"));
    connect(drive_, &DriveList::driveChosen, dir_, &DirList::setPath);
}

void FileWindow::placeLists(const QRect &drive, const QRect &dir)
{
    drive_->setGeometry(drive);
    dir_->setGeometry(dir);
}

void FileWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vextrum
