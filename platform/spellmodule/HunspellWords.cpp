// The Hunspell word checker, built as a module of its own.
#include "platform/SpellService.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>

namespace {

class HunspellWords final : public ISpellChecker {
public:
    HunspellWords(std::unique_ptr<Hunspell> speller, const QByteArray& encoding)
        : mSpeller(std::move(speller)), mDecoder(encoding.constData()), mEncoder(encoding.constData()) {}
    bool Usable() const { return mDecoder.isValid() && mEncoder.isValid(); }

    bool IsCorrect(const QString& word) override {
        const QByteArray bytes = mEncoder.encode(word);
        // A word the dictionary's encoding cannot hold is no word of that language: leave it.
        if (mEncoder.hasError()) {
            mEncoder = QStringEncoder(mEncoder.name());
            return true;
        }
        return mSpeller->spell(std::string(bytes.constData(), size_t(bytes.size())));
    }

    QStringList Suggest(const QString& word) override {
        QStringList out;
        const QByteArray bytes = mEncoder.encode(word);
        for (const std::string& s : mSpeller->suggest(std::string(bytes.constData(), size_t(bytes.size()))))
            out << mDecoder.decode(QByteArray::fromStdString(s));
        return out;
    }

private:
    std::unique_ptr<Hunspell> mSpeller;
    QStringDecoder mDecoder;
    QStringEncoder mEncoder;
};

} // namespace

extern "C" Q_DECL_EXPORT ISpellChecker* scrivelle_create_word_checker(const QString& base, QString* error) {
    auto speller = std::make_unique<Hunspell>(QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                                              QFile::encodeName(base + QStringLiteral(".dic")).constData());
    QByteArray encoding = QByteArray(speller->get_dic_encoding()).trimmed();
    const QByteArray named = encoding;
    if (encoding.isEmpty()) encoding = "ISO-8859-1";
    auto words = std::make_unique<HunspellWords>(std::move(speller), encoding);
    if (!words->Usable()) {
        if (error)
            *error = QStringLiteral("The dictionary %1 uses an unknown encoding (%2).")
                         .arg(base, QString::fromLatin1(named));
        return nullptr;
    }
    return words.release();
}
