#include "base/settingsstore.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/processstate.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

struct Entry {
    QString key;
    QString value;
};
struct Section {
    QString name; // "Orvalent\Scrivelle" ...
    QList<Entry> entries;
};

struct Store {
    QString path;    // file the cache was read from
    QDateTime mtime; // and its state then, to notice another instance's writes
    qint64 size = -1;
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

void ResetStore() {
    TheStore() = Store();
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

// Brings the cache up to date with the file: on first use, when the store moved (tests point
// XDG_CONFIG_HOME elsewhere), or when another instance of the program wrote it. Within a
// SettingsReadBatch only the first call looks.
void Refresh() {
    Store& st = TheStore();
    if (gBatchDepth > 0) {
        if (gBatchChecked && st.loaded) return;
        gBatchChecked = true;
    }
    const QString path = SettingsFilePath();
    const QFileInfo fi(path);
    const QDateTime mtime = fi.exists() ? fi.lastModified() : QDateTime();
    const qint64 size = fi.exists() ? fi.size() : -1;
    if (st.loaded && st.path == path && st.mtime == mtime && st.size == size) return;
    st.path = path;
    st.mtime = mtime;
    st.size = size;
    st.loaded = true;
    st.readFailed = false;
    st.unclean = false;
    st.sections.clear();
    if (!fi.exists()) return;
    QFile f(path);
    if (!fi.isFile() || !f.open(QIODevice::ReadOnly)) {
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
    const QFileInfo fi(path);
    st.mtime = fi.lastModified();
    st.size = fi.size();
    return true;
}

} // namespace

QString EscapeStoreText(const QString& text, bool isKey) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
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
    return ConfigHome() + QLatin1Char('/') + kMakerName + QLatin1Char('/') + kAppKey + QLatin1String(".conf");
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
    Refresh();
    Store& st = TheStore();
    // Never overwrite a store we could not read: that would throw away every setting in it.
    if (st.readFailed) return false;
    const QString full = FullSection(section);
    Section* s = FindSection(st, full);
    if (!s) {
        st.sections.append(Section{full, {}});
        s = &st.sections.last();
    }
    if (Entry* e = FindEntry(s, key)) {
        if (e->value == value && QFileInfo::exists(st.path)) return true;
        e->value = value;
    } else {
        s->entries.append(Entry{key, value});
    }
    if (WriteOut(st)) return true;
    st.loaded = false; // reread on next access, so the cache never claims what the file lacks
    return false;
}

bool DeleteSetting(const QString& section, const QString& key) {
    Refresh();
    Store& st = TheStore();
    if (st.readFailed) return false;
    Section* s = FindSection(st, FullSection(section));
    if (!s) return true;
    const auto removed =
        s->entries.removeIf([&](const Entry& e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
    if (removed == 0) return true;
    if (WriteOut(st)) return true;
    st.loaded = false;
    return false;
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
