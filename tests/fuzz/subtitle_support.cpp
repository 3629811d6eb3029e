#include "subtitle_support.h"

#include "formats/formatdefs.h"
#include "formats/formatheader.h"
#include "formats/formatsettings.h"
#include "formats/formattime.h"
#include "formats/readerpaths.h"
#include "formats/textops.h"
#include "formats/writer.h"
#include "formats/writerpaths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fuzz {

namespace {

bool FrameBased(const tFormatDef& def) {
    return def.Timecode.contains(QLatin1String("ff"), Qt::CaseInsensitive);
}

tReadSetup Setup(const tFormatDef& def, bool plain, bool timedSample) {
    tReadSetup setup;
    setup.def = def;
    setup.plainText = plain;
    setup.fps = FrameBased(def) ? 25.0f : 0.0f;
    setup.timedSample = timedSample;
    setup.lineBreak = QStringLiteral("|");
    return setup;
}

bool SameOutcome(const tReadOutcome& a, const tReadOutcome& b) {
    return SameCaptions(a.captions, b.captions) && a.limitReached == b.limitReached &&
           a.skipped == b.skipped && a.clampedTimes == b.clampedTimes && a.formatId == b.formatId;
}

QString DescribeOutcome(const tReadOutcome& o) {
    return QStringLiteral("%1, %2 skipped, %3 clamped, limit %4\n%5")
        .arg(o.formatId)
        .arg(o.skipped)
        .arg(o.clampedTimes)
        .arg(o.limitReached)
        .arg(Describe(o.captions));
}

// Reads with the setup, and where the format may be read in parts, in parts of a few
// characters as well: the outcome must be the same.
tReadOutcome Read(const tFileText& text, const tReadSetup& setup) {
    tReadSetup whole = setup;
    whole.parts = 1;
    tReadOutcome outcome = ParseSubtitleText(text, whole);
    const tReaderPath* path = FindReaderPath(setup.def.Id);
    if (!setup.plainText && path && path->partsAfterBlankLines) {
        tReadSetup parts = setup;
        parts.parts = 4;
        parts.partChars = 24;
        const tReadOutcome inParts = ParseSubtitleText(text, parts);
        Check(SameOutcome(outcome, inParts), "a read in parts differs from a read as a whole",
              DescribeOutcome(outcome) + QStringLiteral("---\n") + DescribeOutcome(inParts));
    }
    return outcome;
}

// How far a format's time codes may move a time read from elsewhere (a file of the format may
// hold finer times than its writer writes).
int32_t Resolution(const tFormatDef& def, float fps) {
    const QString tc = def.Timecode.toLower();
    if (tc == QLatin1String("ms")) return 0;
    if (tc.contains(QLatin1String("ff"))) return fps > 0 ? int32_t(std::ceil(1000 / fps)) : 1000;
    if (tc.contains(QLatin1String("zzz"))) return 0;
    if (tc.contains(QLatin1String("zz"))) return 10;
    if (tc.contains(u'z')) return 100;
    return 1000;
}

const QString kStyleTags[3] = {QStringLiteral("<b>"), QStringLiteral("<i>"), QStringLiteral("<u>")};

// A caption as a format can carry it, its style tags in a fixed order in front: the styles the
// format has no tag for are gone, and so is what its writer is known to change.
tSubtitleLine AsCarried(const QString& id, const tFormatDef& def, const tSubtitleLine& c) {
    // Half a surrogate pair (from a UTF-16 file) is no character: it is written as "?".
    QString text;
    for (qsizetype k = 0; k < c.text.size(); ++k) {
        const QChar ch = c.text[k];
        if (ch.isHighSurrogate() && k + 1 < c.text.size() && c.text[k + 1].isLowSurrogate()) {
            text += ch;
            text += c.text[++k];
        } else {
            text += ch.isSurrogate() ? QChar(u'?') : ch;
        }
    }
    QString styles;
    const uint8_t flags = id == QLatin1String("PLAINTEXT") ? 7 : def.TagFlags;
    for (int k = 0; k < 3; ++k) {
        if (!text.contains(kStyleTags[k])) continue;
        text.remove(kStyleTags[k]);
        if (flags & (1 << k)) styles += kStyleTags[k];
    }
    // Blanks at either end of a caption are not read: the files' lines are trimmed.
    text = TrimLine(text).toString();
    const tWriterPath* writer = FindWriterPath(id);
    // ";" separates the fields.
    if (writer && writer->semicolonsToCommas) text.replace(u';', u',');
    // A format without line breaks writes a blank.
    if (def.LineBreakToken.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) text.replace(u'|', u' ');
    // Markup has no place for control characters: the writer leaves those below 0x20 out, the
    // reader the others.
    const bool markup = def.TextEscape == QLatin1String("xml");
    if (markup) text.removeIf([](QChar ch) { return ch.category() == QChar::Other_Control && ch != u'\t'; });
    // Where a caption's lines are the file's lines, an empty one is left out (it would end the
    // caption), and blanks at either end of a line are not read (every reader trims its lines).
    if (id != QLatin1String("PLAINTEXT") &&
        def.LineBreakToken.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) == 0) {
        QStringList lines = text.split(u'|');
        for (QString& line : lines)
            line = TrimLine(line).toString();
        lines.removeIf([](const QString& line) {
            return std::all_of(line.begin(), line.end(), [](QChar ch) { return ch == u' ' || ch == u'\t'; });
        });
        text = lines.join(u'|');
    }
    // In markup, whitespace is not significant: runs of it read as one blank, and none beside a
    // line break or at either end.
    if (markup) {
        text = text.simplified();
        text.replace(QStringLiteral(" |"), QStringLiteral("|"))
            .replace(QStringLiteral("| "), QStringLiteral("|"));
        // Nor are line breaks at the end of a paragraph.
        while (text.endsWith(u'|'))
            text.chop(1);
    }
    return {c.start, c.end, styles + text};
}

