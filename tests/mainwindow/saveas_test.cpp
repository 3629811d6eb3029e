// Save as through the real export dialog, and the save prompt of a document read from a
// plain-text file: it is saved as a subtitle beside the text file, never over it, and
// cancelling anywhere on the way cancels the command that asked.
#include "document/captions.h"
#include "document/timeshift.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"
#include "formats/formatheader.h"
#include "formats/formattime.h"
#include "formats/ui/frmExport.h"
#include "formats/ui/frmFormat.h"
#include "formats/writer.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainwindow_fixture.h"
#include "platform/CodePage.h"
#include "support/fixture.h"
#include "support/modal.h"
#include "support/scoped.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>

#include <optional>

namespace {

const QByteArray kNotes = "Hello there\r\nSecond line\r\nThird one\r\n";

class SaveAsTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        Make();
        w->showExportDialog = [this] { return ShowExportDialog(w.get()); };
    }
    static int Index(const char* id) { return int(gFormatIds.indexOf(QLatin1String(id))); }

    // A plain-text file opened and timed: caption i from i s to i s + 900 ms.
    QString OpenTimedNotes() {
        const QString path = WriteFile("notes.txt", kNotes);
        EXPECT_TRUE(w->LoadTextFile(path));
        EXPECT_EQ(CurrentFormatId(), "PLAINTEXT");
        for (int i = 1; i <= CaptionCount(); ++i) {
            SetLineStart(i, i * 1000);
            SetLineEnd(i, i * 1000 + 900);
        }
        gModified = true;
        return path;
    }
    // Answers the export dialog: the format chosen (nullptr keeps what it offers), the frame
    // rate typed, OK or Cancel; offered receives the id it offered first.
    void AnswerExport(const char* id, bool ok, QString* offered = nullptr, const char* fps = nullptr) {
        OnModal<frmExport>([=](frmExport* d) {
            if (offered) *offered = gFormatIds.value(d->cboFormats->currentIndex());
            if (id) d->cboFormats->setCurrentIndex(Index(id));
            if (fps) d->cmbFPS->setEditText(QLatin1String(fps));
            QTest::mouseClick(ok ? d->cmdOK : d->cmdCancel, Qt::LeftButton);
        });
    }
};

} // namespace

TEST_F(SaveAsTest, APlainTextDocumentIsSavedThroughThePromptAsSubRipBesideItsTextFile) {
    const QString notes = OpenTimedNotes();
    msgbox.Answer(vbYes);
    QString offered;
    AnswerExport(nullptr, true, &offered);
    dialogs.paths.push_back(TempPath("out.srt"));
    w->mnuNew_Click();

    EXPECT_EQ(offered, "SUBRIP");
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_EQ(dialogs.calls[0].defaultText, "notes.srt");
    EXPECT_TRUE(dialogs.calls[0].filter.startsWith("SubRip (srt)")) << qPrintable(dialogs.calls[0].filter);
    EXPECT_EQ(ReadFileBytes(TempPath("out.srt")), "1\r\n00:00:01,000 --> 00:00:01,900\r\nHello there\r\n\r\n"
                                                  "2\r\n00:00:02,000 --> 00:00:02,900\r\nSecond line\r\n\r\n"
                                                  "3\r\n00:00:03,000 --> 00:00:03,900\r\nThird one\r\n\r\n");
    EXPECT_FALSE(QFile::exists(TempPath("out.srt.txt")));
    EXPECT_EQ(ReadFileBytes(notes), kNotes);
    // Saved, New went on.
    EXPECT_EQ(gSubFile, "NEW");
    EXPECT_EQ(CaptionCount(), 1);
}

