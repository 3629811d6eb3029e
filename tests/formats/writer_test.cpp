#include "formats/reader_fixture.h"
#include "support/fixture.h"

#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"
#include "formats/writer.h"
#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <vector>

class WriterTest : public FormatsTest {
protected:
    // The file a format makes of rows (all written), as text.
    QString Write(const QString& id, const std::vector<tSubtitleLine>& rows, float fps = 0, int32_t cp = -1) {
        if (id != "PLAINTEXT") {
            EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
        }
        const tWriteJob job{id, gFormatDef, rows, int(rows.size()), fps, gLineBreak};
        return QString::fromLatin1(BuildSubtitleFile(job, cp));
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void SelectFormat(const QString& id) { gFormatIndex = int(gFormatIds.indexOf(id)); }
};

TEST_F(WriterTest, TemplateWritesHeaderBodiesFooterAndSkipsEmptyCaptions) {
    const QString srt = Write("SUBRIP", {{1000, 3500, "One|two"}, {0, 0, "  "}, {3723450, 3725010, "Three"}});
    EXPECT_EQ(srt, "1\r\n00:00:01,000 --> 00:00:03,500\r\nOne\r\ntwo\r\n\r\n"
                   "3\r\n01:02:03,450 --> 01:02:05,010\r\nThree\r\n\r\n");
    const QString sv1 = Write("SUBVIEWER1", {{1000, 3251, "A|B"}});
    EXPECT_TRUE(sv1.startsWith("[TITLE]\r\n\r\n[AUTHOR]")) << qPrintable(sv1);
    EXPECT_TRUE(sv1.endsWith("******** START SCRIPT ********\r\n[00:00:01]\r\nA|B\r\n[00:00:04]\r\n\r\n"
                             "[end]\r\n******** END SCRIPT ********\r\n\r\n"))
        << qPrintable(sv1);
    EXPECT_EQ(Write("MICRODVD", {{1000, 2000, "x"}}, 23.976f), "{23}{47}x\r\n");
    EXPECT_TRUE(Write("SAMI", {{1000, 2000, "x"}})
                    .startsWith("<SYNC Start=1000><P Class=SUBTTL>\r\nx\r\n<SYNC Start=2000>"));
    EXPECT_EQ(Write("KARAOKELRC", {{1000, 2000, "a|b"}}),
              "[by:Quenlark Scrivelle]\r\n[00:01.00]a b\r\n[00:02.00]\r\n");
}

TEST_F(WriterTest, StylesNestAndOnlyDeclaredOnesAreWritten) {
    EXPECT_EQ(Write("SUBRIP", {{0, 1000, "<i><b>x|y"}}),
              "1\r\n00:00:00,000 --> 00:00:01,000\r\n<i><b>x\r\ny</b></i>\r\n\r\n");
    // A closing tag of "---" means the format has none.
    EXPECT_EQ(Write("MICRODVD", {{0, 1000, "<b><u>x"}}, 25), "{0}{25}{Y:b}{Y:u}x\r\n");
    // SubStation Alpha carries bold and italic only: underline is dropped, not invented.
    EXPECT_EQ(Write("SUBSTATIONALPHA", {{0, 1000, "<u><b>x"}}),
              "Dialogue: Marked=0,0:00:00.00,0:00:01.00,Default,,0000,0000,0000,,{\\b1}x{\\b0}\r\n");
    // Formats without styles drop every tag.
    EXPECT_EQ(Write("YOUTUBESBV", {{0, 1000, "<b>a<i>b<u>"}}), "0:00:00.000,0:00:01.000\r\nab\r\n\r\n");
    // A tag typed in the middle styles the whole caption, as the list shows it; its closing form
    // is no text.
    EXPECT_EQ(Write("SUBRIP", {{0, 1000, "Say <i>this</i> now"}}),
              "1\r\n00:00:00,000 --> 00:00:01,000\r\n<i>Say this now</i>\r\n\r\n");
    EXPECT_TRUE(Write("SAMI", {{0, 1000, "Say <i>this</i> now"}}).contains("\r\n<i>Say this now</i>\r\n"));
    EXPECT_TRUE(
        Write("ADVANCEDSSA", {{0, 1000, "Say <i>this</i> now"}}).contains(",{\\i1}Say this now{\\i0}\r\n"));
}

TEST_F(WriterTest, MarkupFormatsEscapeTheirText) {
    const QString vtt =
        Write("WEBVTT", {{0, 1000, QString::fromUtf8("<b>a < b --> c & d \xC3\xA9|\xF0\x9F\x98\x80")}});
    // WebVTT is UTF-8 by definition: only the markup characters are escaped.
    EXPECT_EQ(vtt.toLatin1(), "WEBVTT\r\n\r\n00:00:00.000 --> 00:00:01.000\r\n"
                              "<b>a &lt; b --&gt; c &amp; d \xC3\xA9\r\n\xF0\x9F\x98\x80</b>\r\n\r\n");
    const QString ttml = Write("TTML", {{0, 1000, "x|<y>"}});
    EXPECT_TRUE(ttml.contains("<p begin=\"00:00:00.000\" end=\"00:00:01.000\">x<br/>&lt;y&gt;</p>"))
        << qPrintable(ttml);
    // Plain formats keep the characters.
    EXPECT_TRUE(Write("SUBRIP", {{0, 1000, "a < b & c"}}).contains("a < b & c"));
}

// Half a surrogate pair (a damaged UTF-16 file leaves them in captions) has no character
// reference: one would make the whole document invalid markup. Every markup format writes it as
// "?" and still writes a whole pair.
TEST_F(WriterTest, MarkupHasNoReferenceToHalfASurrogatePair) {
    const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString text = QString(u'a') + QChar(0xD800) + u'b' + QChar(0xDC00) + pair + QChar(0xDE00) +
                         QChar(0xD83D) + u'|' + QChar(0xD83D);
    const QRegularExpression reference("&#(\\d+);");
    int markupFormats = 0;
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        ASSERT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
        if (gFormatDef.TextEscape != "xml") continue;
        ++markupFormats;
        SCOPED_TRACE(qPrintable(id));
        const QString file = QString::fromUtf8(Write(id, {{0, 1000, text}}).toLatin1());
        for (auto m = reference.globalMatch(file); m.hasNext();) {
            const uint code = m.next().captured(1).toUInt();
            EXPECT_FALSE(code >= 0xD800 && code <= 0xDFFF) << code;
        }
        EXPECT_TRUE(file.contains(pair) || file.contains("&#128512;"));
        EXPECT_TRUE(file.contains("a?b?"));
    }
    EXPECT_GE(markupFormats, 5);
}

