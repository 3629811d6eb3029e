#include "platform/RegistryAccess.h"

#include "base/paths.h"
#include "base/processstate.h"
#include "base/storelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <functional>

#include <optional>

namespace {

struct HiveName {
    const char* longName;
    const char* shortName;
    uint32_t handle;
};

constexpr HiveName kHives[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", clsRegistryAccess::HiveClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", clsRegistryAccess::HiveCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", clsRegistryAccess::HiveLocalMachine},
    {"HKEY_USERS", "HKUS", clsRegistryAccess::HiveUsers},
    {"HKEY_PERFORMANCE_DATA", "HKPD", clsRegistryAccess::HivePerformanceData},
    {"HKEY_CURRENT_CONFIG", "HKCC", clsRegistryAccess::HiveCurrentConfig},
    {"HKEY_DYN_DATA", "HKDD", clsRegistryAccess::HiveDynData},
};

QString HiveShortName(uint32_t handle) {
    for (const HiveName& h : kHives)
        if (h.handle == handle) return QString::fromLatin1(h.shortName);
    return QString();
}

struct Value {
    enum Type { Dword, Binary, String } type = Dword;
    QString name; // "@" is the key's default value
    QByteArray bytes;
    QString text;
    int binaryType = 3; // of a Binary value: the system's value type, "hex(2):" ... ("hex:" is 3)
};

struct Key {
    uint32_t hive = 0;
    QString subkey;
    QList<Value> values;
};

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString EscapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'"')
            out += QStringLiteral("\\\"");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// Reads a quoted text starting at pos (on the opening quote); returns the position after the
// closing quote, or -1 when it is not a well-formed quoted text.
qsizetype ReadQuoted(const QString& line, qsizetype pos, QString& out) {
    if (pos >= line.size() || line[pos] != u'"') return -1;
    out.clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"') return i + 1;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= line.size()) return -1;
        const QChar e = line[i];
        if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u'\\' || e == u'"')
            out += e;
        else
            return -1;
    }
    return -1;
}

bool operator==(const Value& a, const Value& b) {
    return a.type == b.type && a.name == b.name && a.bytes == b.bytes && a.text == b.text &&
           a.binaryType == b.binaryType;
}
bool operator==(const Key& a, const Key& b) {
    return a.hive == b.hive && a.subkey == b.subkey && a.values == b.values;
}

// A key path without trimming: the hive (its long name replaced by its short one, blanks around
// it ignored) and the subkey as it is, without "\" at its ends.
clsRegistryAccess::ParsedPath ParseRawPath(QString p) {
    // Only a leading long hive name stands for the hive; the same words further on belong to
    // the subkey's own names.
    const qsizetype leadEnd = p.indexOf(u'\\');
    const QString lead = p.left(leadEnd).trimmed(); // all of p when it has no "\"
    for (const HiveName& h : kHives) {
        if (lead.compare(QLatin1String(h.longName), Qt::CaseInsensitive) == 0) {
            p = QString::fromLatin1(h.shortName) + (leadEnd < 0 ? QString() : p.mid(leadEnd));
            break;
        }
    }
    clsRegistryAccess::ParsedPath result;
    const qsizetype slash = p.indexOf(u'\\');
    const QString hive = (slash < 0 ? p : p.left(slash)).trimmed().toUpper();
    for (const HiveName& h : kHives)
        if (hive == QLatin1String(h.shortName)) result.hive = h.handle;
    if (slash >= 0) {
        QString sub = p.mid(slash + 1);
        while (sub.endsWith(u'\\'))
            sub.chop(1);
        while (sub.startsWith(u'\\'))
            sub.remove(0, 1);
        result.subkey = sub;
    }
    return result;
}

// The whole tree, or nothing when the file exists but cannot be read or parsed.
struct Tree {
    QList<Key> keys;

    Key* Find(uint32_t hive, const QString& subkey) {
        for (Key& k : keys)
            if (k.hive == hive && SameName(k.subkey, subkey)) return &k;
        return nullptr;
    }
    bool Exists(uint32_t hive, const QString& subkey) {
        if (hive == 0) return false;
        if (subkey.isEmpty()) return true;
        const QString prefix = subkey + u'\\';
        for (const Key& k : keys)
            if (k.hive == hive &&
                (SameName(k.subkey, subkey) || k.subkey.startsWith(prefix, Qt::CaseInsensitive)))
                return true;
        return false;
    }
    Key& Create(uint32_t hive, const QString& subkey) {
        if (Key* k = Find(hive, subkey)) return *k;
        keys.append(Key{hive, subkey, {}});
        return keys.last();
    }
};

