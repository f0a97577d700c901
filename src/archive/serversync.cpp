#include "archive/serversync.h"

#include "archive/archive.h"

#include <QPointer>
#include <QSqlQuery>
#include <QTimer>
#include <memory>

namespace vextrum {

// Lives on the sending thread: both connections are made and used there.
class SyncWorker : public QObject
{
    Q_OBJECT
public:
    explicit SyncWorker(const QString &localPath) : localPath_(localPath) {}

    void start()
    {
        timer_ = new QTimer(this);
        timer_->setSingleShot(true);
        connect(timer_, &QTimer::timeout, this, &SyncWorker::push);
        // With nothing to send the server is still asked now and then, so
        // the status tells when it goes away or comes back.
        auto *heartbeat = new QTimer(this);
        connect(heartbeat, &QTimer::timeout, this, [this] {
            if (!timer_->isActive())
                push();
        });
        heartbeat->start(kHeartbeatMs);
    }

    void setLocal(const QString &path)
    {
        localPath_ = path;
        local_.reset();
        push();
    }

    void configure(const QString &uri, const QString &password)
    {
        uri_ = uri;
        password_ = password;
        server_.reset();
        backoff_ = ServerSync::kFirstRetryMs;
        push();
    }

    void pushSoon()
    {
        // A failure's back-off stands; otherwise go now.
        if (!timer_->isActive() || failing_ == false)
            timer_->start(0);
    }

    // Sends batches until nothing waits or the server fails.
    void push()
    {
        if (!local_ || !local_->isOpen()) {
            local_ = std::make_unique<Archive>();
            local_->open(localPath_);
        }
        const qint64 waiting = local_->isOpen() ? local_->waiting() : 0;
        if (uri_.isEmpty()) {
            emit state(false, waiting, QString());
            return;
        }
        if (!connectServer()) {
            fail(server_ ? server_->why() : QString());
            return;
        }
        int sent = local_->pushTo(*server_, kBatch);
        // Nothing waited: make sure the server is still there.
        if (sent == 0 && !QSqlQuery(server_->database()).exec(QStringLiteral("SELECT 1")))
            sent = -1;
        if (sent < 0) {
            QString why = server_->lastFailure();
            if (why.isEmpty())
                why = local_->lastFailure();
            if (why.isEmpty())
                why = tr("the server did not answer");
            server_.reset(); // a fresh connection next time
            fail(why);
            return;
        }
        failing_ = false;
        backoff_ = ServerSync::kFirstRetryMs;
        emit state(true, local_->waiting(), QString());
        if (sent == kBatch)
            timer_->start(0); // more waits; let questions in between batches
    }

    Archive *server()
    {
        return connectServer() ? server_.get() : nullptr;
    }

signals:
    void state(bool reachable, qint64 waiting, const QString &problem);

private:
    static constexpr int kBatch = 500;
    static constexpr int kHeartbeatMs = 30000;

    bool connectServer()
    {
        if (server_ && server_->isOpen())
            return true;
        if (uri_.isEmpty())
            return false;
        server_ = std::make_unique<Archive>();
        return server_->openServer(uri_, password_);
    }

    void fail(const QString &why)
    {
        failing_ = true;
        emit state(false, local_ && local_->isOpen() ? local_->waiting() : 0, why);
        timer_->start(backoff_);
        backoff_ = std::min(backoff_ * 2, ServerSync::kLongestRetryMs);
    }

    QString localPath_;
    QString uri_, password_;
    std::unique_ptr<Archive> local_, server_;
    QTimer *timer_ = nullptr;
    int backoff_ = ServerSync::kFirstRetryMs;
    bool failing_ = false;
};

const char *const ServerSync::kServerKey = "Archive/Server";

ServerSync::ServerSync(const QString &localPath, QObject *parent)
    : QObject(parent), thread_(new QThread), worker_(new SyncWorker(localPath))
{
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SyncWorker::state, this, &ServerSync::takeState);
    thread_->start();
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->start(); });
}

ServerSync::~ServerSync()
{
    thread_->quit();
    // A server that never answers holds the thread until libpq gives up
    // (connect, keepalive and TCP timeouts). The program is ending: what
    // waits stays queued on the PC and goes next time, so after a while
    // the thread is left to end with the process rather than stopped in
    // the middle of the database's work.
    if (thread_->wait(8000))
        delete thread_;
}

void ServerSync::setServer(const QString &uri, const QString &password)
{
    uri_ = uri;
    reachable_ = false;
    problem_.clear();
    unreachableSince_ = QDateTime();
    QMetaObject::invokeMethod(worker_, [w = worker_, uri, password] { w->configure(uri, password); });
    emit statusChanged();
}

void ServerSync::setLocal(const QString &path)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, path] { w->setLocal(path); });
}

void ServerSync::pushSoon()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->pushSoon(); });
}

void ServerSync::ask(std::function<QVariant(Archive &server)> job, QObject *context,
                     std::function<void(const QVariant &)> done)
{
    QPointer<QObject> to(context);
    // The answer comes back through this object and finds its window on
    // this thread, where a closed window is known for sure.
    QMetaObject::invokeMethod(worker_, [w = worker_, self = this, job, to, done] {
        Archive none;
        Archive *server = w->server();
        const QVariant result = job(server ? *server : none);
        QMetaObject::invokeMethod(self, [to, done, result] {
            if (to)
                done(result);
        });
    });
}

void ServerSync::takeState(bool reachable, qint64 waiting, const QString &problem)
{
    if (!reachable && (reachable_ || unreachableSince_.isNull()))
        unreachableSince_ = QDateTime::currentDateTime();
    if (reachable)
        unreachableSince_ = QDateTime();
    reachable_ = reachable;
    waiting_ = waiting;
    problem_ = problem;
    emit statusChanged();
}

QString ServerSync::statusText() const
{
    if (uri_.isEmpty())
        return QString();
    if (!reachable_ && !problem_.isEmpty())
        return tr("Archive server: %1").arg(Archive::serverFault(problem_));
    if (!reachable_)
        return waiting_ > 0 ? tr("Archive: %1 waiting for the server").arg(waiting_) : QString();
    return waiting_ > 0 ? tr("Archive: %1 waiting for the server").arg(waiting_) : tr("Archive: up to date");
}

} // namespace vextrum

#include "serversync.moc"
