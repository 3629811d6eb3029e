#pragma once
// What the reader tests share: the shipped catalogue, the English texts, the Western code page,
// and helpers to write files and read the caption grid back.
#include "support/fixture.h"
#include "support/scoped.h"

#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "formats/formatdefs.h"
#include "formats/formatheader.h"
#include "formats/reader.h"
#include "formats/writer.h"
#include "language/lang.h"

#include <QMap>

#include <vector>

// The shipped catalogue loaded, the English texts, "|" as the line-break marker.
class FormatsTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        UseSourceFormatFiles();
        gLineBreak = "|";
        LoadLanguageStrings();
        ASSERT_TRUE(LoadFormatsList());
    }

    // Files are written and read in the Western code page.
    EnvVar codePage{"SCRIVELLE_ANSI_CODEPAGE", "1252"};
};

class ReaderTest : public FormatsTest {
protected:
    static bool IsFrameBased(const QString& id) {
        return ReadFormatIni(id, "timecode").contains("ff", Qt::CaseInsensitive);
    }
    // The bytes a format writes of rows (all of them), frame-based formats at 25 fps.
    static QByteArray Write(const QString& id, const std::vector<tSubtitleLine>& rows) {
        if (id != "PLAINTEXT") {
            EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
        }
        tFormatDef def = gFormatDef;
        // A generated header as a save builds it.
        if (id != "PLAINTEXT" && ReadFormatIni(id, "header") == "1") def.Header = BuildFormatHeader(id);
        const tWriteJob job{id, def, rows, int(rows.size()), IsFrameBased(id) ? 25.0f : 0.0f, gLineBreak};
        return BuildSubtitleFile(job);
    }
    // The document as the grid holds it.
    static std::vector<tSubtitleLine> Document() {
        std::vector<tSubtitleLine> rows;
        for (int r = 1; r <= CaptionCount(); ++r)
            rows.push_back({GetLineStart(r), GetLineEnd(r), GetLineText(r)});
        return rows;
    }
    // Opens a file as the open command does (the grid reset first), answering a frame-rate
    // question with 25.
    void Open(const QString& path, bool frameRateAsked = false) {
        ResetCaptionGrid(true);
        gAbortLoad = false;
        if (frameRateAsked) dialogs.inputs.push_back(QStringLiteral("25"));
        ImportSubtitleFile(path, false, false);
    }
    // The id of the open document's format.
    static QString OpenFormat() { return CurrentFormatId(); }
    // The open document's format is id, or the look-alike recognised in its place that reads
    // the same captions.
    static testing::AssertionResult OpenedAs(const QString& id) {
        static const QMap<QString, QStringList> lookAlikes{
            {"SONICSCENARIST", {"SPRUCEDVDMAESTRO"}},
            {"DVDSUBSYSTEM", {"ADOBEENCORE"}},
        };
        if (OpenFormat() == id || lookAlikes.value(id).contains(OpenFormat()))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "recognised as " << qPrintable(OpenFormat());
    }
    // Opens bytes written to a file of that name as the open command does (a frame-based
    // format's rate asked and answered with 25): the format recognised and the captions read.
    void ExpectOpens(const QString& name, const QByteArray& bytes, const QString& format,
                     const std::vector<tSubtitleLine>& captions) {
        Open(WriteFile(name, bytes), IsFrameBased(format));
        EXPECT_EQ(OpenFormat(), format);
        EXPECT_EQ(Document(), captions);
    }
    // As ExpectOpens, every message answered: styles the caption list cannot keep, and the end
    // of a last caption that nothing ends, may be told of, but nothing may be skipped or cut.
    void ExpectOpensWhole(const QString& name, const QByteArray& bytes, const QString& format,
                          const std::vector<tSubtitleLine>& captions) {
        msgbox.AcceptAll();
        const int before = msgbox.count();
        ExpectOpens(name, bytes, format, captions);
        for (int i = before; i < msgbox.count(); ++i) {
            for (const QString& told : msgbox.shown().at(i).text.split(QLatin1String("\r\n\r\n")))
                EXPECT_TRUE(told.startsWith(QLatin1String("The file holds what the caption list")) ||
                            told.contains(QLatin1String(" no end and w")))
                    << qPrintable(msgbox.shown().at(i).text);
        }
    }
    // Parses text with a format's definition, as the reader's core does.
    static tReadOutcome Parse(const QString& id, const QString& text, float fps = 25.0f, bool timed = false) {
        tReadSetup setup;
        setup.plainText = id == "PLAINTEXT";
        if (!setup.plainText) {
            EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
            setup.def = gFormatDef;
        } else {
            setup.def = PlainTextDefinition();
        }
        setup.fps = fps;
        setup.timedSample = timed;
        setup.lineBreak = gLineBreak;
        return ParseSubtitleText(text, setup);
    }
};

// How far a format's time codes can move a time, in ms.
inline int32_t Resolution(const tFormatDef& def) {
    const QString& tc = def.Timecode;
    if (tc == "ms") return 0;
    if (tc.contains("ff")) return 40; // a frame at 25 fps
    if (tc.contains("zzz")) return 0;
    if (tc.contains("zz")) return 9;
    if (tc.contains("z")) return 99;
    return 750; // whole seconds, rounded up from a quarter
}

inline bool operator==(const tSubtitleLine& a, const tSubtitleLine& b) {
    return a.start == b.start && a.end == b.end && a.text == b.text;
}

inline void PrintTo(const tSubtitleLine& c, std::ostream* os) {
    *os << "{" << c.start << ", " << c.end << ", \"" << c.text.toStdString() << "\"}";
}
