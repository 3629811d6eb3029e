#include "language/translationfiles.h"

#include "base/appinfo.h"
#include "base/paths.h"
#include "language/lang.h"
#include "language/stringtable.h"

#include <QSaveFile>

namespace {

// Header texts of the string table (English block only).
constexpr int kCompletionHeaderFirst = 660;  // 660..669
constexpr int kNewLanguageHeaderFirst = 670; // 670..679
constexpr int kHeaderLines = 10;

QString VersionDigits(const TranslationVersion& v) {
    return QStringLiteral("%1%2%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString VersionText(const TranslationVersion& v) {
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString Text(int id) {
    return LoadResString(id).value_or(QString());
}

// Every line break of the file is CR LF, also those inside a text that spans lines.
QByteArray ToFileBytes(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toUtf8();
}

// The header's first lines: the title with the version, then the texts as they stand.
QString Header(int firstId, int lines, const TranslationVersion& version) {
    QString out = Text(firstId).replace(QStringLiteral("%VER"), VersionText(version)) + u'\n';
    for (int id = firstId + 1; id < firstId + lines; ++id)
        out += Text(id) + u'\n';
    return out;
}

QString WriteScratchFile(const QString& name, const QByteArray& bytes) {
    if (name.isEmpty() || gTempDir.isEmpty()) return QString();
    const QString path = gTempDir + name;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return QString();
    }
    return file.commit() ? path : QString();
}

} // namespace

TranslationVersion RunningVersion() {
    return {kVersionMajor, kVersionMinor, kVersionRevision};
}

QString CompletionFileName(int row, const TranslationVersion& version) {
    if (row < 0 || row >= kLangRows) return QString();
    // The table's own key, not the stored setting: a hand-edited "Language" must not pick the
    // folder the file lands in.
    QString key = gLangInfo[size_t(row)][kLangKey].toLower();
    if (key.isEmpty()) return QString();
    for (QChar& c : key)
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_')) c = u'_';
    return QStringLiteral("zrv_") + VersionDigits(version) + u'_' + key + QStringLiteral(".txt");
}

QString NewLanguageFileName(const TranslationVersion& version) {
    return QStringLiteral("zrv_") + VersionDigits(version) + QStringLiteral("_english.txt");
}

QByteArray CompletionFileText(int row, const TranslationVersion& version) {
    if (row < 0 || row >= kLangRows) return QByteArray();
    QString out = Header(kCompletionHeaderFirst, kHeaderLines - 1, version);
    out += Text(kCompletionHeaderFirst + kHeaderLines - 1) + gLangInfo[size_t(row)][kLangKey] + u'\n' + u'\n';
    // Text 0 is left out: a translation that lacks only it needs nothing from the translator.
    for (int k = 1; k < kLangTextCount; ++k) {
        const int id = row * 1000 + k;
        if (LoadResString(id)) continue;
        // A text the block lacks is shown in English.
        out += QString::number(id) + QStringLiteral(", \"") + Text(k) + QStringLiteral("\"\n");
    }
    return ToFileBytes(out);
}

QByteArray NewLanguageFileText(const TranslationVersion& version) {
    QString out = Header(kNewLanguageHeaderFirst, kHeaderLines, version);
    out += u'\n';
    for (int k = 1; k < kLangTextCount; ++k)
        out += QStringLiteral("##%1, \"").arg(k, 3, 10, QLatin1Char('0')) + Text(k) + QStringLiteral("\"\n");
    return ToFileBytes(out);
}

QString CreateCompletionFile() {
    const TranslationVersion version = RunningVersion();
    return WriteScratchFile(CompletionFileName(gLangIndex, version), CompletionFileText(gLangIndex, version));
}

QString CreateNewLanguageFile() {
    const TranslationVersion version = RunningVersion();
    return WriteScratchFile(NewLanguageFileName(version), NewLanguageFileText(version));
}
