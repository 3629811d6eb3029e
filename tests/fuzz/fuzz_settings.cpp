// The settings store over any file. The input is the store file as some editor or an older
// version left it; the target reads values out of it, writes one value of its own (a key and a
// text taken from the input), and reads everything again from the rewritten file: every value
// reads back as before, the new one exactly as written, and a second rewrite changes no byte.
#include "fuzz_support.h"

#include "base/appinfo.h"
#include "base/settingsstore.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

struct Query {
    QString section; // below "Orvalent\"
    QString key;
};

// Sections and keys the file seems to hold, read roughly the way the store reads them; the
// store's answers to these must not change when the file is rewritten (any other question's
// answer could not change either).
std::vector<Query> Queries(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    const QString prefix = kMakerName + QLatin1Char('\\');
    std::vector<Query> out;
    QString section = kMainSection;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        if (out.size() >= 48) break;
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            const QString name = UnescapeStoreText(QStringView(line).mid(1, line.size() - 2));
            section = name.startsWith(prefix, Qt::CaseInsensitive) ? name.mid(prefix.size()) : QString();
            continue;
        }
        qsizetype eq = -1;
        for (qsizetype i = 0; i < line.size() && eq < 0; ++i) {
            if (line[i] == u'\\')
                ++i;
            else if (line[i] == u'=')
                eq = i;
        }
        if (eq < 0) continue;
        const QString key = UnescapeStoreText(QStringView(line).left(eq));
        if (!section.isEmpty()) out.push_back({section, key});
        out.push_back({kMainSection, key});
    }
    return out;
}

const QString kAbsent = QStringLiteral("\x01absent\x02");

std::vector<QString> Answers(const std::vector<Query>& queries) {
    std::vector<QString> out;
    for (const Query& q : queries)
        out.push_back(GetSetting(q.section, q.key, kAbsent));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetProcess();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString folder = QFileInfo(SettingsFilePath()).absolutePath();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    fuzz::WriteFile(SettingsFilePath(), bytes);

    const std::vector<Query> queries = Queries(bytes);
    std::vector<QString> expected = Answers(queries);

    // One value of the program's own: a key from the input's first bytes, the whole input as text.
    const QString value = QString::fromUtf8(bytes);
    QString key = value.left(12);
    // A cut inside a surrogate pair would leave half a character, which no text file holds.
    if (!key.isEmpty() && key.back().isHighSurrogate()) key.chop(1);
    const QString section = kMainSection + QStringLiteral("\\Probe");
    fuzz::Check(SaveSetting(section, key, value), "a value could not be written", SettingsFilePath());
    for (size_t i = 0; i < queries.size(); ++i)
        if (queries[i].section.compare(section, Qt::CaseInsensitive) == 0 &&
            queries[i].key.compare(key, Qt::CaseInsensitive) == 0)
            expected[i] = value;
    const QByteArray written = fuzz::ReadFile(SettingsFilePath());

    // Everything again from the file alone.
    fuzz::ResetProcess();
    fuzz::Check(GetSetting(section, key, kAbsent) == value, "the value written does not read back",
                QString::fromUtf8(written));
    const std::vector<QString> after = Answers(queries);
    for (size_t i = 0; i < queries.size(); ++i)
        fuzz::Check(
            after[i] == expected[i], "a value changed when the store was rewritten",
            QStringLiteral("[%1] %2: \"%3\" became \"%4\"\n%5")
                .arg(queries[i].section, queries[i].key, expected[i], after[i], QString::fromUtf8(written)));

    // A rewrite of what the store wrote gives the same bytes.
    const QString other = QStringLiteral("\u2603 rewrite %1").arg(size);
    fuzz::Check(SaveSetting(section, other, QStringLiteral("1")) && DeleteSetting(section, other),
                "the rewritten store could not be written");
    fuzz::Check(fuzz::ReadFile(SettingsFilePath()) == written, "the store does not write back what it wrote",
                QString::fromUtf8(written) + QStringLiteral("\n---\n") +
                    QString::fromUtf8(fuzz::ReadFile(SettingsFilePath())));
    return 0;
}
