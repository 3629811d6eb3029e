// Every format of the catalogue: a seeded random document is written, recognised and read
// back, and comes back as the format can carry it.
#include "formats/reader_fixture.h"

#include "formats/formattime.h"
#include "formats/textops.h"

#include <QDir>
#include <QSet>

#include <random>

namespace {

// Words and the characters that are markup, separators or beyond ASCII in one format or
// another (all of them in the Western code page).
const QStringList kWords{
    "the",         "quick",     "brown",   "fox",        "jumps", "over",       "lazy",      "dog",
    "Ann",         "said",      "no",      "a & b",      "x < y", "y > z",      "caf\u00e9", "na\u00efve",
    "Stra\u00dfe", "\u00fcber", "\u20ac5", "\"quoted\"", "it's",  "semi;colon", "comma,",    "colon:",
    "(maybe)",     "well...",   "wait!",   "why?",       "-->",   "50%",        "<tag>",     "&amp;",
};

QString RandomLine(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(1, 6), word(0, int(kWords.size()) - 1), dash(0, 5);
    QStringList words;
    for (int n = count(rng); n > 0; --n)
        words << kWords[word(rng)];
    QString line = words.join(' ');
    // Dialogue lines begin with a dash.
    if (dash(rng) == 0) line.prepend("- ");
    return line;
}

std::vector<tSubtitleLine> RandomDocument(unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> captions(8, 16), lines(1, 3), gap(0, 4000), length(600, 5000),
        style(0, 15), kind(0, 19);
    std::vector<tSubtitleLine> doc;
    int32_t at = 500 + gap(rng);
    const int n = captions(rng);
    for (int i = 0; i < n; ++i) {
        QStringList text;
        for (int l = lines(rng); l > 0; --l)
            text << RandomLine(rng);
        QString caption = text.join(gLineBreak);
        const int s = style(rng);
        if (s & 1 && s < 8) caption.prepend("<b>");
        if (s & 2 && s < 8) caption.prepend("<i>");
        if (s & 4 && s < 8) caption.prepend("<u>");
        const int k = kind(rng);
        if (k == 0) {
            doc.push_back({0, 0, caption}); // untimed
            continue;
        }
        if (k == 1) caption = " ";        // nothing to show: no format writes it
        if (k == 2) at += 3600000;        // past an hour
        if (k == 3) caption = gLineBreak; // only a line break: plain text keeps it
        const int32_t start = at;
        const int32_t end = start + length(rng);
        doc.push_back({start, end, caption});
        at = end + gap(rng);
    }
    return doc;
}

struct Styled {
    QSet<QString> styles;
    QString text;
};

Styled SplitStyles(const QString& text) {
    Styled s{{}, text};
    for (const char* tag : {"<b>", "<i>", "<u>"}) {
        if (s.text.contains(tag)) s.styles.insert(tag);
        s.text.remove(tag);
    }
    return s;
}

class RoundTripTest : public ReaderTest {
protected:
    // The caption as the format can carry it.
    static tSubtitleLine Expected(const QString& id, const tSubtitleLine& row) {
        Styled s = SplitStyles(row.text);
        if (id == "CSVE") s.text.replace(';', ',');
        if (id == "KARAOKELRC") s.text.replace(gLineBreak, " ");
        // No caption is written with an empty first line.
        if (id == "DVDSUBSYSTEM") {
            QStringList lines = s.text.split(gLineBreak);
            while (lines.size() > 1 && lines.first().trimmed().isEmpty())
                lines.removeFirst();
            s.text = lines.join(gLineBreak);
        }
        QString text;
        const uint8_t flags = id == "PLAINTEXT" ? 7 : gFormatDef.TagFlags;
        for (const auto& [tag, bit] : {std::pair{"<u>", 4}, std::pair{"<i>", 2}, std::pair{"<b>", 1}})
            if (s.styles.contains(tag) && (flags & bit)) text += tag;
        return {row.start, row.end, text + s.text};
    }
    static QString Normalised(const QString& text) {
        const Styled s = SplitStyles(text);
        QStringList tags(s.styles.begin(), s.styles.end());
        tags.sort();
        return tags.join("") + s.text;
    }
};

} // namespace

