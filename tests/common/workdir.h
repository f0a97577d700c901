#pragma once
// Test fixtures shared by the window tests: a temporary working directory
// and a recorder for the program's messages.

#include "display/msgbox.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

// A file's bytes (none when it cannot be read), and bytes written as a
// file's whole content.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Makes a fresh temporary directory the working directory for its lifetime.
class TempWorkDir
{
public:
    TempWorkDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~TempWorkDir() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Collects (title, text) of every message the program shows while it
// lives.
struct MessageLog
{
    QList<QPair<QString, QString>> messages;
    bool answer = false; // to a Yes/No question: Yes when true
    MessageLog() = default;
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;
    ~MessageLog() { setMessageHook({}); }
    void attach()
    {
        setMessageHook([this](const QString &title, const QString &text) {
            messages.append({title, text});
            return answer;
        });
    }
    int count(const QString &title) const
    {
        int n = 0;
        for (const auto &p : messages)
            n += p.first == title;
        return n;
    }
};
