// The job scripts, their file, and the checks of the paths that go into them.
#include "language/lang.h"
#include "platform/RegistryAccess.h"
#include "support/fixture.h"
#include "support/scoped.h"
#include "tools/jobscript.h"
#include "tools/videotool.h"

#include <QDir>
#include <QFile>

namespace {

class JobScriptTest : public ScrivelleTest {
protected:
    EnvVar codePage{"SCRIVELLE_ANSI_CODEPAGE", "1252"};
};

tEmbedScriptInput GoldenInput(bool preview, bool resize) {
    tEmbedScriptInput in;
    in.videoFile = QStringLiteral("/media/clips/Été b.avi");
    in.subFile = QStringLiteral("/media/clips/a.ssa");
    in.targetPath = QStringLiteral("/media/out/Été b[sub].avi");
    in.preview = preview;
    in.previewEndMs = *PreviewEndTime(150, 2);
    in.resize = resize;
    in.width = 640;
    in.height = 480;
    in.mode = 2;
    return in;
}

} // namespace

TEST_F(JobScriptTest, EmbedScriptMatchesItsGoldenFileForEveryPreviewAndResizeChoice) {
    for (bool preview : {false, true})
        for (bool resize : {false, true}) {
            SCOPED_TRACE(testing::Message() << "preview " << preview << " resize " << resize);
            const QString name =
                QStringLiteral("embedsub_preview%1_resize%2.vcf").arg(int(preview)).arg(int(resize));
            const QString written = TempPath(name);
            ASSERT_TRUE(WriteJobScript(written, BuildEmbedScript(GoldenInput(preview, resize))));
            const QByteArray golden =
                ReadFileBytes(SourceDir() + QStringLiteral("/tests/tools/data/") + name);
            ASSERT_FALSE(golden.isEmpty());
            EXPECT_EQ(ReadFileBytes(written), golden);
        }
}

TEST_F(JobScriptTest, EmbedScriptIsTheSameInEveryUiLanguage) {
    // The UI texts play no part: the template is read by id from the English block.
    gLang.fill(QStringLiteral("x"));
    EXPECT_EQ(BuildEmbedScript(GoldenInput(true, true)).size(), 25);
    EXPECT_EQ(BuildEmbedScript(GoldenInput(true, true)).first(),
              "VirtualDub.Open(\"/media/clips/Été b.avi\",0,0);");
}

TEST_F(JobScriptTest, EmbedScriptPathsTakeTheirThreeForms) {
    tEmbedScriptInput in = GoldenInput(false, false);
    in.videoFile = QStringLiteral("C:\\Clips\\a b.avi");
    in.subFile = QStringLiteral("C:\\Clips\\a.ssa");
    in.targetPath = QStringLiteral("D:\\Out\\a.avi");
    const QStringList lines = BuildEmbedScript(in);
    EXPECT_EQ(lines.first(), "VirtualDub.Open(\"C:\\\\Clips\\\\a b.avi\",0,0);");
    EXPECT_TRUE(lines.contains("VirtualDub.video.filters.instance[0].Config(1, \"C:/Clips/a.ssa\", 0, 0);"));
    EXPECT_TRUE(lines.contains("VirtualDub.SaveAVI(\"D:\\\\Out\\\\a.avi\");"));
}

TEST_F(JobScriptTest, PreviewEndIsAPositiveMillisecondCountOrNothing) {
    struct Case {
        int32_t seconds;
        int minutes;
        std::optional<int32_t> end;
    } cases[] = {
        {150, 2, 30000},
        {121, 2, 1000},
        {120, 2, std::nullopt}, // nothing would be skipped: the whole length is the preview
        {0, 1, std::nullopt},   // length unknown
        {-5, 1, std::nullopt},
        {2147483, 1, 2147423000},
        {INT32_MAX, 1, std::nullopt}, // beyond 32 bits: never wraps around
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewEndTime(c.seconds, c.minutes), c.end) << c.seconds << " s, " << c.minutes << " min";
}

TEST_F(JobScriptTest, FrameSizeIsTheClampedLeadingNumber) {
    const std::pair<const char*, int> cases[] = {{"640", 640},   {"0640", 640}, {"100;", 100},
                                                 {"31", 32},     {"", 32},      {"2049", 2048},
                                                 {"9999", 2048}, {"32", 32},    {"2048", 2048}};
    for (const auto& [text, size] : cases)
        EXPECT_EQ(ClampFrameSize(QString::fromLatin1(text)), size) << text;
}

TEST_F(JobScriptTest, AudioScriptLinesFollowFormatAndRate) {
    struct Case {
        bool wav;
        const char* rate;
        QStringList middle;
    } cases[] = {
        {true, "Use original", {"VirtualDub.audio.SetMode(1);"}},
        {true, "48000", {"VirtualDub.audio.SetMode(1);", "VirtualDub.audio.SetConversion(48000,0,0);"}},
        {true, "8000", {"VirtualDub.audio.SetMode(1);", "VirtualDub.audio.SetConversion(8000,0,0);"}},
        {true, "7999", {"VirtualDub.audio.SetMode(1);"}},
        {true, "48001", {"VirtualDub.audio.SetMode(1);"}},
        {false, "22050", {}},
    };
    for (const Case& c : cases) {
        tAudioScriptInput in{QStringLiteral("/v/clip.avi"), QStringLiteral("/w/clip.wav"), c.wav,
                             QString::fromLatin1(c.rate)};
        const QStringList expected = QStringList{"VirtualDub.Open(\"/v/clip.avi\",0,0);"} + c.middle +
                                     QStringList{"VirtualDub.SaveWAV(\"/w/clip.wav\");"};
        EXPECT_EQ(BuildAudioScript(in), expected) << c.rate << " wav " << c.wav;
    }
}