TEST_F(RoundTripTest, EveryFormatReadsBackWhatItWrote) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const std::vector<tSubtitleLine> doc = RandomDocument(seed);
        for (int i = 0; i <= gFormatMax; ++i) {
            const QString id = gFormatIds[i];
            SCOPED_TRACE(qPrintable(id + " seed " + QString::number(seed)));
            const QByteArray bytes = Write(id, doc);
            const tFormatDef written = gFormatDef;
            std::vector<tSubtitleLine> expected;
            for (const tSubtitleLine& row : doc) {
                if (IsBlank(row.text) || (id != "PLAINTEXT" && IsBlank(QString(row.text).remove(gLineBreak))))
                    continue;
                tSubtitleLine e = Expected(id, row);
                // Plain text keeps the texts only.
                if (id == "PLAINTEXT") e.start = e.end = 0;
                expected.push_back(e);
            }
            const QString path = WriteFile(id + (id == "PLAINTEXT" ? ".txt" : ".sub"), bytes);
            Open(path, IsFrameBased(id));
            EXPECT_TRUE(OpenedAs(id));
            const std::vector<tSubtitleLine> got = Document();
            EXPECT_EQ(got.size(), expected.size()) << bytes.toStdString();
            if (got.size() != expected.size()) continue;
            const int32_t tolerance = Resolution(written);
            for (size_t k = 0; k < got.size(); ++k) {
                EXPECT_EQ(Normalised(got[k].text), Normalised(expected[k].text)) << "caption " << k + 1;
                EXPECT_LE(std::abs(got[k].start - expected[k].start), tolerance) << "caption " << k + 1;
                EXPECT_LE(std::abs(got[k].end - expected[k].end), tolerance) << "caption " << k + 1;
            }
            EXPECT_EQ(msgbox.count(), 0);
            // Nothing of the program's own file is left out: Save writes it again in place.
            EXPECT_FALSE(gImportLeftOut);
            EXPECT_TRUE(dialogs.inputs.empty());
            dialogs.inputs.clear();
        }
    }
}

TEST_F(RoundTripTest, TextBeyondTheAnsiCodePageSurvivesEveryFormat) {
    const std::vector<tSubtitleLine> doc{{1000, 2500, QString::fromUtf8("Привет мир 你好")},
                                         {3000, 4500, QString::fromUtf8("Ж|日本語 caf\u00e9")}};
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        SCOPED_TRACE(qPrintable(id));
        const QByteArray bytes = Write(id, doc);
        std::vector<QString> expected;
        for (const tSubtitleLine& row : doc)
            expected.push_back(Normalised(Expected(id, row).text));
        Open(WriteFile(id + (id == "PLAINTEXT" ? ".txt" : ".sub"), bytes), IsFrameBased(id));
        const std::vector<tSubtitleLine> got = Document();
        ASSERT_EQ(got.size(), expected.size()) << bytes.toStdString();
        for (size_t k = 0; k < got.size(); ++k)
            EXPECT_EQ(Normalised(got[k].text), expected[k]) << "caption " << k + 1;
        EXPECT_EQ(msgbox.count(), 0);
        dialogs.inputs.clear();
    }
}

// Captions that look like time lines, markup, line breaks and the largest time: what every
// format must carry through a save and an open.
TEST_F(RoundTripTest, TimeLikeTextMarkupAndTheLargestTimeReadBack) {
    const std::vector<tSubtitleLine> doc{
        {1000, 2500, "The train leaves at 10:30:00 today"},
        {3000, 4500, "Meet at 10:30:00.000 sharp|10:30:00.000 is the time"},
        {5000, 6000, "a & b < c > d &amp; &lt; x"},
        {7000, 8000, "two|lines|and three"},
        {kMaxTimeMs - 2000, kMaxTimeMs, "<i>The very end"},
    };
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        SCOPED_TRACE(qPrintable(id));
        const QByteArray bytes = Write(id, doc);
        const tFormatDef written = gFormatDef;
        Open(WriteFile(id + (id == "PLAINTEXT" ? ".txt" : ".sub"), bytes), IsFrameBased(id));
        EXPECT_TRUE(OpenedAs(id));
        const std::vector<tSubtitleLine> got = Document();
        ASSERT_EQ(got.size(), doc.size()) << bytes.toStdString();
        // Whole seconds are never rounded past the largest time: it loses its fraction.
        const int32_t resolution = Resolution(written);
        for (size_t k = 0; k < got.size(); ++k) {
            const tSubtitleLine e = Expected(id, doc[k]);
            EXPECT_EQ(Normalised(got[k].text), Normalised(e.text)) << "caption " << k + 1;
            if (id == "PLAINTEXT") continue;
            const int32_t tolerance = resolution == 750 && k + 1 == got.size() ? 999 : resolution;
            EXPECT_LE(std::abs(got[k].start - e.start), tolerance) << "caption " << k + 1;
            EXPECT_LE(std::abs(got[k].end - e.end), tolerance) << "caption " << k + 1;
        }
        EXPECT_EQ(msgbox.count(), 0) << (msgbox.count() ? qPrintable(msgbox.last().text) : "");
    }
}

