#pragma once
#include <QString>

#include <memory>

class QLockFile;

// Several running copies of the program share the per-user stores (the settings file, the
// registry stand-in). Each change to such a store is a read-modify-write of the whole file; a
// lock file beside it ("<file>.lock") makes those of different copies take turns, so that no
// copy replaces the file with a version that lacks another copy's change. The lock is held for
// one change only, never while the user is asked anything.
class StoreLock {
public:
    // Waits for the lock until one holder has kept it for StoreLockWaitMs(); other copies
    // taking their turns meanwhile do not count against the wait. When an earlier attempt on the
    // same store found this very holder stuck, only one immediate try is made, so a burst of
    // changes does not wait that long for each.
    explicit StoreLock(const QString& storePath);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool Locked() const { return locked_; }
    // Why the lock could not be taken, in words for the user; empty when it was.
    const QString& Error() const { return error_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool locked_ = false;
    QString error_;
};

// How long a change waits for another copy's change to end (5 s; tests shorten it).
int StoreLockWaitMs();
void SetStoreLockWaitMs(int ms);