TEST_F(SaveAsTest, CancellingSaveAsCancelsTheCommandThatAsked) {
    enum class Where { ExportDialog, FileDialog };
    struct Case {
        const char* command;
        std::function<bool(frmMain&)> run; // true when the command went on
        Where where;
    };
    const Case cases[] = {
        {"new",
         [](frmMain& m) {
             m.mnuNew_Click();
             return gSubFile == "NEW";
         },
         Where::ExportDialog},
        {"new",
         [](frmMain& m) {
             m.mnuNew_Click();
             return gSubFile == "NEW";
         },
         Where::FileDialog},
        {"close",
         [](frmMain& m) {
             m.mnuClose_Click();
             return gSubFile.isEmpty();
         },
         Where::ExportDialog},
        {"open",
         [](frmMain& m) {
             m.mnuOpenText_Click();
             return false;
         },
         Where::FileDialog},
        {"exit", [](frmMain& m) { return m.Form_QueryUnload(); }, Where::ExportDialog},
        {"exit", [](frmMain& m) { return m.Form_QueryUnload(); }, Where::FileDialog},
    };
    for (const Case& c : cases) {
        const QString notes = OpenTimedNotes();
        msgbox.Answer(vbYes);
        AnswerExport("SAMI", c.where == Where::FileDialog);
        if (c.where == Where::FileDialog) dialogs.paths.push_back(QString());
        EXPECT_FALSE(c.run(*w)) << c.command;
        // Nothing was opened, written or dropped; the document keeps its format.
        EXPECT_EQ(dialogs.calls.size(), c.where == Where::FileDialog ? 1 : 0) << c.command;
        EXPECT_EQ(gSubFile, notes) << c.command;
        EXPECT_EQ(CaptionCount(), 3) << c.command;
        EXPECT_TRUE(gModified) << c.command;
        EXPECT_EQ(CurrentFormatId(), "PLAINTEXT") << c.command;
        EXPECT_EQ(ReadFileBytes(notes), kNotes) << c.command;
        dialogs.calls.clear();
    }
}

TEST_F(SaveAsTest, SaveAsWritesTheChosenFormatAtTheChosenFrameRate) {
    OpenTimedNotes();
    // Save of a plain-text document goes through Save as.
    AnswerExport("MICRODVD", true, nullptr, "23,976");
    dialogs.paths.push_back(TempPath("film"));
    w->mnuSave_Click();
    EXPECT_EQ(gSubFile, TempPath("film.sub"));
    EXPECT_EQ(CurrentFormatId(), "MICRODVD");
    EXPECT_EQ(gFPS, 23.976f);
    EXPECT_EQ(ReadFileBytes(gSubFile), "{23}{45}Hello there\r\n{47}{69}Second line\r\n{71}{93}Third one\r\n");
    EXPECT_FALSE(gModified);

    // A Save as given up in the file dialog leaves the document in the format it is saved in,
    // so that the next Save writes that format to its file.
    SetLineText(1, QStringLiteral("Changed"));
    gModified = true;
    AnswerExport("SAMI", true);
    dialogs.paths.push_back(QString());
    w->mnuSaveAs_Click();
    EXPECT_EQ(CurrentFormatId(), "MICRODVD");
    EXPECT_EQ(gFPS, 23.976f);
    w->mnuSave_Click();
    EXPECT_EQ(ReadFileBytes(TempPath("film.sub")),
              "{23}{45}Changed\r\n{47}{69}Second line\r\n{71}{93}Third one\r\n");

    // A format with a generated header is written with it.
    AnswerExport("SUBSTATIONALPHA", true);
    dialogs.paths.push_back(TempPath("film.ssa"));
    w->mnuSaveAs_Click();
    const QByteArray ssa = ReadFileBytes(TempPath("film.ssa"));
    EXPECT_TRUE(ssa.startsWith("[Script Info]\r\n")) << ssa.constData();
    EXPECT_TRUE(
        ssa.contains("Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
                     "Dialogue: Marked=0,0:00:01.00,0:00:01.90,Default,,0000,0000,0000,,Changed\r\n"))
        << ssa.constData();
    EXPECT_EQ(gFPS, 0.0f);
}