// Empty lines inside a caption (typed by the user, or left by a reader that dropped what a line
// held): where a caption's lines are the file's lines an empty one would end the caption, and
// the lines after it would be lost. Every format keeps every line that has text, in order.
TEST_F(RoundTripTest, EmptyLinesInsideACaptionLoseNoText) {
    // The fourth caption's middle line holds only control characters, which markup leaves out.
    const std::vector<tSubtitleLine> doc{{1000, 2500, "first||second"},
                                         {3000, 4500, "|lead| |x|"},
                                         {5000, 6000, "<i>a|\t|b||"},
                                         {6500, 6900, QString("c|\x01\x02|d")},
                                         {7000, 8000, "last"}};
    // The lines with text, without the control characters a format may leave out.
    const auto lines = [](const QString& text) {
        QStringList out;
        for (QString line : Normalised(text).split(gLineBreak)) {
            line.removeIf([](QChar c) { return c.unicode() < 0x20; });
            if (!line.trimmed().isEmpty()) out << line.trimmed();
        }
        return out;
    };
    // Plain text (index 0) has a caption per line.
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        SCOPED_TRACE(qPrintable(id));
        const QByteArray bytes = Write(id, doc);
        const int boxes = msgbox.count();
        Open(WriteFile(id + ".sub", bytes), IsFrameBased(id));
        const std::vector<tSubtitleLine> got = Document();
        EXPECT_EQ(got.size(), doc.size()) << bytes.toStdString();
        if (got.size() != doc.size()) continue;
        for (size_t k = 0; k < got.size(); ++k)
            EXPECT_EQ(lines(got[k].text), lines(Expected(id, doc[k]).text)) << "caption " << k + 1;
        EXPECT_EQ(msgbox.count(), boxes) << (msgbox.count() ? qPrintable(msgbox.last().text) : "");
    }
}

