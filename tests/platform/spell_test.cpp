#include "dialogs/frmSpell.h"
#include "fixture.h"
#include "platform/SpellService.h"
#include "scoped.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

// Knows a small word list; suggests the known words that share the first letter.
class WordListChecker : public ISpellChecker {
public:
    explicit WordListChecker(QStringList words) : words_(std::move(words)) {}
    bool IsCorrect(const QString& w) override { return words_.contains(w, Qt::CaseInsensitive); }
    QStringList Suggest(const QString& w) override {
        QStringList out;
        for (const QString& k : words_)
            if (k.startsWith(w.left(1), Qt::CaseInsensitive)) out << k;
        return out;
    }
    QStringList words_;
};

TEST(SpellSession, AnswersChangeOnlyWordsAndAreRemembered) {
    WordListChecker checker({"the", "cat", "sat", "on", "mat", "it's", "well-known"});
    const QString text =
        QStringLiteral("teh cat\r\n%#%\r\nsat on teh matt\r\n%%%\r\nit's well-known zzz zzz qq\r\n%%%\r\n");
    QStringList asked;
    SpellMemory memory;
    const QString out = RunSpellSession(
        text, checker,
        [&](const QString& word, const QStringList&, const QString& context) {
            asked << word + u'@' + context;
            if (word == QLatin1String("teh"))
                return SpellDecision{SpellDecision::ChangeAll, QStringLiteral("the")};
            if (word == QLatin1String("matt"))
                return SpellDecision{SpellDecision::Change, QStringLiteral("mat")};
            if (word == QLatin1String("zzz")) return SpellDecision{SpellDecision::IgnoreAll, {}};
            return SpellDecision{SpellDecision::Add, {}};
        },
        memory);
    EXPECT_EQ(out, QStringLiteral(
                       "the cat\r\n%#%\r\nsat on the mat\r\n%%%\r\nit's well-known zzz zzz qq\r\n%%%\r\n"));
    EXPECT_EQ(asked, (QStringList{"teh@teh cat", "matt@sat on teh matt", "zzz@it's well-known zzz zzz qq",
                                  "qq@it's well-known zzz zzz qq"}));
    // The next text of the same run remembers Change all, Ignore all and Add.
    asked.clear();
    EXPECT_EQ(RunSpellSession(
                  QStringLiteral("teh zzz qq"), checker,
                  [&](const QString& w, const QStringList&, const QString&) {
                      asked << w;
                      return SpellDecision{};
                  },
                  memory),
              QStringLiteral("the zzz qq"));
    EXPECT_TRUE(asked.isEmpty());

    // Cancel keeps what was corrected before it and the rest as it was.
    SpellMemory fresh;
    bool cancelled = false;
    int calls = 0;
    EXPECT_EQ(RunSpellSession(
                  QStringLiteral("teh matt teh"), checker,
                  [&](const QString&, const QStringList&, const QString&) {
                      return ++calls == 1 ? SpellDecision{SpellDecision::Change, QStringLiteral("the")}
                                          : SpellDecision{SpellDecision::Cancel, {}};
                  },
                  fresh, &cancelled),
              QStringLiteral("the matt teh"));
    EXPECT_TRUE(cancelled);
}

