// The string table: the block-file format, and the English block the whole program reads.
#include "fixture.h"
#include "language/stringtable.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString Text(int id) {
    return LoadResString(id).value_or(QStringLiteral("<missing>"));
}

TEST(StringFile, ParsesIdsTabsAndEscapes) {
    const StringFile f = ParseStringFile("# comment\n"
                                         "\n"
                                         "1\tplain\n"
                                         "2\ttwo\\nlines and a\\ttab\n"
                                         "3\tback\\\\slash \\q kept\r\n"
                                         "4\t  blanks kept  \n"
                                         "5\t\n"
                                         "6\ttab\tinside\n"
                                         "7\t\xC2\xB7Text: \xE2\x82\xAC");
    EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join(u'\n').toStdString();
    ASSERT_EQ(f.texts.size(), 7);
    EXPECT_EQ(f.texts[1], "plain");
    EXPECT_EQ(f.texts[2], "two\nlines and a\ttab");
    EXPECT_EQ(f.texts[3], "back\\slash \\q kept");
    EXPECT_EQ(f.texts[4], "  blanks kept  ");
    EXPECT_EQ(f.texts[5], "");
    EXPECT_EQ(f.texts[6], "tab\tinside");
    EXPECT_EQ(f.texts[7], QString::fromUtf8("\xC2\xB7Text: \xE2\x82\xAC"));
}

TEST(StringFile, ReportsFaultyLinesAndKeepsTheFirstOfTwins) {
    const StringFile f = ParseStringFile("no tab here\n"
                                         "x1\tletters\n"
                                         "-5\tnegative\n"
                                         " 7\tblank before the id\n"
                                         "\tno id\n"
                                         "9\tfirst\n"
                                         "9\tsecond\n"
                                         "99999999999\ttoo big\n");
    EXPECT_EQ(f.errors.size(), 7) << f.errors.join(u'\n').toStdString();
    ASSERT_EQ(f.texts.size(), 1);
    EXPECT_EQ(f.texts[9], "first");
    EXPECT_TRUE(f.errors[0].startsWith("line 1:"));
}

