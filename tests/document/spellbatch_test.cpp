#include "base/settings.h"
#include "document/captions.h"
#include "document/spellbatch.h"
#include "fixture.h"
#include "platform/SpellService.h"

namespace {

class SpellBatchTest : public ScrivelleTest {
protected:
    void Make(const QStringList& texts) {
        ResetCaptionGrid(true);
        std::vector<tSubtitleLine> lines;
        for (const QString& t : texts)
            lines.push_back({0, 0, t});
        ASSERT_TRUE(FillLines(0, lines));
    }
};

TEST_F(SpellBatchTest, BatchTextAndItsWayBack) {
    gLineBreak = QStringLiteral("|");
    Make({"Hello|world", "sad<i>", "plain"});
    const QString batch = BuildSpellBatch(1, 3);
    EXPECT_EQ(batch,
              QStringLiteral("Hello\r\n%#%\r\nworld\r\n%%%\r\nsad\r\n#%#\r\n\r\n%%%\r\nplain\r\n%%%\r\n"));

    // Unchanged, changed in the first characters of the first caption, and as a word processor
    // gives it back (each CR LF a CR): the captions come back with their markers and tags.
    QString corrected = batch;
    corrected.replace(QStringLiteral("Hello"), QStringLiteral("Jello"));
    QString crOnly = batch;
    crOnly.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    for (const auto& [text, first] :
         {std::pair{batch, "Hello|world"}, {corrected, "Jello|world"}, {crOnly, "Hello|world"}}) {
        const auto pieces = SplitSpellResult(text, 3);
        ASSERT_TRUE(pieces.has_value());
        EXPECT_EQ(*pieces, (QStringList{first, "sad<i>", "plain"}));
    }
    // A separator lost or added: the batch cannot be matched to its captions.
    QString lost = batch;
    lost.replace(lost.indexOf(QStringLiteral("%%%")), 3, QString());
    EXPECT_FALSE(SplitSpellResult(lost, 3).has_value());
    EXPECT_FALSE(SplitSpellResult(batch + QStringLiteral("extra%%%\r\n"), 3).has_value());
    EXPECT_FALSE(SplitSpellResult(batch + QStringLiteral("trailing words"), 3).has_value());
}

// Knows no word at all: every word of the text is asked about.
class NoWords : public ISpellChecker {
public:
    bool IsCorrect(const QString&) override { return false; }
    QStringList Suggest(const QString&) override { return {}; }
};

// The words a session asks about in text, corrections made by the user, and what the dialog
// showed around each word of a batch.
QStringList WordsAskedAbout(const QString& text, QString* corrected = nullptr, QStringList* shown = nullptr) {
    NoWords checker;
    SpellMemory memory;
    QStringList asked;
    const QString out = RunSpellSession(
        text, checker,
        [&](const QString& word, const QStringList&, const QString& context) {
            asked << word;
            if (shown) *shown << context;
            SpellDecision d;
            if (word == "wrod") {
                d.action = SpellDecision::Change;
                d.replacement = "word";
            }
            return d;
        },
        memory, nullptr, [](const QString& batch, qsizetype at) { return SpellBatchCaption(batch, at); });
    if (corrected) *corrected = out;
    return asked;
}

TEST_F(SpellBatchTest, CaptionsComeBackAsTheyWereWhateverTheyHold) {
    // What a caption may hold that the batch also uses, or that could pass for it.
    const QStringList tokens = {"%%%", "%#%",    "#%#",   "%",           "%%",         "#",  "%#",
                                "#%",  "\\",     "\\37",  "\\92%",       "\r",         "\n", "\r\n",
                                "<i>", "%%%%%%", "%#%#%", "\r\n%%%\r\n", "\r\n%#%\r\n"};
    // Where it stands: the whole caption, at either end, inside a word, beside a line break
    // (the marker) or the italic tag, twice.
    const QStringList places = {"T",     "T wrod", "wrod T", "wroTd",     "a|T",      "T|b",
                                "a T|b", "T<i>",   "<i>T",   "wrod T<i>", "T wrod T", "T|T|T"};
    for (const QString marker : {"|", "/n", "[br]", "%"}) {
        SCOPED_TRACE("marker " + marker.toStdString());
        gLineBreak = marker;
        QStringList captions;
        for (const QString& token : tokens)
            for (const QString& place : places)
                captions << QString(place).replace("|", marker).replace("T", token);
        captions << "plain wrod"
                 << ""
                 << " ";
        Make(captions);
        const int n = int(captions.size());
        const QString batch = BuildSpellBatch(1, n);
        EXPECT_EQ(batch.count("\r\n%%%\r\n"), n); // one end per caption, and no other

        // Given back as it was, as a word processor gives it (each CR LF one CR), and with the
        // user's corrections: each caption comes back as it was, or with its words corrected.
        QString crOnly = batch;
        crOnly.replace("\r\n", "\r");
        QString corrected;
        QStringList shown;
        WordsAskedAbout(batch, &corrected, &shown);
        // Around each word the dialog shows the caption it stands in, as the caption holds it.
        QStringList expectedShown;
        for (const QString& c : captions)
            for (qsizetype k = WordsAskedAbout(QString(c).replace(marker, "\n").replace("<i>", "\n")).size(); k > 0; --k)
                expectedShown << c;
        EXPECT_EQ(shown, expectedShown);
        for (const auto& [text, fixed] : {std::pair{batch, false}, {crOnly, false}, {corrected, true}}) {
            const auto pieces = SplitSpellResult(text, n);
            ASSERT_TRUE(pieces.has_value());
            ASSERT_EQ(pieces->size(), n);
            for (int i = 0; i < n; ++i) {
                QString expected = captions[i];
                if (fixed) expected.replace("wrod", "word");
                EXPECT_EQ((*pieces)[i], expected) << captions[i].toStdString();
            }
        }
        // The checker is asked about the captions' own words, and only those (the marker and
        // the italic tag are not words of the caption).
        QString words;
        for (const QString& c : captions)
            words += QString(c).replace(marker, "\n").replace("<i>", "\n") + "\n";
        EXPECT_EQ(WordsAskedAbout(batch), WordsAskedAbout(words));
    }
}

TEST(SpellBatches, FiveHundredAtATimeFrom551Rows) {
    using B = QList<std::pair<int, int>>;
    EXPECT_EQ(SpellBatches(1201), (B{{1, 500}, {501, 1000}, {1001, 1200}}));
    EXPECT_EQ(SpellBatches(551), (B{{1, 500}, {501, 550}}));
    EXPECT_EQ(SpellBatches(550), (B{{1, 549}}));
    EXPECT_EQ(SpellBatches(1), B{});
}

} // namespace
