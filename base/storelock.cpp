#include "base/storelock.h"

#include "base/processstate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QThread>

#include <algorithm>

namespace {

// A change holds the lock for a few milliseconds: this only runs out when another copy is stuck.
constexpr int kDefaultWaitMs = 5000;
int gWaitMs = kDefaultWaitMs;
// Stores whose last lock attempt timed out.
QSet<QString> gStuck;

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
    const int waitMs = gStuck.contains(storePath) ? 0 : gWaitMs;
    QElapsedTimer clock;
    clock.start();
    for (int pause = 1;; pause = std::min(pause * 2, 16)) {
        locked_ = lock_->tryLock(0);
        if (locked_ || lock_->error() != QLockFile::LockFailedError || clock.elapsed() >= waitMs) break;
        QThread::msleep(std::min<qint64>(pause, std::max<qint64>(1, waitMs - clock.elapsed())));
    }
    if (locked_) {
        gStuck.remove(storePath);
        return;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        gStuck.insert(storePath);
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
