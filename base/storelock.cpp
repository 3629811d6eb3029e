#include "base/storelock.h"

#include "base/processstate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QThread>

#include <algorithm>

#include <sys/stat.h>

namespace {

// A change holds the lock for a few milliseconds: this only runs out when another copy is stuck.
constexpr int kDefaultWaitMs = 5000;
int gWaitMs = kDefaultWaitMs;

// Which lock file stands beside a store: each change makes a new one, so a different file (or
// none) means the copies are taking turns, while the same file means its holder is still at it.
struct LockStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed{};
    bool operator==(const LockStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

LockStamp StampOf(const QString& lockPath) {
    struct stat st {};
    if (::stat(QFile::encodeName(lockPath).constData(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, st.st_ctim};
}

// The lock file that held each store through a whole wait (its holder is stuck).
QHash<QString, LockStamp> gStuck;

void ResetStoreLocks() {
    gWaitMs = kDefaultWaitMs;
    gStuck.clear();
}
SCRIVELLE_REGISTER_RESET(ResetStoreLocks);

} // namespace

int StoreLockWaitMs() {
    return gWaitMs;
}

void SetStoreLockWaitMs(int ms) {
    gWaitMs = std::max(0, ms);
}

StoreLock::StoreLock(const QString& storePath) {
    const QString lockPath = storePath + QLatin1String(".lock");
    if (!QDir().mkpath(QFileInfo(storePath).absolutePath())) {
        error_ = QStringLiteral("The folder %1 cannot be made.")
                     .arg(QDir::toNativeSeparators(QFileInfo(storePath).absolutePath()));
        return;
    }
    lock_ = std::make_unique<QLockFile>(lockPath);
    // Asked again every few milliseconds: QLockFile's own wait sleeps longer and longer between
    // looks (up to seconds), and copies that change the store in quick turns would starve it.
    // The wait runs out only when one holder keeps the lock that long: while other copies take
    // their turns, however many, this one waits for its own. A holder already found stuck by an
    // earlier change gets no second wait (a burst of changes would wait that long for each), but
    // any other holder does.
    LockStamp seen = StampOf(lockPath);
    const auto stuck = gStuck.constFind(storePath);
    const int waitMs = stuck != gStuck.constEnd() && seen.exists && *stuck == seen ? 0 : gWaitMs;
    QElapsedTimer clock;
    clock.start();
    for (int pause = 1;; pause = std::min(pause * 2, 16)) {
        locked_ = lock_->tryLock(0);
        if (locked_ || lock_->error() != QLockFile::LockFailedError) break;
        const LockStamp now = StampOf(lockPath);
        if (!(now == seen)) {
            seen = now;
            clock.restart();
            pause = 1;
        } else if (clock.elapsed() >= waitMs) {
            break;
        }
        QThread::msleep(std::min<qint64>(pause, std::max<qint64>(1, waitMs - clock.elapsed())));
    }
    if (locked_) {
        gStuck.remove(storePath);
        return;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        gStuck.insert(storePath, seen);
        error_ = QStringLiteral("Another copy of the program has been changing %1 for too long "
                                "(its lock file %2 is held).")
                     .arg(QDir::toNativeSeparators(storePath), QDir::toNativeSeparators(lockPath));
        break;
    case QLockFile::PermissionError:
        error_ = QStringLiteral("The lock file %1 cannot be made: permission denied.")
                     .arg(QDir::toNativeSeparators(lockPath));
        break;
    default:
        error_ = QStringLiteral("The lock file %1 cannot be made.").arg(QDir::toNativeSeparators(lockPath));
        break;
    }
}

StoreLock::~StoreLock() {
    if (locked_) lock_->unlock();
}