TEST_F(WriterTest, SpecialPaths) {
    // Plain text: every row as the list holds it, whatever the count: a line break alone, empty
    // lines, tags where they stand with their closing forms; a raw line end as the marker.
    const std::vector<tSubtitleLine> rows{
        {1000, 2000, "<b>One|two"},    {0, 0, "Untimed"},          {0, 0, ""}, {0, 0, "|"}, {0, 0, "||x|"},
        {0, 0, "Say <i>this</i> now"}, {0, 0, "raw\r\nline\nends"}};
    const tWriteJob plain{"PLAINTEXT", gFormatDef, rows, 1, 0, gLineBreak};
    EXPECT_EQ(BuildSubtitleFile(plain),
              "<b>One|two\r\nUntimed\r\n\r\n|\r\n||x|\r\nSay <i>this</i> now\r\nraw|line|ends\r\n");
    const tWriteJob noMarker{"PLAINTEXT", gFormatDef, rows, 1, 0, ""};
    EXPECT_TRUE(QString(BuildSubtitleFile(noMarker)).endsWith("\r\nraw line ends\r\n"));

    EXPECT_EQ(Write("TMPLAYER", {{1000, 3300, "<i>a|b|c"}, {4000, 5000, "d"}}),
              "00:00:01,1=a\r\n00:00:01,2=b\r\n00:00:01,2=c\r\n00:00:04,1=\r\n00:00:04,2=\r\n"
              "00:00:04,1=d\r\n00:00:04,2=\r\n00:00:05,1=\r\n00:00:05,2=\r\n");

    // Ulead numbers from 0; CSV turns the field separator in texts into commas.
    EXPECT_TRUE(
        Write("UDVDWORKSHOP20", {{1000, 2000, "a"}}, 25).contains("#0 00;00;01;00 00;00;02;00\r\na\r\n"));
    EXPECT_EQ(Write("CSVE", {{1000, 2000, "a;b,c"}}),
              "Number;Start time;End time;Text\r\n1;00:00:01.000;00:00:02.000;a,b,c\r\n");
}

