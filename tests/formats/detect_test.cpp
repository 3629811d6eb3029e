// Recognising formats and text encodings, the second try as UTF-16, the plain-text fallback and
// the look-alike fix-ups.
#include "formats/reader_fixture.h"

#include "base/toolbox.h"
#include "formats/detect.h"

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace {

const QByteArray kSrt = "1\r\n00:00:01,000 --> 00:00:02,500\r\nCaf\xC3\xA9 au lait\r\n\r\n"
                        "2\r\n00:00:03,000 --> 00:00:04,000\r\nSecond\r\n\r\n";

QByteArray Utf16(const QString& text, bool bigEndian, bool mark) {
    QByteArray out;
    if (mark) out += bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return out;
}

class DetectTest : public ReaderTest {
protected:
    // The shipped catalogue with one change, in the test's own folder.
    void UseCatalogue(const std::function<void(QString& ini, QString& dat)>& change) {
        QFile ini(gFormatFile), dat(gFormatDatFile);
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly) && dat.open(QIODevice::ReadOnly));
        QString iniText = QString::fromUtf8(ini.readAll()), datText = QString::fromUtf8(dat.readAll());
        change(iniText, datText);
        gFormatFile = WriteFile("formats.ini", iniText.toUtf8());
        gFormatDatFile = WriteFile("formats.dat", datText.toUtf8());
        ClearFormatFileCache();
        ClearIniCache();
        ASSERT_TRUE(LoadFormatsList());
    }
    static QString Detected(const QByteArray& bytes) {
        const tDetection found = DetectFormat(DecodeFileText(bytes, DetectTextEncoding(bytes)));
        return found.index == 0 ? QString() : gFormatIds.value(found.index);
    }
};

} // namespace

TEST_F(DetectTest, EncodingComesFromTheMarkOrFromValidUtf8) {
    EXPECT_EQ(DetectTextEncoding("\xFF\xFE"
                                 "a\0"),
              tTextEncoding::Utf16LE);
    EXPECT_EQ(DetectTextEncoding("\xFE\xFF\0a"), tTextEncoding::Utf16BE);
    // The third byte of the UTF-8 mark is not looked at.
    EXPECT_EQ(DetectTextEncoding("\xEF\xBB"
                                 "x"),
              tTextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding("caf\xC3\xA9"), tTextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding("\xE2\x82\xAC 5 and \xF0\x9F\x98\x80"), tTextEncoding::Utf8);
    // Plain ASCII, Western bytes, overlong forms, surrogates and cut sequences are not UTF-8.
    EXPECT_EQ(DetectTextEncoding("plain text"), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding("caf\xE9"), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding("\xC0\xAF"), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding("\xED\xA0\x80"), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding("ok \xC3"), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding(""), tTextEncoding::Ansi);
    EXPECT_EQ(DetectTextEncoding("plain", true), tTextEncoding::Utf16LE);
    // The mark never becomes text, nor what a tool left of it; a character that goes on with a
    // third byte is text.
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFx", tTextEncoding::Utf8), "x");
    EXPECT_EQ(DecodeFileText("\xEF\xBB"
                             "1\r\n",
                             tTextEncoding::Utf8),
              "1\r\n");
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBE", tTextEncoding::Utf8), "\uFEFE");
    EXPECT_EQ(DecodeFileText(Utf16("h\u00e9", true, true), tTextEncoding::Utf16BE), "h\u00e9");
    EXPECT_EQ(DecodeFileText("caf\xE9", tTextEncoding::Ansi), "caf\u00e9");
}

TEST_F(DetectTest, SampleIsTheFirstLinesTrimmedMaskedAndUpperCased) {
    EXPECT_EQ(FileSample(u"  Ab 19 \r\n\tx2\n\nlast"), "\r\nAB 00\r\nX0\r\n\r\nLAST");
    QString many;
    for (int i = 0; i < 300; ++i)
        many += "line\n";
    EXPECT_EQ(FileSample(many).count("\r\n"), 250);
    EXPECT_EQ(FileSample(u""), "");
}