TEST_F(SaveAsTest, TheFormatSettingsCommandOpensTheDialog) {
    gFormatIndex = Index("SAMI");
    bool opened = false;
    OnModal<frmFormat>([&](frmFormat* f) {
        opened = f->picSami->isVisible();
        f->cmdCancel_Click();
    });
    w->mnuFormatSettings->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(w->mnuFormatSettings->text(), "Format Settings...");
}

namespace {

// A script the way a common editor writes it: a canvas, a second style, a comment event, a
// layer, a positioned sign, the editor's state and an embedded font.
const QByteArray kEditorScript =
    "[Script Info]\r\nTitle: Episode 1\r\nScriptType: v4.00+\r\nWrapStyle: 0\r\nPlayResX: 1920\r\n"
    "PlayResY: 1080\r\nScaledBorderAndShadow: yes\r\n\r\n"
    "[Aegisub Project Garbage]\r\nVideo File: ep1.mkv\r\n\r\n"
    "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
    "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
    "Style: "
    "Default,Arial,72,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,3.6,1.5,2,96,96,"
    "54,1\r\n"
    "Style: "
    "Sign,Georgia,60,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,-1,0,0,0,100,100,0,0,1,2,0,8,10,10,10,"
    "1\r\n\r\n"
    "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
    "Comment: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,,Translator's note\r\n"
    "Dialogue: 0,0:00:01.00,0:00:03.00,Default,,0,0,0,,Hello there\r\n"
    "Dialogue: 1,0:00:02.00,0:00:04.00,Sign,,0,0,0,,{\\pos(960,100)}Bakery\r\n\r\n"
    "[Fonts]\r\nfontname: "
    "Georgia_0.ttf\r\nM)!$H0\"8.'<\\'L)DT%;48Z0\\2S%M3PT:6U+6$LR2!T`*7D`.V5E8U)-1(5C\r\n";

} // namespace

