#pragma once
// The reader's shared state (the pending caption and the import buffer) and the formats whose
// lines follow grammars of their own, each in its own file, with the one table that maps a
// format id to its grammar.
#include "formats/formattime.h"
#include "formats/reader.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// What a grammar keeps between the pieces of a text beyond the reader's shared fields; each
// grammar derives its own.
struct tGrammarData {
    virtual ~tGrammarData() = default;
};

class tCaptionReader {
public:
    explicit tCaptionReader(const tReadSetup& setup);

    const tFormatDef& Def() const { return def_; }
    const QString& LineBreak() const { return lineBreak_; }
    bool TimedSample() const { return timedSample_; }
    float Fps() const { return setup_.fps; }
    int Limit() const { return limit_; }
    // A time field of the format converted to ms (never negative, at most kMaxTimeMs; a later
    // time is counted in clampedTimes, one written with a minus in negativeTimes).
    int32_t Time(QStringView field);
    // A time a grammar computed itself, limited the same way (a time below 0 is counted in
    // negativeTimes).
    int32_t LimitTime(int64_t ms);
    // The end of a caption that begins at start and that nothing in the file ends: set
    // kDefaultCaptionMs later, and counted in endsSet so that the user is told.
    int32_t DefaultEnd(int64_t start);

    // The pending caption.
    QString text;
    int32_t start = -1;
    int32_t end = -1;
    bool Complete() const { return !text.isEmpty() && start >= 0 && end >= 0; }
    // Nothing pending and nothing kept from earlier lines: what follows is read as a new text
    // would be.
    bool AtRest() const;
    // Appends a further line to the pending text after the line-break marker; the first one
    // becomes the text.
    void AppendText(QStringView piece);
    // Empties the pending text.
    void ClearText();
    void ClearPending();
    // Gives up the pending caption: one with text is counted as skipped (it could not be read
    // whole), then it is cleared.
    void DropPending();

    // Finishes the pending caption: the format's style tags become the program's, its line-break
    // token the marker, markup text is unescaped; a caption with text goes into the buffer. The
    // pending caption is cleared either way.
    void FlushCaption();
    // Puts the pending caption into the buffer as it stands (styles moved to the front); the
    // pending text is taken (cleared).
    void AddImportedCaption();

    // State of one read that a format's grammar keeps: SAMI's body has begun, Spruce's caption
    // section has begun; the template parser's caption text is complete.
    bool sectionOpen = false;
    bool textClosed = false;
    // A section taken to have begun without its heading; captions read from this one on are
    // dropped if the heading turns up after all.
    bool sectionGuessed = false;
    size_t sectionFirstCaption = 0;
    // Where a grammar with blocks of several kinds stands (WebVTT: header, cue, note...).
    int grammarState = 0;

    // Moves the read to another format's definition; false (nothing changed) when it is bad.
    bool SwitchFormat(const QString& id);

    std::vector<tImportCaption> captions;
    bool limitReached = false;
    // Captions of the file that could not be read, times later than the largest one, times
    // below 0, ends the reader set, and the kinds of content left out (tLeftOut).
    int skipped = 0;
    int clampedTimes = 0;
    int negativeTimes = 0;
    int endsSet = 0;
    uint32_t leftOut = 0;
    // Non-blank lines (elements, in the markup formats) that are neither part of a caption nor a
    // header or markup line the grammar knows: counted, the first few kept to name them.
    int unreadLines = 0;
    QStringList unreadSamples;
    void NotRead(QStringView line);
    // The header the program writes in the format (tReadSetup::ownHeader).
    const QString& OwnHeader() const { return setup_.ownHeader; }
    // What a grammar keeps until the end of the file (the whole document of a markup format;
    // the time lines of formats whose lines carry only a start).
    QString document;
    struct tTimedEntry {
        int32_t time;
        QString text; // empty: the line only ends the caption before
    };
    std::vector<tTimedEntry> entries;
    bool entriesUnordered = false;
    std::unique_ptr<tGrammarData> grammarData;
    // A SubStation Alpha script's canvas size, compared at the end of the file with the one the
    // program writes.
    int scriptCanvasX = 0, scriptCanvasY = 0;

private:
    void PrepareDefinition();
    // The program's style tags moved to the front of the text (where the format carries styles).
    void MoveStylesToFront(QString& t) const;
    // True unless one of the format's style tags in the pending text leaves some of what the
    // text shows outside it (a style on part of the caption).
    bool StylesCoverText() const;
    void Store(QString t);

