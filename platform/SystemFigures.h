#pragma once
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Version names of the system the program was first written for, by its version record
// (platform id, major, minor). An unknown platform gives empty text.
QString GetWindowsVersion(int platformId, int major, int minor);
// The running system's own name for display ("Debian GNU/Linux 12 (bookworm), Linux 6.1.0").
QString GetWindowsVersion();

// Memory figures of the machine and of this process, read from /proc.
//   kind 0: physical memory (MemTotal, MemAvailable)
//   kind 1: the commit limit, which plays the page file's part (CommitLimit, CommitLimit - Committed_AS)
//   kind 2: this process's address space (the user address space, less VmSize)
class clsMemoryStatus {
public:
    // The source gives the text of /proc/meminfo followed by that of /proc/self/status; tests
    // hand in their own text. Creating the object refreshes it once.
    using Source = std::function<QString()>;
    explicit clsMemoryStatus(Source source = {});

    // Bytes available at the last refresh; empty for an unknown kind.
    std::optional<uint64_t> Available(int kind) const;
    // Available at the last refresh minus available at the one before; empty before a second
    // refresh or for an unknown kind.
    std::optional<int64_t> Change(int kind) const;
    // Percent of physical memory in use at the last refresh.
    uint32_t Load() const;
    std::optional<uint64_t> Total(int kind) const;
    // Keeps the current figures as the previous ones and reads new ones; false (and the old
    // figures kept) when the source gives nothing usable.
    bool Refresh();

    static QString FormatBytes(double value, bool showExact = false);

private:
    struct Record {
        uint32_t load = 0;
        uint64_t total[3] = {0, 0, 0};
        uint64_t avail[3] = {0, 0, 0};
    };
    static std::optional<Record> Parse(const QString& text);
    Source mSource;
    Record mCurrent;
    Record mPrevious;
};