TEST_F(DetectTest, TimePatternsDecideWhichFormatsMayMatch) {
    EXPECT_EQ(Detected(kSrt), "SUBRIP");
    EXPECT_TRUE(gTimedSample);
    EXPECT_EQ(Detected("{25}{50}Hello\r\n{75}{100}World\r\n"), "MICRODVD");
    EXPECT_FALSE(gTimedSample);
    // A frame-based file whose text holds a time: no format with a time pattern matches, so the
    // formats without one are tried too, and the reader is told the file is not timed.
    EXPECT_EQ(Detected("{25}{50}At 10:20:30 sharp\r\n"), "MICRODVD");
    EXPECT_FALSE(gTimedSample);
    // The second pattern of SubRip: decimal points instead of commas.
    EXPECT_EQ(Detected("1\r\n00:00:01.000 --> 00:00:02.500\r\nDots\r\n\r\n"), "SUBRIP");
    EXPECT_EQ(gFormatDef.Timecode, "hh:mm:ss.zzz");
}

// Files as other tools lay them out: the first mark of the header decides, else the first
// line that begins with a format's time line in its template's shape; what the captions hold
// after that never does.
TEST_F(DetectTest, TheHeadersMarkOrTheFirstTimeLineDecides) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* format;
    } cases[] = {
        {"TTML whose comment holds a time and whose texts stand on lines of their own",
         "<?xml version=\"1.0\"?>\n<!-- written 2021-03-04 10:30:00 -->\n"
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div>\n<p begin=\"1s\" end=\"2s\">\n"
         "00:00:01,000 --> 00:00:02,000\n</p>\n<p begin=\"3s\" end=\"4s\">\nWEBVTT\n</p>\n"
         "</div></body></tt>\n",
         "TTML"},
        {"Captionate whose first text is a mark of another format",
         "<captionate>\n<captions>\n<caption time=\"1000\"><tracks><track0>\nWEBVTT\n</track0></tracks>"
         "</caption>\n</captions>\n</captionate>\n",
         "CAPTIONATE"},
        {"SubRip with positions after the times", "1\n00:00:01,000 --> 00:00:02,000  X1:100 X2:600\nText\n",
         "SUBRIP"},
        {"YouTube SBV joined behind a blank line, its byte-order mark kept",
         "\r\n\xEF\xBB\xBF"
         "0:00:01.000,0:00:02.000\r\nText\r\n",
         "YOUTUBESBV"},
        {"SubRip with indented lines", "  1\n\t00:00:01,000 --> 00:00:02,000 \n  Text\n", "SUBRIP"},
        {"SubRip whose first text is a WebVTT header", "1\n00:00:01,000 --> 00:00:02,000\nWEBVTT\n",
         "SUBRIP"},
        {"a time line inside a longer line is text", "{25}{50}00:00:01,000 --> 00:00:02,000\n", "MICRODVD"},
        {"YouTube SBV at ten hours", "10:00:01.000,10:00:02.000\nText\n", "YOUTUBESBV"},
        {"lyrics past 100 minutes", "[ar:Someone]\n[100:01.00]Text\n", "KARAOKELRC"},
        {"PowerDivX at ten hours", "{10:00:01}{10:00:02}Text\n", "POWERDIVX"},
        {"Phoenix Japanimation Society with padded numbers", "   2447,   2513, \"Text\"\n", "PJS"},
        {"a time line whose fields run on is none", "00:00:01,0000 --> 00:00:02,000\nText\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Detected(c.bytes), c.format);
    }
}

