#include "base/settings.h"

#include "base/numbers.h"
#include "base/processstate.h"
#include "base/settingsstore.h"

#include <variant>

QString gLanguage;
QString gLineBreak;
uint8_t gAutoSplit;
uint8_t gCollision;
uint8_t gAutoJoin;
int32_t gNear;
uint8_t gDurationMode;
int16_t gRuleDuration[3];
int16_t gRuleTolerance[3];
uint8_t gApplyWhen;
uint8_t gRemoveCredits;
QString gCreditsText;
uint8_t gFixBreaks;
uint8_t gHotKeys;
int16_t gRewindSecs;
int16_t gForwardSecs;
uint8_t gHkPlay, gHkPause, gHkStop, gHkStart, gHkNext, gHkEnd, gHkPrevious, gHkJump, gHkRewind, gHkForward;
QString gCapFontName;
uint8_t gCapFontSize;
bool gCapFontBold;
int32_t gCapFontColor;
bool gCapOpaque;
uint8_t gCapShadow;
uint8_t gCapPlacement;
bool gFollow;
uint8_t gStretch;
QString gUIMode;
uint8_t gVSFilterMode;
uint8_t gSubMode;
QString gGridFontName;
uint8_t gGridFontSize;
bool gGridFontBold;
bool gInfoBar;
bool gAudioBar;
bool gFullWave;
int32_t gAudioBarColor;
int32_t gWavScale;

const HotKeySetting kHotKeySettings[10] = {
    {"hkPlay", "kPlay", &gHkPlay, 90},
    {"hkPause", "kPause", &gHkPause, 88},
    {"hkStop", "kStop", &gHkStop, 67},
    {"hkStart", "kStart", &gHkStart, 66},
    {"hkNext", "kNext", &gHkNext, 78},
    {"hkEnd", "kEnd", &gHkEnd, 77},
    {"hkPrevious", "kPrevious", &gHkPrevious, 68},
    {"hkJump", "kJump", &gHkJump, 70},
    {"hkRewind", "kRewind", &gHkRewind, 87},
    {"hkForward", "kForward", &gHkForward, 69},
};

namespace {

// text(4): a fixed four-character field.
struct Fixed4 {
    QString* v;
};
using Target = std::variant<QString*, Fixed4, uint8_t*, int16_t*, int32_t*, bool*>;

struct Row {
    const char* key;
    Target target;
    const char* def;
};

void Assign(const Target& target, const QString& text) {
    std::visit(
        [&](auto&& t) {
            using T = std::decay_t<decltype(t)>;
            if constexpr (std::is_same_v<T, QString*>) {
                *t = text;
            } else if constexpr (std::is_same_v<T, Fixed4>) {
                *t.v = text.left(4).leftJustified(4, QLatin1Char(' '));
            } else if constexpr (std::is_same_v<T, uint8_t*>) {
                if (auto v = LeadingByte(text)) *t = *v;
            } else if constexpr (std::is_same_v<T, int16_t*>) {
                if (auto v = LeadingInt16(text)) *t = *v;
            } else if constexpr (std::is_same_v<T, int32_t*>) {
                if (auto v = LeadingInt32(text)) *t = *v;
            } else if constexpr (std::is_same_v<T, bool*>) {
                if (auto v = ParseBoolText(text)) *t = *v;
            }
        },
        target);
}

void Load(const Row& row) {
    Assign(row.target, ReadSetting(QString::fromLatin1(row.key), QString::fromUtf8(row.def)));
}

void ResetSettingsState() {
    ResetSettingVariables();
}
SCRIVELLE_REGISTER_RESET(ResetSettingsState);

} // namespace

void ResetSettingVariables() {
    for (QString* s : {&gLanguage, &gLineBreak, &gCreditsText, &gCapFontName, &gUIMode, &gGridFontName})
        s->clear();
    for (uint8_t* b : {&gAutoSplit, &gCollision, &gAutoJoin, &gDurationMode, &gApplyWhen, &gRemoveCredits,
                       &gFixBreaks, &gHotKeys, &gCapFontSize, &gCapShadow, &gCapPlacement, &gStretch,
                       &gVSFilterMode, &gSubMode, &gGridFontSize})
        *b = 0;
    for (const HotKeySetting& hk : kHotKeySettings)
        *hk.variable = 0;
    for (int i = 0; i < 3; ++i)
        gRuleDuration[i] = gRuleTolerance[i] = 0;
    gRewindSecs = gForwardSecs = 0;
    gNear = gCapFontColor = gAudioBarColor = gWavScale = 0;
    gCapFontBold = gCapOpaque = gFollow = gGridFontBold = gInfoBar = gAudioBar = gFullWave = false;
}