std::vector<tSubtitleLine> AsCarried(const QString& id, const tFormatDef& def,
                                     const std::vector<tSubtitleLine>& captions, float fps) {
    std::vector<tSubtitleLine> out;
    for (const tSubtitleLine& c : captions) {
        // A caption left with nothing to show is not written.
        const tSubtitleLine carried = AsCarried(id, def, c);
        QString bare = carried.text;
        for (const QString& tag : kStyleTags)
            bare.remove(tag);
        // MicroDVD's "{1}{1}" line is the frame rate, never a caption.
        if (id == QLatin1String("MICRODVD") && MsToFrames(c.start, fps) == 1 && MsToFrames(c.end, fps) == 1)
            continue;
        if (!IsBlank(bare)) out.push_back(carried);
    }
    return out;
}

} // namespace

bool SameCaptions(const std::vector<tSubtitleLine>& a, const std::vector<tSubtitleLine>& b,
                  int32_t tolerance) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::abs(a[i].start - b[i].start) > tolerance || std::abs(a[i].end - b[i].end) > tolerance ||
            a[i].text != b[i].text)
            return false;
    return true;
}

void CheckOutcome(const tReadOutcome& outcome, int limit) {
    Check(int(outcome.captions.size()) <= limit, "more captions than the limit");
    for (const tSubtitleLine& c : outcome.captions) {
        Check(c.start >= 0 && c.end >= 0 && c.start <= kMaxTimeMs && c.end <= kMaxTimeMs,
              "a time out of range", Describe({c}));
        Check(!c.text.contains(u'\r') && !c.text.contains(u'\n'), "a line break inside a caption",
              Describe({c}));
    }
}

