#pragma once
// Why writing a file failed, named from the system's own error, for the save messages.
#include <QString>

#include <cstdint>

struct tWriteFailure {
    int number = 57;     // the program's error number: 61 disk full, 70 permission denied,
                         // 75 path or file access (read-only file system), 57 device I/O
    QString description; // "No space left on device", "Permission denied", ...
};

// systemError is errno as the failing call left it (0 when unknown). When it names no cause,
// the target's folder is looked at: a read-only file system, a folder that refuses writing, or
// fewer free bytes than bytesNeeded. fallback describes what is left (Qt's own text).
tWriteFailure DescribeWriteFailure(const QString& path, int systemError, int64_t bytesNeeded,
                                   const QString& fallback);
