#pragma once
// The format catalogue: formats.dat lists the format ids and holds one template block per
// format; formats.ini holds one section of keys per id. The list is loaded once at start-up;
// a definition is loaded on demand into the one shared tFormatDef.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// One format's definition, as the last LoadFormatDefinition left it.
struct tFormatDef {
    QString Id;             // the id this definition was loaded for
    QString Timecode;       // "timecode", lower case: "ms", "ff" or a pattern such as "hh:mm:ss,zzz"
    QString TimeMask;       // the pattern with its fields as zeros ("00:00:00,000"); "0" for ms and ff
    QString CompactPattern; // the pattern with one letter per field ("h:m:s,z")
    QString HourMask;       // "00" when the pattern has "hh", else "0"
    QString FractionMask;   // "000" for "zzz", "00" for "zz", else "0"
    QString Sample;         // "sample", upper case, "!" as CR LF and "?" as TAB
    QString LineBreakToken; // "lbreak": "[enter]", "none" or a token
    uint8_t TagFlags = 0;   // "tags": 1 bold, 2 italic, 4 underline
    QString TagOpen;        // "tagopen": the bold tag; italic and underline swap its "b" for "i"/"u"
    QString TagClose;       // "tagclose": same convention; "---" = the format has no closing tag
    QString Header;         // the template pieces cut from the block
    QString Body;           // one caption; ends with the CR of the line break before {/SubRepeat}
    QString Footer;
    QString SubCountFormat;       // "subcount" when the body numbers captions, else empty
    bool CaptionAfterEnd = false; // zrvCaption stands after zrvEnd in the body
    bool SingleLineBody = false;  // the body is one line and line breaks are written as a token
    QString TextEscape;           // "escape": "xml" = markup characters and non-ASCII as references
    // "encoding": "utf-8" = the format's files are UTF-8 (without a byte-order mark) whatever the
    // code page; empty = the code page decides. Markup needs no references for non-ASCII then.
    QString Encoding;
};

extern tFormatDef gFormatDef;

// The ids of formats.dat in list order. gFormatMax is the highest index (-1 while the list is
// empty); gFormatIndex points into the list (0 = the plain-text fallback format).
extern QStringList gFormatIds;
extern int gFormatMax;
extern int gFormatIndex;
// Frames per second of the open document's format; 0 when its times are not frame based.
extern float gFPS;
// The warning about a bad definition has been shown (once per run).
extern bool gBadFormatWarned;
// The format whose settings the format settings dialog shows; the reader sets it to the format
// of the file it read.
extern int gConfigFormatIndex;

// The most ids the list can hold; a list of more is reported as a broken installation.
inline constexpr int kMaxFormats = 255;

// Loads the id list from formats.dat. When either format file is missing, each missing one is
// reported and the program ends (see SetProgramEndHandler); the result is then false. So it is
// when the list holds more than kMaxFormats ids.
bool LoadFormatsList();

// Loads the definition of id into gFormatDef. With timecodeOnly only the time code and its
// masks are loaded and the result is false. Otherwise true for a valid definition; false (with
// Header, Body and Footer emptied, and one warning per run) for a bad or missing block. A block
// is valid when "{SubRepeat}" and "{/SubRepeat}" stand on lines of their own in that order with
// at least one body line between them, and zrvStart, zrvEnd and zrvCaption are in the body. With
// showStatus a valid load also moves gFormatIndex to the id (entries 1..gFormatMax) and shows
// the import status text.
bool LoadFormatDefinition(const QString& id, bool showStatus, bool timecodeOnly);

// A key of a format's formats.ini section.
QString ReadFormatIni(const QString& id, const QString& key, const QString& def = QString());

// The id at gFormatIndex, or "" when the index is outside the list.
QString CurrentFormatId();

// Forgets the parsed formats.dat (the INI reader keeps its own cache).
void ClearFormatFileCache();

// How the program ends when a format file is missing: std::exit by default; tests record it.
void SetProgramEndHandler(std::function<void(int exitCode)> handler);

// The main window's two file labels. ShowFileStatus shows a status text in the subtitle file
// label (emptying the video file label when asked) and lets pending window events run;
// RefreshFileLabels puts the file names back. Both do nothing until the window connects them.
extern std::function<void(const QString& text, bool clearVideoLabel)> gOnFileStatus;
extern std::function<void()> gOnRefreshFileLabels;
void ShowFileStatus(const QString& text, bool clearVideoLabel);
void RefreshFileLabels();
