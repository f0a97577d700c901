#pragma once
// Drive, directory and file lists for the Save and Open windows, built on
// QFileSystemModel. Moving through them never changes the program's
// working directory.

#include <QComboBox>
#include <QListView>
#include <QTreeView>

class QFileSystemModel;
class QLabel;

namespace vextrum {

// The drives of the machine ("/" alone on Linux).
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);
    void setDriveOf(const QString &path); // shows the drive holding path
    QString drive() const;

signals:
    void driveChosen(const QString &root);
};

// A directory tree; path() is the directory it stands on. The directory
// set by setPath() is expanded and kept in sight while the tree fills in
// around it, until the user moves through the tree.
class DirList : public QTreeView
{
    Q_OBJECT
public:
    explicit DirList(QWidget *parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString &path);

signals:
    void pathChanged(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void keepInSight();

    QFileSystemModel *model_;
    QString path_;
    bool follow_ = false;
};

// The files of one directory matching a pattern such as "*.dat". As on
// the instrument's home platform, "*.*" matches every file, names without
// a dot included.
class FileList : public QListView
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);
    void setDirectory(const QString &dir);
    QString directory() const { return dir_; }
    void setPattern(const QString &pattern);
    QString pattern() const { return pattern_; }
    QStringList fileNames() const; // as listed now

signals:
    void fileClicked(const QString &name);
    void fileDoubleClicked(const QString &name);

private:
    QFileSystemModel *model_;
    QString dir_;
    QString pattern_ = QStringLiteral("*.dat");
};

// What the Save and Open windows share: a window of its own, deleted on
// closing, with a drive list driving a directory list, and Esc as the way
// out without writing or reading anything.
class FileWindow : public QWidget
{
    Q_OBJECT
protected:
    FileWindow(const char *name, const QString &title, QSize size, QWidget *parent);
    // Places the drive and directory lists, and the line under them that
    // shows the full path of the directory in use.
    void placeLists(const QRect &drive, const QRect &dir, const QRect &path);
    void keyPressEvent(QKeyEvent *event) override;

    DriveList *drive_;
    DirList *dir_;
    QLabel *dirPath_;
};

} // namespace vextrum
