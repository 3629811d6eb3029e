#include "base/toolbox.h"

#include "base/clock.h"
#include "base/filenames.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimer>

const QString kProductWebPage = QStringLiteral("http://www.orvalent.com/scrivelle/");

bool FileExists(const QString& path) {
    return FileNameExists(path);
}

QString RemoveExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash) return path;
    return path.left(dot);
}

QString GetFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString GetShortPath(const QString& path) {
    return path;
}

QString ShortFolderPath(const QString& path) {
    if (path.isEmpty()) return QString();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return path;
    return GetShortPath(path.left(slash + 1)) + path.mid(slash + 1);
}

QString ShortenPath(const QString& path) {
    if (path.size() < 33 || !path.contains(QLatin1Char('/'))) return path;
    const qsizetype f = path.indexOf(QLatin1Char('/'));
    // The last separator, searched from the second-to-last character, so a trailing "/" is kept.
    const qsizetype l = path.lastIndexOf(QLatin1Char('/'), path.size() - 2);
    if (f == l || l < 0) return path;
    return path.left(f + 1) + QStringLiteral("...") + path.mid(l);
}

namespace {

struct IniFile {
    QDateTime mtime;
    qint64 size = -1;
    // lower-case section -> lower-case key -> value
    QHash<QString, QHash<QString, QString>> sections;
};

QHash<QString, IniFile>& IniCache() {
    static QHash<QString, IniFile> cache;
    return cache;
}

void ResetIniCache() {
    IniCache().clear();
}
SCRIVELLE_REGISTER_RESET(ResetIniCache);

QString Unquote(QString v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

const IniFile* LoadIni(const QString& path) {
    const QFileInfo fi(path);
    if (!fi.isFile()) return nullptr;
    auto& cache = IniCache();
    auto it = cache.find(path);
    if (it != cache.end() && it->mtime == fi.lastModified() && it->size == fi.size()) return &*it;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    IniFile ini;
    ini.mtime = fi.lastModified();
    ini.size = fi.size();
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    QHash<QString, QString>* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toString().toLower();
            current = &ini.sections[name]; // a repeated section adds to the first
            continue;
        }
        if (!current) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        const QString key = line.left(eq).trimmed().toString().toLower();
        if (!current->contains(key)) current->insert(key, Unquote(line.mid(eq + 1).trimmed().toString()));
    }
    return &*cache.insert(path, std::move(ini));
}

} // namespace

QString ReadIni(const QString& section, const QString& key, const QString& def, const QString& file) {
    const IniFile* ini = LoadIni(file.isEmpty() ? gFormatFile : file);
    if (!ini) return def;
    const auto s = ini->sections.constFind(section.trimmed().toLower());
    if (s == ini->sections.cend()) return def;
    const auto v = s->constFind(key.trimmed().toLower());
    return v == s->cend() ? def : *v;
}

void ClearIniCache() {
    IniCache().clear();
}

void ShellOpen(const QString& target) {
    Shell().Open(target);
}

void OpenWebsite() {
    ShellOpen(kProductWebPage);
}

void OpenRegionalSettings() {}

void Wait(int milliseconds) {
    if (milliseconds <= 0) return;
    const qint64 end = ClockMs() + milliseconds;
    // Sleeps until an event or the deadline comes, so the processor stays free and handlers
    // still run. Not a local event loop: once the program is quitting such a loop returns at
    // once, and the wait would spin with no event running. The timer is started again if it
    // fires before the clock has reached the deadline.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    for (qint64 left = milliseconds; left > 0; left = end - ClockMs()) {
        if (!deadline.isActive()) deadline.start(int(left));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}
