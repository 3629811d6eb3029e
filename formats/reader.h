#pragma once
// The subtitle reader: a file whose format detection has chosen becomes captions. Each line is
// read into a pending caption (start, end, text); a finished caption goes into an import buffer,
// and the buffer fills the caption grid in one step at the end, replacing the document or
// appended after it. Most formats are read through their body template; a few have line
// grammars of their own (formats/readerpaths.h); the list's first format is plain text.
//
// The parsing core (ParseSubtitleText) takes text and a definition and gives captions, without
// the grid or the window, so it is tested and fuzzed directly.
#include "document/captions.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

// One caption as the reader gathers it (ms; -1 while a time is not read).
using tImportCaption = tSubtitleLine;

// The most captions a document takes from files: a read stops there (text 158).
inline constexpr int kImportLimit = 32000;

// How long a caption shows when its file gives only its start and nothing ends it (the last line
// of a format whose lines carry only a start, the last SYNC of a SAMI file, a last caption whose
// closing line never came).
inline constexpr int32_t kDefaultCaptionMs = 3000;

// Added to every start and end an append writes into the grid; it grows by the length of the
// open media with each append. A new document sets it back to 0.
extern int32_t gAppendOffset;
// Set when a read is cancelled (the frame-rate question, or the user through the window while
// the reader lets events run); cleared when ImportSubtitleFile begins.
extern bool gAbortLoad;
// The last read stopped at the caption limit: the document holds only part of the file, so the
// file commands should not let a plain Save write it over the original.
extern bool gImportTruncated;

// --- Connections to the main window, each doing nothing until set ---
// The open media's length in whole seconds (0 when unknown); an append moves the new captions
// behind it.
extern std::function<int32_t()> gOnGetMediaLength;
// Disables (false) and enables (true) the file commands around a read.
extern std::function<void(bool enabled)> gOnEnableFileCommands;

// The document holds less than the file it was read from: the reader left out content the
// caption list cannot hold (tReadOutcome::leftOut). A plain Save would write over that content,
// so the file commands send Save through Save as. Set by a read that replaces the document,
// cleared when the document is written under a name the user chose.
extern bool gImportLeftOut;

// Kinds of content a file may hold that the caption list cannot, each one bit of
// tReadOutcome::leftOut.
enum tLeftOut : uint32_t {
    kLeftStyles = 1u << 0,       // style definitions other than those this program writes
    kLeftInlineStyles = 1u << 1, // styles on part of a caption (they become whole-caption styles)
    kLeftComments = 1u << 2,     // comment lines and blocks
    kLeftLayers = 1u << 3,       // layers of SubStation Alpha events
    kLeftNames = 1u << 4,        // speaker names and voices
    kLeftEffects = 1u << 5,      // event effects
    kLeftPositions = 1u << 6,    // margins, cue settings, regions, coordinates
    kLeftCanvas = 1u << 7,       // a script's canvas size
    kLeftEmbedded = 1u << 8,     // embedded fonts and pictures
    kLeftHeader = 1u << 9,       // header lines and metadata
    kLeftInlineTimes = 1u << 10, // timings within a caption (karaoke)
};

// The kinds in leftOut named for the user, in a list ("styles, comment lines and layers").
QString LeftOutNames(uint32_t leftOut);

// What the parsing core needs.
struct tReadSetup {
    tFormatDef def;         // the format's definition (its Id chooses a special grammar)
    bool plainText = false; // the list's first format: one untimed caption per non-empty line
    float fps = 0.0f;       // frames per second for frame-based times
    bool timedSample = false;
    QString lineBreak = QStringLiteral("|");
    int limit = kImportLimit; // most captions taken
    // A large text of a format whose captions end at blank lines is read in parts at once, on
    // threads of their own: at most `parts` (0: one for each processor the process may run on,
    // up to 8), each of at least partChars characters. The outcome is that of reading it from
    // start to end.
    int parts = 0;
    qsizetype partChars = qsizetype(256) << 10;
    // A text read in parts leaves each part's captions a piece of their own (outcome.pieces)
    // rather than gathering them into one list.
    bool keepPieces = false;
    // Runs whenever the count of captions reaches a new multiple of 100 and every few thousand
    // lines (of the first part only, where the text is read in parts); true stops the read
    // (cancelled).
    std::function<bool()> poll;
    // A read that switches to another format's definition midway (Sonic Scenarist files turn
    // out to be Spruce ones); null loads the definition quietly.
    std::function<bool(const QString& id, tFormatDef& def)> switchFormat;
    // The header this program writes in the format (what stands before the captions of a file it
    // wrote): what a file holds beyond it, such as another canvas size, is content left out.
    QString ownHeader;
};

struct tReadOutcome {
    std::vector<tImportCaption> captions; // times never negative
    // With keepPieces, a text read in parts: its captions in pieces, one after the other
    // (captions is then empty).
    std::vector<std::vector<tImportCaption>> pieces;
    bool limitReached = false;            // more captions followed than the limit allows
    bool aborted = false;                 // poll stopped the read
    QString formatId;                     // the format the read ended with
    int skipped = 0;                      // captions of the file that could not be read
    int clampedTimes = 0;                 // times beyond 99:59:59.999, read as that time
    int negativeTimes = 0;                // times below 0 (written with a minus), read as 0
    int endsSet = 0;                      // captions nothing in the file ends, given kDefaultCaptionMs
    uint32_t leftOut = 0;                 // tLeftOut kinds of content the captions cannot hold
    int unreadLines = 0;                  // lines placed in no caption and not known to the format
    QStringList unreadSamples;            // the first few of them, as the file has them (shortened)
};

// How many unread lines a read names in its message.
inline constexpr int kUnreadSamples = 3;

// True when the read lost something it tells the user of (skipped captions, times moved into
// range, ends the reader set, lines not read, content left out): the document then differs from
// its file, and Save must not write over the original unasked.
bool ReadLostContent(const tReadOutcome& outcome);

// Reads the text (lines end at CR LF, LF or CR; each is trimmed) with the setup's format.
tReadOutcome ParseSubtitleText(QStringView text, const tReadSetup& setup);
tReadOutcome ParseSubtitleText(const tFileText& text, const tReadSetup& setup);

// The definition the plain-text fallback reads with: times in ms, real line breaks, no tags,
// no template.
tFormatDef PlainTextDefinition();

// True when the reader can use the definition: formats read through the body template need
// zrvStart before zrvEnd and zrvCaption (the template is the picture the parser reads by).
bool IsReadableDefinition(const tFormatDef& def);

// Opens or appends a subtitle file: recognises its format (a second try reads it as UTF-16, a
// ".txt" file nothing recognises is read as plain text) and reads it into the document. Does
// nothing while another file is loading. The document is busy (document/busy.h) throughout the
// load; callers test IsDocumentBusy() before they start one. With append the document keeps
// its own format and frame rate.
void ImportSubtitleFile(const QString& path, bool isRetry, bool append);

// Reads a file in the format at gFormatIndex (gFormatDef loaded, index 0 = plain text) into the
// document. utf16: read a file without a byte-order mark as UTF-16 little-endian. Returns true
// when captions were read.
bool ReadSubtitleFile(const QString& path, bool utf16, bool append);

// Asks for the frame rate of a frame-based file (15 to 30); 0 when cancelled.
float AskImportFPS();

// True while ImportSubtitleFile is under way.
bool IsSubtitleLoading();