TEST(StringTable, CompiledBlockFilesAreClean) {
    const QStringList files = StringTableFiles();
    ASSERT_FALSE(files.isEmpty());
    static const QRegularExpression name(QStringLiteral("^block(\\d\\d)_[a-z_]+\\.txt$"));
    for (const QString& file : files) {
        const auto m = name.match(file);
        ASSERT_TRUE(m.hasMatch()) << file.toStdString();
        const int block = m.captured(1).toInt();
        QFile f(QStringLiteral(":/strings/") + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "byte-order mark in " << file.toStdString();
        const StringFile parsed = ParseStringFile(bytes);
        EXPECT_TRUE(parsed.errors.isEmpty())
            << file.toStdString() << ": " << parsed.errors.join(u'\n').toStdString();
        for (auto it = parsed.texts.cbegin(); it != parsed.texts.cend(); ++it)
            EXPECT_EQ(it.key() / 1000, block) << file.toStdString() << " holds id " << it.key();
    }
}

TEST(StringTable, EnglishBlockHasEveryUiText) {
    for (int k = 0; k < 469; ++k) {
        const auto text = LoadResString(k);
        ASSERT_TRUE(text.has_value()) << "text " << k;
        EXPECT_FALSE(text->trimmed().isEmpty()) << "text " << k;
    }
}

// Every string-table id that some window, message, file or script of the program uses.
TEST(StringTable, EnglishBlockHasEveryIdTheProgramUses) {
    const std::pair<int, int> used[] = {
        {0, 20},    {22, 25},   {27, 27},   {30, 42},   {44, 48},   {50, 84},   {88, 88},   {91, 93},
        {103, 106}, {117, 119}, {121, 122}, {124, 129}, {131, 149}, {151, 151}, {153, 218}, {220, 253},
        {255, 262}, {264, 264}, {266, 268}, {271, 288}, {291, 298}, {300, 301}, {306, 318}, {320, 321},
        {323, 358}, {360, 360}, {362, 370}, {372, 392}, {394, 446}, {449, 464}, {466, 468}, {600, 625},
        {653, 654}, {660, 679}, {700, 724}, {800, 800}};
    for (const auto& [first, last] : used)
        for (int id = first; id <= last; ++id)
            EXPECT_TRUE(LoadResString(id).has_value()) << "id " << id;
}

TEST(StringTable, TextsKeepThePlaceholdersTheirUsersReplace) {
    const int withP1[] = {52,  136, 157, 164, 178, 179, 180, 182, 188, 204, 205, 206, 207, 208, 220,
                          223, 224, 225, 226, 227, 228, 232, 235, 237, 238, 240, 242, 243, 244, 245,
                          261, 267, 268, 274, 285, 286, 295, 296, 306, 321, 402, 412, 414, 435, 436};
    for (int id : withP1)
        EXPECT_TRUE(Text(id).contains("%1")) << id;
    for (int id : {180, 238, 243, 245, 268})
        EXPECT_TRUE(Text(id).contains("%2")) << id;
    EXPECT_TRUE(Text(461).contains("%FN"));
    EXPECT_TRUE(Text(660).contains("%VER"));
    EXPECT_TRUE(Text(670).contains("%VER"));
    // Placeholders of a text nobody fills in would show up on screen.
    for (int id : {70, 65, 147, 148, 131, 19, 146, 151})
        EXPECT_FALSE(Text(id).contains(u'%')) << id;
}

TEST(StringTable, StartWindowAndFailureTexts) {
    EXPECT_EQ(Text(70), "&Ignore");
    EXPECT_EQ(Text(65), "Exit");
    EXPECT_EQ(Text(146), "Warning");
    EXPECT_EQ(Text(147), "Required file missing");
    EXPECT_EQ(Text(131), "Download Windows Media Player");
    EXPECT_EQ(Text(19), "Quenlark Scrivelle website");
    EXPECT_EQ(Text(151),
              "Error reading/writing registry settings: Make sure the program has Administrator Rights, "
              "or run it with the Windows XP Compatibility mode.");
    EXPECT_TRUE(Text(800).startsWith("https://"));
}

TEST(StringTable, TranslationFileTexts) {
    EXPECT_EQ(Text(661), QString(47, u'-'));
    EXPECT_EQ(Text(671), QString(47, u'-'));
    EXPECT_EQ(Text(668), "Your Name: ");
    EXPECT_EQ(Text(678), "Your name: ");
    EXPECT_EQ(Text(669), "Language: ");
    EXPECT_EQ(Text(679), "New Language: ");
    for (int k = 5; k <= 7; ++k)
        EXPECT_EQ(Text(670 + k), Text(660 + k)) << k;
    EXPECT_TRUE(Text(663).contains(u'@'));
    EXPECT_EQ(Text(663), Text(673));
}

// The burn-in job script is built from these lines; the video tool reads them byte for byte.
TEST(StringTable, JobScriptLines) {
    const char* lines[] = {"VirtualDub.Open([SRCVID],0,0);",
                           "VirtualDub.audio.SetSource(1);",
                           "VirtualDub.audio.SetMode(0);",
                           "VirtualDub.audio.SetInterleave(1,500,1,0,0);",
                           "VirtualDub.audio.SetClipMode(1,1);",
                           "VirtualDub.audio.SetConversion(0,0,0,0,0);",
                           "VirtualDub.audio.SetVolume();",
                           "VirtualDub.audio.SetCompression();",
                           "VirtualDub.audio.EnableFilterGraph(0);",
                           "VirtualDub.audio.filters.Clear();",
                           "VirtualDub.video.SetDepth(24,24);",
                           "VirtualDub.video.SetInputFormat(0);",
                           "VirtualDub.video.SetOutputFormat(7);",
                           "VirtualDub.video.SetMode(3);",
                           "VirtualDub.video.SetFrameRate(0,1);",
                           "VirtualDub.video.SetIVTC(0,0,-1,0);",
                           "VirtualDub.video.SetCompression(0x64697678,0,10000,0);",
                           "VirtualDub.video.SetRange(0,[E]);",
                           "VirtualDub.video.filters.Clear();",
                           "VirtualDub.video.filters.Add('subtitler');",
                           "VirtualDub.video.filters.instance[0].Config(1, [SRCSUB], 0, 0);",
                           "VirtualDub.video.filters.Add('resize');",
                           "VirtualDub.video.filters.instance[1].Config([W],[H],[M]);",
                           "VirtualDub.SaveAVI([TARVID]);",
                           "VirtualDub.Close();"};
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(Text(700 + i), QString::fromLatin1(lines[i])) << 700 + i;
}

class StringTableBlocks : public ScrivelleTest {};

// Blocks are read one at a time, when first asked for; asking for one never hides another.
TEST_F(StringTableBlocks, EachBlockIsReadWhenFirstAskedFor) {
    const QStringList files = StringTableFiles();
    EXPECT_EQ(files.size(), 26) << files.join(", ").toStdString();
    for (int block : {25, 0, 14, 3}) {
        EXPECT_TRUE(LoadResString(block * 1000).has_value()) << block;
        EXPECT_TRUE(LoadResString(block * 1000 + 468).has_value()) << block;
        EXPECT_FALSE(LoadResString(block * 1000 + 999).has_value()) << block;
    }
    EXPECT_FALSE(LoadResString(26000).has_value());
    EXPECT_FALSE(LoadResString(-1).has_value());
    EXPECT_EQ(Text(600), "1252-&H0809-ENGLISH");
}

TEST_F(StringTableBlocks, MadeUpBlockReplacesOnlyItsOwnIdsAndIsUndoneByTheReset) {
    ReplaceStringTableBlock(3, {{3000, "alpha"}, {3005, "beta"}, {5, "not block 3"}});
    EXPECT_EQ(Text(3000), "alpha");
    EXPECT_EQ(Text(3005), "beta");
    EXPECT_FALSE(LoadResString(3001).has_value());
    EXPECT_EQ(Text(5), "&Settings");

    ReplaceStringTableBlock(0, {{0, "only one"}});
    EXPECT_EQ(Text(0), "only one");
    EXPECT_FALSE(LoadResString(1).has_value());

    TearDown();
    SetUp();
    // The shipped Greek block is back in full.
    EXPECT_NE(Text(3000), "alpha");
    EXPECT_TRUE(LoadResString(3001).has_value());
    EXPECT_EQ(Text(0), "&File");
    EXPECT_EQ(Text(1), "&Edit");
}

} // namespace
