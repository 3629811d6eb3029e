#pragma once
#include <QString>

#include <cstdint>

// A subtitle filter installed beside the media backend would draw a video's own subtitles over
// the picture while the user times captions. While the program runs, the filter is switched
// off ("LoadLevel" = 2) or told to hide its subtitles ("Hide" = 1) through its own keys, and the
// value that was changed is put back when the workspace closes.
//
// The switch is remembered in the settings store before it is made, so a run that ends without
// closing its workspace (a crash, a kill) is repaired by the next start.

inline const QString kFilterKeyPrimary =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Tovrin\\VSFilter\\General");
inline const QString kFilterKeyAlternative =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\MPC-HC\\vsfilter\\General");

// The values read at the switch ("Hide" default 1, "LoadLevel" default 2).
extern int32_t gSavedFilterHide;
extern int32_t gSavedFilterLoadLevel;

// True when the alternative key exists and alternativeAllowed is set; otherwise whether the
// primary key exists.
bool SubtitleFilterKeyExists(int16_t alternativeAllowed);

// Saves the filter's values and switches it as gVSFilterMode says (non-zero: hide its
// subtitles; 0: never load it). Repairs first what an interrupted earlier run left switched.
void SetupSubtitleFilter();

// Puts back the one value the switch changed (removing it when it did not exist before).
// Does nothing when nothing was switched, so closing the workspace twice is harmless.
void RestoreSubtitleFilter();
