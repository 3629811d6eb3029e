#include "platform/FileErrors.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

int NumberFor(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 61;
    case EACCES:
    case EPERM:
        return 70;
    case EROFS:
        return 75;
    default:
        return 57;
    }
}

// The cause the target's file system shows, or 0.
int CauseAt(const QString& path, int64_t bytesNeeded) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct statvfs fs {};
    if (statvfs(folder.constData(), &fs) != 0) return 0;
    if (fs.f_flag & ST_RDONLY) return EROFS;
    if (access(folder.constData(), W_OK) != 0 && errno == EACCES) return EACCES;
    const int64_t avail = int64_t(fs.f_bavail) * int64_t(fs.f_frsize ? fs.f_frsize : fs.f_bsize);
    if (avail < bytesNeeded) return ENOSPC;
    return 0;
}

} // namespace

tWriteFailure DescribeWriteFailure(const QString& path, int systemError, int64_t bytesNeeded,
                                   const QString& fallback) {
    // "Success" and "Unknown error" say nothing: look at the target instead.
    int error = systemError;
    if (error == 0 || NumberFor(error) == 57) {
        if (const int cause = CauseAt(path, bytesNeeded)) error = cause;
    }
    if (error == 0) return {57, fallback.isEmpty() ? QStringLiteral("Device I/O error") : fallback};
    return {NumberFor(error), QString::fromLocal8Bit(std::strerror(error))};
}