TEST_F(WriterTest, AdobeEncoreIsUtf8WhateverTheAnsiCodePage) {
    const QString text = QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xD0\x96 \xE6\x97\xA5|<b>x");
    const QByteArray expected = "00:00:01:00 00:00:02:12 " +
                                QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xD0\x96 \xE6\x97\xA5").toUtf8() +
                                "\r\nx\r\n";
    for (const int32_t cp : {1252, 1251, 932}) {
        ASSERT_TRUE(LoadFormatDefinition("ADOBEENCORE", false, false));
        const std::vector<tSubtitleLine> rows{{1000, 2500, text}, {0, 0, ""}};
        const tWriteJob job{"ADOBEENCORE", gFormatDef, rows, 2, 25, gLineBreak};
        EXPECT_EQ(BuildSubtitleFile(job, cp), expected) << cp;
    }
}

TEST_F(WriterTest, TextTheAnsiCodePageCannotHoldIsWrittenAsUtf8WithAMark) {
    const QString cyrillic = QString::fromUtf8("\xD0\x96\xD0\xB6"); // fits 1251
    const QString mixed = QString::fromUtf8("\xD0\x96\xC3\xA9");    // 1251 lacks the e-acute
    const QString cjk = QString::fromUtf8("Привет мир 你好");
    const QByteArray bom = "\xEF\xBB\xBF";
    const QByteArray srtHead = "1\r\n00:00:00,000 --> 00:00:01,000\r\n";
    struct Case {
        const char* id;
        QString text;
        int32_t cp;
        QByteArray expected;
    } const cases[] = {
        {"SUBRIP", cyrillic, 1251, srtHead + "\xC6\xE6\r\n\r\n"},
        {"SUBRIP", "caf\u00e9", 1252, srtHead + "caf\xE9\r\n\r\n"},
        {"SUBRIP", mixed, 1251, bom + srtHead + mixed.toUtf8() + "\r\n\r\n"},
        {"SUBRIP", cjk, 1252, bom + srtHead + cjk.toUtf8() + "\r\n\r\n"},
        {"PLAINTEXT", cjk, 1252, bom + cjk.toUtf8() + "\r\n"},
        {"TMPLAYER", cjk, 1252,
         bom + ("00:00:00,1=" + cjk + "\r\n00:00:00,2=\r\n00:00:01,1=\r\n00:00:01,2=\r\n").toUtf8()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(QString(c.id) + " " + c.text + " " + QString::number(c.cp)));
        EXPECT_EQ(Write(c.id, {{0, 1000, c.text}}, 0, c.cp).toLatin1(), c.expected);
    }
}

// Whatever the text, the file reads back as it: code-page bytes that the reader would take for
// Unicode (a byte-order mark at the start, or valid UTF-8 anywhere) are not written as such.
TEST_F(WriterTest, CodePageBytesThatLookLikeUnicodeAreWrittenAsUtf8) {
    const struct {
        const char* text; // UTF-8
        int32_t cp;
        bool unicode; // the code page's bytes would be read as Unicode
    } rows[] = {
        {"caf\u00e9", 1252, false},           {"\u00c3\u00a9t", 1252, true},        // C3 A9: "é" in UTF-8
        {"\u00ff\u00fe ab", 1252, true},      {"\u00fe\u00ff ab", 1252, true},      // FF FE, FE FF
        {"\u00ef\u00bb\u00bf x", 1252, true}, {"x \u00ef\u00bb\u00bf", 1252, true}, // EF BB BF
        {"\u00ef\u00bb", 1252, true},         {"\u00e9\u00c3", 1252, false},        // E9 C3: no UTF-8
        {"\u0420\u040e", 1251, true},         {"\u0416", 1251, false},              // D0 A1 / C6
    };
    for (const auto& r : rows) {
        const QString text = QString::fromUtf8(r.text);
        SCOPED_TRACE(qPrintable(text + " " + QString::number(r.cp)));
        const QByteArray bytes = EncodeSubtitleText(text, r.cp);
        EXPECT_EQ(bytes, r.unicode ? "\xEF\xBB\xBF" + text.toUtf8() : EncodeCodePage(text, r.cp));
        EXPECT_EQ(DecodeFileText(bytes, DetectTextEncoding(bytes), r.cp), text);
    }
}

