// The settings loader against its table, its conversions and its dependent rules.
#include "base/settings.h"
#include "base/settingsstore.h"
#include "fixture.h"

#include <QFile>

namespace {

class SettingsLoad : public ScrivelleTest {
protected:
    void Store(const QString& key, const QString& value) { ASSERT_TRUE(WriteSetting(key, value)); }
};

TEST_F(SettingsLoad, EmptyStoreGivesEveryDefault) {
    LoadSettings();
    EXPECT_EQ(gLanguage, "---");
    EXPECT_EQ(gLineBreak, "|");
    EXPECT_EQ(gAutoSplit, 1);
    EXPECT_EQ(gCollision, 1);
    EXPECT_EQ(gAutoJoin, 1);
    EXPECT_EQ(gNear, 200);
    EXPECT_EQ(gDurationMode, 1);
    EXPECT_EQ(gRuleDuration[0], 250);
    EXPECT_EQ(gRuleDuration[1], 120);
    EXPECT_EQ(gRuleDuration[2], 50);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(gRuleTolerance[i], 200);
    EXPECT_EQ(gApplyWhen, 0);
    EXPECT_EQ(gRemoveCredits, 0);
    EXPECT_EQ(gCreditsText, "@,http,www");
    EXPECT_EQ(gFixBreaks, 1);
    EXPECT_EQ(gHotKeys, 1);
    EXPECT_EQ(gRewindSecs, 5);
    EXPECT_EQ(gForwardSecs, 5);
    const uint8_t codes[] = {'Z', 'X', 'C', 'B', 'N', 'M', 'D', 'F', 'W', 'E'};
    const uint8_t* vars[] = {&gHkPlay, &gHkPause,    &gHkStop, &gHkStart,  &gHkNext,
                             &gHkEnd,  &gHkPrevious, &gHkJump, &gHkRewind, &gHkForward};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(*vars[i], codes[i]) << i;
    EXPECT_EQ(gCapFontName, "Arial");
    EXPECT_EQ(gCapFontSize, 18);
    EXPECT_TRUE(gCapFontBold);
    EXPECT_EQ(gCapFontColor, 0xFFFFFF);
    EXPECT_FALSE(gCapOpaque);
    EXPECT_EQ(gCapShadow, 1);
    EXPECT_EQ(gCapPlacement, 90);
    EXPECT_TRUE(gFollow);
    EXPECT_EQ(gStretch, 1);
    EXPECT_EQ(gUIMode, "full");
    EXPECT_EQ(gVSFilterMode, 0);
    EXPECT_EQ(gSubMode, 0);
    EXPECT_EQ(gGridFontName, "Tahoma");
    EXPECT_EQ(gGridFontSize, 8);
    EXPECT_FALSE(gGridFontBold);
    EXPECT_TRUE(gInfoBar);
    EXPECT_FALSE(gAudioBar);
    EXPECT_FALSE(gFullWave);
    EXPECT_EQ(gAudioBarColor, 0xFFFF00);
    EXPECT_EQ(gWavScale, 25000);
}

TEST_F(SettingsLoad, LoadingNeverWritesTheStore) {
    LoadSettings();
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
}

TEST_F(SettingsLoad, StoredValuesAreReadWithKeysOfAnyCase) {
    Store("near", "350");
    Store("F_FONTNAME", "DejaVu Sans");
    Store("m_wavscale", "1200");
    LoadSettings();
    EXPECT_EQ(gNear, 350);
    EXPECT_EQ(gCapFontName, "DejaVu Sans");
    EXPECT_EQ(gWavScale, 1200);
}

TEST_F(SettingsLoad, PlacementClampKeepsBoundsAndResetsOutsiders) {
    for (auto [stored, expected] : std::initializer_list<std::pair<const char*, int>>{
             {"15", 90}, {"101", 90}, {"20", 20}, {"100", 100}, {"300", 90}, {"55", 55}}) {
        Store("F_SUBHEIGHT", stored);
        ResetSettingVariables();
        LoadSettings();
        EXPECT_EQ(gCapPlacement, expected) << stored;
    }
}

TEST_F(SettingsLoad, WaveScaleClampAndHexReading) {
    for (auto [stored, expected] : std::initializer_list<std::pair<const char*, int>>{{"0", 25000},
                                                                                      {"60000", 25000},
                                                                                      {"&H61A8", 25000},
                                                                                      {"1", 1},
                                                                                      {"50000", 50000},
                                                                                      {"&h3e8", 1000}}) {
        Store("M_WAVSCALE", stored);
        ResetSettingVariables();
        LoadSettings();
        EXPECT_EQ(gWavScale, expected) << stored;
    }
}

TEST_F(SettingsLoad, BlankCreditKeywordsSwitchTheCreditRuleOff) {
    Store("T_CREDITS", "1");
    Store("T_CREDITSTEXT", "   ");
    LoadSettings();
    EXPECT_EQ(gRemoveCredits, 0);
    EXPECT_EQ(gCreditsText, "   ");

    Store("T_CREDITSTEXT", "subs by");
    LoadSettings();
    EXPECT_EQ(gRemoveCredits, 1);
}

TEST_F(SettingsLoad, OldLanguageKeysAreRenamedExactly) {
    Store("Language", "BPORTUGUESE");
    LoadSettings();
    EXPECT_EQ(gLanguage, "PORTUGUESE_BR");
    Store("Language", "FARSI");
    LoadSettings();
    EXPECT_EQ(gLanguage, "PERSIAN");
    Store("Language", "bportuguese");
    LoadSettings();
    EXPECT_EQ(gLanguage, "bportuguese");
}

TEST_F(SettingsLoad, PlayerModeIsAFourCharacterField) {
    for (auto [stored, expected] : std::initializer_list<std::pair<const char*, const char*>>{
             {"mini", "mini"}, {"fullscreen", "full"}, {"x", "x   "}, {"", "    "}}) {
        Store("P_UIMODE", stored);
        LoadSettings();
        EXPECT_EQ(gUIMode, expected) << stored;
    }
}

TEST_F(SettingsLoad, BooleanWordsAndNumbers) {
    for (auto [stored, expected] : std::initializer_list<std::pair<const char*, bool>>{
             {"255", true}, {"-1", true}, {"True", true}, {"TRUE", true}, {"0", false}, {"False", false}}) {
        Store("F_OPAQUE", stored);
        ResetSettingVariables();
        LoadSettings();
        EXPECT_EQ(gCapOpaque, expected) << stored;
    }
    // A text that is neither leaves the variable as it was before the load.
    Store("F_OPAQUE", "yes");
    Store("F_FOLLOW", "maybe");
    ResetSettingVariables();
    gFollow = true;
    LoadSettings();
    EXPECT_FALSE(gCapOpaque);
    EXPECT_TRUE(gFollow);
}

TEST_F(SettingsLoad, NumbersRoundHalvesToEvenAndReadExponents) {
    Store("Near", "1e3");
    Store("AutoSplit", "2.5");
    Store("Collision", "3.5");
    Store("Duration0", " 1 2 ");
    LoadSettings();
    EXPECT_EQ(gNear, 1000);
    EXPECT_EQ(gAutoSplit, 2);
    EXPECT_EQ(gCollision, 4);
    EXPECT_EQ(gRuleDuration[0], 12);
}

TEST_F(SettingsLoad, ValueOutsideTheTypeKeepsThePreviousValue) {
    Store("hkPlay", "300");      // not a byte
    Store("Duration1", "40000"); // not a 16-bit number
    Store("Near", "99999999999");
    ResetSettingVariables();
    gHkPlay = 81;
    gNear = 7;
    LoadSettings();
    EXPECT_EQ(gHkPlay, 81);
    EXPECT_EQ(gRuleDuration[1], 0);
    EXPECT_EQ(gNear, 7);
    // Loading goes on with the keys after the failed ones.
    EXPECT_EQ(gHkPause, 'X');
}

TEST_F(SettingsLoad, TextWithoutANumberLoadsZero) {
    Store("Near", "abc");
    LoadSettings();
    EXPECT_EQ(gNear, 0);
}

TEST_F(SettingsLoad, EmptyLineBreakMarkerFallsBackToBar) {
    Store("LBREAK", "");
    LoadSettings();
    EXPECT_EQ(gLineBreak, "|");
    Store("LBREAK", "[br]");
    LoadSettings();
    EXPECT_EQ(gLineBreak, "[br]");
}

TEST_F(SettingsLoad, UnreadableStoreGivesDefaults) {
    // The store path is a folder: it cannot be read, so every key takes its default.
    QDir().mkpath(SettingsFilePath());
    LoadSettings();
    EXPECT_EQ(gNear, 200);
    EXPECT_EQ(gLanguage, "---");
    EXPECT_TRUE(SettingsStoreReadFailed());
}

} // namespace
