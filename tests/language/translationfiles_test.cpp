// The files for translators: their names, their exact contents and how they are written.
#include "base/paths.h"
#include "base/settings.h"
#include "fixture.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "language/translationfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr TranslationVersion k221{2, 2, 1};

class TranslationFiles : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        InitLanguageTable();
        gTempDir = TempPath("scratch/");
        QDir().mkpath(gTempDir);
    }
    // A made-up translation: every UI text of the block except the lacking ones.
    static void MakeBlock(int block, const QList<int>& lacking) {
        QHash<int, QString> texts;
        for (int k = 0; k < kLangTextCount; ++k)
            if (!lacking.contains(k))
                texts.insert(block * 1000 + k, QStringLiteral("b%1 t%2").arg(block).arg(k));
        ReplaceStringTableBlock(block, texts);
    }
    static QByteArray Golden(const char* name) {
        return ReadFileBytes(SourceDir() + QStringLiteral("/tests/language/data/") + QLatin1String(name));
    }
    static int Lines(const QByteArray& bytes, const QByteArray& prefix) {
        int n = 0;
        for (const QByteArray& line : bytes.split('\n'))
            if (line.startsWith(prefix)) ++n;
        return n;
    }
};

TEST_F(TranslationFiles, ContentsMatchTheGoldenFilesByteForByte) {
    QList<int> finnishLacks = {1, 2, 5, 84, 146, 180, 369, 468};
    for (int k = 300; k < 323; ++k)
        finnishLacks << k;
    MakeBlock(12, finnishLacks);
    MakeBlock(25, {0});
    const struct {
        const char* golden;
        QByteArray written;
        int items; // item lines: "##nnn" for the template, the block's ids otherwise
        QByteArray itemPrefix;
    } cases[] = {
        // Text 180 spans lines: its line breaks are CR LF like every other.
        {"zrv_221_finnish.txt", CompletionFileText(12, k221), 31, "12"},
        // Chinese lacks only text 0, which is never listed.
        {"zrv_221_chinese.txt", CompletionFileText(25, k221), 0, "25"},
        {"zrv_221_english.txt", NewLanguageFileText(k221), 468, "##"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const QByteArray golden = Golden(c.golden);
        ASSERT_FALSE(golden.isEmpty());
        EXPECT_EQ(c.written, golden);
        EXPECT_EQ(Lines(c.written, c.itemPrefix), c.items);
        EXPECT_EQ(c.written.count('\n'), c.written.count("\r\n"));
    }
    // English is complete: its completion file is the header alone.
    const QByteArray english = CompletionFileText(0, k221);
    EXPECT_TRUE(english.endsWith("Language: ENGLISH\r\n\r\n")) << english.right(40).toStdString();
    EXPECT_EQ(english.count("\r\n"), 11);
}

TEST_F(TranslationFiles, TextsAreWrittenAsTheyStandInUtf8) {
    QHash<int, QString> block0;
    for (int id = 0; id < 1000; ++id)
        if (auto t = LoadResString(id)) block0.insert(id, *t);
    block0[7] = QStringLiteral("Say \"cheese\" — ½");
    ReplaceStringTableBlock(0, block0);
    MakeBlock(3, {7});
    EXPECT_TRUE(NewLanguageFileText(k221).contains("##007, \"Say \"cheese\" \xE2\x80\x94 \xC2\xBD\"\r\n"));
    EXPECT_TRUE(CompletionFileText(3, k221).endsWith("3007, \"Say \"cheese\" \xE2\x80\x94 \xC2\xBD\"\r\n"));
}

TEST_F(TranslationFiles, NamesComeFromTheTableKeyNeverFromTheStoredSetting) {
    EXPECT_EQ(NewLanguageFileName(k221), "zrv_221_english.txt");
    EXPECT_EQ(NewLanguageFileName({10, 0, 12}), "zrv_10012_english.txt");
    EXPECT_EQ(CompletionFileName(12, k221), "zrv_221_finnish.txt");
    EXPECT_EQ(CompletionFileName(6, k221), "zrv_221_portuguese_br.txt");
    EXPECT_EQ(CompletionFileName(26, k221), "");

    // A hand-edited setting has no say in where the file goes or what it is called.
    gLanguage = QStringLiteral("../../etc/FINNISH");
    gLangIndex = 12;
    const QString path = CreateCompletionFile();
    EXPECT_EQ(QFileInfo(path).fileName(), CompletionFileName(12, RunningVersion()));
    EXPECT_EQ(QFileInfo(path).absolutePath() + u'/', gTempDir);
    EXPECT_TRUE(ReadFileBytes(path).contains("Language: FINNISH\r\n"));

    // Even a damaged table row cannot name a path.
    gLangInfo[12][kLangKey] = QStringLiteral("../X y");
    EXPECT_EQ(CompletionFileName(12, k221), "zrv_221____x_y.txt");
    gLangInfo[12][kLangKey].clear();
    EXPECT_EQ(CreateCompletionFile(), "");
}

TEST_F(TranslationFiles, WritingReplacesTheOldFileOrReportsFailure) {
    const QString target = gTempDir + NewLanguageFileName(RunningVersion());
    WriteFile("scratch/" + NewLanguageFileName(RunningVersion()), QByteArray(100000, 'x'));
    EXPECT_EQ(CreateNewLanguageFile(), target);
    EXPECT_EQ(ReadFileBytes(target), NewLanguageFileText(RunningVersion()));

    for (const QString& scratch : {TempPath("missing/"), QString()}) {
        gTempDir = scratch;
        EXPECT_EQ(CreateNewLanguageFile(), "") << scratch.toStdString();
        EXPECT_EQ(CreateCompletionFile(), "") << scratch.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(TempPath("missing")));
}

} // namespace
