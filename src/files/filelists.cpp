#include "files/filelists.h"
#include "display/programicon.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>

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
    // Deep folders scroll sideways instead of being cut off.
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The model reads folders in the background: each folder read moves
    // the rows below it, so the chosen one is brought back into sight.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] { keepInSight(); });
    connect(model_, &QFileSystemModel::layoutChanged, this, [this] { keepInSight(); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { follow_ = false; });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this] { follow_ = false; });
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
        follow_ = true;
        keepInSight();
    }
    if (clean != path_) {
        path_ = clean;
        emit pathChanged(path_);
    }
}

void DirList::keepInSight()
{
    if (!follow_)
        return;
    const QModelIndex index = model_->index(path_);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    expand(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Sideways, the folder's name starts one indentation in from the left.
    const int left = visualRect(index).left();
    if (left < indentation() || left > viewport()->width() / 2)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - indentation());
}

void DirList::showEvent(QShowEvent *event)
{
    QTreeView::showEvent(event);
    keepInSight();
}

void DirList::mousePressEvent(QMouseEvent *event)
{
    follow_ = false;
    QTreeView::mousePressEvent(event);
}

void DirList::keyPressEvent(QKeyEvent *event)
{
    follow_ = false;
    QTreeView::keyPressEvent(event);
}

void DirList::wheelEvent(QWheelEvent *event)
{
    follow_ = false;
    QTreeView::wheelEvent(event);
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
    QStringList filters = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &f : filters)
        if (f.trimmed() == QLatin1String("*.*"))
            f = QStringLiteral("*");
    model_->setNameFilters(filters);
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
    : QWidget(parent, Qt::Window), drive_(new DriveList(this)), dir_(new DirList(this)), dirPath_(new QLabel(this))
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size);
    drive_->setObjectName(QStringLiteral("Drive1"));
    dir_->setObjectName(QStringLiteral("Dir1"));
    dirPath_->setObjectName(QStringLiteral("dirpath"));
    dirPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(drive_, &DriveList::driveChosen, dir_, &DirList::setPath);
    connect(dir_, &DirList::pathChanged, this, [this](const QString &path) {
        // The whole path; one too long for the line loses its middle, and
        // the tooltip still holds all of it.
        const QString native = QDir::toNativeSeparators(path);
        dirPath_->setToolTip(native);
        dirPath_->setText(dirPath_->fontMetrics().elidedText(native, Qt::ElideMiddle, dirPath_->width()));
    });
}

void FileWindow::placeLists(const QRect &drive, const QRect &dir, const QRect &path)
{
    drive_->setGeometry(drive);
    dir_->setGeometry(dir);
    dirPath_->setGeometry(path);
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
