// Opening and appending subtitle files: detection, the frame-rate question, the read and the
// grid filled in one step.
#include "base/filenames.h"
#include "base/numbers.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "document/busy.h"
#include "document/timecode.h"
#include "formats/formatheader.h"
#include "formats/formatsettings.h"
#include "formats/reader.h"
#include "formats/writer.h"
#include "language/lang.h"
#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>
#include <vector>

int32_t gAppendOffset = 0;
bool gAbortLoad = false;
bool gImportTruncated = false;
bool gImportLeftOut = false;
std::function<int32_t()> gOnGetMediaLength;
std::function<void(bool enabled)> gOnEnableFileCommands;

namespace {

bool gLoading = false;

void ResetImportState() {
    gAppendOffset = 0;
    gAbortLoad = false;
    gImportTruncated = false;
    gImportLeftOut = false;
    gOnGetMediaLength = nullptr;
    gOnEnableFileCommands = nullptr;
    gLoading = false;
}
SCRIVELLE_REGISTER_RESET(ResetImportState);

// Far beyond any subtitle file (32,000 captions take a few megabytes): a larger file is not
// read into memory.
constexpr qint64 kMaxFileBytes = qint64(256) << 20;

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

// Error numbers of the load message, as the program has always reported them.
enum : int { kErrOutOfMemory = 7, kErrFileNotFound = 53, kErrDeviceIO = 57, kErrPathAccess = 75 };

void ShowLoadError(const QString& path, int number, const QString& description) {
    MsgBox(QStringLiteral("An error ocurred while loading the file ") + GetFileName(path) +
               QStringLiteral(".\r\n\r\nError #") + QString::number(number) + QStringLiteral(": ") +
               description,
           vbExclamation);
}

// The whole file, or false after the load error message. Only regular files are read: a pipe
// would block the window until something writes to it, and a device may never end.
bool ReadFileBytes(const QString& path, QByteArray& bytes) {
    const FileNameAlias named(path); // a name that is not UTF-8 too
    const QFileInfo info(named.path());
    if (info.exists() && !info.isFile()) {
        ShowLoadError(path, kErrPathAccess, QStringLiteral("Not a regular file"));
        return false;
    }
    QFile file(named.path());
    if (!file.open(QIODevice::ReadOnly)) {
        ShowLoadError(path, file.exists() ? kErrPathAccess : kErrFileNotFound, file.errorString());
        return false;
    }
    // Only what the file holds is set aside: a buffer of the limit's size would take hundreds of
    // megabytes for every file opened. The size the file system reports may be wrong (files in
    // /proc say 0, a file may grow while it is read), so what follows it is read on in small
    // steps, and a file found larger than the limit is not read.
    const auto tooLarge = [&] {
        bytes.clear();
        ShowLoadError(path, kErrOutOfMemory, QStringLiteral("Out of memory"));
        return false;
    };
    const qint64 reported = file.size();
    if (reported > kMaxFileBytes) return tooLarge();
    bytes.clear();
    if (reported > 0) {
        bytes.resize(reported);
        const qint64 got = file.read(bytes.data(), reported);
        bytes.resize(std::max<qint64>(got, 0));
    }
    for (char chunk[64 << 10];;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got <= 0) break;
        if (bytes.size() + got > kMaxFileBytes) return tooLarge();
        bytes.append(chunk, got);
    }
    if (file.error() != QFileDevice::NoError) {
        ShowLoadError(path, kErrDeviceIO, file.errorString());
        return false;
    }
    return true;
}