TEST_F(JobScriptTest, PathsTheScriptCannotNameExactlyAreFound) {
    struct Case {
        QString path;
        bool fit;
    } cases[] = {
        {QStringLiteral("/media/a b/Été (1)'s.avi"), true},
        {QStringLiteral("/media/a\"b.avi"), false},
        {QStringLiteral("/media/a\");VirtualDub.Close(\".avi"), false},
        {QStringLiteral("/media/a\nb.avi"), false},
        {QStringLiteral("/media/a\rb.avi"), false},
        {QStringLiteral("/media/a\\b.avi"), false},
        {QStringLiteral("/media/Москва.avi"), false}, // not in code page 1252
        {QStringLiteral("/media/a?b.avi"), true},
    };
    for (const Case& c : cases) {
        const auto unfit = UnfitScriptPath({QStringLiteral("/ok.avi"), c.path});
        EXPECT_EQ(!unfit.has_value(), c.fit) << c.path.toStdString();
        if (unfit) {
            EXPECT_EQ(*unfit, c.path);
        }
    }
    EnvVar cyrillic("SCRIVELLE_ANSI_CODEPAGE", "1251");
    EXPECT_FALSE(UnfitScriptPath({QStringLiteral("/media/Москва.avi")}));
}

TEST_F(JobScriptTest, ScriptFileIsReplacedAndAFailedWriteLeavesNoOldScript) {
    const QString path = WriteFile("s.vcf", "VirtualDub.Open(\"/old.avi\",0,0);\r\n");
    ASSERT_TRUE(WriteJobScript(path, {"a", "b"}));
    EXPECT_EQ(ReadFileBytes(path), "a\r\nb\r\n");

    // A line the code page cannot hold is not written as "?": no script at all.
    QString why;
    EXPECT_FALSE(WriteJobScript(path, {"VirtualDub.Open(\"/Москва.avi\",0,0);"}, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFile::exists(path));

    // A folder that cannot be made (its parent is a file) reports why.
    WriteFile("file", "x");
    EXPECT_FALSE(WriteJobScript(TempPath("file/s.vcf"), {"a"}, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(JobScriptTest, OutputPathsAreCheckedAgainstTheInputs) {
    const QString video = WriteFile("v/clip.avi", "v");
    const QString sub = WriteFile("v/clip.ssa", "s");
    QDir().mkpath(TempPath("out"));
    QFile::link(video, TempPath("v/link.avi"));
    struct Case {
        QString target;
        TargetProblem problem;
    } cases[] = {
        {TempPath("out/clip.avi"), TargetOk},
        {video, TargetOk}, // an existing file that is no input is asked about, not refused
        {QString(), TargetNotAFile},
        {QStringLiteral("   "), TargetNotAFile},
        {QStringLiteral("clip.avi"), TargetNotAFile}, // relative: the tool would put it in its own folder
        {TempPath("out"), TargetNotAFile},
        {TempPath("out/"), TargetNotAFile},
        {sub, TargetIsInput},
        {TempPath("v/../v/clip.ssa"), TargetIsInput},
        {TempPath("v/link.avi"), TargetIsInput},
        {TempPath("missing/clip.avi"), TargetFolderMissing},
    };
    for (const Case& c : cases) {
        const QStringList inputs = {c.target == video ? QString() : video, sub};
        EXPECT_EQ(CheckTargetPath(c.target, inputs), c.problem) << c.target.toStdString();
    }
    EXPECT_TRUE(
        TargetProblemText(TargetFolderMissing, TempPath("missing/clip.avi")).endsWith(TempPath("missing")));
}

TEST_F(JobScriptTest, AFileCountsAsWrittenOnlyWhenItIsNotTheOneStampedBefore) {
    const QString path = TempPath("out.wav");
    const tFileStamp none = StampFile(path);
    EXPECT_FALSE(WrittenSince(path, none));
    WriteFile("out.wav", "RIFF");
    EXPECT_TRUE(WrittenSince(path, none));

    const tFileStamp stale = StampFile(path);
    EXPECT_FALSE(WrittenSince(path, stale));
    // Written again later with the same size: only its time tells.
    WriteFile("out.wav", "RIFF");
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadWrite));
    ASSERT_TRUE(again.setFileTime(stale.modified.addMSecs(20), QFileDevice::FileModificationTime));
    again.close();
    EXPECT_TRUE(WrittenSince(path, stale));
}

TEST_F(JobScriptTest, TheToolIsToldToShowItsStatusWindow) {
    ShowToolStatusWindow();
    EXPECT_EQ(
        gReg.ReadDWORD("HKCU\\Software\\Freeware\\VirtualDub\\Preferences", "batch: show status window", 0),
        1);
}