// Why a file was refused: the number and text of the first line the reader cannot take.
struct ParseError {
    int line = 0;
    QString text;
};

bool IsHeader(const QString& line) {
    // Our own files and older exports say REGEDIT4; the system's editor writes the newer header
    // (its files are UTF-16, which the decoding below takes care of).
    return line == QLatin1String("REGEDIT4") ||
           line.compare(QLatin1String("Windows Registry Editor Version 5.00"), Qt::CaseInsensitive) == 0;
}

// Reads a value's data after "=" into v; false when it is not one the file layout knows.
bool ParseData(const QString& data, Value& v) {
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        bool ok = false;
        const QString digits = data.mid(6);
        const uint32_t n = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8) return false;
        v.type = Value::Dword;
        for (int i = 0; i < 4; ++i)
            v.bytes.append(char((n >> (8 * i)) & 0xFF));
        return true;
    }
    // "hex:" or, for the other value types an export holds, "hex(7):" and the like.
    static const QRegularExpression hex(QStringLiteral("^hex(?:\\(([0-9a-fA-F]{1,8})\\))?:(.*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = hex.match(data);
    if (m.hasMatch()) {
        v.type = Value::Binary;
        bool ok = true;
        if (m.hasCaptured(1)) v.binaryType = int(m.captured(1).toUInt(&ok, 16));
        if (!ok) return false;
        const QString list = m.captured(2).trimmed();
        if (!list.isEmpty()) {
            for (const QString& part : list.split(u',')) {
                const uint b = part.trimmed().toUInt(&ok, 16);
                if (!ok || b > 0xFF) return false;
                v.bytes.append(char(b));
            }
        }
        return true;
    }
    v.type = Value::String;
    return ReadQuoted(data, 0, v.text) == data.size();
}

std::optional<Tree> ParseTree(const QString& content, ParseError* error = nullptr) {
    Tree tree;
    Key* current = nullptr;
    const QStringList lines = content.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    const auto refuse = [&](int index, const QString& text) -> std::optional<Tree> {
        if (error) *error = {index + 1, text};
        return std::nullopt;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const int first = i;
        QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';') || IsHeader(line)) continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']')) return refuse(first, line);
            // The name between the brackets is taken as it stands: blanks at its ends are part
            // of a key's name, as the writer wrote it. A name of a hive alone (an export of a
            // whole hive starts so) is the hive's own key.
            const auto parsed = ParseRawPath(line.mid(1, line.size() - 2));
            if (parsed.hive == 0) return refuse(first, line);
            current = &tree.Create(parsed.hive, parsed.subkey);
            continue;
        }
        // Long binary values go on over several lines, each but the last ending in "\".
        while (line.endsWith(u'\\') && i + 1 < lines.size()) {
            line.chop(1);
            line += lines[++i].trimmed();
        }
        if (!current) return refuse(first, line);
        Value v;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            v.name = QStringLiteral("@");
            pos = 1;
        } else {
            pos = ReadQuoted(line, 0, v.name);
            if (pos < 0) return refuse(first, line);
        }
        if (pos >= line.size() || line[pos] != u'=' || !ParseData(line.mid(pos + 1), v))
            return refuse(first, line);
        current->values.append(v);
    }
    // A name given twice in a key: the later value counts, as when the lines are imported.
    for (Key& k : tree.keys) {
        QSet<QString> seen;
        QList<Value> kept;
        for (auto it = k.values.crbegin(); it != k.values.crend(); ++it) {
            const QString folded = it->name.toCaseFolded();
            if (seen.contains(folded)) continue;
            seen.insert(folded);
            kept.append(*it);
        }
        std::reverse(kept.begin(), kept.end());
        k.values = kept;
    }
    return tree;
}

std::function<void(const QString&)> gRefusedHandler;
bool gRefusalTold = false;