// What the read could not take as the file holds it: captions it had to skip, times beyond the
// largest one or below 0, ends it had to set, lines it could not place, content the caption list
// cannot hold (for any of them Save asks for a name, where the read replaced the document). Said
// once, after the captions are in the document.
void ReportReadLosses(const tReadOutcome& outcome, bool append) {
    QStringList lines;
    if (outcome.skipped == 1)
        lines << QStringLiteral("1 caption of the file could not be read and was skipped.");
    else if (outcome.skipped > 1)
        lines << QStringLiteral("%1 captions of the file could not be read and were skipped.")
                     .arg(outcome.skipped);
    if (outcome.clampedTimes == 1)
        lines << QStringLiteral("1 time of the file lay beyond 99:59:59.999 and was read as 99:59:59.999.");
    else if (outcome.clampedTimes > 1)
        lines << QStringLiteral("%1 times of the file lay beyond 99:59:59.999 and were read as 99:59:59.999.")
                     .arg(outcome.clampedTimes);
    if (outcome.negativeTimes == 1)
        lines << QStringLiteral("1 time of the file lay before 00:00:00.000 and was read as 00:00:00.000.");
    else if (outcome.negativeTimes > 1)
        lines << QStringLiteral("%1 times of the file lay before 00:00:00.000 and were read as 00:00:00.000.")
                     .arg(outcome.negativeTimes);
    const QString seconds = QString::number(kDefaultCaptionMs / 1000);
    if (outcome.endsSet == 1)
        lines << QStringLiteral(
                     "1 caption of the file has no end and was given one %1 seconds after its start.")
                     .arg(seconds);
    else if (outcome.endsSet > 1)
        lines << QStringLiteral(
                     "%1 captions of the file have no end and were given one %2 seconds after their start.")
                     .arg(outcome.endsSet)
                     .arg(seconds);
    if (outcome.unreadLines > 0) {
        QStringList quoted;
        for (const QString& sample : outcome.unreadSamples)
            quoted << QStringLiteral("\"") + sample + QStringLiteral("\"");
        if (outcome.unreadLines > quoted.size()) quoted << QStringLiteral("...");
        lines << (outcome.unreadLines == 1
                      ? QStringLiteral("1 line of the file is not part of any caption and was not read: %1.")
                      : QStringLiteral("%1 lines of the file are not part of any caption and were not read: %2.")
                            .arg(outcome.unreadLines))
                         .arg(quoted.join(QStringLiteral(", ")));
    }
    if (outcome.leftOut != 0)
        lines << QStringLiteral("The file holds what the caption list cannot keep, and it was left out: %1.")
                     .arg(LeftOutNames(outcome.leftOut));
    // Whatever was lost, a plain Save would write the document over the file that still holds it.
    if (!lines.isEmpty() && !append)
        lines.last() += QStringLiteral(" Save will ask for a file name, so that the file is not written over.");
    if (!lines.isEmpty()) MsgBox(lines.join(QStringLiteral("\r\n\r\n")), vbExclamation);
}

void EnableFileCommands(bool enabled) {
    if (gOnEnableFileCommands) gOnEnableFileCommands(enabled);
}

void LetEventsRun() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

int32_t AddSaturated(int32_t a, int64_t b) {
    const int64_t sum = int64_t(a) + b;
    return int32_t(std::clamp<int64_t>(sum, 0, INT32_MAX));
}

// The characters the system ANSI code page gives the bytes 80..FF, when it gives every byte
// one character of its own whatever stands beside it (Western, Cyrillic, Greek ... but not the
// code pages of two bytes a character), so that a line can be decoded byte by byte; else empty.
// None of them may be a line end, a blank or a byte-order mark, which the text is searched for.
QString SingleByteHighHalf() {
    static int32_t cachedPage = 0;
    static QString cached;
    const int32_t page = ResolveCodePage(-1);
    if (page == cachedPage) return cached;
    QByteArray high(128, Qt::Uninitialized);
    for (int b = 0; b < 128; ++b)
        high[b] = char(0x80 + b);
    QString chars = DecodeCodePage(high, page);
    const QString after = QStringLiteral("A \r\n");
    bool single = chars.size() == 128;
    for (int b = 0; b < 128 && single; ++b) {
        const char16_t c = chars[b].unicode();
        single = c != u'\n' && c != u'\r' && c != u' ' && c != u'\t' && c != 0xFEFF && !QChar::isSurrogate(c) &&
                 DecodeCodePage(high.sliced(b, 1) + after.toLatin1(), page) == chars[b] + after;
    }
    if (!single) chars.clear();
    cachedPage = page;
    cached = chars;
    return chars;
}

// The file's text as detection and the reader take it: the bytes themselves when they are ASCII
// read in an ANSI code page that keeps ASCII (each line is widened as it is read), UTF-8 (each
// line decoded as it is read: a large file never exists whole as text) or ANSI in a code page of
// one byte a character (each line widened and mapped, the map kept in storage); otherwise the
// text decoded into storage.
tFileText FileText(const QByteArray& bytes, tTextEncoding encoding, QString& storage) {
    if (encoding == tTextEncoding::Ansi && KeepsAscii(-1)) {
        if (IsAsciiBytes(bytes)) return tFileText::AsciiBytes(bytes);
        storage = SingleByteHighHalf();
        if (!storage.isEmpty()) return tFileText::SingleByteText(bytes, storage);
    }
    if (encoding == tTextEncoding::Utf8) return tFileText::Utf8Bytes(WithoutBrokenUtf8Mark(bytes));
    storage = DecodeFileText(bytes, encoding);
    return tFileText(storage);
}

