#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// Foreign keys (the subtitle filter's, the video tool's) addressed by one path text such as
// "HKEY_CURRENT_USER\Software\MPC-HC\vsfilter\General" or "HKCU\Software\...".
//
// There is no system registry here: the keys live in a small file-backed tree,
// $XDG_CONFIG_HOME/Orvalent/registry.conf, written in the familiar .reg text layout:
//
//   [HKCU\Software\Tovrin\VSFilter\General]
//   "Hide"=dword:00000001
//   "Data"=hex:01,02
//   "Name"="text"
//
// Key and value names are compared without case, as on the system the keys come from. Every
// call reads the file afresh and every change rewrites it atomically. A file that cannot be
// read or parsed is never written over (that would wipe every key it holds): while it is
// damaged, reads give their defaults, writes fail, and the user is told once. Files the system's
// editor exports read too: its newer header, UTF-16, values of any type ("hex(7):" ...) over
// several lines, and the key of a hive alone ("[HKEY_CURRENT_USER]"). The writer never leaves a file the
// reader would refuse: a name it cannot hold (a line break in a key's name) fails that write instead. Running
// copies of the program make their changes in turn, under a lock file beside it.
class clsRegistryAccess {
public:
    // Hive handles of the system the keys come from; 0 for an unknown hive.
    enum Hive : uint32_t {
        HiveUnknown = 0,
        HiveClassesRoot = 0x80000000u,
        HiveCurrentUser = 0x80000001u,
        HiveLocalMachine = 0x80000002u,
        HiveUsers = 0x80000003u,
        HivePerformanceData = 0x80000004u,
        HiveCurrentConfig = 0x80000005u,
        HiveDynData = 0x80000006u,
    };

    // Whether the write members create a missing key (true from creation).
    bool CreateKeyIfDoesntExists = true;

    // True when the key exists; a path naming only a known hive exists.
    bool KeyExists(const QString& path);
    // The first four bytes of the value as a little-endian number, whatever its stored type
    // (a shorter value gives the bytes it has); def when the key or value is absent.
    int32_t ReadDWORD(const QString& path, const QString& name, int32_t def);
    // Sets the value as a 32-bit number, creating the key when allowed. True when written.
    bool WriteDWORD(const QString& path, const QString& name, int32_t value);

    bool CreateKey(const QString& path);
    bool ValueExists(const QString& path, const QString& name);
    bool KillValue(const QString& path, const QString& name);

    // The hive handle and subkey a path addresses (exposed for tests of the path rule).
    struct ParsedPath {
        uint32_t hive = HiveUnknown;
        QString subkey; // without leading or trailing "\"; empty for the hive itself
    };
    static ParsedPath ParsePath(const QString& path);

    // The backing file.
    static QString FilePath();
};

// The one shared instance.
extern clsRegistryAccess gReg;

// Called with the reason, in words for the user, when the file exists but cannot be read or
// parsed; once, until it reads again.
void SetRegistryRefusedHandler(std::function<void(const QString&)> handler);
