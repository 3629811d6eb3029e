#include "platform/SpellService.h"

#include "base/processstate.h"
#include "platform/Modules.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr ModuleInfo kSpellModuleInfo{kSpellModule,
#ifdef SCRIVELLE_SPELL_MODULE
                                      SCRIVELLE_SPELL_MODULE,
#else
                                      nullptr,
#endif
                                      kCreateWordCheckerSymbol, "The spelling module"};

std::unique_ptr<ISpellService> gService;
void ResetSpellService() {
    gService.reset();
}
SCRIVELLE_REGISTER_RESET(ResetSpellService);

bool IsWordChar(QChar c) {
    return c.isLetter() || c.isMark();
}

bool Contains(const QStringList& list, const QString& word) {
    return list.contains(word);
}

} // namespace

QString RunSpellSession(const QString& text, ISpellChecker& checker, const SpellPrompt& prompt,
                        SpellMemory& memory, bool* cancelled, const SpellContext& context) {
    if (cancelled) *cancelled = false;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (!IsWordChar(text[i])) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size()) {
            if (IsWordChar(text[end])) {
                ++end;
            } else if ((text[end] == u'\'' || text[end] == u'\u2019' || text[end] == u'-') &&
                       end + 1 < text.size() && IsWordChar(text[end + 1])) {
                end += 2;
            } else {
                break;
            }
        }
        const QString word = text.mid(i, end - i);
        QString result = word;
        const auto remembered = std::find_if(memory.changes.begin(), memory.changes.end(),
                                             [&](const auto& c) { return c.first == word; });
        if (remembered != memory.changes.end()) {
            result = remembered->second;
        } else if (!Contains(memory.ignored, word) && !Contains(memory.added, word) &&
                   !checker.IsCorrect(word)) {
            QString shown;
            if (context) {
                shown = context(text, i);
            } else {
                // The line the word stands in.
                const qsizetype lineStart = text.lastIndexOf(u'\n', i) + 1;
                qsizetype lineEnd = text.indexOf(u'\r', i);
                if (lineEnd < 0) lineEnd = text.size();
                shown = text.mid(lineStart, lineEnd - lineStart);
            }
            const SpellDecision d = prompt(word, checker.Suggest(word), shown);
            switch (d.action) {
            case SpellDecision::Cancel:
                if (cancelled) *cancelled = true;
                return out + text.mid(i);
            case SpellDecision::Ignore:
                break;
            case SpellDecision::IgnoreAll:
                memory.ignored << word;
                break;
            case SpellDecision::Add:
                memory.added << word;
                break;
            case SpellDecision::Change:
                result = d.replacement;
                break;
            case SpellDecision::ChangeAll:
                result = d.replacement;
                memory.changes.append({word, d.replacement});
                break;
            }
        }
        out += result;
        i = end;
    }
    return out;
}

struct HunspellChecker::Impl {
    std::unique_ptr<ISpellChecker> words;
};

HunspellChecker::HunspellChecker() : d(std::make_unique<Impl>()) {}
HunspellChecker::~HunspellChecker() = default;

QStringList DictionaryFolders() {
    QStringList folders;
    for (const QString& f : qEnvironmentVariable("SCRIVELLE_DICT_PATH").split(u':', Qt::SkipEmptyParts))
        folders << f;
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell/dicts");
    return folders;
}

bool HunspellChecker::Load(const QString& name, QString* error) {
    for (const QString& folder : DictionaryFolders()) {
        const QString base = QDir(folder).filePath(name);
        if (!QFileInfo::exists(base + QStringLiteral(".aff")) ||
            !QFileInfo::exists(base + QStringLiteral(".dic")))
            continue;
        d->words.reset();
        const auto create =
            reinterpret_cast<CreateWordCheckerFn>(ResolveModuleEntry(kSpellModuleInfo, error));
        if (!create) return false;
        d->words.reset(create(base, error));
        if (!d->words) return false;
        mName = name;
        return true;
    }
    if (error)
        *error = QStringLiteral("No spelling dictionary %1 was found (looked in %2).")
                     .arg(name, DictionaryFolders().join(QStringLiteral(", ")));
    return false;
}

bool HunspellChecker::IsCorrect(const QString& word) {
    return !d->words || d->words->IsCorrect(word);
}

QStringList HunspellChecker::Suggest(const QString& word) {
    return d->words ? d->words->Suggest(word) : QStringList();
}

QString DictionaryForLanguage(int langIndex) {
    static const char* const kDictionaries[26] = {
        "en_US", "es_ES", "nl",    "el_GR", "it_IT", "fr",    "pt_BR", "pt_PT", "ca",
        "sr_RS", "hu_HU", "ro_RO", "fi_FI", "fa_IR", "ar",    "da_DK", "bg_BG", "kk_KZ",
        "id_ID", "sv_SE", "th_TH", "de_DE", "ja_JP", "ru_RU", "hr_HR", "zh_CN"};
    if (langIndex < 0 || langIndex >= 26) return QString();
    return QString::fromLatin1(kDictionaries[langIndex]);
}

ISpellService* SpellService() {
    return gService.get();
}

void SetSpellService(std::unique_ptr<ISpellService> service) {
    gService = std::move(service);
}