// Reads a file's text in the format at gFormatIndex (gFormatDef loaded) into the document.
bool ReadText(const QString& path, const tFileText& text, bool append) {
    const bool plain = gFormatIndex == 0;
    const QString id = CurrentFormatId();
    tReadSetup setup;
    setup.def = plain ? PlainTextDefinition() : gFormatDef;
    setup.plainText = plain;
    const QString name = ReadFormatIni(id, QStringLiteral("name"));
    if (!append) {
        gImportTruncated = false;
        gImportLeftOut = false;
        EnableFileCommands(false);
        ShowFileStatus(LangText(274, name), false);
        ResetCaptionGrid(true);
        LetEventsRun();
    }

    bool read = false;
    float fps = 0.0f;
    if (setup.def.Timecode.contains(QLatin1String("ff"), Qt::CaseInsensitive)) {
        fps = AskImportFPS();
        if (fps <= 0) gAbortLoad = true;
    }
    if (!gAbortLoad) {
        if (!append) gFPS = fps;
        setup.fps = fps;
        setup.timedSample = !plain && gTimedSample;
        setup.lineBreak = gLineBreak;
        setup.limit = kImportLimit - (append ? CaptionCount() : 0);
        setup.keepPieces = true;
        setup.poll = [] {
            LetEventsRun();
            return gAbortLoad;
        };
        setup.switchFormat = [](const QString& next, tFormatDef& def) {
            const tFormatDef before = gFormatDef;
            if (!LoadFormatDefinition(next, true, false)) {
                gFormatDef = before;
                return false;
            }
            def = gFormatDef;
            return true;
        };
        setup.ownHeader = HasGeneratedHeader(id) ? BuildFormatHeader(id) : setup.def.Header;
        tReadOutcome outcome = ParseSubtitleText(text, setup);
        gConfigFormatIndex = gFormatIndex;
        if (!outcome.aborted && !gAbortLoad) {
            if (outcome.limitReached) {
                gImportTruncated = true;
                MsgBox(LangText(158), vbCritical, LangText(146));
            }
            // The captions as the grid takes them: in the pieces a large file was read in.
            std::vector<std::vector<tImportCaption>> pieces = std::move(outcome.pieces);
            if (pieces.empty()) pieces.push_back(std::move(outcome.captions));
            int count = 0;
            for (const std::vector<tImportCaption>& piece : pieces)
                count += int(piece.size());
            if (count == 0) {
                if (!outcome.limitReached) MsgBox(LangText(46) + kCrLf2 + LangText(47), vbCritical);
            } else {
                int base = 0;
                if (append) {
                    if (!IsDocumentGrid()) ResetCaptionGrid(true);
                    const int32_t media = gOnGetMediaLength ? std::max(0, gOnGetMediaLength()) : 0;
                    gAppendOffset = AddSaturated(gAppendOffset, int64_t(media) * 1000);
                    base = IsDocumentGrid() && CaptionCount() > 0 ? CaptionCount() : 0;
                    for (std::vector<tImportCaption>& piece : pieces) {
                        for (tImportCaption& c : piece) {
                            c.start = AddSaturated(c.start, gAppendOffset);
                            c.end = AddSaturated(c.end, gAppendOffset);
                        }
                    }
                } else {
                    gAppendOffset = 0;
                }
                FlexGrid& grid = grdSubs();
                const bool redraw = grid.Redraw();
                grid.SetRedraw(false);
                read = FillLines(base, pieces);
                grid.SetRedraw(redraw);
                if (read) {
                    SelectLine(base + count, false);
                    if (!append) gImportLeftOut = ReadLostContent(outcome);
                    ReportReadLosses(outcome, append);
                    if (append) {
                        // The document now differs from every file it came from.
                        gModified = true;
                        MsgBox(LangText(74) + kCrLf2 + MsToTime(gAppendOffset) + kCrLf2 + LangText(75),
                               vbInformation);
                    }
                } else {
                    ShowLoadError(path, kErrOutOfMemory, QStringLiteral("Out of memory"));
                }
            }
        }
    }
    EnableFileCommands(true);
    grdSubs().SetRedraw(true);
    return read;
}