void LoadSettings() {
    const SettingsReadBatch batch;
    Load({"Language", &gLanguage, "---"});
    Load({"LBREAK", &gLineBreak, "|"});
    // An empty marker would make every caption edit split on nothing and drop the text.
    if (gLineBreak.isEmpty()) gLineBreak = QStringLiteral("|");
    // Key names of two languages were renamed; settings from older versions still say the old ones.
    if (gLanguage == QLatin1String("BPORTUGUESE"))
        gLanguage = QStringLiteral("PORTUGUESE_BR");
    else if (gLanguage == QLatin1String("FARSI"))
        gLanguage = QStringLiteral("PERSIAN");

    const Row rules[] = {
        {"AutoSplit", &gAutoSplit, "1"},
        {"Collision", &gCollision, "1"},
        {"AutoJoin", &gAutoJoin, "1"},
        {"Near", &gNear, "200"},
        {"Duration", &gDurationMode, "1"},
        {"Duration0", &gRuleDuration[0], "250"},
        {"Duration1", &gRuleDuration[1], "120"},
        {"Duration2", &gRuleDuration[2], "50"},
        {"Tolerance0", &gRuleTolerance[0], "200"},
        {"Tolerance1", &gRuleTolerance[1], "200"},
        {"Tolerance2", &gRuleTolerance[2], "200"},
        {"ApplyWhen", &gApplyWhen, "0"},
        {"T_CREDITS", &gRemoveCredits, "0"},
        {"T_CREDITSTEXT", &gCreditsText, "@,http,www"},
    };
    for (const Row& r : rules)
        Load(r);
    if (gCreditsText.trimmed().isEmpty()) gRemoveCredits = 0;

    Load({"T_BREAKS", &gFixBreaks, "1"});
    Load({"HotKeys", &gHotKeys, "1"});
    Load({"kRewindSecs", &gRewindSecs, "5"});
    Load({"kForwardSecs", &gForwardSecs, "5"});
    for (const HotKeySetting& hk : kHotKeySettings)
        Load({hk.codeKey, hk.variable, QByteArray::number(hk.defaultCode).constData()});

    const Row preview[] = {
        {"F_FONTNAME", &gCapFontName, "Arial"}, {"F_FONTSIZE", &gCapFontSize, "18"},
        {"F_FONTBOLD", &gCapFontBold, "True"},  {"F_FONTCOLOR", &gCapFontColor, "16777215"},
        {"F_OPAQUE", &gCapOpaque, "False"},     {"F_SHADOWVAL", &gCapShadow, "1"},
        {"F_SUBHEIGHT", &gCapPlacement, "90"},
    };
    for (const Row& r : preview)
        Load(r);
    if (gCapPlacement < 20 || gCapPlacement > 100) gCapPlacement = 90;

    const Row view[] = {
        {"F_FOLLOW", &gFollow, "True"},         {"P_STRETCH", &gStretch, "1"},
        {"P_UIMODE", Fixed4{&gUIMode}, "full"}, {"P_VSFILTERMODE", &gVSFilterMode, "0"},
        {"M_SUBMODE", &gSubMode, "0"},          {"M_FONTNAME", &gGridFontName, "Tahoma"},
        {"M_FONTSIZE", &gGridFontSize, "8"},    {"M_FONTBOLD", &gGridFontBold, "False"},
        {"M_INFOBAR", &gInfoBar, "True"},       {"M_AUDIOBAR", &gAudioBar, "False"},
        {"M_FULLWAVE", &gFullWave, "False"},    {"M_AUDIOBARCOLOR", &gAudioBarColor, "16776960"},
        {"M_WAVSCALE", &gWavScale, "25000"},
    };
    for (const Row& r : view)
        Load(r);
    if (gWavScale < 1 || gWavScale > 50000) gWavScale = 25000;
}
