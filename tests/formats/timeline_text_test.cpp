// Caption text never decides a file's format: every format of the catalogue, written with
// captions whose texts are the other formats' time lines and samples (made here from the
// catalogue itself), is recognised as itself and reads back every caption.
#include "formats/reader_fixture.h"

#include "formats/formattime.h"

#include <QSet>

namespace {

using Captions = std::vector<tSubtitleLine>;

// A time of a format as its files write it (frame-based formats at 25 frames per second).
QString TimeText(const tFormatDef& def, int32_t ms) {
    if (def.Timecode == "ms") return QString::number(ms);
    if (def.Timecode == "ff") return QString::number(MsToFrames(ms, 25.0f));
    return MsToTimecode(def, ms, def.Timecode.contains("ff") ? 25.0f : 0.0f);
}

// A format's definition with each of its time patterns: its own and the second ones that
// files of the format may use ("timecoderss", separated by "|").
std::vector<tFormatDef> Patterns(const QString& id) {
    EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
    std::vector<tFormatDef> defs{gFormatDef};
    for (const QString& pattern : ReadFormatIni(id, "timecoderss").split('|', Qt::SkipEmptyParts)) {
        tFormatDef def = defs.front();
        def.Timecode = pattern;
        def.CompactPattern = pattern;
        for (const char* field : {"hh", "mm", "ss"})
            def.CompactPattern.replace(field, QString(field[0]));
        def.CompactPattern.replace("zzz", "z");
        def.HourMask = pattern.contains("hh") ? "00" : "0";
        defs.push_back(def);
    }
    return defs;
}

// Each line of a format's body template that holds a time, filled in with times, a caption
// number and the caption.
QStringList TemplateTimeLines(const tFormatDef& def, const QString& caption) {
    QStringList lines;
    for (QString line : def.Body.split("\r\n")) {
        if (!line.contains("zrvStart") && !line.contains("zrvEnd")) continue;
        line.replace("zrvStart", TimeText(def, 1000)).replace("zrvEnd", TimeText(def, 2000));
        line.replace("zrvSubCount", "1").replace("zrvCaption", caption);
        lines << line.trimmed();
    }
    return lines;
}

// A format's samples as the catalogue writes them ("!" a line break, "?" a tab, several
// separated by "|").
QStringList SampleTexts(const QString& id) {
    QStringList texts;
    for (QString sample : ReadFormatIni(id, "sample").split('|', Qt::SkipEmptyParts)) {
        while (sample.startsWith('!'))
            sample.remove(0, 1);
        while (sample.endsWith('!'))
            sample.chop(1);
        texts << sample.replace('!', gLineBreak).replace('?', '\t').trimmed();
    }
    return texts;
}

// The texts that stand for a format's time lines and marks: its template's time lines with a
// caption, and its samples.
QStringList TimeLineTexts(const QString& id) {
    QStringList texts = TemplateTimeLines(Patterns(id).front(), "lyric tag");
    texts << SampleTexts(id);
    texts.removeDuplicates();
    return texts;
}

// Digits as 0: a time line of any time.
QString Masked(QString text) {
    for (QChar& c : text)
        if (c.isDigit()) c = u'0';
    return text;
}

// The format's own time lines, at any time: in each of its patterns, with a caption or none;
// and its samples.
QSet<QString> OwnTimeLines(const QString& id) {
    QSet<QString> own;
    for (const QString& sample : SampleTexts(id))
        own.insert(Masked(sample));
    for (const tFormatDef& def : Patterns(id))
        for (const QString& caption : {QString("lyric tag"), QString()})
            for (const QString& line : TemplateTimeLines(def, caption))
                own.insert(Masked(line));
    return own;
}

} // namespace

class TimeLineTextTest : public ReaderTest {
protected:
    // The caption as the format can carry it.
    static QString Expected(const QString& id, QString text) {
        if (id == "CSVE") text.replace(';', ',');
        if (id == "KARAOKELRC") text.replace(gLineBreak, " ");
        // Timed text is XML whose white space shows as one blank.
        if (QStringList{"DFXP", "TTML", "SMPTETT", "EBUTTD"}.contains(id)) {
            QStringList lines = text.split(gLineBreak);
            for (QString& line : lines)
                line = line.simplified();
            text = lines.join(gLineBreak);
        }
        return text;
    }
};

// A text that is the format's own time line, at any time (a SubRip caption reading
// "00:00:01,000 --> 00:00:02,000" or "00:00:05.000 --> 00:00:06.000"), may be lost in that
// format: its file cannot tell the text from a time line. Look-alike formats share their time
// lines (Adobe Encore, Pinnacle Impression and DVD Subtitle System; Sonic Scenarist and Spruce
// DVDMaestro; SubViewer 1.0's and DKS's end lines), so each one's are the other's own.
// Plain text has a caption a line: one such line among a few plain ones or many, first, in the
// middle or last, does not make the file that format's.
TEST_F(TimeLineTextTest, EveryFormatReadsBackCaptionsThatHoldOtherFormatsTimeLines) {
    // One text for each shape of time line (a sample and a template line are often alike).
    QStringList every;
    QSet<QString> shapes;
    for (int i = 1; i <= gFormatMax; ++i)
        for (const QString& text : TimeLineTexts(gFormatIds[i]))
            if (!shapes.contains(Masked(text))) {
                shapes.insert(Masked(text));
                every << text;
            }
    // Every format has a time line of its own to lend.
    ASSERT_GE(every.size(), gFormatMax);

    msgbox.AcceptAll();
    int files = 0;
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        const bool plain = i == 0;
        const QSet<QString> own = plain ? QSet<QString>() : OwnTimeLines(id);
        for (const QString& text : every) {
            if (own.contains(Masked(text))) continue;
            SCOPED_TRACE(qPrintable(id + " with \"" + text + "\""));
            std::vector<Captions> docs;
            if (plain) {
                // Short notes and long ones, the line first, in the middle or last.
                for (const int lines : {5, 8, 12, 30}) {
                    for (const int at : {0, lines / 2, lines - 1}) {
                        Captions& doc = docs.emplace_back();
                        for (int k = 0; k < lines; ++k)
                            doc.push_back({0, 0, k == at ? text : QString("Plain line %1").arg(k + 1)});
                    }
                }
            } else {
                // The text as the first caption, as a later one and as the second line of one.
                docs.push_back({{1000, 2000, text},
                                {3000, 4000, "Between"},
                                {5000, 6000, text},
                                {7000, 8000, "Two lines" + gLineBreak + text}});
            }
            for (const Captions& doc : docs) {
                const QByteArray bytes = Write(id, doc);
                const int boxes = msgbox.count();
                Open(WriteFile(id + ".txt", bytes), IsFrameBased(id));
                ++files;
                EXPECT_TRUE(OpenedAs(id));
                const Captions got = Document();
                Captions expected;
                for (const tSubtitleLine& row : doc)
                    expected.push_back({row.start, row.end, Expected(id, row.text)});
                EXPECT_EQ(got, expected) << bytes.toStdString();
                EXPECT_EQ(msgbox.count(), boxes) << (msgbox.count() ? qPrintable(msgbox.last().text) : "");
                dialogs.inputs.clear();
            }
        }
    }
    EXPECT_GT(files, gFormatMax * gFormatMax);
}