// Lines of a text that hold more than blanks.
int FilledLines(QStringView text) {
    int n = 0;
    ForEachLine(text, [&n](QStringView line) {
        if (!TrimLine(line).isEmpty()) ++n;
        return true;
    });
    return n;
}

// For each caption, how many lines of the text went into its text: the lines found whole, in
// order, in the captions' texts (a line is looked for in the caption where the one before was
// found, after it, and in the next few). However a format joins a caption's lines (a line-break
// marker, markup's blank), each line of the file it took shows there as it stands.
std::vector<int> CaptionTextLines(QStringView text, const std::vector<tImportCaption>& captions) {
    // How far into a caption a line is looked for: a caption's lines are short, and a hostile
    // file of long lines must not make this quadratic.
    constexpr qsizetype kReach = qsizetype(1) << 16;
    constexpr size_t kAhead = 4;
    std::vector<int> lines(captions.size(), 0);
    size_t caption = 0;
    qsizetype at = 0;
    ForEachLine(text, [&](QStringView raw) {
        const QStringView line = TrimLine(raw);
        if (line.isEmpty() || line.size() > kReach) return true;
        for (size_t k = caption; k < std::min(caption + kAhead, captions.size()); ++k) {
            const qsizetype from = k == caption ? at : 0;
            const QStringView within = QStringView(captions[k].text).mid(from, kReach);
            const qsizetype p = within.indexOf(line);
            if (p < 0) continue;
            caption = k;
            at = from + p + line.size();
            ++lines[k];
            break;
        }
        return true;
    });
    return lines;
}

// A ".txt" file may be plain text with a line or two that look like another format's time line
// or mark. The format recognised (gFormatDef loaded) is taken only when its captions account for
// most of the file's first lines that hold anything: at least two in three of them are read as
// that format's (its header, time lines and captions), where a caption accounts for two lines of
// text at most, as many as a caption shows. Otherwise the lines the format's reader could not
// place, or the run of plain lines it took for one caption's text, outweigh what is that
// format's: the lines are plain text.
bool ReadsAsItsCaptions(const tFileText& text, const tDetection& found) {
    constexpr int kLines = 250, kCaptionLines = 2;
    // Of a line longer than this, its beginning tells as much (a document written as one line
    // of a hundred megabytes is not copied whole to be looked at).
    constexpr qsizetype kLineChars = qsizetype(1) << 20;
    QString head;
    int count = 0;
    bool lineStart = true;
    text.ForEachPiece(kLineChars, [&](QStringView piece, bool lineEnds) {
        if (std::exchange(lineStart, lineEnds)) head += piece;
        if (!lineEnds) return true;
        head += QLatin1String("\r\n");
        return ++count < kLines;
    });
    tReadSetup setup;
    setup.def = gFormatDef;
    setup.fps = 25.0f;
    setup.timedSample = found.timedSample;
    setup.lineBreak = QStringLiteral("\n");
    // The header this program writes is the format's, as when the file is read.
    const QString id = gFormatIds[found.index];
    setup.ownHeader = HasGeneratedHeader(id) ? BuildFormatHeader(id) : setup.def.Header;
    const tReadOutcome outcome = ParseSubtitleText(QStringView(head), setup);
    if (outcome.captions.empty()) return false;
    const int filled = FilledLines(head);
    int accounted = filled - outcome.unreadLines;
    for (const int lines : CaptionTextLines(head, outcome.captions))
        accounted -= std::max(0, lines - kCaptionLines);
    return 3 * accounted >= 2 * filled;
}

// The document's format, kept across an append.
struct tDocumentFormat {
    int index;
    float fps;
    tFormatDef def;
    int configIndex;
};

// A document read from the bytes (not appended to) is in their encoding: a plain Save writes
// its file in it again.
void KeepEncoding(const QByteArray& bytes, tTextEncoding as, bool append) {
    if (!append) gSubEncoding = FileEncodingOf(bytes, as);
}