// A file that loses something on reading (captions that cannot be read, times moved into range,
// content the caption list cannot keep): the user is told when it opens, and neither Save nor the
// save prompt of any command writes over it; only a name the user chooses, after which Save
// writes that file again.
TEST_F(SaveAsTest, AFileThatLostSomethingOnReadingIsNeverWrittenOverUnasked) {
    const struct File {
        const char* name;
        QByteArray bytes;
        const char* told; // in the reading message
        const char* format;
    } files[] = {
        {"blank line inside a caption.srt",
         "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello there\r\n\r\nits second line\r\n\r\n"
         "2\r\n00:00:04,000 --> 00:00:05,000\r\nBye\r\n",
         "1 line of the file is not part of any caption and was not read: \"its second line\".", "SUBRIP"},
        {"a broken time line.srt",
         "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello there\r\n\r\n2\r\n00:00:04,000 -> 00:00:05\r\nBye\r\n",
         "1 caption of the file could not be read and was skipped.", "SUBRIP"},
        {"beyond the largest time.srt",
         "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello there\r\n\r\n"
         "2\r\n123:00:04,000 --> 123:00:05,000\r\nBye\r\n",
         "2 times of the file lay beyond 99:59:59.999", "SUBRIP"},
        {"before zero.srt",
         "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello there\r\n\r\n"
         "2\r\n-00:00:00,500 --> 00:00:05,000\r\nBye\r\n",
         "1 time of the file lay before 00:00:00.000", "SUBRIP"},
        {"styled in part.srt", "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello <i>there</i> you\r\n",
         "left out: style changes within captions.", "SUBRIP"},
        {"titled.vtt", "WEBVTT - Episode 1\r\n\r\n00:00:01.000 --> 00:00:03.000\r\nHello there\r\n",
         "left out: header lines.", "WEBVTT"},
        {"episode.ass", kEditorScript,
         "left out: styles, comments, layers, the canvas size and embedded fonts or pictures.",
         "ADVANCEDSSA"},
    };
    const struct Command {
        const char* name;
        std::function<void(frmMain&)> run;
        bool prompts;
    } commands[] = {
        {"save", [](frmMain& m) { m.mnuSave_Click(); }, false},
        {"new", [](frmMain& m) { m.mnuNew_Click(); }, true},
        {"close", [](frmMain& m) { m.mnuClose_Click(); }, true},
        {"open", [](frmMain& m) { m.mnuOpenText_Click(); }, true},
        {"exit", [](frmMain& m) { m.Form_QueryUnload(); }, true},
    };
    for (const File& f : files) {
        for (const Command& c : commands) {
            SCOPED_TRACE(std::string(f.name) + ", " + c.name);
            const QString original = WriteFile(f.name, f.bytes);
            msgbox.Answer(vbOK);
            ASSERT_TRUE(w->LoadTextFile(original));
            EXPECT_TRUE(msgbox.last().text.contains(f.told)) << qPrintable(msgbox.last().text);
            EXPECT_TRUE(msgbox.last().text.endsWith("Save will ask for a file name, so that the file is not "
                                                    "written over."));
            SetLineText(1, QStringLiteral("Changed"));
            gModified = true;

            if (c.prompts) msgbox.Answer(vbYes);
            QString offered;
            AnswerExport(nullptr, true, &offered);
            const QString copy = TempPath(QStringLiteral("edited-%1").arg(f.name));
            dialogs.paths.push_back(copy);
            // The open command then asks for the file to open: none.
            if (QLatin1String(c.name) == QLatin1String("open")) dialogs.paths.push_back(QString());
            dialogs.calls.clear();
            c.run(*w);
            EXPECT_EQ(offered, f.format);
            ASSERT_GE(dialogs.calls.size(), 1);
            EXPECT_EQ(dialogs.calls[0].kind, "save");
            EXPECT_EQ(dialogs.calls[0].defaultText, QString::fromUtf8(f.name));
            EXPECT_EQ(ReadFileBytes(original), f.bytes);
            EXPECT_TRUE(ReadFileBytes(copy).contains("Changed"));
            EXPECT_TRUE(dialogs.paths.empty());
            QFile::remove(copy);
            QFile::remove(original);
        }
    }
    // Once saved under a name of the user's, the document is that file's: Save writes it again.
    const QString script = WriteFile("episode.ass", kEditorScript);
    msgbox.Answer(vbOK);
    ASSERT_TRUE(w->LoadTextFile(script));
    AnswerExport(nullptr, true);
    dialogs.paths.push_back(TempPath("mine.ass"));
    dialogs.calls.clear();
    w->mnuSave_Click();
    ASSERT_EQ(dialogs.calls.size(), 1);
    SetLineText(1, QStringLiteral("Again"));
    w->mnuSave_Click();
    EXPECT_EQ(dialogs.calls.size(), 1);
    EXPECT_EQ(gSubFile, TempPath("mine.ass"));
    EXPECT_TRUE(ReadFileBytes(gSubFile).contains(",,Again\r\n"));
    EXPECT_EQ(ReadFileBytes(script), kEditorScript);
}

namespace {

// What a format writes of rows, as text (frame-based formats at 25 fps).
QString WrittenText(const QString& id, const std::vector<tSubtitleLine>& rows) {
    EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
    tFormatDef def = gFormatDef;
    if (ReadFormatIni(id, "header") == "1") def.Header = BuildFormatHeader(id);
    const float fps = ReadFormatIni(id, "timecode").contains("ff") ? 25.0f : 0.0f;
    const QByteArray bytes = BuildSubtitleFile({id, def, rows, int(rows.size()), fps, gLineBreak});
    return DecodeFileText(bytes, DetectTextEncoding(bytes));
}

} // namespace

