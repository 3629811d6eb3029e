#include "language/localeinfo.h"

#include "platform/CodePage.h"

namespace {

struct LocaleId {
    uint32_t lcid;
    QLocale::Language language;
    QLocale::Script script;
    QLocale::Territory territory;
};

// The identifiers of the language table, and a few more that users meet.
constexpr LocaleId kLocaleIds[] = {
    {0x0004, QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China},
    {0x0401, QLocale::Arabic, QLocale::AnyScript, QLocale::SaudiArabia},
    {0x0402, QLocale::Bulgarian, QLocale::AnyScript, QLocale::Bulgaria},
    {0x0403, QLocale::Catalan, QLocale::AnyScript, QLocale::Spain},
    {0x0404, QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan},
    {0x0406, QLocale::Danish, QLocale::AnyScript, QLocale::Denmark},
    {0x0407, QLocale::German, QLocale::AnyScript, QLocale::Germany},
    {0x0408, QLocale::Greek, QLocale::AnyScript, QLocale::Greece},
    {0x0409, QLocale::English, QLocale::AnyScript, QLocale::UnitedStates},
    {0x040B, QLocale::Finnish, QLocale::AnyScript, QLocale::Finland},
    {0x040C, QLocale::French, QLocale::AnyScript, QLocale::France},
    {0x040E, QLocale::Hungarian, QLocale::AnyScript, QLocale::Hungary},
    {0x0410, QLocale::Italian, QLocale::AnyScript, QLocale::Italy},
    {0x0411, QLocale::Japanese, QLocale::AnyScript, QLocale::Japan},
    {0x0412, QLocale::Korean, QLocale::AnyScript, QLocale::SouthKorea},
    {0x0413, QLocale::Dutch, QLocale::AnyScript, QLocale::Netherlands},
    {0x0415, QLocale::Polish, QLocale::AnyScript, QLocale::Poland},
    {0x0416, QLocale::Portuguese, QLocale::AnyScript, QLocale::Brazil},
    {0x0418, QLocale::Romanian, QLocale::AnyScript, QLocale::Romania},
    {0x0419, QLocale::Russian, QLocale::AnyScript, QLocale::Russia},
    {0x041D, QLocale::Swedish, QLocale::AnyScript, QLocale::Sweden},
    {0x041E, QLocale::Thai, QLocale::AnyScript, QLocale::Thailand},
    {0x041F, QLocale::Turkish, QLocale::AnyScript, QLocale::Turkey},
    {0x0421, QLocale::Indonesian, QLocale::AnyScript, QLocale::Indonesia},
    {0x0429, QLocale::Persian, QLocale::AnyScript, QLocale::Iran},
    {0x043F, QLocale::Kazakh, QLocale::AnyScript, QLocale::Kazakhstan},
    {0x0809, QLocale::English, QLocale::AnyScript, QLocale::UnitedKingdom},
    {0x0816, QLocale::Portuguese, QLocale::AnyScript, QLocale::Portugal},
    {0x0C0A, QLocale::Spanish, QLocale::AnyScript, QLocale::Spain},
    {0x101A, QLocale::Croatian, QLocale::AnyScript, QLocale::BosniaAndHerzegovina},
    {0x7C1A, QLocale::Serbian, QLocale::CyrillicScript, QLocale::Serbia},
};

} // namespace

std::optional<QLocale> LocaleFromId(uint32_t lcid) {
    if (lcid == kLocaleUserDefault || lcid == kLocaleSystemDefault) return QLocale();
    for (const LocaleId& id : kLocaleIds)
        if (id.lcid == lcid) return QLocale(id.language, id.script, id.territory);
    return std::nullopt;
}

int AnsiCodePageOf(const QLocale& locale) { return AnsiCodePageForLocale(locale); }

// The same code page the text conversions use, so the UI font and the subtitle text agree.
int UserAnsiCodePage() { return SystemAnsiCodePage(); }

QString GetLocaleString(uint32_t lcid, uint32_t item) {
    const std::optional<QLocale> locale = LocaleFromId(lcid);
    if (!locale) return QString();
    switch (item) {
    case kLocaleEnglishLanguageName:
        return QLocale::languageToString(locale->language());
    case kLocaleNativeLanguageName:
        return locale->nativeLanguageName();
    case kLocaleAnsiCodePage:
        return QString::number(lcid == kLocaleUserDefault ? UserAnsiCodePage() : AnsiCodePageOf(*locale));
    default:
        return QString();
    }
}
