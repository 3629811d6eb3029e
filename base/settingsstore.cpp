#include "base/settingsstore.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/storelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <sys/stat.h>

namespace {

struct Entry {
    QString key;
    QString value;
};
struct Section {
    QString name; // "Orvalent\Scrivelle" ...
    QList<Entry> entries;
};

// What tells one version of the file from another: every write replaces the file (a new
// inode), and a hand edit in place changes its time or size.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const QString& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

struct Store {
    QString path;    // file the cache was read from
    FileStamp stamp; // and its state then, to notice another instance's writes
    bool loaded = false;
    bool readFailed = false;
    // The file did not read back cleanly (not UTF-8, lines that are no section or value):
    // it is kept as a backup before the first write replaces it.
    bool unclean = false;
    QList<Section> sections;
};

Store& TheStore() {
    static Store s;
    return s;
}

// Why the last write failed, and whom to tell (once, until a write succeeds again).
QString gWriteError;
bool gFailureTold = false;
std::function<void(const QString&)> gFailureHandler;

void ResetStore() {
    TheStore() = Store();
    gWriteError.clear();
    gFailureTold = false;
    gFailureHandler = nullptr;
}
SCRIVELLE_REGISTER_RESET(ResetStore);

QString FullSection(const QString& section) {
    QString s = section;
    s.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return kMakerName + QLatin1Char('\\') + s;
}

// Reads the file into the cache; false when it does not read back cleanly: text that is not
// UTF-8 (read as Latin-1, so no byte is lost), NUL bytes, or lines that are neither a section,
// a value inside one, a comment nor empty. CR LF, LF and CR alone all end a line.
bool Parse(Store& st, const QByteArray& bytes) {
    st.sections.clear();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    bool clean = !utf8.hasError() && !bytes.contains('\0');
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            st.sections.append(Section{UnescapeStoreText(line.mid(1, line.size() - 2)), {}});
            current = &st.sections.last();
            continue;
        }
        // The key ends at the first "=" that is not escaped.
        qsizetype eq = -1;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'\\') {
                ++i;
                continue;
            }
            if (line[i] == u'=') {
                eq = i;
                break;
            }
        }
        if (!current || eq < 0) {
            clean = false;
            continue;
        }
        current->entries.append(Entry{UnescapeStoreText(line.left(eq)), UnescapeStoreText(line.mid(eq + 1))});
    }
    return clean;
}

// Keeps a file that did not read back cleanly beside it, under the first free name
// "<name>.bak", "<name>.bak1", ...; false when no copy could be made.
bool KeepBackup(const QString& path) {
    for (int n = 0; n < 100; ++n) {
        const QString backup = path + QLatin1String(".bak") + (n ? QString::number(n) : QString());
        if (QFileInfo::exists(backup)) continue;
        return QFile::copy(path, backup);
    }
    return false;
}

int gBatchDepth = 0;         // SettingsReadBatch objects alive
bool gBatchChecked = false; // the file was looked at since the outermost batch began

// How Refresh looks at the file: within a SettingsReadBatch only once (Batched), each time
// (Now), or reading it again whatever the cache holds (Reread).
enum class Look { Batched, Now, Reread };

// Brings the cache up to date with the file: on first use, when the store moved (tests point
// XDG_CONFIG_HOME elsewhere), or when another instance of the program wrote it. Within a
// SettingsReadBatch only the first call looks. A change rereads the file whatever the cache
// holds: it runs under the store's lock, where the file is the one to change.
void Refresh(Look look = Look::Batched) {
    Store& st = TheStore();
    if (gBatchDepth > 0 && look == Look::Batched) {
        if (gBatchChecked && st.loaded) return;
        gBatchChecked = true;
    }
    const QString path = SettingsFilePath();
    const FileStamp stamp = StampOf(path);
    if (look != Look::Reread && st.loaded && st.path == path && st.stamp == stamp) return;
    st.path = path;
    st.stamp = stamp;
    st.loaded = true;
    st.readFailed = path.isEmpty(); // no folder for the settings: nothing to read or write
    st.unclean = false;
    st.sections.clear();
    if (!stamp.exists) return;
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        st.readFailed = true;
        return;
    }
    st.unclean = !Parse(st, f.readAll());
}