void Import(const QString& path, const QByteArray& bytes, bool isRetry, bool append) {
    gFormatIndex = 0;
    QString decoded;
    const tTextEncoding encoding = DetectTextEncoding(bytes, isRetry);
    const tFileText text = FileText(bytes, encoding, decoded);
    const tDetection found = DetectFormat(text);
    const bool plainFallback = path.endsWith(QLatin1String("txt"), Qt::CaseSensitive);
    if (found.index != 0 && plainFallback && !ReadsAsItsCaptions(text, found)) {
        KeepEncoding(bytes, encoding, append);
        ReadText(path, text, append);
        return;
    }
    if (found.index == 0) {
        // The text decoded for the detection goes before the next read decodes the file again.
        decoded = QString();
        if (!isRetry) {
            // Perhaps UTF-16 without a byte-order mark.
            Import(path, bytes, true, append);
            return;
        }
        if (plainFallback) {
            gFormatIndex = 0;
            // Text that is UTF-16 without a byte-order mark stays UTF-16 as plain text.
            QString plain;
            const tTextEncoding as = DetectTextEncoding(bytes, LooksLikeUtf16LE(bytes));
            KeepEncoding(bytes, as, append);
            ReadText(path, FileText(bytes, as, plain), append);
        } else {
            MsgBox(LangText(352), vbCritical);
        }
        return;
    }
    gFormatIndex = found.index;
    KeepEncoding(bytes, encoding, append);
    ReadText(path, text, append);
}

class LoadingFlag {
public:
    LoadingFlag() { gLoading = true; }
    ~LoadingFlag() { gLoading = false; }
    LoadingFlag(const LoadingFlag&) = delete;
    LoadingFlag& operator=(const LoadingFlag&) = delete;
};

} // namespace

QString LeftOutNames(uint32_t leftOut) {
    static const struct {
        uint32_t kind;
        const char* name;
    } kNames[] = {
        {kLeftStyles, "styles"},
        {kLeftInlineStyles, "style changes within captions"},
        {kLeftComments, "comments"},
        {kLeftLayers, "layers"},
        {kLeftNames, "speaker names"},
        {kLeftEffects, "effects"},
        {kLeftPositions, "positions and margins"},
        {kLeftCanvas, "the canvas size"},
        {kLeftEmbedded, "embedded fonts or pictures"},
        {kLeftHeader, "header lines"},
        {kLeftInlineTimes, "timings within captions"},
    };
    QStringList names;
    for (const auto& k : kNames)
        if (leftOut & k.kind) names << QLatin1String(k.name);
    if (names.size() < 2) return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

bool IsSubtitleLoading() {
    return gLoading;
}

void ImportSubtitleFile(const QString& path, bool isRetry, bool append) {
    // One load at a time: a command that arrives while the reader lets events run is not
    // carried out. (The document may be busy already: the open command holds it while it loads.)
    if (gLoading) return;
    const LoadingFlag loading;
    const DocumentBusyGuard busy;
    // A read begins uncancelled, whatever an earlier one left.
    gAbortLoad = false;
    const tDocumentFormat document{gFormatIndex, gFPS, gFormatDef, gConfigFormatIndex};
    QByteArray bytes;
    if (ReadFileBytes(path, bytes)) Import(path, bytes, isRetry, append);
    if (append) {
        gFormatIndex = document.index;
        gFPS = document.fps;
        gFormatDef = document.def;
        gConfigFormatIndex = document.configIndex;
    }
}

bool ReadSubtitleFile(const QString& path, bool utf16, bool append) {
    const DocumentBusyGuard busy;
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    QString decoded;
    const tTextEncoding as = DetectTextEncoding(bytes, utf16);
    KeepEncoding(bytes, as, append);
    return ReadText(path, FileText(bytes, as, decoded), append);
}

float AskImportFPS() {
    const QString name = ReadFormatIni(CurrentFormatId(), QStringLiteral("name"));
    QString title = LangText(59);
    if (title.endsWith(QLatin1String("..."))) title.chop(3);
    for (;;) {
        bool ok = false;
        QString answer =
            Dialogs().InputBox(nullptr, LangText(321, name), LangText(7), QStringLiteral("25"), &ok);
        if (!ok || answer.trimmed().isEmpty()) return 0.0f;
        // A decimal point or a decimal comma: both mean a fraction of a frame.
        answer.replace(u'.', u',');
        const double whole = LeadingNumber(answer);
        if (answer.size() < 9 && whole >= 15 && whole <= 30) {
            const double fps = LeadingNumber(QString(answer).replace(u',', u'.'));
            if (fps > 0) return float(fps);
        }
        MsgBox(LangText(323), vbCritical, title);
    }
}