// Whatever the format, a plain Save and the save prompt's Yes write the file in the encoding it
// was read in (a file of ASCII alone binds none), or, where the format's writer cannot (a format
// whose files are UTF-8, a code page without a character typed since), go through Save as.
TEST_F(SaveAsTest, SaveWritesTheEncodingTheFileWasReadIn) {
    const EnvVar ansi("SCRIVELLE_ANSI_CODEPAGE", "1252");
    w->showExportDialog = [] { return true; };
    using C = QStringConverter;
    const QString cyrillic = QStringLiteral("\u0416\u0443\u043a");
    const struct Encoding {
        const char* name;
        QString text, edited;           // caption 1 as read, and as the user changes it
        std::optional<C::Encoding> utf; // else the code page
        bool mark;
    } encodings[] = {
        {"ASCII", "Cafe", "Changed", {}, false},
        {"Western", "Caf\u00e9", "Chang\u00e9", {}, false},
        {"Western, then Cyrillic", "Caf\u00e9", cyrillic, {}, false},
        {"UTF-8", "Caf\u00e9", cyrillic, C::Utf8, false},
        {"UTF-8 with a mark", "Caf\u00e9", cyrillic, C::Utf8, true},
        {"UTF-16", "Caf\u00e9", cyrillic, C::Utf16LE, true},
        {"UTF-16 big-endian", "Caf\u00e9", cyrillic, C::Utf16BE, true},
        {"UTF-16 without a mark", "Caf\u00e9", cyrillic, C::Utf16LE, false},
    };
    const auto encode = [](const Encoding& e, const QString& text) {
        if (!e.utf) return EncodeCodePage(text, 1252);
        return QByteArray(QStringEncoder(*e.utf, e.mark ? C::Flag::WriteBom : C::Flag::Default)(text));
    };
    const struct Command {
        const char* name;
        std::function<void(frmMain&)> run;
        bool prompts;
    } commands[] = {
        {"save", [](frmMain& m) { m.mnuSave_Click(); }, false},
        {"new", [](frmMain& m) { m.mnuNew_Click(); }, true},
    };
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        // Its files are read on as Spruce DVDMaestro's, a row of its own.
        if (id == "SONICSCENARIST") continue;
        const bool utf8Only = ReadFormatIni(id, "encoding") == "utf-8";
        for (const Encoding& e : encodings) {
            for (const Command& c : commands) {
                SCOPED_TRACE(qPrintable(QStringLiteral("%1, %2, %3").arg(id, e.name, c.name)));
                // Untimed at the end: a save asks whether to write it.
                std::vector<tSubtitleLine> doc{
                    {1000, 2000, e.text}, {3000, 4000, "Second|line"}, {0, 0, "Untimed"}};
                const QByteArray original = encode(e, WrittenText(id, doc));
                const QString path = WriteFile("read." + ReadFormatIni(id, "extension"), original);
                dialogs.inputs.push_back(QStringLiteral("25")); // a frame-based format's rate
                ASSERT_TRUE(w->LoadTextFile(path));
                ASSERT_EQ(CurrentFormatId(), id);
                doc[0].text = e.edited;
                SetLineText(1, e.edited);
                gModified = true;

                // A file of ASCII alone is written in the format's own encoding.
                const bool ascii =
                    !original.contains('\0') && QString::fromLatin1(original) == QString(original);
                const bool inPlace = ascii || (utf8Only ? e.utf == C::Utf8 : e.utf || e.edited != cyrillic);
                if (c.prompts) msgbox.Answer(vbYes);
                // Written in place, the untimed caption too; Save as is given up in its dialog,
                // before anything is asked.
                if (inPlace) msgbox.Answer(vbYes);
                dialogs.paths.push_back(QString());
                dialogs.calls.clear();
                c.run(*w);
                EXPECT_EQ(dialogs.calls.size(), inPlace ? 0 : 1);
                EXPECT_EQ(ReadFileBytes(path), inPlace ? encode(e, WrittenText(id, doc)) : original);
                dialogs.paths.clear();
                dialogs.inputs.clear();
                gModified = false;
            }
        }
    }
    // Nor is a file written whose bytes in the code page would read back as UTF-8: found only
    // once the untimed caption at the end is left out, the save goes on through Save as.
    const QByteArray western =
        EncodeCodePage(WrittenText("SUBRIP", {{1000, 2000, "Caf\u00e9"}, {0, 0, "\u00e9"}}), 1252);
    const QString path = WriteFile("western.srt", western);
    ASSERT_TRUE(w->LoadTextFile(path));
    SetLineText(1, QStringLiteral("Caf\u00c3\u00a9"));
    gModified = true;
    msgbox.Answer(vbNo);
    dialogs.paths.push_back(QString());
    dialogs.calls.clear();
    w->mnuSave_Click();
    EXPECT_EQ(dialogs.calls.size(), 1);
    EXPECT_EQ(ReadFileBytes(path), western);
}

