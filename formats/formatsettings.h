#pragma once
// The per-format header settings of the three formats whose header the program builds itself
// (DVD subtitle script, SAMI, SubStation Alpha): where they are stored, their shared defaults,
// and the conversions between their stored forms and what the settings dialog shows.
#include <QString>

#include <cstdint>

inline const QString kDvdSubtitleId = QStringLiteral("DVDSUBTITLE");
inline const QString kSamiId = QStringLiteral("SAMI");
inline const QString kSsaId = QStringLiteral("SUBSTATIONALPHA");

// The maker's web site: the default of the DVD script's "web" value.
inline const QString kMakerWebAddress = QStringLiteral("http://www.orvalent.com/");
inline const QString kDefaultDvdInfo = QStringLiteral("Created with Quenlark Scrivelle");

// A value of a format's subsection of the settings store ("Scrivelle\" + id).
QString ReadFormatSetting(const QString& id, const QString& key, const QString& def = QString());
void WriteFormatSetting(const QString& id, const QString& key, const QString& value);

// True when the format's header is built by BuildFormatHeader ("header" = 1 in formats.ini).
bool HasGeneratedHeader(const QString& id);

// A colour 0x00BBGGRR as "#RRGGBB" (upper-case digits).
QString ColorToHtml(int32_t bgr);
// "#RRGGBB" read by position: characters 2-3 red, 4-5 green, the last two blue; a piece that
// is no hexadecimal number counts as 0.
int32_t HtmlToColor(const QString& html);

// The SubStation Alpha alignment number of the dialog's two lists: horizontal entry 0 left,
// 1 right, 2 centre; vertical entry 0 top, 1 centre, 2 bottom.
int SsaAlignmentNumber(int horizontalEntry, int verticalEntry);
// The entries that show a stored alignment number; -1 where no entry fits.
struct tSsaAlignmentEntries {
    int horizontal = -1;
    int vertical = -1;
};
tSsaAlignmentEntries SsaAlignmentEntries(uint8_t alignment);
