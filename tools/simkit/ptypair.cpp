#include "simkit/ptypair.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vextrum {

PtyPair::PtyPair(QObject *parent) : QObject(parent)
{
    char name[256] = {};
    struct termios raw;
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyPair::readMaster);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

bool PtyPair::write(const QByteArray &bytes)
{
    if (master_ < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                usleep(1000); // the program's side is full; it reads soon
                continue;
            }
            return false;
        }
        done += n;
    }
    return true;
}

qsizetype PtyPair::writeSome(const char *bytes, qsizetype size)
{
    if (master_ < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::write(master_, bytes, size_t(size));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

QByteArray PtyPair::takeReceived()
{
    readMaster();
    QByteArray out;
    out.swap(received_);
    return out;
}

void PtyPair::closeMaster()
{
    if (notifier_) {
        notifier_->setEnabled(false);
        delete notifier_;
        notifier_ = nullptr;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyPair::readMaster()
{
    if (master_ < 0)
        return;
    char buf[4096];
    QByteArray got;
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN, or EIO while nobody holds the program's side
    }
    if (!got.isEmpty()) {
        received_ += got;
        emit received(got);
    }
}

} // namespace vextrum
