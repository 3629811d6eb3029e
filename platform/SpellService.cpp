#include "platform/SpellService.h"

#include "platform/processstate.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>

namespace {

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
                        SpellMemory& memory, bool* cancelled) {
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
            // The line the word stands in, for the dialog.
            const qsizetype lineStart = text.lastIndexOf(u'\n', i) + 1;
            qsizetype lineEnd = text.indexOf(u'\r', i);
            if (lineEnd < 0) lineEnd = text.size();
            const SpellDecision d =
                prompt(word, checker.Suggest(word), text.mid(lineStart, lineEnd - lineStart));
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
    std::unique_ptr<Hunspell> speller;
    std::optional<QStringDecoder> decoder;
    std::optional<QStringEncoder> encoder;
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
        d->speller = std::make_unique<Hunspell>(QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                                                QFile::encodeName(base + QStringLiteral(".dic")).constData());
        const QByteArray encoding = QByteArray(d->speller->get_dic_encoding()).trimmed();
        d->decoder.emplace(encoding.isEmpty() ? "ISO-8859-1" : encoding.constData());
        d->encoder.emplace(encoding.isEmpty() ? "ISO-8859-1" : encoding.constData());
        if (!d->decoder->isValid() || !d->encoder->isValid()) {
            d->speller.reset();
            if (error)
                *error = QStringLiteral("The dictionary %1 uses an unknown encoding (%2).")
                             .arg(base, QString::fromLatin1(encoding));
            return false;
        }
        mName = name;
        return true;
    }
    if (error)
        *error = QStringLiteral("No spelling dictionary %1 was found (looked in %2).")
                     .arg(name, DictionaryFolders().join(QStringLiteral(", ")));
    return false;
}

bool HunspellChecker::IsCorrect(const QString& word) {
    if (!d->speller) return true;
    const QByteArray bytes = d->encoder->encode(word);
    // A word the dictionary's encoding cannot hold is no word of that language: leave it.
    if (d->encoder->hasError()) {
        d->encoder.emplace(d->encoder->name());
        return true;
    }
    return d->speller->spell(std::string(bytes.constData(), size_t(bytes.size())));
}

QStringList HunspellChecker::Suggest(const QString& word) {
    QStringList out;
    if (!d->speller) return out;
    const QByteArray bytes = d->encoder->encode(word);
    for (const std::string& s : d->speller->suggest(std::string(bytes.constData(), size_t(bytes.size()))))
        out << d->decoder->decode(QByteArray::fromStdString(s));
    return out;
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
