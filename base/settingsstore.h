#pragma once
#include <QString>

#include <functional>

// The per-user settings store: named text values under the application "Orvalent", in the
// section "Scrivelle" and its subsections ("Scrivelle\SAMI" ...). Keys and section names are
// compared without regard to case. Any text round-trips exactly (blanks, "=", ";", line breaks,
// any Unicode). The store is one UTF-8 text file, $XDG_CONFIG_HOME/Orvalent/Scrivelle.conf,
// rewritten atomically on every change so a crash mid-write never loses the old settings.
// Reading accepts CR LF, LF or CR line ends and takes a file that is not UTF-8 as Latin-1; a
// file that does not read back cleanly is copied to "Scrivelle.conf.bak" (or .bak1 ...) before
// the first write replaces it. Several running copies may share the file: each change is made
// under a lock file beside it ("Scrivelle.conf.lock"), on the file as it is at that moment, so no
// copy's change is lost to another's.

inline const QString kMainSection = QStringLiteral("Scrivelle");

// The subsection of one format's header settings: "Scrivelle\" + id.
QString FormatSection(const QString& formatId);

// Reads a value; the default when the key is absent or the store cannot be read.
QString GetSetting(const QString& section, const QString& key, const QString& def = QString());
// Writes a value; false when the store cannot be written (the old file stays as it was), also
// when another copy of the program holds the store's lock for longer than StoreLockWaitMs().
bool SaveSetting(const QString& section, const QString& key, const QString& value);
// Removes a value; true when the store is as asked afterwards.
bool DeleteSetting(const QString& section, const QString& key);

// Why the last write failed (empty after a write that succeeded).
QString SettingsWriteError();
// Called with the reason when a write fails, once until a write succeeds again, so that a run of
// failing writes (OK in the settings dialog writes some fifty keys) is told once.
void SetSettingsWriteFailureHandler(std::function<void(const QString&)> handler);

// The main section, which nearly every caller uses.
QString ReadSetting(const QString& key, const QString& def = QString());
bool WriteSetting(const QString& key, const QString& value);
bool WriteSetting(const QString& key, int value);
// Booleans as "255" / "0".
bool WriteSettingBool(const QString& key, bool value);

// While one lives, the store is taken as it was when the first read in its scope looked at
// the file: a run of reads (loading every setting at start-up) checks the file once instead of
// once per value. Nests; the store's own writes keep the cache right meanwhile.
class SettingsReadBatch {
public:
    SettingsReadBatch();
    ~SettingsReadBatch();
    SettingsReadBatch(const SettingsReadBatch&) = delete;
    SettingsReadBatch& operator=(const SettingsReadBatch&) = delete;
};

// The path of the store file; empty when no folder for it can be found (no home folder).
QString SettingsFilePath();
// What the user is told then.
inline const QString kNoSettingsFolder =
    QStringLiteral("No folder for the settings can be used: the home folder is not known (HOME is not set "
                   "and the user database has no entry for this user). Settings will not be kept.");

// True when the last read of the store file failed (it exists but could not be read or parsed).
bool SettingsStoreReadFailed();

// Text form of the store (exposed for tests of the escaping).
QString EscapeStoreText(const QString& text, bool isKey);
QString UnescapeStoreText(QStringView text);