    tFormatDef def_;
    tTimecodeReader time_;
    const tReadSetup& setup_;
    QString lineBreak_;
    bool timedSample_;
    bool unescape_ = false;
    bool replaceToken_ = false;
    int limit_;
    // Opening and closing tag of underline, italic and bold, in the order FlushCaption tests them.
    struct StyleTags {
        QString open, close, tag;
    };
    std::array<StyleTags, 3> styles_;
    int styleCount_ = 0;
    bool stylesOpenWithLt_ = true; // every opening style tag begins with "<"
    // What StylesCoverText looks for: the characters a tag or markup can begin with, and those
    // with the line-break marker's first one as a set (ASCII bits, and one other character).
    std::array<char16_t, 10> tagStartChars_{};
    int tagStartCount_ = 0;
    uint64_t starts_[2] = {0, 0};
    char16_t otherStart_ = 0;
};

// One format with a grammar of its own. readLine null: the template parser reads its lines.
struct tReaderPath {
    const char* id;
    void (*readLine)(tCaptionReader& reader, QStringView line) = nullptr;
    // Runs before a line is read: returns false when the line counts as empty.
    bool (*prepareLine)(tCaptionReader& reader, QStringView line) = nullptr;
    // Runs at the end of the file, before the last pending caption is flushed.
    void (*finish)(tCaptionReader& reader) = nullptr;
    // A blank line ends every caption and leaves the reader holding nothing: a large text may
    // be read in parts at once, each beginning after a blank line.
    bool partsAfterBlankLines = false;
    // Takes the text as it stands instead of readLine's trimmed lines: every line, a long one in
    // pieces of at most kTextPieceChars one after the other; lineEnds tells that the piece is the
    // last of its line. (A markup document may be one line of many megabytes.)
    void (*readText)(tCaptionReader& reader, QStringView piece, bool lineEnds) = nullptr;
};

inline constexpr qsizetype kTextPieceChars = qsizetype(64) << 10;

// The grammar of an id, or null for formats read through the template alone.
const tReaderPath* FindReaderPath(QStringView id);

// The lines of a format's own header (as the program writes it): a file's line equal to one is
// known; one that begins with the same key ("[TITLE]", "DISCID=", "Title:", "#TITLE ") and goes
// on otherwise holds header content of the file's own.
class tHeaderLines {
public:
    void Add(QStringView text);
    // True for a line the program writes itself; with wordsOnly, not a
    // line of digits alone (a caption's line may well be a number).
    bool IsOwn(QStringView line, bool wordsOnly = false) const;
    bool HasOwnKey(QStringView line) const;
    // A line that is no part of a caption: known, header content left out, or not read.
    void Place(tCaptionReader& reader, QStringView line) const;

private:
    QStringList lines_, keys_;
};

// The template parser: the body template is a picture of where the times and the text stand.
class tTemplateParser {
public:
    // ownHeader: the header the program writes in the format (empty: the definition's own).
    tTemplateParser(const tFormatDef& def, bool timedSample, const QString& ownHeader = QString());
    void ReadLine(tCaptionReader& reader, QStringView line);
    // The end of the file: a caption whose end field was left empty and that no later caption
    // ended.
    void Finish(tCaptionReader& reader);

private:
    // atFrom: the delimiter must stand at from itself.
    // The masked line holds what looks like a time of the format where its time line has one.
    bool TimeLike(const QString& M) const;
    qsizetype FindField(const QString& M, const QString& delim, const QString& after, bool atLineStart,
                        qsizetype from, qsizetype& maskEnd, bool atFrom = false) const;

