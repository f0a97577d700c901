#include "filesync.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vextrum {

std::function<bool()> fileSystemFlush(const QString &folder)
{
#ifdef Q_OS_LINUX
    const QByteArray path = QFile::encodeName(folder);
    return [path] {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool ok = ::syncfs(fd) == 0;
        ::close(fd);
        return ok;
    };
#else
    Q_UNUSED(folder);
    return {};
#endif
}

} // namespace vextrum