// Files this program wrote hold nothing it leaves out: opened again, they open without a word
// and Save writes them in place.
TEST_F(SaveAsTest, TheProgramsOwnScriptsAreSavedInPlace) {
    for (const char* id : {"ADVANCEDSSA", "SUBSTATIONALPHA", "WEBVTT", "SUBRIP"}) {
        SCOPED_TRACE(id);
        OpenTimedNotes();
        SetLineText(2, QStringLiteral("<i>Second line|in italics"));
        AnswerExport(id, true);
        const QString path = TempPath(QStringLiteral("own-%1").arg(id));
        dialogs.paths.push_back(path);
        w->mnuSaveAs_Click();
        ASSERT_EQ(CurrentFormatId(), id);
        const QString saved = gSubFile;

        const int boxes = msgbox.count();
        ASSERT_TRUE(w->LoadTextFile(saved));
        EXPECT_EQ(msgbox.count(), boxes) << qPrintable(msgbox.last().text);
        SetLineText(1, QStringLiteral("Changed"));
        dialogs.calls.clear();
        w->mnuSave_Click();
        EXPECT_TRUE(dialogs.calls.isEmpty());
        EXPECT_TRUE(ReadFileBytes(saved).contains("Changed"));
    }
}

// A time shift can take captions beyond 99:59:59.999, the largest time a file holds: a save
// writes them as that time and says so, as reading does.
TEST_F(SaveAsTest, TimesShiftedBeyondTheLargestAreToldOnSave) {
    const struct Case {
        int32_t start, end;
        int beyond;
    } cases[] = {
        {kMaxTimeMs - 1000, kMaxTimeMs, 0},
        {kMaxTimeMs - 1000, kMaxTimeMs + 1, 1},
        {kMaxTimeMs + 1, kMaxTimeMs + 3000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.beyond);
        QFile::remove(TempPath("late.srt"));
        OpenTimedNotes();
        AnswerExport("SUBRIP", true);
        dialogs.paths.push_back(TempPath("late.srt"));
        w->mnuSaveAs_Click();
        // Set an hour earlier, then shifted as the time-shift window shifts.
        SetLineStart(3, c.start - 3600000);
        SetLineEnd(3, c.end - 3600000);
        ASSERT_EQ(ShiftAllTimes(3600000), 3);
        const int boxes = msgbox.count();
        if (c.beyond) msgbox.Answer(vbOK);
        w->mnuSave_Click();
        ASSERT_EQ(msgbox.count(), boxes + (c.beyond ? 1 : 0));
        if (c.beyond) {
            EXPECT_EQ(msgbox.last().text,
                      c.beyond == 1
                          ? QString("1 time lay beyond 99:59:59.999 and was written as 99:59:59.999.")
                          : QString("2 times lay beyond 99:59:59.999 and were written as 99:59:59.999."));
        }
        EXPECT_TRUE(ReadFileBytes(TempPath("late.srt")).contains("99:59:59,999\r\nThird one"));
    }
}