// Long files are made a piece at a time; a character that decides the encoding late in the
// file still decides it for the whole file, and nothing is lost or doubled at the seams.
TEST_F(WriterTest, LongFilesAreEncodedAsAWhole) {
    const QString late = QString::fromUtf8("\xD0\x96 \xF0\x9F\x98\x80"); // 1251 has the first only
    struct Case {
        QString lastText;
        int32_t cp;
        bool utf8;
    } const cases[] = {
        {"plain", 1252, false}, {"caf\u00e9", 1252, false}, {late, 1252, true},
        {late, 1251, true},     {"plain", 1200, false},
    };
    std::vector<tSubtitleLine> rows;
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        rows.push_back({i * 1000, i * 1000 + 500, QStringLiteral("caption %1 with|two lines").arg(i)});
        expected +=
            QStringLiteral("%1\r\n00:%2:%3,000 --> 00:%2:%3,500\r\ncaption %4 with\r\ntwo lines\r\n\r\n")
                .arg(i + 1)
                .arg(i / 60, 2, 10, QLatin1Char('0'))
                .arg(i % 60, 2, 10, QLatin1Char('0'))
                .arg(i);
    }
    ASSERT_GT(expected.size(), 100000);
    ASSERT_TRUE(LoadFormatDefinition("SUBRIP", false, false));
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.lastText + " " + QString::number(c.cp)));
        std::vector<tSubtitleLine> all = rows;
        all.push_back({3000000, 3000500, c.lastText});
        const QString text = expected + "3001\r\n00:50:00,000 --> 00:50:00,500\r\n" + c.lastText + "\r\n\r\n";
        const tWriteJob job{"SUBRIP", gFormatDef, all, int(all.size()), 0, gLineBreak};
        const QByteArray bytes = BuildSubtitleFile(job, c.cp);
        EXPECT_EQ(bytes, c.utf8 ? "\xEF\xBB\xBF" + text.toUtf8() : EncodeCodePage(text, c.cp));
        EXPECT_EQ(bytes, EncodeSubtitleText(text, c.cp));
    }
}

TEST_F(WriterTest, SaveReplacesTheFileAndClearsModified) {
    SelectFormat("SUBRIP");
    ASSERT_TRUE(AddLine(1000, 2000, "One"));
    ASSERT_TRUE(AddLine(3000, 4000, "Two"));
    gSubFile = WriteFile("out.srt", "old contents");
    gModified = true;
    QStringList statuses;
    int refreshes = 0;
    gOnFileStatus = [&](const QString& text, bool clear) { statuses << text + (clear ? "|clear" : ""); };
    gOnRefreshFileLabels = [&] { ++refreshes; };
    ASSERT_TRUE(SaveSubtitleFile(1));
    EXPECT_EQ(Read(gSubFile), "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n");
    EXPECT_FALSE(gModified);
    EXPECT_EQ(statuses.size(), 1);
    EXPECT_TRUE(statuses[0].endsWith("|clear"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(WriterTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    SelectFormat("SUBRIP");
    ASSERT_TRUE(AddLine(1000, 2000, "One"));
    gModified = true;

    // A target that cannot be written (here a folder standing where the file should be).
    gSubFile = TempPath("taken.srt");
    ASSERT_TRUE(QDir().mkpath(gSubFile));
    msgbox.Answer(vbOK);
    EXPECT_FALSE(SaveSubtitleFile(1));
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_EQ(msgbox.last().text, LangText(306, gSubFile));
    EXPECT_TRUE(gModified);

    // A folder that does not exist: the error is reported with its reason.
    gSubFile = TempPath("no/such/folder/x.srt");
    msgbox.Answer(vbOK);
    EXPECT_FALSE(SaveSubtitleFile(1));
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_TRUE(msgbox.last().text.startsWith("An error ocurred while saving the file " + gSubFile +
                                              ".\r\n\r\nError #76: "));
    EXPECT_TRUE(gModified);
    EXPECT_FALSE(QFile::exists(gSubFile));

    // A format without a valid definition writes nothing over the old file.
    gSubFile = WriteFile("keep.srt", "old contents");
    gFormatIds.append("UNDEFINED");
    gFormatMax = int(gFormatIds.size()) - 1;
    gFormatIndex = gFormatMax;
    msgbox.Answer(vbOK).Answer(vbOK);
    EXPECT_FALSE(SaveSubtitleFile(1));
    EXPECT_EQ(Read(gSubFile), "old contents");
    EXPECT_TRUE(gModified);
}

TEST_F(WriterTest, ReadOnlyFileIsReportedAndLeftAlone) {
    if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    SelectFormat("SUBRIP");
    ASSERT_TRUE(AddLine(1000, 2000, "One"));
    gModified = true;
    gSubFile = WriteFile("ro.srt", "old");
    QFile::setPermissions(gSubFile, QFileDevice::ReadOwner);
    msgbox.Answer(vbOK);
    EXPECT_FALSE(SaveSubtitleFile(1));
    EXPECT_EQ(msgbox.last().text, LangText(306, gSubFile));
    EXPECT_EQ(Read(gSubFile), "old");
    EXPECT_TRUE(gModified);
}
