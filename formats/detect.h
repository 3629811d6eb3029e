#pragma once
// Recognising a subtitle file's format: a sample of its first lines is compared with every
// format's sample text from the catalogue, and a few look-alike formats are told apart
// afterwards. A sample that stands in the format's caption template is a time line: it counts
// only where the template puts it, at the beginning of a line and in the template's shape.
// Any other sample is a mark of the format (a header line, a namespace, a root tag): it counts
// in the file's header, before the first time line, in any case and with blanks anywhere in it.
// A format may have several samples (a mark and a time line). The file's first mark decides,
// else its first time line; caption text, which comes after its own time line, never does. The detection
// depends on nothing but the file's text and the catalogue, so it is tested (and fuzzed)
// without the window.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <vector>

// How a subtitle file's bytes are turned into text.
enum class tTextEncoding {
    Ansi,    // the system ANSI code page, one byte per character
    Utf8,    // with or without a byte-order mark
    Utf16LE, // with a byte-order mark, or found by the detection's second try
    Utf16BE, // with a byte-order mark
};

// The encoding of a file's bytes: a byte-order mark decides (FF FE, FE FF, EF BB); without one a
// file that is valid UTF-8 and holds at least one multi-byte sequence is UTF-8, any other file
// is ANSI. With utf16Retry a file without a byte-order mark is read as UTF-16 little-endian.
tTextEncoding DetectTextEncoding(QByteArrayView bytes, bool utf16Retry = false);

// True when bytes without a byte-order mark are UTF-16 little-endian text: read two by two they
// hold no zero character, and zero high bytes (every character below U+0100 brings one) far
// outnumber zero low bytes (a stray NUL in a text of single bytes is no sign of UTF-16).
bool LooksLikeUtf16LE(QByteArrayView bytes);

// Files cut or joined by other tools may keep only "EF BB" of UTF-8's byte-order mark: where no
// character goes on with a third byte, the two are the mark's, not text (decoded, they would
// stand in front of the first line as a character that is not there). The bytes without them.
QByteArrayView WithoutBrokenUtf8Mark(QByteArrayView bytes);

// The bytes as text in that encoding, without the byte-order mark. codePage -1 = the system
// ANSI code page.
QString DecodeFileText(QByteArrayView bytes, tTextEncoding encoding, int32_t codePage = -1);

// Calls f(line) for every line of text: lines end at CR LF, LF or a lone CR; a line break at the
// very end does not start another line. Stops early when f returns false.
template <typename F> void ForEachLine(QStringView text, F&& f) {
    const QChar* p = text.data();
    const qsizetype n = text.size();
    qsizetype from = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\n' && c != u'\r') continue;
        if (!f(text.mid(from, i - from))) return;
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n') ++i;
        from = i + 1;
    }
    if (from < n) f(text.mid(from));
}

// True when every byte is below 0x80.
bool IsAsciiBytes(QByteArrayView bytes);

// The bytes from `from` up to the first CR or LF (or the end) widened into line (grown as
// needed; what stands after the line's end in it is scratch). Returns where the line ends.
qsizetype WidenLine(QByteArrayView bytes, qsizetype from, std::vector<char16_t>& line);

// The UTF-8 bytes from `from` up to the first CR or LF, or up to limit, decoded into line (grown
// as needed) without byte-order marks; chars tells how many characters it holds. A line cut off
// at limit (before the end of the bytes) is cut before a character's sequence, never inside it.
// Returns where the decoded bytes end.
qsizetype DecodeUtf8Line(QByteArrayView bytes, qsizetype from, qsizetype limit, std::vector<char16_t>& line,
                         qsizetype& chars);

// A file's text as detection and the reader go through it, line by line. Either text decoded
// as a whole, or the bytes of a file that is ASCII throughout: every ANSI code page reads those
// as Latin-1, one character per byte, so each line is widened as it is reached and the file
// never exists as a whole in UTF-16 (for a large file that is megabytes written and read once).
// Either way the lines are exactly those ForEachLine gives for the decoded text. The view does
// not own what it looks at; a line's view lasts until the next line is reached.
class tFileText {
public:
    explicit tFileText(QStringView text) : text_(text) {}
    // bytes must be ASCII (IsAsciiBytes).
    static tFileText AsciiBytes(QByteArrayView bytes) {
        tFileText t{QStringView()};
        t.bytes_ = bytes;
        t.ascii_ = true;
        return t;
    }
    // The bytes of a UTF-8 file, each line (or piece of one) decoded as it is reached, so that a
    // large file is never decoded whole. Positions (size, at, mid) count bytes; at() gives an
    // ASCII byte as its character and any other byte as some character above ASCII, so line
    // ends and blanks are found as in the decoded text.
    static tFileText Utf8Bytes(QByteArrayView bytes) {
        tFileText t = AsciiBytes(bytes);
        t.utf8_ = true;
        return t;
    }
    // The bytes of a file in a code page of one character per byte that keeps ASCII: bytes
    // below 0x80 are their ASCII characters, a byte b above is high[b - 0x80] (high holds 128
    // characters, none of them a line end, and outlives the view). Each line is widened as it
    // is reached, as for ASCII bytes.
    static tFileText SingleByteText(QByteArrayView bytes, QStringView high) {
        tFileText t = AsciiBytes(bytes);
        t.high_ = reinterpret_cast<const char16_t*>(high.data());
        return t;
    }
    // Characters in the text.
    qsizetype size() const { return ascii_ ? bytes_.size() : text_.size(); }
    // The character at i (0 <= i < size()).
    char16_t at(qsizetype i) const {
        if (!ascii_) return text_[i].unicode();
        const uchar c = uchar(bytes_[i]);
        return c >= 0x80 && high_ ? high_[c - 0x80] : char16_t(c);
    }
    // The n characters from `from` on, as a text of the same kind.
    tFileText mid(qsizetype from, qsizetype n) const {
        tFileText t = *this;
        if (ascii_)
            t.bytes_ = bytes_.sliced(from, n);
        else
            t.text_ = text_.sliced(from, n);
        return t;
    }