// Look-alikes share their time lines: a header of their own, or the way their captions are laid
// out, tells them apart. Each file opens as its format with the captions it holds.
TEST_F(DetectTest, LookAlikesAreToldApart) {
    const QByteArray encore = "00:00:01:00 00:00:02:00 One\r\n00:00:03:00 00:00:04:00 Two\r\n";
    const struct {
        const char* what;
        QByteArray bytes;
        const char* format;
        QString first; // the first caption's text; empty: not looked at
    } cases[] = {
        {"Adobe Encore", encore, "ADOBEENCORE", "One"},
        {"Pinnacle Impression", "#INPOINT OUTPOINT PATH\r\n" + encore, "PINNACLEIMP", "One"},
        // DVD Subtitle System: no header, a caption a line, its lines joined by "//".
        {"DVD Subtitle System as this program writes it",
         "00:00:01:00 00:00:02:00 Top line//Bottom line\r\n00:00:03:00 00:00:04:00 Two\r\n", "DVDSUBSYSTEM",
         "Top line|Bottom line"},
        {"DVD Subtitle System with blank lines between captions, line feeds and a byte-order mark",
         "\xEF\xBB\xBF"
         "00:00:01:00 00:00:02:00 One\n\n00:00:03:00 00:00:04:00 Top//Bottom\n\n",
         "DVDSUBSYSTEM", "One"},
        // A caption over several lines is Adobe Encore's or Pinnacle's, whose "//" is text.
        {"Adobe Encore with a web address",
         "00:00:01:00 00:00:02:00 See http://example.com\r\nfor more\r\n00:00:03:00 00:00:04:00 Two\r\n",
         "ADOBEENCORE", "See http://example.com|for more"},
        {"Adobe Encore whose web address is in a caption after one of two lines",
         "00:00:01:00 00:00:02:00 One\r\nand two\r\n00:00:03:00 00:00:04:00 http://example.com\r\n",
         "ADOBEENCORE", "One|and two"},
        {"Pinnacle Impression with a web address",
         "#INPOINT OUTPOINT PATH\r\n00:00:01:00 00:00:02:00 a//b\r\n", "PINNACLEIMP", "a//b"},
        // Blanks count as the template writes them: one between Adobe Encore's times, two
        // between FAB Subtitler's, whatever comes first in the list; a caption's empty first
        // line leaves Adobe Encore's time line without the blank after it.
        {"FAB Subtitler", "00:00:01:00  00:00:02:00\r\nOne\r\n\r\n", "FABSUBTITLER", "One"},
        {"Adobe Encore whose first caption's first line is empty",
         "00:00:01:00 00:00:02:00\r\nsecond line\r\n00:00:03:00  00:00:04:00\r\n", "ADOBEENCORE", ""},
        {"Mac DVD Studio Pro", "00:00:01:00\t00:00:02:00\tOne\r\n", "MACDVDPRO", "One"},
        {"Spruce DVDMaestro", "SP_NUMBER\tSTART\tEND\tFILE_NAME\r\n0001\t00:00:01:00\t00:00:02:00\tOne\r\n",
         "SPRUCEDVDMAESTRO", "One"},
    };
    msgbox.AcceptAll();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Detected(c.bytes), c.format);
        if (c.first.isEmpty()) continue;
        Open(WriteFile("look-alike.txt", c.bytes), true);
        EXPECT_EQ(OpenFormat(), c.format);
        EXPECT_EQ(GetLineText(1), c.first);
        EXPECT_EQ(GetLineStart(1), 1000);
    }
}

TEST_F(DetectTest, FailedMoveToALookAlikeKeepsTheFirstMatchAndItsDefinition) {
    // Pinnacle's block loses its repeat marker: the definition is bad.
    UseCatalogue([](QString&, QString& dat) {
        dat.replace("#INPOINT OUTPOINT PATH\n{SubRepeat}", "#INPOINT OUTPOINT PATH\n{SubRepeat-}");
    });
    msgbox.Answer(vbOK);
    EXPECT_EQ(Detected("#INPOINT OUTPOINT PATH\r\n00:00:01:00 00:00:02:00 One\r\n"), "ADOBEENCORE");
    EXPECT_EQ(gFormatDef.Id, "ADOBEENCORE");
    EXPECT_EQ(gFormatDef.Body, "zrvStart zrvEnd zrvCaption\r");
    EXPECT_EQ(msgbox.count(), 1);
}

