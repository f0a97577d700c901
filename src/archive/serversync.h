#pragma once
// The team's archive, kept in step from this PC: a thread of its own sends
// what waits in the PC's archive to the server in batches whenever the
// server is reachable, backing off after a failure, and answers questions
// asked of the server (searches, a memory, its note history), so neither
// a slow server nor a dead one ever holds up the window or a Capture.
// After a restart it goes on with what still waits: each fact leaves the
// PC's queue only once the server holds it.

#include <QDateTime>
#include <QObject>
#include <QThread>
#include <QVariant>
#include <functional>

namespace vextrum {

class Archive;
class SyncWorker;

class ServerSync : public QObject
{
    Q_OBJECT
public:
    // Works on the PC's archive at `localPath` with a connection of its own.
    explicit ServerSync(const QString &localPath, QObject *parent = nullptr);
    ~ServerSync() override;

    // The server to send to and ask (a PostgreSQL URI), and a password for
    // this run only; an empty URI: none.
    void setServer(const QString &uri, const QString &password = QString());
    const QString &server() const { return uri_; }
    // The PC's archive is now the one at `path`.
    void setLocal(const QString &path);
    // Something new waits: send it soon.
    void pushSoon();

    bool hasServer() const { return !uri_.isEmpty(); }
    bool reachable() const { return reachable_; }
    QDateTime unreachableSince() const { return unreachableSince_; }
    qint64 waiting() const { return waiting_; }
    // "Archive: 3 waiting for the server", "Archive: up to date",
    // "Archive server: password refused"; empty with no server.
    QString statusText() const;
    // The server's own words for the last failure.
    const QString &problem() const { return problem_; }

    // Runs `job` on the sending thread with the server's archive (open,
    // or not: job checks) and hands its result to `done` on this thread,
    // unless `context` is gone by then.
    void ask(std::function<QVariant(Archive &server)> job, QObject *context,
             std::function<void(const QVariant &)> done);

    // The settings key of the server's URI (kept without any password).
    static const char *const kServerKey;

    // Backing off after a failure: first wait, and the longest.
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLongestRetryMs = 60000;

signals:
    void statusChanged();

private:
    void takeState(bool reachable, qint64 waiting, const QString &problem);

    QThread *thread_; // left to the process should the server hold it at exit
    SyncWorker *worker_;
    QString uri_;
    bool reachable_ = false;
    QDateTime unreachableSince_;
    qint64 waiting_ = 0;
    QString problem_;
};

} // namespace vextrum