    template <typename F> void ForEachLine(F&& f) const {
        if (!ascii_) {
            ::ForEachLine(text_, f);
            return;
        }
        const char* p = bytes_.data();
        const qsizetype n = bytes_.size();
        // Never empty, so that an empty line is an empty view rather than a null one, as
        // text.mid() gives it.
        std::vector<char16_t> line(256);
        qsizetype from = 0;
        while (from < n) {
            qsizetype chars = 0;
            const qsizetype end =
                utf8_ ? DecodeUtf8Line(bytes_, from, n, line, chars) : WidenLine(bytes_, from, line);
            if (!utf8_) Map(line.data(), end - from);
            const QStringView view(line.data(), utf8_ ? chars : end - from);
            if (end == n) {
                f(view);
                return;
            }
            if (!f(view)) return;
            from = end + 1;
            if (p[end] == '\r' && from < n && p[from] == '\n') ++from;
        }
    }

    // Calls f(piece, lineEnds) for the lines ForEachLine gives, a line longer than most
    // characters in pieces of at most most characters one after the other (so that a file of
    // one huge line is never widened whole); lineEnds tells that the piece is the last of its
    // line. Stops early when f returns false.
    template <typename F> void ForEachPiece(qsizetype most, F&& f) const {
        most = std::max<qsizetype>(1, most);
        const qsizetype n = size();
        std::vector<char16_t> line(ascii_ ? 256 : 0);
        qsizetype from = 0;
        while (from < n) {
            const qsizetype limit = std::min(n, from + most);
            qsizetype end = from;
            QStringView piece;
            if (utf8_) {
                qsizetype chars = 0;
                end = DecodeUtf8Line(bytes_, from, limit, line, chars);
                piece = QStringView(line.data(), chars);
            } else if (ascii_) {
                end = WidenLine(bytes_.first(limit), from, line);
                Map(line.data(), end - from);
                piece = QStringView(line.data(), end - from);
            } else {
                while (end < limit && text_[end] != u'\n' && text_[end] != u'\r')
                    ++end;
                piece = text_.sliced(from, end - from);
            }
            const char16_t c = end < n ? at(end) : u'\n';
            const bool lineEnds = c == u'\n' || c == u'\r';
            if (!f(piece, lineEnds) || end == n) return;
            from = end;
            if (lineEnds) {
                ++from;
                if (c == u'\r' && from < n && at(from) == u'\n') ++from;
            }
        }
    }

    // Calls f(line) for the lines ForEachLine gives, each trimmed (TrimLine) into a text of its
    // own, exactly as long as it is: a line of a large file is made once, in the string that
    // keeps it, never widened into a buffer first. Stops early when f returns false.
    template <typename F> void ForEachOwnedLine(F&& f) const {
        const qsizetype n = size();
        qsizetype from = 0;
        while (from < n) {
            const qsizetype end = LineEnd(from);
            if (!f(OwnedLine(from, end)) || end == n) return;
            from = end + 1;
            if (at(end) == u'\r' && from < n && at(from) == u'\n') ++from;
        }
    }

private:
    // Where the line that goes on at `from` ends: its CR or LF, or size().
    qsizetype LineEnd(qsizetype from) const;
    // The characters from `from` to end, trimmed, as a text of their own.
    QString OwnedLine(qsizetype from, qsizetype end) const;
    // Bytes above ASCII widened into line, given their characters.
    void Map(char16_t* line, qsizetype n) const {
        if (!high_) return;
        for (qsizetype i = 0; i < n; ++i)
            if (line[i] >= 0x80) line[i] = high_[line[i] - 0x80];
    }

    QStringView text_;
    QByteArrayView bytes_;
    bool ascii_ = false; // bytes_ holds the text (ASCII, or UTF-8 with utf8_, or a code page with high_)
    bool utf8_ = false;
    const char16_t* high_ = nullptr;
};

// A line without the blanks and tabs around it.
QStringView TrimLine(QStringView line);

// The detection's picture of a file: CR LF before each of the first 250 trimmed lines, every
// digit 1..9 as "0", upper case.
QString FileSample(QStringView text);
QString FileSample(const tFileText& text);
// The recognised format's time pattern occurs in the last sample examined. The reader reads
// it: time fields of a timed file have the pattern's length.
extern bool gTimedSample;

struct tDetection {
    int index = 0;            // into gFormatIds; 0 = nothing recognised
    bool timedSample = false; // the format's time pattern occurs in the sample
};

// Recognises the format of a file's text. On a match gFormatDef holds the chosen format's
// definition as the reader must use it (with the second time pattern applied where that is
// what matched). Sets gTimedSample. Invalid definitions are skipped (with the catalogue's one
// warning). Does not touch gFormatIndex. What the catalogue gives detection is worked out once
// while its files stay as they are.
tDetection DetectFormat(QStringView text);
tDetection DetectFormat(const tFileText& text);