tOpened OpenBytes(const QByteArray& bytes) {
    // Each try: the text in an encoding, as the open command holds it, and what detection finds.
    struct tTry {
        QString decoded;
        bool ascii = false;
        tDetection found;
        tFormatDef def;
        tFileText Text(const QByteArray& b) const {
            return ascii ? tFileText::AsciiBytes(b) : tFileText(QStringView(decoded));
        }
    };
    const auto attempt = [&](bool utf16) {
        tTry t;
        const tTextEncoding encoding = DetectTextEncoding(bytes, utf16);
        t.decoded = DecodeFileText(bytes, encoding);
        t.ascii = encoding == tTextEncoding::Ansi && IsAsciiBytes(bytes);
        t.found = DetectFormat(t.Text(bytes));
        t.def = gFormatDef;
        if (t.ascii) {
            // The bytes widened line by line and the decoded text are the same text.
            const tDetection again = DetectFormat(QStringView(t.decoded));
            Check(again.index == t.found.index && again.timedSample == t.found.timedSample,
                  "detection over the bytes and over their text differ");
            gFormatDef = t.def;
        }
        return t;
    };
    const tTry first = attempt(false);
    tTry chosen = first.found.index != 0 ? first : attempt(true);
    const bool plain = chosen.found.index == 0;
    // Nothing recognised: a ".txt" file is read as plain text, in the first try's encoding.
    if (plain) chosen = first;
    const tReadSetup setup =
        Setup(plain ? PlainTextDefinition() : chosen.def, plain, !plain && chosen.found.timedSample);

    tOpened opened;
    opened.outcome = Read(chosen.Text(bytes), setup);
    if (chosen.ascii) {
        const tReadOutcome overText = Read(tFileText(QStringView(chosen.decoded)), setup);
        Check(SameOutcome(opened.outcome, overText), "reading the bytes and reading their text differ",
              DescribeOutcome(opened.outcome) + QStringLiteral("---\n") + DescribeOutcome(overText));
    }
    opened.id = plain ? QStringLiteral("PLAINTEXT") : opened.outcome.formatId;
    opened.fps = setup.fps;
    CheckOutcome(opened.outcome);
    return opened;
}

tReadOutcome ReadAs(const QString& id, const QString& text, bool timedSample) {
    const bool plain = id == QLatin1String("PLAINTEXT");
    tFormatDef def = PlainTextDefinition();
    if (!plain) {
        Check(LoadFormatDefinition(id, false, false), "a format of the catalogue did not load");
        def = gFormatDef;
    }
    const tReadOutcome outcome = Read(tFileText(QStringView(text)), Setup(def, plain, timedSample));
    CheckOutcome(outcome);
    return outcome;
}

QByteArray SaveAs(const QString& id, const std::vector<tSubtitleLine>& captions, float fps) {
    const bool plain = id == QLatin1String("PLAINTEXT");
    if (!plain) {
        Check(LoadFormatDefinition(id, false, false), "a format of the catalogue did not load");
        if (HasGeneratedHeader(id)) gFormatDef.Header = BuildFormatHeader(id);
    }
    const tWriteJob job{id, gFormatDef, captions, int(captions.size()), fps, QStringLiteral("|")};
    return BuildSubtitleFile(job);
}

void CheckRoundTrip(const QString& id, const std::vector<tSubtitleLine>& captions, float fps) {
    if (captions.empty()) return;
    const QByteArray file = SaveAs(id, captions, fps);
    const QString text = DecodeFileText(file, DetectTextEncoding(file));
    const bool timed = DetectFormat(QStringView(text)).timedSample;
    const tReadOutcome back = ReadAs(id, text, timed);
    const tFormatDef& def = gFormatDef;
    const std::vector<tSubtitleLine> expected = AsCarried(id, def, captions, fps);
    Check(SameCaptions(expected, AsCarried(id, def, back.captions, fps), Resolution(def, fps)),
          "captions written and read again differ",
          QStringLiteral("%1\n%2---\n%3---\n%4")
              .arg(id, Describe(expected), QString::fromUtf8(file), DescribeOutcome(back)));
}

} // namespace fuzz
