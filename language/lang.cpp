#include "language/lang.h"

#include "base/numbers.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "language/localeinfo.h"
#include "language/stringtable.h"

#include <QHash>

std::array<QString, kLangTextCount> gLang;
std::array<QString, kLangOwnCount> gLangOwn;
std::array<std::array<QString, 4>, kLangRows> gLangInfo;
uint8_t gLangIndex = 0;
bool gLangComplete = false;
int32_t gLangPercent = 0;
QString gSysLanguage;
int16_t gCharset = 0;
QString gCharsetName;

void (*gApplyLayoutDirection)(Qt::LayoutDirection) = nullptr;

namespace {

// Ids of the language rows in the string table.
constexpr int kLangRowBaseId = 600;

void ResetLang() {
    for (QString& s : gLang)
        s.clear();
    for (QString& s : gLangOwn)
        s.clear();
    for (auto& row : gLangInfo)
        for (QString& cell : row)
            cell.clear();
    gLangIndex = 0;
    gLangComplete = false;
    gLangPercent = 0;
    gSysLanguage.clear();
    gCharset = 0;
    gCharsetName.clear();
    if (gApplyLayoutDirection) gApplyLayoutDirection(Qt::LeftToRight);
}
SCRIVELLE_REGISTER_RESET(ResetLang);

QString ProperCase(const QString& word) {
    if (word.isEmpty()) return word;
    return word.left(1).toUpper() + word.mid(1).toLower();
}

// Two rows may name the same language (Brazilian and European Portuguese); the language page
// picks a row by its display name, so each name gets the territory, or else the key, added
// until no two rows share one.
void MakeDisplayNamesUnique() {
    auto duplicates = [] {
        QHash<QString, int> count;
        for (const auto& row : gLangInfo)
            if (!row[kLangName].isEmpty()) ++count[row[kLangName]];
        QList<int> rows;
        for (int i = 0; i < kLangRows; ++i)
            if (count.value(gLangInfo[i][kLangName]) > 1) rows << i;
        return rows;
    };
    for (int i : duplicates()) {
        const std::optional<QLocale> locale = LocaleFromId(uint32_t(gLangInfo[i][kLangLocale].toUInt()));
        if (locale)
            gLangInfo[i][kLangName] +=
                QStringLiteral(" (%1)").arg(QLocale::territoryToString(locale->territory()));
    }
    for (int i : duplicates())
        gLangInfo[i][kLangName] += QStringLiteral(" [%1]").arg(gLangInfo[i][kLangKey]);
}

const QString* LangSlot(int k) {
    if (k >= 0 && k < kLangTextCount) return &gLang[size_t(k)];
    if (k >= kLangOwnFirst && k < kLangOwnFirst + kLangOwnCount) return &gLangOwn[size_t(k - kLangOwnFirst)];
    return nullptr;
}

} // namespace

QString LangText(int k) {
    const QString* t = LangSlot(k);
    return t ? *t : QString();
}

QString LangText(int k, const QString& p1, const QString& p2) {
    QString out;
    out.reserve(LangText(k).size() + p1.size() + p2.size());
    AppendLangText(out, k, p1, p2);
    return out;
}

void AppendLangText(QString& out, int k, const QString& p1, const QString& p2) {
    const QString* slot = LangSlot(k);
    if (!slot) return;
    // One left-to-right pass, so a substituted text that holds "%2" is left alone. The plain
    // runs between placeholders go in whole.
    const QString& t = *slot;
    const QChar* d = t.constData();
    const qsizetype n = t.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (d[i] == u'%' && (d[i + 1] == u'1' || d[i + 1] == u'2')) {
            out.append(d + run, i - run);
            out += d[i + 1] == u'1' ? p1 : p2;
            ++i;
            run = i + 1;
        }
    }
    out.append(d + run, n - run);
}

void InitLanguageTable() {
    for (int i = 0; i < kLangRows; ++i) {
        auto& row = gLangInfo[size_t(i)];
        for (QString& cell : row)
            cell.clear();
        // "1252-&H0809-ENGLISH": code page, locale identifier in hexadecimal, key name.
        const std::optional<QString> text = LoadResString(kLangRowBaseId + i);
        if (!text) continue;
        const QStringList pieces = text->split(u'-');
        if (pieces.size() > 0)
            row[kLangCodePage] = QString::number(SaturateToInt32(LeadingNumber(pieces[0])));
        if (pieces.size() > 1) row[kLangLocale] = QString::number(SaturateToInt32(LeadingNumber(pieces[1])));
        if (pieces.size() > 2) row[kLangKey] = pieces[2];
        const std::optional<QLocale> locale =
            pieces.size() > 1 ? LocaleFromId(uint32_t(row[kLangLocale].toUInt())) : std::nullopt;
        row[kLangName] = locale ? QLocale::languageToString(locale->language()) : ProperCase(row[kLangKey]);
    }
    MakeDisplayNamesUnique();
}

