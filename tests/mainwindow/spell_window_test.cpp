#include "document/captions.h"
#include "mainwindow_fixture.h"
#include "platform/FlexGrid.h"
#include "platform/SpellService.h"

#include <QAction>
#include <QPlainTextEdit>

namespace {

// Corrects "teh" to "the" in every text it gets, or fails when told to.
class FakeSpellService : public ISpellService {
public:
    std::optional<QString> CheckText(const QString& text, QString* error, bool* cancelled) override {
        texts << text;
        if (cancelled) *cancelled = false;
        if (failOn > 0 && texts.size() >= failOn) {
            *error = QStringLiteral("no dictionary");
            return std::nullopt;
        }
        QString out = text;
        if (dropSeparatorFrom > 0 && texts.size() >= dropSeparatorFrom)
            out.replace(out.indexOf(QStringLiteral("%%%")), 3, QString());
        return out.replace(QStringLiteral("teh"), QStringLiteral("the"));
    }
    QStringList texts;
    int failOn = 0;
    int dropSeparatorFrom = 0; // the first text given back without one of its separators
};

class SpellWindowTest : public MainWindowFixture {
protected:
    FakeSpellService* Install() {
        auto service = std::make_unique<FakeSpellService>();
        FakeSpellService* raw = service.get();
        SetSpellService(std::move(service));
        return raw;
    }
    void Open(int n, const QString& text) {
        w->ResetGrid(true);
        std::vector<tSubtitleLine> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back({i * 1000, i * 1000 + 500, text.arg(i)});
        ASSERT_TRUE(FillLines(0, lines));
        SelectLine(1, false);
        gSubFile = QStringLiteral("test.srt");
        w->ResetControls();
        gModified = false;
    }
};

TEST_F(SpellWindowTest, CorrectionsAreWrittenInBatchesAndCounted) {
    Make();
    FakeSpellService* spell = Install();
    Open(1200, QStringLiteral("teh line %1"));
    SetLineText(7, QStringLiteral("fine"));
    msgbox.Answer(vbOK);
    w->mnuSpell->trigger();
    EXPECT_EQ(spell->texts.size(), 3);
    EXPECT_EQ(GetLineText(1), QStringLiteral("the line 1"));
    EXPECT_EQ(GetLineText(1200), QStringLiteral("the line 1200"));
    EXPECT_EQ(GetLineText(7), QStringLiteral("fine"));
    EXPECT_TRUE(gModified);
    ASSERT_EQ(msgbox.shown().size(), 1);
    EXPECT_EQ(msgbox.shown()[0].text, QStringLiteral("Spell check completed. Total line(s) modified: 1199."));
    EXPECT_EQ(msgbox.shown()[0].title, LangText(259));
    // The caption box shows the corrected current caption.
    EXPECT_EQ(w->txtSub->toPlainText(), QStringLiteral("the line 1"));
}

TEST_F(SpellWindowTest, NothingToCorrectLeavesTheDocumentUnmodified) {
    Make();
    Install();
    Open(3, QStringLiteral("fine %1"));
    msgbox.Answer(vbOK);
    w->mnuSpell->trigger();
    EXPECT_FALSE(gModified);
    EXPECT_EQ(msgbox.shown()[0].text, LangText(260) + u' ');
}

TEST_F(SpellWindowTest, AFailedServiceSaysSoOnceAndLaterBatchesAreNotSent) {
    Make();
    FakeSpellService* spell = Install();
    spell->failOn = 2;
    Open(1200, QStringLiteral("teh %1"));
    msgbox.Answer(vbOK).Answer(vbOK);
    w->mnuSpell->trigger();
    ASSERT_EQ(msgbox.shown().size(), 2); // the failure, then what the first batch changed
    EXPECT_EQ(msgbox.shown()[1].text, LangText(261, "500")); // never "completed"
    EXPECT_TRUE(
        msgbox.shown()[0].text.startsWith(LangText(262) + QStringLiteral("\n\n(Error# 429 - no dictionary")));
    EXPECT_EQ(msgbox.shown()[0].icon, vbCritical);
    EXPECT_EQ(spell->texts.size(), 2);
    EXPECT_EQ(GetLineText(500), QStringLiteral("the 500"));
    EXPECT_EQ(GetLineText(501), QStringLiteral("teh 501"));

    // Failing at once changes nothing and ends with the one message.
    Open(3, QStringLiteral("teh %1"));
    spell->texts.clear();
    spell->failOn = 1;
    msgbox.Answer(vbOK);
    w->mnuSpell->trigger();
    EXPECT_EQ(msgbox.shown().size(), 3);
    EXPECT_EQ(GetLineText(1), QStringLiteral("teh 1"));
    EXPECT_FALSE(gModified);
}

TEST_F(SpellWindowTest, ABatchThatCannotBeWrittenBackIsToldAndNeverCompleted) {
    Make();
    FakeSpellService* spell = Install();
    // The first batch comes back whole, the second without a separator.
    spell->dropSeparatorFrom = 2;
    Open(1200, QStringLiteral("teh %1"));
    msgbox.Answer(vbOK).Answer(vbOK);
    w->mnuSpell->trigger();
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_TRUE(msgbox.shown()[0].text.contains("captions 501 to 1000"))
        << msgbox.shown()[0].text.toStdString();
    EXPECT_EQ(msgbox.shown()[0].icon, vbExclamation);
    EXPECT_EQ(msgbox.shown()[1].text, LangText(261, "500"));
    EXPECT_EQ(spell->texts.size(), 2); // the check stopped there
    EXPECT_EQ(GetLineText(500), QStringLiteral("the 500"));
    EXPECT_EQ(GetLineText(501), QStringLiteral("teh 501"));
    EXPECT_TRUE(gModified);

    // Failing in the first batch changes nothing and ends with the one message.
    Open(3, QStringLiteral("teh %1"));
    spell->texts.clear();
    spell->dropSeparatorFrom = 1;
    msgbox.Answer(vbOK);
    w->mnuSpell->trigger();
    EXPECT_EQ(msgbox.count(), 3);
    EXPECT_TRUE(msgbox.last().text.contains("captions 1 to 3"));
    EXPECT_EQ(GetLineText(1), QStringLiteral("teh 1"));
    EXPECT_FALSE(gModified);
}

TEST_F(SpellWindowTest, CaptionsHoldingTheSeparatorsComeBackUnchangedAndCorrected) {
    Make();
    Install();
    const QStringList texts = {"100%%% sure", "%#%", "#%# teh", "a|%%%", "teh %#% b<i>", "%%%"};
    w->ResetGrid(true);
    std::vector<tSubtitleLine> lines;
    for (const QString& t : texts)
        lines.push_back({1000, 2000, t});
    ASSERT_TRUE(FillLines(0, lines));
    gSubFile = QStringLiteral("test.srt");
    w->ResetControls();
    gModified = false;
    msgbox.Answer(vbOK);
    w->mnuSpell->trigger();
    EXPECT_EQ(msgbox.last().text, LangText(260) + u' ' + LangText(261, "2"));
    const QStringList expected = {"100%%% sure", "%#%", "#%# the", "a|%%%", "the %#% b<i>", "%%%"};
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(GetLineText(i + 1), expected[i]);
}

} // namespace
