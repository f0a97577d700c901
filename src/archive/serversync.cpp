#include "archive/serversync.h"

#include "archive/archive.h"

#include <QPointer>
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
        if (!local_) {
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
        const int sent = local_->pushTo(*server_, kBatch);
        if (sent < 0) {
            const QString why = server_->lastFailure();
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
    : QObject(parent), worker_(new SyncWorker(localPath))
{
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SyncWorker::state, this, &ServerSync::takeState);
    thread_.start();
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->start(); });
}

ServerSync::~ServerSync()
{
    thread_.quit();
    // A server that never answers holds the thread at most until libpq's
    // connect timeout. Should a statement on a live connection hang past
    // that, the program is ending: what waits stays queued on the PC and
    // goes next time, so the thread is stopped rather than waited for.
    if (!thread_.wait(6000)) {
        thread_.terminate();
        thread_.wait();
    }
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

void ServerSync::pushSoon()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->pushSoon(); });
}

void ServerSync::ask(std::function<QVariant(Archive &server)> job, QObject *context,
                     std::function<void(const QVariant &)> done)
{
    QPointer<QObject> to(context);
    QMetaObject::invokeMethod(worker_, [w = worker_, job, to, done] {
        Archive none;
        Archive *server = w->server();
        const QVariant result = job(server ? *server : none);
        if (to)
            QMetaObject::invokeMethod(to, [to, done, result] { if (to) done(result); });
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