// The save dialog's answer gets the format's extension afterwards: the question before
// replacing a file is asked about that name, by the window, once.
TEST_F(SaveAsTest, TheOverwriteQuestionIsAboutTheNameReallyWritten) {
    w->showExportDialog = [] { return true; };
    const QByteArray old = "old file\r\n";
    struct Case {
        const char* name;
        QStringList existing; // files in the folder before
        QStringList answers;  // the save dialog's answers, relative to the folder
        QList<int> replies;   // the answers to the overwrite questions, in order
        const char* written;  // the file the document went to, or nullptr
        QStringList asked;    // the files the questions named
    };
    const Case cases[] = {
        {"extension added, refused, dialog cancelled",
         {"victim.srt"},
         {"victim", ""},
         {vbNo},
         nullptr,
         {"victim.srt"}},
        {"extension added, replaced", {"victim.srt"}, {"victim"}, {vbYes}, "victim.srt", {"victim.srt"}},
        {"refused, another name", {"victim.srt"}, {"victim", "other"}, {vbNo}, "other.srt", {"victim.srt"}},
        {"the bare name exists, not the one written", {"victim"}, {"victim"}, {}, "victim.srt", {}},
        {"typed with the extension", {"victim.srt"}, {"victim.srt"}, {vbYes}, "victim.srt", {"victim.srt"}},
        {"extension in capitals is kept",
         {"victim.SRT"},
         {"victim.SRT", "victim.SRT"},
         {vbNo, vbYes},
         "victim.SRT",
         {"victim.SRT", "victim.SRT"}},
        {"nothing there", {}, {"fresh"}, {}, "fresh.srt", {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = TempPath(QStringLiteral("case%1/").arg(n++));
        QDir().mkpath(dir);
        for (const QString& f : c.existing) {
            QFile file(dir + f);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        gModified = false;
        w->mnuNew_Click();
        SetLineText(1, QStringLiteral("Words"));
        SetLineStart(1, 1000);
        SetLineEnd(1, 2000);
        gModified = true;
        dialogs.calls.clear();
        for (const QString& a : c.answers)
            dialogs.paths.push_back(a.isEmpty() ? QString() : dir + a);
        for (int r : c.replies)
            msgbox.Answer(r);
        const int shownBefore = msgbox.count();

        EXPECT_EQ(w->SaveTextFileAs(), c.written != nullptr);

        QStringList asked;
        for (int i = shownBefore; i < msgbox.count(); ++i) {
            EXPECT_EQ(msgbox.shown()[i].buttons, vbYesNo);
            asked << msgbox.shown()[i].text;
        }
        QStringList expected;
        for (const QString& f : c.asked)
            expected << LangText(414, dir + f);
        EXPECT_EQ(asked, expected);
        EXPECT_EQ(msgbox.pending(), 0);
        EXPECT_TRUE(dialogs.paths.empty());
        // The dialog never asks on its own: one question, about the right file.
        for (const FakeDialogs::Call& call : dialogs.calls)
            EXPECT_FALSE(call.confirmOverwrite);
        // A refused name is offered again, with what would have been written.
        if (c.answers.size() > 1) {
            ASSERT_EQ(dialogs.calls.size(), 2);
            EXPECT_EQ(dialogs.calls[1].folder, dir);
            EXPECT_EQ(dialogs.calls[1].defaultText, QString(c.asked.value(0)));
        }
        for (const QString& f : c.existing) {
            if (c.written && f == QLatin1String(c.written)) continue;
            EXPECT_EQ(ReadFileBytes(dir + f), old) << qPrintable(f);
        }
        if (c.written) {
            EXPECT_EQ(gSubFile, dir + c.written);
            EXPECT_TRUE(ReadFileBytes(dir + c.written).contains("Words"));
            EXPECT_FALSE(gModified);
        } else {
            EXPECT_EQ(gSubFile, "NEW");
            EXPECT_TRUE(gModified);
        }
    }
}
