#include "base/settings.h"
#include "document/captions.h"
#include "document/spellbatch.h"
#include "fixture.h"

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

TEST(SpellBatches, FiveHundredAtATimeFrom551Rows) {
    using B = QList<std::pair<int, int>>;
    EXPECT_EQ(SpellBatches(1201), (B{{1, 500}, {501, 1000}, {1001, 1200}}));
    EXPECT_EQ(SpellBatches(551), (B{{1, 500}, {501, 550}}));
    EXPECT_EQ(SpellBatches(550), (B{{1, 549}}));
    EXPECT_EQ(SpellBatches(1), B{});
}

} // namespace
