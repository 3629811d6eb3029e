// Formats known by a mark of their own (the SAMI root tag, the WebVTT header, a timed-text
// namespace, the SubStation sections) are recognised by that mark as other tools write it, and
// read whole through the open command; a mark that only caption text holds decides nothing.
#include "formats/reader_fixture.h"

#include "formats/readerpaths.h"

namespace {

using Captions = std::vector<tSubtitleLine>;

// How a SAMI file writes its tags.
enum class Quote { None, Double, Single };
enum class Case { Upper, Lower, Mixed };
enum class Blanks { None, AroundEquals, Tabs };
// Where the SYNC tags stand.
enum class Arrangement {
    LineStart,     // each SYNC begins a line
    AfterTags,     // each SYNC after other tags on its line ("<BODY><SYNC ...", "</P></SYNC><SYNC ...")
    SeveralOnLine, // the whole body on one line
    OneLine,       // the whole file on one line
};
enum class Head { Plain, ByteOrderMark, Declaration };

QString Name(const char* upper, Case c) {
    const QString name = QString::fromLatin1(upper);
    switch (c) {
    case Case::Upper:
        return name;
    case Case::Lower:
        return name.toLower();
    case Case::Mixed:
        return name.left(2) + name.mid(2).toLower();
    }
    return name;
}

QString SyncTag(int ms, Quote q, Case c, Blanks b) {
    const QString quote = q == Quote::Double ? "\"" : q == Quote::Single ? "'" : "";
    const QString value = quote + QString::number(ms) + quote;
    const QString sync = "<" + Name("SYNC", c), start = Name("START", c);
    switch (b) {
    case Blanks::None:
        return sync + " " + start + "=" + value + ">";
    case Blanks::AroundEquals:
        return sync + "  " + start + " = " + value + " >";
    case Blanks::Tabs:
        return sync + "\t" + start + "\t=" + value + ">";
    }
    return QString();
}

struct SamiLayout {
    Quote quote;
    Case tagCase;
    Blanks blanks;
    Arrangement arrangement;
    Head head;
};

// Three chained captions (the second over two lines), cleared at 5000 ms.
const Captions kSamiCaptions{{1000, 2500, "One"}, {2500, 4000, "Two|lines"}, {4000, 5000, "Three"}};

QByteArray SamiFile(const SamiLayout& l) {
    const auto tag = [&](const char* name) { return "<" + Name(name, l.tagCase) + ">"; };
    const QString p = "<" + Name("P", l.tagCase) + " Class=ENCC>", endP = "</" + Name("P", l.tagCase) + ">";
    const QString endSync = "</" + Name("SYNC", l.tagCase) + ">";
    const QStringList texts{"One", "Two<br>lines", "Three", "&nbsp;"};
    const int times[] = {1000, 2500, 4000, 5000};
    const QString nl = l.arrangement == Arrangement::OneLine ? "" : "\n";

    QString head;
    if (l.head == Head::Declaration)
        head += "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + nl + "<!-- made by a tool -->" + nl;
    head +=
        tag("SAMI") + nl + tag("HEAD") + nl + tag("TITLE") + "A film</" + Name("TITLE", l.tagCase) + ">" + nl;
    head +=
        "<STYLE TYPE=\"text/css\"><!-- .ENCC { Name: English; lang: en-US; } -->" + QString("</STYLE>") + nl;
    head += "</" + Name("HEAD", l.tagCase) + ">" + nl;

    QString body;
    for (int k = 0; k < 4; ++k) {
        const QString sync = SyncTag(times[k], l.quote, l.tagCase, l.blanks) + p + texts[k];
        switch (l.arrangement) {
        case Arrangement::LineStart:
            body += sync + "\n";
            break;
        case Arrangement::AfterTags:
            body += (k == 0 ? tag("BODY") : endP + endSync) + sync + "\n";
            break;
        case Arrangement::SeveralOnLine:
        case Arrangement::OneLine:
            body += sync + endP + endSync;
            break;
        }
    }
    QString file = head;
    if (l.arrangement != Arrangement::AfterTags) file += tag("BODY") + nl;
    file += body;
    if (l.arrangement == Arrangement::SeveralOnLine) file += "\n";
    file += "</" + Name("BODY", l.tagCase) + ">" + nl + "</" + Name("SAMI", l.tagCase) + ">" + nl;
    return (l.head == Head::ByteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + file.toUtf8();
}

std::vector<SamiLayout> EverySamiLayout() {
    std::vector<SamiLayout> all;
    for (Quote q : {Quote::None, Quote::Double, Quote::Single})
        for (Case c : {Case::Upper, Case::Lower, Case::Mixed})
            for (Blanks b : {Blanks::None, Blanks::AroundEquals, Blanks::Tabs})
                for (Arrangement a : {Arrangement::LineStart, Arrangement::AfterTags,
                                      Arrangement::SeveralOnLine, Arrangement::OneLine})
                    for (Head h : {Head::Plain, Head::ByteOrderMark, Head::Declaration})
                        all.push_back({q, c, b, a, h});
    return all;
}

} // namespace

class MarksTest : public ReaderTest {};

// Every way of writing the SYNC tags (quoted or bare times, any case, blanks in the tag), every
// place they stand (at a line's beginning, after other tags, several on a line, the whole file
// on one line), behind a byte-order mark or a declaration: the SAMI tag decides, every caption
// reads.
TEST_F(MarksTest, SamiIsKnownByItsTagAndReadsInEveryLayout) {
    for (const SamiLayout& l : EverySamiLayout()) {
        const QByteArray bytes = SamiFile(l);
        SCOPED_TRACE(bytes.toStdString());
        ExpectOpensWhole("foreign.sub", bytes, "SAMI", kSamiCaptions);
    }
}

// A mark counts only before the file's first time line: where caption text holds it, the file
// is what its time lines say.
TEST_F(MarksTest, AMarkInCaptionTextDecidesNothing) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* format;
        Captions captions;
    } cases[] = {
        {"SubRip whose first caption is a SAMI file's first line",
         "1\n00:00:01,000 --> 00:00:02,000\n<SAMI><BODY><SYNC Start=1000>\n\n"
         "2\n00:00:03,000 --> 00:00:04,000\n<SAMI>\n\n",
         "SUBRIP",
         {{1000, 2000, "<SAMI><BODY><SYNC Start=1000>"}, {3000, 4000, "<SAMI>"}}},
        {"YouTube SBV whose caption is a SubStation section",
         "0:00:01.000,0:00:02.000\n[Script Info]\n\n0:00:03.000,0:00:04.000\n[V4+ Styles]\n\n",
         "YOUTUBESBV",
         {{1000, 2000, "[Script Info]"}, {3000, 4000, "[V4+ Styles]"}}},
        {"lyrics whose words are a SAMI tag",
         "[00:01.00]<sami>\n[00:02.00]Words\n",
         "KARAOKELRC",
         {{1000, 2000, "<sami>"}, {2000, 2000 + kDefaultCaptionMs, "Words"}}},
        {"WebVTT whose cue holds another format's marks",
         "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\n[Script Info]\n\n00:00:03.000 --> 00:00:04.000\n"
         "xmlns=\"http://www.w3.org/ns/ttml\"\n",
         "WEBVTT",
         {{1000, 2000, "[Script Info]"}, {3000, 4000, "xmlns=\"http://www.w3.org/ns/ttml\""}}},
        {"Adobe Encore whose caption holds a web address, DVD Subtitle System's line break",
         "00:00:01:00 00:00:02:00 Visit http://example.com\r\nor call\r\n00:00:03:00 00:00:04:00 Two\r\n",
         "ADOBEENCORE",
         {{1000, 2000, "Visit http://example.com|or call"}, {3000, 4000, "Two"}}},
        {"Pinnacle Impression whose caption holds a web address",
         "#INPOINT OUTPOINT PATH\r\n00:00:01:00 00:00:02:00 See a://b\r\n00:00:03:00 00:00:04:00 Two\r\n",
         "PINNACLEIMP",
         {{1000, 2000, "See a://b"}, {3000, 4000, "Two"}}},
        // Its time line ends with the blank before the caption, which the empty line drops.
        {"Adobe Encore whose only caption begins with a line break",
         "00:00:01:00 00:00:02:00 \r\nsecond line only\r\n",
         "ADOBEENCORE",
         {{1000, 2000, "second line only"}}},
        {"SAMI whose caption is a WebVTT header",
         "<SAMI>\n<BODY>\n<SYNC Start=1000><P>WEBVTT\n<SYNC Start=2000><P>&nbsp;\n</BODY>\n</SAMI>\n",
         "SAMI",
         {{1000, 2000, "WEBVTT"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectOpensWhole("foreign.sub", c.bytes, c.format, c.captions);
    }
}

// The other marks as other tools write them: a WebVTT header behind a byte-order mark or with a
// title, a timed-text root element over several lines (its namespaces one place, so the more
// particular format listed first wins), SubStation sections in any case and with blanks.
TEST_F(MarksTest, OtherMarksAreKnownAsOtherToolsWriteThem) {
    const Captions one{{1000, 2000, "One"}};
    const QByteArray vttCue = "\n\n00:00:01.000 --> 00:00:02.000\nOne\n";
    const QByteArray cue = "<p begin=\"00:00:01.000\" end=\"00:00:02.000\">One</p>\n";
    const QByteArray ttBody = "<body>\n  <div>\n    " + cue + "  </div>\n</body>\n</tt>\n";
    const QByteArray events =
        "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
        "Effect, Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\n";
    const QByteArray assStyles = "Format: Name, Fontname, Fontsize\nStyle: Default,Arial,20\n";
    const struct {
        const char* what;
        QByteArray bytes;
        const char* format;
    } cases[] = {
        {"WebVTT behind a UTF-8 byte-order mark", "\xEF\xBB\xBFWEBVTT" + vttCue, "WEBVTT"},
        {"WebVTT with a title", "WEBVTT - A film" + vttCue, "WEBVTT"},
        {"WebVTT with a tab and header lines", "WEBVTT\tcaptions\nKind: captions\nLanguage: en" + vttCue,
         "WEBVTT"},
        {"TTML with its namespace on the root's second line",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt\n    xml:lang=\"en\"\n"
         "    xmlns=\"http://www.w3.org/ns/ttml\"\n    xmlns:tts=\"http://www.w3.org/ns/ttml#styling\">\n" +
             ttBody,
         "TTML"},
        {"EBU-TT-D whose root names the TTML namespace lines before its own",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt:tt\n  xmlns:tt=\"http://www.w3.org/ns/ttml\"\n"
         "  xmlns:ttp=\"http://www.w3.org/ns/ttml#parameter\"\n  xmlns:ebuttm=\"urn:ebu:tt:metadata\"\n"
         "  ttp:timeBase=\"media\" xml:lang=\"en\">\n<tt:body>\n<tt:div>\n"
         "<tt:p begin=\"00:00:01.000\" end=\"00:00:02.000\">One</tt:p>\n</tt:div>\n</tt:body>\n</tt:tt>\n",
         "EBUTTD"},
        {"SMPTE-TT whose root names the TTML namespace lines before its own",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt xmlns=\"http://www.w3.org/ns/ttml\"\n"
         "    xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\"\n"
         "    xmlns:smpte=\"http://www.smpte-ra.org/schemas/2052-1/2010/smpte-tt\">\n" +
             ttBody,
         "SMPTETT"},
        {"DFXP with its namespace on the root's last line",
         "<?xml version=\"1.0\"?>\n<tt\n  xml:lang=\"en\"\n  xmlns=\"http://www.w3.org/2006/10/ttaf1\">\n" +
             ttBody,
         "DFXP"},
        {"Advanced SSA with its sections in lower case",
         "[script info]\nScriptType: v4.00+\n\n[v4+ styles]\n" + assStyles + events, "ADVANCEDSSA"},
        {"Advanced SSA with blanks in its section names",
         "[ Script Info ]\nScriptType: v4.00+\n\n[V4+  Styles]\n" + assStyles + events, "ADVANCEDSSA"},
        {"Advanced SSA with indented sections and a tab",
         "  [Script Info]  \nScriptType: v4.00+\n\n\t[V4+\tStyles]\n" + assStyles + events, "ADVANCEDSSA"},
        {"SubStation Alpha with the marked dialogue lines",
         "[Script Info]\nScriptType: v4.00\n\n[V4 Styles]\nFormat: Name\nStyle: Default\n\n[Events]\n"
         "Dialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0000,0000,0000,,One\n",
         "SUBSTATIONALPHA"},
        {"SubStation Alpha in upper case, its dialogue lines without the mark",
         "[SCRIPT INFO]\nScriptType: v4.00\n\n[V4 STYLES]\nFormat: Name\nStyle: Default\n" + events,
         "SUBSTATIONALPHA"},
        // Without a styles section nothing tells the advanced form: both read alike.
        {"a SubStation file without a styles section", "[Script Info]\nScriptType: v4.00+\n" + events,
         "SUBSTATIONALPHA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectOpensWhole("foreign.sub", c.bytes, c.format, one);
    }
}