// Texts no file format has a place for as they stand: control characters, an empty first line,
// style tags typed in the middle with their closing forms, a raw line end, a number and a
// time-like line inside a caption. Every format writes what it can carry of them, and reads
// back exactly what it wrote: the file saved again is the same file, and nothing is told.
// Plain text writes every caption as the caption list holds it (a raw line end as the marker).
TEST_F(RoundTripTest, HostileTextsReadBackAsWritten) {
    const struct Row {
        QString text;
        QString written;     // the caption the file holds, as the caption list puts it
        QString markup;      // the same in markup, which cannot hold control characters
        QString subrip = {}; // the same in SubRip, where a number and a time line begin a caption
    } rows[] = {
        {QString::fromUtf8("\0|second", 8), QString::fromUtf8("\0|second", 8), "second"},
        {QString::fromUtf8("a <b\0>c\x01|x\x1Fy", 12), QString::fromUtf8("a <b\0>c\x01|x\x1Fy", 12),
         "<b>a c|xy"},
        {" |\t|third", "third", {}},
        {"<i>|second line only", "<i>second line only", {}},
        {"Say <i>this</i> now", "<i>Say this now", {}},
        {"<u>all</u> of <b>it</b>", "<u><b>all of it", {}},
        {"</b>stray close</i>", "stray close", {}},
        {"12|00:00:0-->00::035<i>", "<i>12|00:00:0-->00::035", {}},
        {"2|00:00:05,000 --> 00:00:06,000|and on",
         "2|00:00:05,000 --> 00:00:06,000|and on",
         {},
         "2 00:00:05,000 --> 00:00:06,000|and on"},
        {"Hello|7|00:00:03,000 --> 00:00:04,000|Bye",
         "Hello|7|00:00:03,000 --> 00:00:04,000|Bye",
         {},
         "Hello|7 00:00:03,000 --> 00:00:04,000|Bye"},
        {"raw\nline\r\nends", "raw|line|ends", {}},
    };
    std::vector<tSubtitleLine> doc;
    int32_t at = 1000;
    for (const Row& row : rows) {
        doc.push_back({at, at + 1500, row.text});
        at += 2000;
    }
    msgbox.AcceptAll();
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        SCOPED_TRACE(qPrintable(id));
        const QByteArray bytes = Write(id, doc);
        const bool markup = gFormatDef.TextEscape == "xml";
        const bool plain = id == "PLAINTEXT";
        QString plainFile;
        for (const Row& row : rows)
            plainFile += QString(row.text).replace("\r\n", "|").replace('\n', '|') + "\r\n";
        if (plain) {
            EXPECT_EQ(QString::fromLatin1(bytes), plainFile);
        }
        const int boxes = msgbox.count();
        Open(WriteFile(id + (id == "PLAINTEXT" ? ".txt" : ".sub"), bytes), IsFrameBased(id));
        EXPECT_TRUE(OpenedAs(id));
        const std::vector<tSubtitleLine> got = Document();
        EXPECT_EQ(msgbox.count(), boxes) << (msgbox.count() > boxes ? qPrintable(msgbox.last().text) : "");
        EXPECT_FALSE(gImportLeftOut);
        dialogs.inputs.clear();
        EXPECT_EQ(got.size(), doc.size()) << bytes.toStdString();
        if (got.size() != doc.size()) continue;
        for (size_t k = 0; k < got.size(); ++k) {
            const Row& row = rows[k];
            const QString& written = markup && !row.markup.isEmpty()           ? row.markup
                                     : id == "SUBRIP" && !row.subrip.isEmpty() ? row.subrip
                                                                               : row.written;
            // Plain text: the line as written, without the blanks around it, which the reader trims.
            if (plain) {
                EXPECT_EQ(got[k].text, plainFile.split("\r\n")[qsizetype(k)].trimmed())
                    << "caption " << k + 1;
                continue;
            }
            EXPECT_EQ(Normalised(got[k].text), Normalised(Expected(id, {0, 0, written}).text))
                << "caption " << k + 1;
        }
        if (!plain) {
            EXPECT_EQ(QString::fromLatin1(Write(id, got)), QString::fromLatin1(bytes));
        }
        // Markup leaves control characters out when a file holds them raw, too.
        if (!markup) continue;
        Open(WriteFile(id + ".sub", QByteArray(bytes).replace("third", QByteArray("th\0i\x01rd", 7))),
             IsFrameBased(id));
        EXPECT_EQ(msgbox.count(), boxes);
        ASSERT_EQ(Document().size(), doc.size());
        EXPECT_EQ(Document()[2].text, "third");
    }
}

// The reader's fuzz target starts from the seeds in its corpus: among them a file of every format
// of the catalogue, so that every grammar and template is fuzzed.
TEST_F(RoundTripTest, TheReaderFuzzCorpusHoldsAFileOfEveryFormat) {
    QSet<QString> read;
    const QDir corpus(QStringLiteral(SCRIVELLE_SOURCE_DIR "/tests/fuzz/corpus/reader"));
    for (const QFileInfo& file : corpus.entryInfoList(QDir::Files)) {
        msgbox.AcceptAll();
        Open(file.filePath(), true);
        dialogs.inputs.clear();
        read.insert(OpenFormat());
    }
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        // Sonic Scenarist files are read on as Spruce ones.
        EXPECT_TRUE(read.contains(id) || (id == "SONICSCENARIST" && read.contains("SPRUCEDVDMAESTRO")))
            << qPrintable(id);
    }
}