    QString bs_, as_, be_, ae_, bc_, ac_; // before/after start, end and caption
    QString mask_;                        // the format's time mask ("0" for ms and frames)
    Qt::CaseSensitivity maskCase_ = Qt::CaseInsensitive;
    bool timed_ = false;
    bool captionAfterEnd_ = false;
    bool captionOnLaterLine_ = false; // the text starts on a line after the time line before it
    bool endOnLaterLine_ = false;     // the end stands on a later line than the start
    bool enterBreaks_ = false;        // line breaks inside a caption are real lines
    bool singleLine_ = false;
    bool startAtLineStart_ = false; // the start field begins its line
    bool endAtLineStart_ = false;   // the end field begins its line
    QStringList templateLines_;     // the body's and the footer's lines without a placeholder
    tHeaderLines header_;           // the header's lines (a joined file has them in its middle)
    // The time line of this block could not be read: its further lines are part of the caption
    // counted as skipped.
    bool lostBlock_ = false;
    // Where the start, the end and the text stand on one line between marks of their own
    // ("{zrvStart}{zrvEnd}zrvCaption"), what a line holds where its end field is left empty
    // ("}{}"): such a caption shows until the next one begins. Empty for other formats.
    QString emptyEnd_;
    // The caption stored with its end field empty, waiting for the next caption's start.
    std::optional<size_t> openCaption_;
    // A line whose end field is left empty (its start field from startField to fieldEnd): its
    // caption is stored at once with the default length, which the next caption's start replaces.
    void ReadOpenCaption(tCaptionReader& reader, const QString& L, const QString& M, qsizetype startField,
                         qsizetype fieldEnd);
    // The caption stored with an empty end field ends where the next one begins at next.
    void EndOpenCaption(tCaptionReader& reader, int32_t next);
};

// What a SAMI file holds that the caption list cannot keep (tLeftOut kinds), compared with what
// the program writes in the format; 0 for other formats.
uint32_t MarkupLeftOut(const tFileText& text, const tReadSetup& setup, const QString& formatId);

// What the tags of a timed-text document hold that the caption list cannot keep, compared with
// own, what the program writes in the format: Note takes each tag as the reader meets it (its
// name without a namespace prefix, its attributes' text) and gives the tLeftOut kinds it holds.
class tTimedTextTags {
public:
    explicit tTimedTextTags(const QString& own);
    ~tTimedTextTags();
    uint32_t Note(QStringView name, QStringView attributes, bool closing);

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// Markup of SAMI text removed, line breaks and the style tags kept.
QString StripSamiMarkup(QStringView text);
// Named references (XML's and HTML's common set) and numeric ones as characters; anything else
// stays as written. A referenced line break (CR, LF or the pair) becomes lineBreak (a blank when
// that is empty), a tab a blank; other control characters are dropped.
QString UnescapeMarkup(QStringView text, QStringView lineBreak = u"|");

void ReadSubRipLine(tCaptionReader& reader, QStringView line);
// True when the two lines, one after the other in a caption's text, are read as the next
// caption's number and time line.
bool IsSubRipNumberAndTimeLine(QStringView first, QStringView second);
void ReadWebVttLine(tCaptionReader& reader, QStringView line);
void FinishWebVtt(tCaptionReader& reader);
void ReadTimedLine(tCaptionReader& reader, QStringView line);
void ReadVPlayerLine(tCaptionReader& reader, QStringView line);
void FinishTimedLines(tCaptionReader& reader);
void ReadLyricsLine(tCaptionReader& reader, QStringView line);
void ReadQuickTimeLine(tCaptionReader& reader, QStringView line);
void ReadAqTitleLine(tCaptionReader& reader, QStringView line);
void ReadJacoSubLine(tCaptionReader& reader, QStringView line);
void ReadTimedText(tCaptionReader& reader, QStringView piece, bool lineEnds);
void FinishTimedText(tCaptionReader& reader);
void ReadSamiLine(tCaptionReader& reader, QStringView line);
void FinishSami(tCaptionReader& reader);
void ReadSsaLine(tCaptionReader& reader, QStringView line);
void FinishSsa(tCaptionReader& reader);
void ReadTmPlayerLine(tCaptionReader& reader, QStringView line);
void ReadAdobeEncoreLine(tCaptionReader& reader, QStringView line);
void ReadSpruceLine(tCaptionReader& reader, QStringView line);
bool PrepareSonicLine(tCaptionReader& reader, QStringView line);
bool PrepareMicroDvdLine(tCaptionReader& reader, QStringView line);
bool PrepareUleadLine(tCaptionReader& reader, QStringView line);
void ReadUsf(tCaptionReader& reader, QStringView piece, bool lineEnds);
void FinishUsf(tCaptionReader& reader);
void ReadGpacText(tCaptionReader& reader, QStringView piece, bool lineEnds);
void FinishGpacText(tCaptionReader& reader);
void ReadCaptionate(tCaptionReader& reader, QStringView piece, bool lineEnds);
void FinishCaptionate(tCaptionReader& reader);
void ReadRealText(tCaptionReader& reader, QStringView piece, bool lineEnds);
void FinishRealText(tCaptionReader& reader);
