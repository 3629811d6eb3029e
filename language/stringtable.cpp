#include "language/stringtable.h"

#include "base/processstate.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtGlobal>

// The resources live in a static library: referencing their initialiser keeps the linker from
// dropping them. Q_INIT_RESOURCE must be used outside any namespace.
static void InitStringResources() {
    Q_INIT_RESOURCE(langstrings);
}

namespace {

const QString kResourceFolder = QStringLiteral(":/strings");

// Blocks are read when an id of theirs is first asked for: a session needs English (the
// fall-back and the language rows) and the one language the user chose, not all 26 files.
struct Table {
    QSet<int> loadedBlocks;
    QHash<int, QString> texts;
};

Table& TheTable() {
    static Table t;
    return t;
}

QString Unescape(QStringView text) {
    // Most texts have no escape at all.
    if (!text.contains(u'\\')) return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text[i + 1];
            if (n == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
            if (n == u't') {
                out += u'\t';
                ++i;
                continue;
            }
            if (n == u'\\') {
                out += u'\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// The block number a file name starts with ("block07_portuguese.txt" gives 7), or -1. Read
// by hand: it runs before the first window shows, where compiling a pattern costs more than
// the whole look.
int BlockOfFile(QStringView name) {
    if (name.size() < 8 || !name.startsWith(u"block") || name[7] != u'_') return -1;
    const char16_t tens = name[5].unicode(), units = name[6].unicode();
    if (tens < u'0' || tens > u'9' || units < u'0' || units > u'9') return -1;
    return (tens - u'0') * 10 + (units - u'0');
}

void LoadBlock(Table& t, int block) {
    t.loadedBlocks.insert(block);
    InitStringResources();
    for (const QString& name : StringTableFiles()) {
        if (BlockOfFile(name) != block) continue;
        QFile f(kResourceFolder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::ReadOnly)) {
            qWarning("string table: cannot read %s", qPrintable(name));
            continue;
        }
        const StringFile parsed = ParseStringFile(f.readAll());
        for (const QString& e : parsed.errors)
            qWarning("string table %s: %s", qPrintable(name), qPrintable(e));
        for (auto it = parsed.texts.cbegin(); it != parsed.texts.cend(); ++it) {
            // A file speaks for its own block only; a stray id would shadow another language.
            if (it.key() / 1000 != block)
                qWarning("string table %s: id %d is not of block %d", qPrintable(name), it.key(), block);
            else if (t.texts.contains(it.key()))
                qWarning("string table %s: id %d is also in another file", qPrintable(name), it.key());
            else
                t.texts.insert(it.key(), it.value());
        }
    }
}

Table& TableWithBlock(int block) {
    Table& t = TheTable();
    if (!t.loadedBlocks.contains(block)) LoadBlock(t, block);
    return t;
}

void ResetStringTable() {
    // Drops made-up blocks; the compiled-in table is read again on the next look-up.
    TheTable().loadedBlocks.clear();
    TheTable().texts.clear();
}
SCRIVELLE_REGISTER_RESET(ResetStringTable);

} // namespace

StringFile ParseStringFile(const QByteArray& utf8) {
    StringFile result;
    const QString all = QString::fromUtf8(utf8);
    const QStringList lines = all.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const qsizetype tab = line.indexOf(u'\t');
        const auto where = [n] { return QStringLiteral("line %1: ").arg(n + 1); };
        if (tab < 0) {
            result.errors << where() + QStringLiteral("no tab");
            continue;
        }
        const QStringView idText = line.left(tab);
        bool ok = !idText.isEmpty() && idText.size() <= 9;
        for (QChar c : idText)
            ok = ok && c >= u'0' && c <= u'9';
        const int id = ok ? idText.toInt() : -1;
        if (!ok) {
            result.errors << where() + QStringLiteral("the id is not a number");
            continue;
        }
        if (result.texts.contains(id)) {
            result.errors << where() + QStringLiteral("id %1 is listed twice").arg(id);
            continue;
        }
        result.texts.insert(id, Unescape(line.mid(tab + 1)));
    }
    return result;
}

QStringList StringTableFiles() {
    // The files are compiled in: their list never changes while the program runs.
    static const QStringList files = [] {
        InitStringResources();
        return QDir(kResourceFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    }();
    return files;
}

std::optional<QString> LoadResString(int id) {
    if (id < 0) return std::nullopt;
    const Table& t = TableWithBlock(id / 1000);
    const auto it = t.texts.constFind(id);
    if (it == t.texts.cend()) return std::nullopt;
    return *it;
}

void ReplaceStringTableBlock(int block, const QHash<int, QString>& texts) {
    Table& t = TableWithBlock(block);
    const int first = block * 1000;
    for (auto it = t.texts.begin(); it != t.texts.end();) {
        if (it.key() >= first && it.key() < first + 1000)
            it = t.texts.erase(it);
        else
            ++it;
    }
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (it.key() >= first && it.key() < first + 1000) t.texts.insert(it.key(), it.value());
}