Section* FindSection(Store& st, const QString& full) {
    for (Section& s : st.sections)
        if (s.name.compare(full, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

Entry* FindEntry(Section* s, const QString& key) {
    if (!s) return nullptr;
    for (Entry& e : s->entries)
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) return &e;
    return nullptr;
}

bool WriteOut(Store& st) {
    // What could not be read is never simply overwritten: the file is kept first, or left alone.
    if (st.unclean && QFileInfo::exists(st.path)) {
        if (!KeepBackup(st.path)) return false;
        st.unclean = false;
    }
    QByteArray out = "# " + kProductName.toUtf8() + " settings. Values are escaped: \\\\ \\n \\r \\t \\s.\n";
    for (const Section& s : st.sections) {
        out += '[' + EscapeStoreText(s.name, true).toUtf8() + "]\n";
        for (const Entry& e : s.entries)
            out +=
                EscapeStoreText(e.key, true).toUtf8() + '=' + EscapeStoreText(e.value, false).toUtf8() + '\n';
        out += '\n';
    }
    const QString path = SettingsFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) return false;
    st.stamp = StampOf(path);
    return true;
}

void WriteFailed(const QString& reason) {
    gWriteError = reason;
    if (gFailureTold) return;
    gFailureTold = true;
    if (gFailureHandler) gFailureHandler(reason);
}

// One change of the store: under the lock the file is read again, edit() changes the cache
// (false: nothing to write), and the file is rewritten. False when the change did not reach the
// file; the cache is then read again on next access, so it never claims what the file lacks.
template <typename Edit> bool Change(Edit&& edit) {
    const QString path = SettingsFilePath();
    if (path.isEmpty()) {
        WriteFailed(kNoSettingsFolder);
        return false;
    }
    const StoreLock lock(path);
    Store& st = TheStore();
    if (!lock.Locked()) {
        WriteFailed(lock.Error());
        return false;
    }
    Refresh(Look::Reread);
    // Never overwrite a store we could not read: that would throw away every setting in it.
    if (st.readFailed) {
        WriteFailed(QStringLiteral("The settings file %1 cannot be read.").arg(st.path));
        return false;
    }
    if (edit(st) && !WriteOut(st)) {
        st.loaded = false;
        WriteFailed(QStringLiteral("The settings file %1 cannot be written.").arg(st.path));
        return false;
    }
    gWriteError.clear();
    gFailureTold = false;
    return true;
}

// True when the file holds this value already, whatever another copy of the program wrote last:
// then there is nothing to change, and taking the store's lock would cost a write to disk for
// nothing (the window saves its timing mode each time it is activated). Every save replaces the
// file whole, so it reads whole without the lock.
bool FileHolds(const QString& full, const QString& key, const QString& value) {
    if (SettingsFilePath().isEmpty()) return false;
    // Looked at here even within a read batch: what is written must not rest on an old copy.
    Refresh(Look::Now);
    Store& st = TheStore();
    if (!st.stamp.exists || st.readFailed || st.unclean) return false;
    const Entry* e = FindEntry(FindSection(st, full), key);
    return e && e->value == value;
}

} // namespace

QString EscapeStoreText(const QString& text, bool isKey) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // Half of a surrogate pair alone (a file name's byte that is not UTF-8 is kept so) has
        // no UTF-8 form: it is spelled out as its code.
        const bool pairedHigh = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const bool pairedLow = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
        if (c.isSurrogate() && !pairedHigh && !pairedLow) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            continue;
        }
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        case u'=':
            out += isKey ? QLatin1String("\\=") : QLatin1String("=");
            break;
        case u' ':
            // Blanks at either end are spelled out so that no editor or reader can trim them.
            out += (i == 0 || i == text.size() - 1) ? QLatin1String("\\s") : QLatin1String(" ");
            break;
        case u'[':
        case u']':
        case u'#':
            if (isKey || i == 0) out += QLatin1Char('\\');
            out += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString UnescapeStoreText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        switch (n.unicode()) {
        case u'n':
            out += QLatin1Char('\n');
            break;
        case u'r':
            out += QLatin1Char('\r');
            break;
        case u't':
            out += QLatin1Char('\t');
            break;
        case u's':
            out += QLatin1Char(' ');
            break;
        case u'0':
            out += QChar(0);
            break;
        case u'u': {
            bool ok = false;
            const uint code = i + 4 < text.size() ? text.mid(i + 1, 4).toUInt(&ok, 16) : 0;
            if (ok) {
                out += QChar(char16_t(code));
                i += 4;
            } else {
                out += n;
            }
            break;
        }
        default:
            out += n;
            break;
        }
    }
    return out;
}

SettingsReadBatch::SettingsReadBatch() {
    if (gBatchDepth++ == 0) gBatchChecked = false;
}

SettingsReadBatch::~SettingsReadBatch() {
    --gBatchDepth;
}

QString SettingsFilePath() {
    const QString home = ConfigHome();
    if (home.isEmpty()) return QString();
    return home + QLatin1Char('/') + kMakerName + QLatin1Char('/') + kAppKey + QLatin1String(".conf");
}

bool SettingsStoreReadFailed() {
    Refresh();
    return TheStore().readFailed;
}

QString FormatSection(const QString& formatId) {
    return kMainSection + QLatin1Char('\\') + formatId;
}

QString GetSetting(const QString& section, const QString& key, const QString& def) {
    Refresh();
    Store& st = TheStore();
    if (const Entry* e = FindEntry(FindSection(st, FullSection(section)), key)) return e->value;
    return def;
}

bool SaveSetting(const QString& section, const QString& key, const QString& value) {
    const QString full = FullSection(section);
    if (FileHolds(full, key, value)) return true;
    return Change([&](Store& st) {
        Section* s = FindSection(st, full);
        if (!s) {
            st.sections.append(Section{full, {}});
            s = &st.sections.last();
        }
        if (Entry* e = FindEntry(s, key)) {
            if (e->value == value && st.stamp.exists) return false;
            e->value = value;
        } else {
            s->entries.append(Entry{key, value});
        }
        return true;
    });
}

bool DeleteSetting(const QString& section, const QString& key) {
    const QString full = FullSection(section);
    return Change([&](Store& st) {
        Section* s = FindSection(st, full);
        if (!s) return false;
        return s->entries.removeIf(
                   [&](const Entry& e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; }) > 0;
    });
}

QString SettingsWriteError() {
    return gWriteError;
}

void SetSettingsWriteFailureHandler(std::function<void(const QString&)> handler) {
    gFailureHandler = std::move(handler);
    gFailureTold = false;
}

QString ReadSetting(const QString& key, const QString& def) {
    return GetSetting(kMainSection, key, def);
}
bool WriteSetting(const QString& key, const QString& value) {
    return SaveSetting(kMainSection, key, value);
}
bool WriteSetting(const QString& key, int value) {
    return SaveSetting(kMainSection, key, QString::number(value));
}
bool WriteSettingBool(const QString& key, bool value) {
    return SaveSetting(kMainSection, key, BoolToStored(value));
}