TEST_F(DetectTest, AFormatWithoutKeysIsKnownOnlyByThreeTabsInARow) {
    // Listed and defined, but with no keys: its sample is three tabs, which blanks in marks,
    // passed over elsewhere, do not make into nothing.
    UseCatalogue([](QString&, QString& dat) {
        dat.replace("</FORMATSLIST>", "NOKEYS\n</FORMATSLIST>");
        dat += "\n---NOKEYS FORMAT---\n{SubRepeat}\nzrvStart zrvEnd zrvCaption\n{/SubRepeat}\n"
               "---END FORMAT DEFINITION---\n";
    });
    EXPECT_EQ(Detected("a\t\t\tb\n"), "NOKEYS");
    EXPECT_EQ(Detected("a\t\tb\n"), "");
    EXPECT_EQ(Detected("a b\n"), "");
}

TEST_F(DetectTest, DefinitionsWithMarkersOrPlaceholdersOutOfPlaceAreRejected) {
    UseCatalogue([](QString&, QString& dat) {
        // Placeholders only in the header.
        dat.replace("---POWERDIVX FORMAT---\n{SubRepeat}\n{zrvStart}{zrvEnd}zrvCaption\n{/SubRepeat}",
                    "---POWERDIVX FORMAT---\n{zrvStart}{zrvEnd}zrvCaption\n{SubRepeat}\nx\n{/SubRepeat}");
        // The markers the wrong way round.
        dat.replace("---MICRODVD FORMAT---\n{SubRepeat}\n{zrvStart}{zrvEnd}zrvCaption\n{/SubRepeat}",
                    "---MICRODVD FORMAT---\n{/SubRepeat}\n{zrvStart}{zrvEnd}zrvCaption\n{SubRepeat}");
        // A marker that is not on a line of its own.
        dat.replace("---DKS FORMAT---\n{SubRepeat}\n", "---DKS FORMAT---\n{SubRepeat}[zrvStart]\n");
    });
    msgbox.AcceptAll();
    for (const char* id : {"POWERDIVX", "MICRODVD", "DKS"}) {
        EXPECT_FALSE(LoadFormatDefinition(id, false, false)) << id;
        EXPECT_TRUE(gFormatDef.Body.isEmpty()) << id;
    }
    EXPECT_TRUE(LoadFormatDefinition("SUBVIEWER1", false, false));
    // Such a format is never recognised.
    EXPECT_EQ(Detected("{0:00:01}{0:00:02}Text\r\n"), "");
}