// The file could not be taken: told once, until it reads again. Its keys are not lost (the file
// is never written over meanwhile), but the program works without them.
std::nullopt_t Refused(const QString& why) {
    if (!gRefusalTold && gRefusedHandler) {
        gRefusalTold = true;
        gRefusedHandler(QStringLiteral("The file %1 cannot be read: %2\n\nUntil it is mended or removed, the "
                                       "program neither reads nor changes the keys it holds.")
                            .arg(clsRegistryAccess::FilePath(), why));
    }
    return std::nullopt;
}

// The file's text: UTF-8, or UTF-16 or UTF-8 after a byte-order mark (the system's editor saves
// UTF-16). Nothing when the bytes are not text in that encoding.
std::optional<QString> DecodeFile(const QByteArray& bytes) {
    const auto marked = QStringConverter::encodingForData(bytes);
    const QStringConverter::Encoding encoding = marked.value_or(QStringConverter::Utf8);
    if (encoding != QStringConverter::Utf8 && encoding != QStringConverter::Utf16LE &&
        encoding != QStringConverter::Utf16BE)
        return std::nullopt;
    QStringDecoder decoder(encoding);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// A missing file is an empty tree; an unreadable or unparsable one is nothing (and said), and so
// is the store when there is no folder for it.
std::optional<Tree> LoadTree() {
    const QString path = clsRegistryAccess::FilePath();
    if (path.isEmpty()) return std::nullopt;
    QFile file(path);
    if (!file.exists()) {
        gRefusalTold = false;
        return Tree{};
    }
    if (!file.open(QIODevice::ReadOnly)) return Refused(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return Refused(file.errorString());
    const auto text = DecodeFile(bytes);
    if (!text) return Refused(QStringLiteral("it is not UTF-8 or UTF-16 text."));
    ParseError error;
    auto tree = ParseTree(*text, &error);
    if (!tree)
        return Refused(QStringLiteral("line %1 is not a key or a value (%2).")
                           .arg(QString::number(error.line), error.text));
    gRefusalTold = false;
    return tree;
}

QString TreeText(const Tree& tree) {
    QString out = QStringLiteral("REGEDIT4\n; Keys of other programs, kept for Quenlark Scrivelle.\n");
    for (const Key& k : tree.keys) {
        const QString name = HiveShortName(k.hive) + (k.subkey.isEmpty() ? QString() : u'\\' + k.subkey);
        out += QStringLiteral("\n[") + name + QStringLiteral("]\n");
        for (const Value& v : k.values) {
            out += v.name == QLatin1String("@") ? QStringLiteral("@") : u'"' + EscapeText(v.name) + u'"';
            out += u'=';
            if (v.type == Value::Dword && v.bytes.size() == 4) {
                uint32_t n = 0;
                for (int i = 0; i < 4; ++i)
                    n |= uint32_t(uint8_t(v.bytes[i])) << (8 * i);
                out += QStringLiteral("dword:%1").arg(n, 8, 16, QLatin1Char('0'));
            } else if (v.type == Value::String) {
                out += u'"' + EscapeText(v.text) + u'"';
            } else {
                QStringList hex;
                for (char b : v.bytes)
                    hex << QStringLiteral("%1").arg(uint8_t(b), 2, 16, QLatin1Char('0'));
                out += (v.binaryType == 3 ? QStringLiteral("hex:")
                                          : QStringLiteral("hex(%1):").arg(v.binaryType, 0, 16)) +
                       hex.join(u',');
            }
            out += u'\n';
        }
    }
    return out;
}

// Writes the tree, but only a file that reads back as this very tree: a name the file cannot
// hold (a line break in a key's name, text that is no Unicode) fails the write, rather than
// leaving a file that every later read would refuse.
bool SaveTree(const Tree& tree) {
    const QByteArray bytes = TreeText(tree).toUtf8();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const auto reread = ParseTree(utf8.decode(bytes));
    if (utf8.hasError() || !reread || reread->keys != tree.keys) return false;
    const QString path = clsRegistryAccess::FilePath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// One change of the file, made on the file as it is, while no other copy of the program changes
// it: edit() changes the tree and returns false when the change fails (nothing is written); it
// sets unchanged when the tree is already as asked, which succeeds without a write.
template <typename Edit> bool ChangeTree(Edit&& edit) {
    const QString path = clsRegistryAccess::FilePath();
    if (path.isEmpty()) return false;
    const StoreLock lock(path);
    if (!lock.Locked()) return false;
    auto tree = LoadTree();
    if (!tree) return false;
    bool unchanged = false;
    if (!edit(*tree, unchanged)) return false;
    return unchanged || SaveTree(*tree);
}

} // namespace

QString clsRegistryAccess::FilePath() {
    const QString home = ConfigHome();
    return home.isEmpty() ? QString() : home + QStringLiteral("/Orvalent/registry.conf");
}

clsRegistryAccess::ParsedPath clsRegistryAccess::ParsePath(const QString& path) {
    return ParseRawPath(path.trimmed());
}

bool clsRegistryAccess::KeyExists(const QString& path) {
    const ParsedPath p = ParsePath(path);
    auto tree = LoadTree();
    return tree && tree->Exists(p.hive, p.subkey);
}

int32_t clsRegistryAccess::ReadDWORD(const QString& path, const QString& name, int32_t def) {
    const ParsedPath p = ParsePath(path);
    auto tree = LoadTree();
    if (!tree) return def;
    Key* key = tree->Find(p.hive, p.subkey);
    if (!key) return def;
    for (const Value& v : key->values) {
        if (!SameName(v.name, name)) continue;
        const QByteArray bytes = v.type == Value::String ? v.text.toLatin1() : v.bytes;
        uint32_t n = 0;
        for (int i = 0; i < 4 && i < bytes.size(); ++i)
            n |= uint32_t(uint8_t(bytes[i])) << (8 * i);
        return int32_t(n);
    }
    return def;
}

bool clsRegistryAccess::WriteDWORD(const QString& path, const QString& name, int32_t value) {
    const ParsedPath p = ParsePath(path);
    if (p.hive == 0 || p.subkey.isEmpty()) return false;
    return ChangeTree([&](Tree& tree, bool&) {
        if (!tree.Exists(p.hive, p.subkey) && !CreateKeyIfDoesntExists) return false;
        Key& key = tree.Create(p.hive, p.subkey);
        Value v;
        v.type = Value::Dword;
        v.name = name;
        for (int i = 0; i < 4; ++i)
            v.bytes.append(char((uint32_t(value) >> (8 * i)) & 0xFF));
        auto it = std::find_if(key.values.begin(), key.values.end(),
                               [&](const Value& old) { return SameName(old.name, name); });
        if (it != key.values.end())
            *it = v;
        else
            key.values.append(v);
        return true;
    });
}

bool clsRegistryAccess::CreateKey(const QString& path) {
    const ParsedPath p = ParsePath(path);
    if (p.hive == 0) return false;
    return ChangeTree([&](Tree& tree, bool& unchanged) {
        unchanged = p.subkey.isEmpty() || tree.Find(p.hive, p.subkey);
        if (!unchanged) tree.Create(p.hive, p.subkey);
        return true;
    });
}

bool clsRegistryAccess::ValueExists(const QString& path, const QString& name) {
    const ParsedPath p = ParsePath(path);
    auto tree = LoadTree();
    if (!tree) return false;
    const Key* key = tree->Find(p.hive, p.subkey);
    return key && std::any_of(key->values.begin(), key->values.end(),
                              [&](const Value& v) { return SameName(v.name, name); });
}

bool clsRegistryAccess::KillValue(const QString& path, const QString& name) {
    const ParsedPath p = ParsePath(path);
    return ChangeTree([&](Tree& tree, bool&) {
        Key* key = tree.Find(p.hive, p.subkey);
        if (!key) return false;
        const auto before = key->values.size();
        key->values.erase(std::remove_if(key->values.begin(), key->values.end(),
                                         [&](const Value& v) { return SameName(v.name, name); }),
                          key->values.end());
        return key->values.size() != before;
    });
}

clsRegistryAccess gReg;

void SetRegistryRefusedHandler(std::function<void(const QString&)> handler) {
    gRefusedHandler = std::move(handler);
    gRefusalTold = false;
}

namespace {
void ResetRegistryAccess() {
    gReg = clsRegistryAccess{};
    gRefusedHandler = nullptr;
    gRefusalTold = false;
}
SCRIVELLE_REGISTER_RESET(ResetRegistryAccess);
} // namespace
