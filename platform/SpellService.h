#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Spelling: a word checker (a Hunspell dictionary, or a word list in tests), an interactive
// session that walks the words of a text and asks the user about each unknown one, and the
// service the main window calls: text in, corrected text out.

class ISpellChecker {
public:
    virtual ~ISpellChecker() = default;
    virtual bool IsCorrect(const QString& word) = 0;
    virtual QStringList Suggest(const QString& word) = 0;
};

// What the user answered about one unknown word.
struct SpellDecision {
    enum Action { Ignore, IgnoreAll, Add, Change, ChangeAll, Cancel } action = Ignore;
    QString replacement; // for Change and ChangeAll
};

// Asked for each unknown word: the word, the checker's suggestions, and the line it stands in.
using SpellPrompt =
    std::function<SpellDecision(const QString& word, const QStringList& suggestions, const QString& context)>;

// Answers the session remembers between texts of one spell check (Ignore all, Change all,
// words added for this run).
struct SpellMemory {
    QStringList ignored;
    QStringList added;
    QList<std::pair<QString, QString>> changes;
};

// What the dialog shows around the unknown word that begins at position at of the text.
using SpellContext = std::function<QString(const QString& text, qsizetype at)>;

// Walks the words of text (letters and marks, with apostrophes and hyphens inside a word) and
// asks prompt about each word the checker does not know, with the context the caller makes of
// the text (the word's line when none is given). Only words are ever replaced, so separators
// and markup between them come back as they were. Cancel stops the walk; the corrections made
// so far stay and *cancelled is set.
QString RunSpellSession(const QString& text, ISpellChecker& checker, const SpellPrompt& prompt,
                        SpellMemory& memory, bool* cancelled = nullptr, const SpellContext& context = nullptr);

// The service the main window hands a text to.
class ISpellService {
public:
    virtual ~ISpellService() = default;
    // Lets the user correct text; the corrected text, or nothing when the service cannot run
    // (*error then says why). *cancelled is set when the user stopped the check.
    virtual std::optional<QString> CheckText(const QString& text, QString* error, bool* cancelled) = 0;
    // Starts a new spell check (forgets Ignore all, Change all and added words).
    virtual void BeginRun() {}
    // The spell check is over (its dialog, open from one text to the next, closes).
    virtual void EndRun() {}
};

// The Hunspell engine lives in a module of its own (platform/spellmodule), loaded the first time
// a dictionary is: the program does not load the engine to start. Its one entry point opens the
// dictionary base + ".aff" / ".dic" (both exist); null with the reason in *error. The caller
// owns the checker.
using CreateWordCheckerFn = ISpellChecker* (*)(const QString& base, QString* error);
inline constexpr char kCreateWordCheckerSymbol[] = "scrivelle_create_word_checker";
inline constexpr char kSpellModule[] = "libscrivelle_spell.so";

// A Hunspell dictionary; Load fails with a reason when no usable dictionary is found or the
// spelling module cannot be loaded.
class HunspellChecker final : public ISpellChecker {
public:
    HunspellChecker();
    ~HunspellChecker() override;
    // Loads the dictionary named name ("en_US") from the dictionary folders; false with *error.
    bool Load(const QString& name, QString* error);
    bool IsCorrect(const QString& word) override;
    QStringList Suggest(const QString& word) override;
    QString Name() const { return mName; }

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString mName;
};

// The dictionary of a UI language block (0 English ... 25 Chinese); empty where none exists.
QString DictionaryForLanguage(int langIndex);
// Folders searched for dictionaries: $SCRIVELLE_DICT_PATH (":"-separated) first, then the
// system's hunspell folders.
QStringList DictionaryFolders();

// The service in use; the main window installs the Hunspell one, tests a fake.
ISpellService* SpellService();
void SetSpellService(std::unique_ptr<ISpellService> service);
