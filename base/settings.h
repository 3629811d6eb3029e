#pragma once
#include <QString>

#include <cstdint>

// The settings block: the process-wide setting variables that LoadSettings fills at start-up.
// Every other part of the program reads these variables, never the store, for these settings;
// the settings dialog edits them in place and writes them back.

extern QString gLanguage;         // "Language": key name of the UI language, "---" = never chosen
extern QString gLineBreak;        // "LBREAK": marker of a line break inside caption text
extern uint8_t gAutoSplit;        // "AutoSplit"
extern uint8_t gCollision;        // "Collision"
extern uint8_t gAutoJoin;         // "AutoJoin"
extern int32_t gNear;             // "Near": join distance in ms
extern uint8_t gDurationMode;     // "Duration"
extern int16_t gRuleDuration[3];  // "Duration0".."Duration2": ms per character by band
extern int16_t gRuleTolerance[3]; // "Tolerance0".."Tolerance2"
extern uint8_t gApplyWhen;        // "ApplyWhen": 0 on load, 1 while timing, 2 both
extern uint8_t gRemoveCredits;    // "T_CREDITS"
extern QString gCreditsText;      // "T_CREDITSTEXT"
extern uint8_t gFixBreaks;        // "T_BREAKS"
extern uint8_t gHotKeys;          // "HotKeys"
extern int16_t gRewindSecs;       // "kRewindSecs"
extern int16_t gForwardSecs;      // "kForwardSecs"
extern uint8_t gHkPlay, gHkPause, gHkStop, gHkStart, gHkNext, gHkEnd, gHkPrevious, gHkJump, gHkRewind,
    gHkForward;                // "hkPlay".."hkForward": key codes 65..90
extern QString gCapFontName;   // "F_FONTNAME"
extern uint8_t gCapFontSize;   // "F_FONTSIZE"
extern bool gCapFontBold;      // "F_FONTBOLD"
extern int32_t gCapFontColor;  // "F_FONTCOLOR", 0x00BBGGRR
extern bool gCapOpaque;        // "F_OPAQUE"
extern uint8_t gCapShadow;     // "F_SHADOWVAL"
extern uint8_t gCapPlacement;  // "F_SUBHEIGHT", percent, 20..100
extern bool gFollow;           // "F_FOLLOW"
extern uint8_t gStretch;       // "P_STRETCH"
extern QString gUIMode;        // "P_UIMODE", always four characters
extern uint8_t gVSFilterMode;  // "P_VSFILTERMODE"
extern uint8_t gSubMode;       // "M_SUBMODE"
extern QString gGridFontName;  // "M_FONTNAME"
extern uint8_t gGridFontSize;  // "M_FONTSIZE"
extern bool gGridFontBold;     // "M_FONTBOLD"
extern bool gInfoBar;          // "M_INFOBAR"
extern bool gAudioBar;         // "M_AUDIOBAR"
extern bool gFullWave;         // "M_FULLWAVE"
extern int32_t gAudioBarColor; // "M_AUDIOBARCOLOR", 0x00BBGGRR
extern int32_t gWavScale;      // "M_WAVSCALE", 1..50000

// Reads the settings in their fixed order, applying each default, conversion and the
// dependent rules. A stored value that cannot be converted leaves its variable as it was.
// Never writes the store.
void LoadSettings();

// Puts every setting variable back to its value before any load (0, false, empty text).
void ResetSettingVariables();

// The hot-key rows: store key of the code, store key of the letter, the variable.
struct HotKeySetting {
    const char* codeKey;   // "hkPlay"
    const char* letterKey; // "kPlay"
    uint8_t* variable;
    uint8_t defaultCode;
};
extern const HotKeySetting kHotKeySettings[10];

// Keys that LoadSettings does not read; each is read and written only by the part that uses it.
namespace SettingKeys {
inline const QString WindowWidth = QStringLiteral("WindowWidth");
inline const QString WindowHeight = QStringLiteral("WindowHeight");
inline const QString WindowState = QStringLiteral("WindowState");
inline const QString Volume = QStringLiteral("Volume");
inline const QString TFileName = QStringLiteral("TFileName");
inline const QString VFileName = QStringLiteral("VFileName");
inline const QString AFileName = QStringLiteral("AFileName");
inline const QString LastFolder = QStringLiteral("LastFolder");
inline const QString CheckedVersion = QStringLiteral("CheckedVersion");
inline const QString AudioMode = QStringLiteral("AUDIOMODE");
inline const QString VDPath = QStringLiteral("VDPATH");
} // namespace SettingKeys