bool LoadLanguageStrings() {
    bool complete = true;
    int missing = 0;
    const int base = int(gLangIndex) * 1000;
    for (int k = 0; k < kLangTextCount; ++k) {
        if (std::optional<QString> text = LoadResString(base + k)) {
            gLang[size_t(k)] = *text;
        } else {
            gLang[size_t(k)] = LoadResString(k).value_or(QString());
            ++missing;
            complete = false;
        }
    }
    for (int k = 0; k < kLangOwnCount; ++k) {
        const int id = kLangOwnFirst + k;
        gLangOwn[size_t(k)] = LoadResString(base + id).value_or(LoadResString(id).value_or(QString()));
    }
    if (missing >= 1) {
        // Shown as "n%" on the language page; an incomplete translation never reads 100.
        const int percent = int(RoundHalfEven((468.0 - missing) * 100.0 / 468.0));
        gLangPercent = std::clamp(percent, 0, 99);
    }
    gLangComplete = complete;
    // Arabic and Persian read right to left: every window then mirrors its layout.
    if (gApplyLayoutDirection) gApplyLayoutDirection(LanguageDirection(gLangIndex));
    return complete;
}

Qt::LayoutDirection LanguageDirection(int row) {
    if (row < 0 || row >= kLangRows) return Qt::LeftToRight;
    bool ok = false;
    const uint lcid = gLangInfo[size_t(row)][kLangLocale].toUInt(&ok);
    const std::optional<QLocale> locale = ok ? LocaleFromId(uint32_t(lcid)) : std::nullopt;
    return locale && locale->textDirection() == Qt::RightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
}

void DetectSystemLanguage(const QString& defaultKey) {
    gLanguage = defaultKey;
    gSysLanguage = GetLocaleString(kLocaleUserDefault, kLocaleEnglishLanguageName).toUpper();
    if (gSysLanguage.isEmpty()) return;
    for (int i = 0; i < kLangRows; ++i) {
        const QString& key = gLangInfo[size_t(i)][kLangKey];
        // A row whose text could not be read has no key; it must not match every language.
        if (!key.isEmpty() && gSysLanguage.startsWith(key, Qt::CaseInsensitive)) {
            gLanguage = key;
            gLangIndex = uint8_t(i);
            return;
        }
    }
}

int FindLanguageRow(const QString& key) {
    if (key.isEmpty()) return -1;
    for (int i = 0; i < kLangRows; ++i)
        if (gLangInfo[size_t(i)][kLangKey] == key) return i;
    return -1;
}

CharsetInfo CharsetOfCodePage(int codePage) {
    switch (codePage) {
    case 874:
        return {222, QStringLiteral("THAI_CHARSET")};
    case 932:
        return {128, QStringLiteral("JAPANESE_SHIFTJIS")};
    case 936:
        return {134, QStringLiteral("SIMPLIFIED_CHINESE_GB2312")};
    case 949:
        return {129, QStringLiteral("KOREAN_HANGUL")};
    case 950:
        return {136, QStringLiteral("TRADITIONAL_CHINESE_BIG5")};
    case 1250:
        return {238, QStringLiteral("EASTERN_EUROPEAN")};
    case 1251:
        return {204, QStringLiteral("CYRILLIC_CHARSET")};
    case 1253:
        return {161, QStringLiteral("GREEK_CHARSET")};
    case 1254:
        return {162, QStringLiteral("TURKISH_CHARSET")};
    case 1255:
        return {177, QStringLiteral("HEBREW_CHARSET")};
    case 1256:
        return {178, QStringLiteral("ARABIC_CHARSET")};
    case 1257:
        return {186, QStringLiteral("BALTIC_CHARSET")};
    case 1258:
        return {163, QStringLiteral("VIETNAMESE_CHARSET")};
    case 1361:
        return {130, QStringLiteral("KOREAN_JOHAB")};
    default:
        return {0, QStringLiteral("WESTERN_EUROPEAN_LATIN")};
    }
}

void GetLocaleCharset(uint32_t lcid, int16_t& charset, QString& name) {
    const int codePage = SaturateToInt32(LeadingNumber(GetLocaleString(lcid, kLocaleAnsiCodePage)));
    const CharsetInfo info = CharsetOfCodePage(codePage);
    charset = info.charset;
    name = info.name;
}

QString ToLanguageCharset(const QString& text) {
    return text;
}

int16_t FindLanguageListIndex(int row, const QStringList& list) {
    if (row < 0 || row >= kLangRows) return 0;
    const QString& name = gLangInfo[size_t(row)][kLangName];
    for (int j = 0; j < kLangRows && j < list.size(); ++j)
        if (list[j] == name) return int16_t(j);
    return 0;
}

QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}
