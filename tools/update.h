#pragma once
#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>

// The update check's pieces that need no window: the request address, the download into the
// scratch folder, the reply file's normalisation and reading, and the version test.

// What the last check found (one instance each).
extern QString gUpdVersion;    // "version" of the reply, as received
extern QString gUpdVersionNum; // its digits without the dots ("2.3.0" -> "230"; "---" -> "0")
extern QString gCurVersionNum; // the running version's digits ("1.0.0" -> "100")
extern QString gUpdDate;       // release date in the system's long form, empty when incomplete
extern int32_t gUpdResult;     // the last download's result: 0 success
extern int32_t gUpdChars;      // length of the last value read from the reply
extern QString gUpdText;       // the reply's text while it is normalised

// Setting that holds the update site's base address (tests point it at 127.0.0.1).
inline const QString kUpdateSiteKey = QStringLiteral("UpdateSite");
inline const QString kDefaultUpdateSite = QStringLiteral("http://www.orvalent.com/");
// The reply file in the scratch folder.
QString UpdateReplyFile();

// Base address + "files/updates.php?idprod=zrv&version=" + the running version's digits.
QString UpdateRequestAddress();

// Compares dotted versions part by part as numbers ("2.10.0" > "2.9.0"; "2.3" == "2.3.0");
// a part's leading digits count, anything else is 0. <0, 0 or >0.
int CompareVersions(const QString& a, const QString& b);
// A version is numbers and dots and nothing else: 1 to 6 numbers of 1 to 9 digits (0-9), joined
// by single dots ("2", "2.3.0"). Markup, blanks, control characters, other digits, text that
// was not UTF-8 and longer texts are not versions: they are never offered nor kept, and never
// make a box wider than the screen.
inline constexpr int kMaxVersionParts = 6;
inline constexpr int kMaxVersionDigits = 9;
bool IsVersionText(const QString& text);
// True when version is a version (IsVersionText) of a release newer than the running one.
bool IsNewerThanRunning(const QString& version);

// The longest reply the check accepts, and its time limit.
inline constexpr qint64 kUpdateReplyLimit = 64 * 1024;
extern int gUpdateTimeLimitMs; // 20 s; tests shorten it

// Downloads address into path (written whole or not at all). Events keep running while it
// waits; keepGoing is asked now and then and ends the wait early when it returns false.
// gUpdResult: 0 on success, else an error number, with errorText saying what went wrong.
bool DownloadFile(const QString& address, const QString& path, int delayMs, QString* errorText,
                  const std::function<bool()>& keepGoing = {});

// False only when the system says it has no connection at all.
bool IsOnline();
// Tests decide the connection state: 1 online, 0 offline, -1 ask the system.
extern int gOnlineOverride;

// Rewrites the file with CR LF line ends (CR LF, a lone CR and a lone LF each become one CR LF).
void NormalizeUpdateFile(const QString& path);

// A value of the section "VELLUMIX" of the reply file; "---" when missing. At most 254
// characters, control characters dropped.
QString GetUpdateValue(const QString& key);

// The reply's "version" exactly as the reply holds it when it is a version (IsVersionText);
// empty when it is missing or is no version.
QString ReplyVersion();

// The release date from the reply's year, month and day (each its leading number); months and
// days past their end roll over. Empty when a part is missing or the date is not valid.
QString UpdateReleaseDate(const QString& year, const QString& month, const QString& day);