TEST(SpellSession, RealDictionaries) {
    HunspellChecker en;
    QString why;
    ASSERT_TRUE(en.Load(QStringLiteral("en_US"), &why)) << why.toStdString();
    EXPECT_TRUE(en.IsCorrect(QStringLiteral("house")));
    EXPECT_FALSE(en.IsCorrect(QStringLiteral("hosue")));
    EXPECT_TRUE(en.Suggest(QStringLiteral("hosue")).contains(QStringLiteral("house")));

    HunspellChecker de;
    ASSERT_TRUE(de.Load(DictionaryForLanguage(21), &why)) << why.toStdString();
    EXPECT_TRUE(de.IsCorrect(QStringLiteral("Straße")));
    EXPECT_FALSE(de.IsCorrect(QStringLiteral("Strasssse")));
    HunspellChecker ru;
    ASSERT_TRUE(ru.Load(DictionaryForLanguage(23), &why)) << why.toStdString();
    EXPECT_TRUE(ru.IsCorrect(QStringLiteral("привет")));

    HunspellChecker none;
    EXPECT_FALSE(none.Load(QStringLiteral("xx_XX"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("xx_XX")));
}

class SpellDialogTest : public ScrivelleTest {};

TEST_F(SpellDialogTest, TheDialogGivesTheUsersAnswer) {
    frmSpell dialog;
    const struct {
        QPushButton* frmSpell::*button;
        QString typed;
        SpellDecision::Action action;
        QString replacement;
    } rows[] = {
        {&frmSpell::cmdChange, QString(), SpellDecision::Change, QStringLiteral("house")},
        {&frmSpell::cmdChangeAll, QStringLiteral("horse"), SpellDecision::ChangeAll, QStringLiteral("horse")},
        {&frmSpell::cmdIgnore, QString(), SpellDecision::Ignore, {}},
        {&frmSpell::cmdIgnoreAll, QString(), SpellDecision::IgnoreAll, {}},
        {&frmSpell::cmdAdd, QString(), SpellDecision::Add, {}},
        {&frmSpell::cmdCancel, QString(), SpellDecision::Cancel, {}},
        {&frmSpell::cmdChange,
         QStringLiteral("\x01"),
         SpellDecision::Ignore,
         {}}, // emptied: nothing to change to
    };
    for (const auto& r : rows) {
        QTimer::singleShot(0, [&] {
            if (r.typed == QLatin1String("\x01"))
                dialog.txtChangeTo->clear();
            else if (!r.typed.isEmpty())
                dialog.txtChangeTo->setText(r.typed);
            (dialog.*r.button)->click();
        });
        const SpellDecision d =
            dialog.Ask(QStringLiteral("hosue"), {"house", "hose"}, QStringLiteral("a hosue here"));
        EXPECT_EQ(d.action, r.action);
        if (r.action == SpellDecision::Change || r.action == SpellDecision::ChangeAll) {
            EXPECT_EQ(d.replacement, r.replacement);
        }
    }
    EXPECT_EQ(dialog.lstSuggestions->count(), 2);
}

// Counts how often a window was hidden.
class HideCounter : public QObject {
public:
    int hides = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide) ++hides;
        return false;
    }
};

TEST_F(SpellDialogTest, TheDialogKeepsItsPlaceAndSizeFromWordToWord) {
    QWidget owner;
    owner.resize(900, 700);
    owner.show();
    frmSpell dialog(&owner);
    HideCounter hidden;
    dialog.installEventFilter(&hidden);
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QStringLiteral("suggestion%1").arg(i);
    const QString longWord = QString(300, u'w');
    const QString longLine = QStringLiteral("words ").repeated(400);
    // Words of every length, with no, one or many suggestions, in short and very long lines.
    const struct {
        QString word;
        QStringList suggestions;
        QString context;
    } words[] = {
        {"hosue", {"house", "hose"}, "a hosue here"},
        {longWord, {}, "x " + longWord + " y"},
        {"a", many, longLine + "a"},
        {"teh", {"the"}, "teh"},
        {longWord + longWord, many, longLine + longWord + longWord},
        {"hosue", {"house"}, "the hosue"},
    };
    QList<QRect> seen;
    QList<bool> visible;
    for (const auto& w : words) {
        QTimer::singleShot(0, &dialog, [&] {
            seen << dialog.frameGeometry();
            visible << dialog.isVisible();
            dialog.cmdChange->click();
        });
        EXPECT_EQ(dialog.Ask(w.word, w.suggestions, w.context).action, SpellDecision::Change);
        // After the first word the user moves the dialog where it suits them.
        if (seen.size() == 1) dialog.move(dialog.pos() + QPoint(37, 23));
    }
    ASSERT_EQ(seen.size(), 6);
    for (int i = 1; i < seen.size(); ++i) {
        EXPECT_TRUE(visible[i]) << i;
        EXPECT_EQ(seen[i].size(), seen[0].size()) << i;
        if (i > 1) {
            EXPECT_EQ(seen[i].topLeft(), seen[1].topLeft()) << i;
        }
    }
    EXPECT_EQ(hidden.hides, 0); // never closed and opened again between words
    EXPECT_TRUE(dialog.lblNotFound->toolTip().endsWith("hosue"));
    dialog.Finish();
    EXPECT_FALSE(dialog.isVisible());

    // Cancel closes it (the check stops); the next check opens it again.
    QTimer::singleShot(0, &dialog, [&] { dialog.cmdCancel->click(); });
    EXPECT_EQ(dialog.Ask("teh", {"the"}, "teh").action, SpellDecision::Cancel);
    EXPECT_FALSE(dialog.isVisible());
    QTimer::singleShot(0, &dialog, [&] { dialog.reject(); }); // Esc or the close button
    EXPECT_EQ(dialog.Ask("teh", {"the"}, "teh").action, SpellDecision::Cancel);
}

} // namespace