TEST_F(DetectTest, Utf16FilesAreDecoded) {
    const QString text = QString::fromUtf8(kSrt);
    // UTF-16 without a mark: zero bytes, but no zero character.
    EXPECT_TRUE(LooksLikeUtf16LE(Utf16(text, false, false)));
    EXPECT_TRUE(LooksLikeUtf16LE(Utf16(QString::fromUtf16(u"\u0416\u65E5\r\n"), false, false)));
    EXPECT_FALSE(LooksLikeUtf16LE(kSrt));
    EXPECT_FALSE(LooksLikeUtf16LE(QByteArray("a\0\0\0", 4)));
    // NULs a caption of a text file holds: at even and odd places alike, or a lone one.
    static const char kNuls[] = "\0|second\r\na <b\0>c\r\n";
    static const char kLoneNul[] = "ab\0d\r\n";
    EXPECT_FALSE(LooksLikeUtf16LE(QByteArray(kNuls, sizeof kNuls - 1)));
    EXPECT_FALSE(LooksLikeUtf16LE(QByteArray(kLoneNul, sizeof kLoneNul - 1)));
    for (const auto& [bigEndian, mark] :
         {std::pair{false, true}, std::pair{true, true}, std::pair{false, false}}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : mark ? "little-endian" : "little-endian without a mark");
        Open(WriteFile("u16.srt", Utf16(text, bigEndian, mark)));
        EXPECT_EQ(OpenFormat(), "SUBRIP");
        EXPECT_EQ(Document(),
                  (std::vector<tSubtitleLine>{{1000, 2500, "Caf\u00e9 au lait"}, {3000, 4000, "Second"}}));
    }
    // Plain text without a mark, which no format recognises on either try.
    Open(WriteFile("u16.txt", Utf16(QString::fromUtf16(u"Caf\u00e9\r\nSecond\r\n"), false, false)));
    EXPECT_EQ(Document(), (std::vector<tSubtitleLine>{{0, 0, "Caf\u00e9"}, {0, 0, "Second"}}));
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(DetectTest, Utf8WithOrWithoutAMarkAndWesternFilesReadAsWritten) {
    Open(WriteFile("mark.txt", "\xEF\xBB\xBF"
                               "Caf\xC3\xA9\r\nSecond\r\n"));
    EXPECT_EQ(Document(), (std::vector<tSubtitleLine>{{0, 0, "Caf\u00e9"}, {0, 0, "Second"}}));
    Open(WriteFile("nomark.srt", kSrt));
    EXPECT_EQ(GetLineText(1), "Caf\u00e9 au lait");
    QByteArray western = kSrt;
    western.replace("\xC3\xA9", "\xE9");
    Open(WriteFile("western.srt", western));
    EXPECT_EQ(GetLineText(1), "Caf\u00e9 au lait");
    // A SubRip file with a mark, or with what a tool left of it: nothing stands in front of the
    // first caption number, no caption is skipped.
    for (const QByteArray& mark : {QByteArray("\xEF\xBB\xBF"), QByteArray("\xEF\xBB")}) {
        Open(WriteFile("marked.srt", mark + kSrt));
        EXPECT_EQ(CaptionCount(), 2);
        EXPECT_EQ(GetLineText(1), "Caf\u00e9 au lait");
    }
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(DetectTest, UnrecognisedTextFilesAreReadAsPlainTextWithAPlainDefinition) {
    // The last candidate tried is frame-based: the fallback still asks for no frame rate.
    const QString path = WriteFile("notes.txt", "  First note  \r\n\r\n<i>Second|note\r\n");
    Open(path);
    EXPECT_EQ(gFormatIndex, 0);
    EXPECT_EQ(gFPS, 0.0f);
    EXPECT_EQ(Document(), (std::vector<tSubtitleLine>{{0, 0, "First note"}, {0, 0, "<i>Second|note"}}));
    EXPECT_TRUE(dialogs.calls.isEmpty());
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(DetectTest, NothingRecognisedElsewhereIsReported) {
    msgbox.Answer(vbOK).Answer(vbOK).Answer(vbOK);
    Open(WriteFile("notes.TXT", "Just words\r\n"));
    Open(WriteFile("notes.sub", "Just words\r\n"));
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_EQ(msgbox.shown()[0].text, LangText(352));
    EXPECT_EQ(msgbox.shown()[0].icon, vbCritical);
    EXPECT_EQ(gFormatIndex, 0);
    EXPECT_EQ(CaptionCount(), 1);
    EXPECT_TRUE(GetLineText(1).isEmpty());
    // An empty text file falls back to plain text, which finds nothing to read.
    Open(WriteFile("empty.txt", ""));
    ASSERT_EQ(msgbox.count(), 3);
    EXPECT_TRUE(msgbox.last().text.startsWith(LangText(46)));
}

// A file is read into as much memory as it holds, not as much as the largest file the program
// reads (hundreds of megabytes): under an address-space limit far below that, a small file
// opens, and so does one whose size the system does not tell (files in /proc say 0).
TEST_F(DetectTest, OpeningSetsAsideWhatTheFileHoldsNotTheLargestSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer reserves the address space itself";
#endif
    const QString srt = WriteFile("small.srt", kSrt);
    const QString proc = TempPath("status.txt");
    ASSERT_TRUE(QFile::link("/proc/self/status", proc));
    // Once without the limit, so that what is made once (the catalogue's candidates) is made.
    Open(srt);
    Open(proc);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(96) << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    bool outOfMemory = false;
    std::vector<tSubtitleLine> small;
    QString status;
    try {
        Open(srt);
        small = Document();
        Open(proc);
        status = GetLineText(1);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    ASSERT_EQ(setrlimit(RLIMIT_AS, &saved), 0);
    EXPECT_FALSE(outOfMemory);
    EXPECT_EQ(small, (std::vector<tSubtitleLine>{{1000, 2500, "Caf\u00e9 au lait"}, {3000, 4000, "Second"}}));
    EXPECT_TRUE(status.startsWith("Name:")) << qPrintable(status);
    EXPECT_EQ(msgbox.count(), 0);
}
