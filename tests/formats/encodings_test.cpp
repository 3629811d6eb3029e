#include "support/fixture.h"

#include "formats/detect.h"
#include "formats/encodings.h"
#include "formats/textops.h"
#include "platform/CodePage.h"

#include <utility>
#include <vector>

class EncodingsTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        qputenv("SCRIVELLE_ANSI_CODEPAGE", "1252");
    }
    void TearDown() override {
        qunsetenv("SCRIVELLE_ANSI_CODEPAGE");
        ScrivelleTest::TearDown();
    }
};

TEST_F(EncodingsTest, FileEncodingComesFromTheFirstTwoBytes) {
    EXPECT_EQ(GetFileEncoding(WriteFile("le.txt", QByteArray("\xFF\xFE"
                                                             "a\0",
                                                             4))),
              "Unicode");
    EXPECT_EQ(GetFileEncoding(WriteFile("be.txt", QByteArray("\xFE\xFF\0a", 4))), "Unicode Big-Endian");
    EXPECT_EQ(GetFileEncoding(WriteFile("u8.txt", "\xEF\xBB\xBFhello")), "UTF-8");
    // The third byte of the mark is not looked at.
    EXPECT_EQ(GetFileEncoding(WriteFile("u8b.txt", "\xEF\xBBX")), "UTF-8");
    // UTF-8 without a mark, one byte, empty and missing files are all ANSI.
    EXPECT_EQ(GetFileEncoding(WriteFile("plain.txt", "h\xC3\xA9llo")), "ANSI");
    EXPECT_EQ(GetFileEncoding(WriteFile("one.txt", "\xFF")), "ANSI");
    EXPECT_EQ(GetFileEncoding(WriteFile("empty.txt", "")), "ANSI");
    EXPECT_EQ(GetFileEncoding(TempPath("missing.txt")), "ANSI");
}

TEST_F(EncodingsTest, Cp1252ControlRangeRoundTripsSoUtf8LinesDecode) {
    QByteArray all;
    for (int b = 0x80; b <= 0x9F; ++b)
        all.append(char(b));
    const QString text = MultiByteToString(all, 1252, 0);
    ASSERT_EQ(text.size(), 32);
    EXPECT_EQ(text[0], QChar(0x20AC));
    EXPECT_EQ(StringToMultiByte(text, 1252, 0), all);
    // A UTF-8 line read one byte per character through 1252 decodes back, whatever its bytes
    // (here U+0141 = C5 81 and U+201D = E2 80 9D use the undefined bytes 81 and 9D).
    const QString original = QString::fromUtf8("\xC5\x81\xC3\xB3"
                                               "dz \xE2\x80\x9D\xE2\x82\xAC");
    const QString readAsAnsi = MultiByteToString(original.toUtf8(), -1, 0);
    EXPECT_EQ(DecodeUTF8(readAsAnsi), original);
}

TEST_F(EncodingsTest, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(StringToMultiByte(QString::fromUtf8("a\xE4\xB8\xAD"
                                                  "b\xF0\x9F\x98\x80"
                                                  "c\xE2\x82\xAC"),
                                1252, 0),
              "a?b?c\x80");
    EXPECT_EQ(StringToMultiByte(QString::fromUtf8("\xD0\x96\xC3\xA9"), 1251, 0), "\xC6?");
    EXPECT_EQ(StringToMultiByte(QString::fromUtf8("\xE6\x97\xA5\xC3\xA9"), 932, 0), "\x93\xFA?");
    EXPECT_EQ(StringToMultiByte(QString::fromUtf8("\xE6\x97\xA5"), 65001, 0), "\xE6\x97\xA5");
    EXPECT_TRUE(StringToMultiByte(QString(), 1252, 0).isEmpty());
    EXPECT_TRUE(MultiByteToString(QByteArray(), 65001, 0).isEmpty());
}

TEST_F(EncodingsTest, DecodingStopsAtZeroAndUsesTheAnsiCodePageForMinusOne) {
    EXPECT_EQ(MultiByteToString(QByteArray("ab\0cd", 5), 65001, 0), "ab");
    EXPECT_EQ(MultiByteToString("\xC3\xA9", 65001, 0), QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(MultiByteToString("\xE9", -1, 0), QString::fromUtf8("\xC3\xA9"));
    qputenv("SCRIVELLE_ANSI_CODEPAGE", "1251");
    EXPECT_EQ(SystemAnsiCodePage(), 1251);
    EXPECT_EQ(MultiByteToString("\xE9", -1, 0), QString::fromUtf8("\xD0\xB9"));
    EXPECT_EQ(MultiByteToString("\xE9", 0, 0), QString::fromUtf8("\xD0\xB9"));
    // An override naming no usable code page is ignored.
    qputenv("SCRIVELLE_ANSI_CODEPAGE", "99999");
    EXPECT_NE(SystemAnsiCodePage(), 99999);
    EXPECT_TRUE(MultiByteToString("abc", 12345, 0).isEmpty());
}

TEST_F(EncodingsTest, JohabGoesThroughIconv) {
    ASSERT_TRUE(IsCodePageAvailable(1361));
    const QString hangul = QString::fromUtf8("\xEA\xB0\x80"); // U+AC00
    const QByteArray bytes = StringToMultiByte(hangul + u'x', 1361, 0);
    EXPECT_EQ(bytes, "\x88\x61x");
    EXPECT_EQ(MultiByteToString(bytes, 1361, 0), hangul + u'x');
    EXPECT_EQ(StringToMultiByte(QString::fromUtf8("\xF0\x9F\x98\x80"), 1361, 0), "?");
}

namespace {

// A character the code page holds outside ASCII (empty when it holds none).
QString NonAsciiCharacterOf(int32_t codePage) {
    for (const char* utf8 :
         {"\xC3\xA9", "\xD0\x96", "\xCE\xB1", "\xC5\x9F", "\xD7\x90", "\xD8\xB9", "\xC4\x85", "\xC4\x83",
          "\xE0\xB8\x81", "\xE3\x81\x82", "\xEA\xB0\x80", "\xE2\x82\xAC"}) {
        const QString c = QString::fromUtf8(utf8);
        const QByteArray bytes = EncodeCodePage(c, codePage);
        if (!bytes.isEmpty() && bytes != "?" && DecodeCodePage(bytes, codePage) == c) return c;
    }
    return QString();
}

} // namespace

// Whatever a code page makes of the bytes below 0x80, a text of them reads the same whether or
// not a character above ASCII follows: the fast path for ASCII steps aside where the code page
// does not keep ASCII, and gives what the converter gives where it does.
TEST_F(EncodingsTest, EveryCodePageReadsAsciiBytesAsItsConverterDoes) {
    QByteArray ascii;
    for (int b = 1; b < 0x80; ++b)
        ascii.append(char(b));
    // An even number of bytes, so that UTF-16 reads whole characters of them.
    ascii.append(" \r\n");
    int withCharacter = 0;
    for (const int32_t cp : KnownCodePages()) {
        SCOPED_TRACE(cp);
        if (!IsCodePageAvailable(cp)) continue;
        const QString plain = DecodeCodePage(ascii, cp);
        const QString c = NonAsciiCharacterOf(cp);
        if (!c.isEmpty()) {
            ++withCharacter;
            EXPECT_EQ(DecodeCodePage(ascii + EncodeCodePage(c, cp), cp), plain + c);
            EXPECT_EQ(DecodeFileText(ascii + EncodeCodePage(c, cp), tTextEncoding::Ansi, cp), plain + c);
        }
        EXPECT_EQ(DecodeFileText(ascii, tTextEncoding::Ansi, cp), plain);
        // ASCII text is written as the bytes that read back as it.
        if (KeepsAscii(cp)) {
            EXPECT_EQ(plain, QString::fromLatin1(ascii));
            EXPECT_EQ(EncodeCodePage(plain + c, cp), ascii + EncodeCodePage(c, cp));
        } else {
            EXPECT_NE(plain, QString::fromLatin1(ascii));
        }
    }
    EXPECT_GT(withCharacter, 30);
    // As Windows has them: UTF-16 takes two bytes a character, and Johab, the IBM PC code pages
    // and 932 read every byte below 0x80 as its ASCII character.
    EXPECT_TRUE(KeepsAscii(1361));
    EXPECT_EQ(DecodeCodePage("a\\b", 1361), "a\\b");
    EXPECT_FALSE(KeepsAscii(1200));
    EXPECT_FALSE(KeepsAscii(1201));
    for (const int32_t cp : {437, 850, 852, 866, 932, 1252, 65001}) {
        SCOPED_TRACE(cp);
        EXPECT_TRUE(KeepsAscii(cp));
        const QString controls = DecodeCodePage(QByteArray("\x1A\x1C\x7F\x80", 4), cp);
        EXPECT_EQ(controls.left(3), QString::fromLatin1("\x1A\x1C\x7F"));
        EXPECT_EQ(EncodeCodePage(controls, cp).left(3), "\x1A\x1C\x7F");
    }
}

// A code page that keeps ASCII keeps it beside its other characters too: bytes 0x01..0x7F read
// and write as the same characters whether the rest of the text is ASCII or not. (ICU's tables
// of the IBM-derived code pages swap 0x1A, 0x1C and 0x7F, glibc's Johab reads 0x5C as the won
// sign; Windows does neither.)
TEST_F(EncodingsTest, AsciiBytesMeanTheSameBesideOtherCharacters) {
    QByteArray ascii;
    for (int b = 0x01; b <= 0x7F; ++b)
        ascii.append(char(b));
    const struct {
        int32_t codePage;
        const char* other; // one character beyond ASCII
    } rows[] = {{437, "\x82"},     {850, "\x82"},       {852, "\x82"},       {866, "\x80"},
                {932, "\x93\xFA"}, {936, "\xC4\xE3"},   {949, "\xB0\xA1"},   {950, "\xA4\xA4"},
                {874, "\xA1"},     {1251, "\xC6"},      {1252, "\xE9"},      {10000, "\x8E"},
                {20866, "\xC1"},   {51932, "\xA4\xA2"}, {54936, "\xC4\xE3"}, {1361, "\x88\x61"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.codePage);
        const QByteArray mixed = QByteArray(r.other) + ascii;
        const QString text = DecodeCodePage(mixed, r.codePage);
        ASSERT_EQ(text.size(), 1 + ascii.size());
        EXPECT_EQ(text.mid(1), QString::fromLatin1(ascii));
        EXPECT_EQ(EncodeCodePage(text, r.codePage), mixed);
    }
}

TEST_F(EncodingsTest, ToUtf8BytesIsByteExact) {
    const QString bytes = ToUTF8Bytes(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC"));
    ASSERT_EQ(bytes.size(), 5);
    EXPECT_EQ(bytes.toLatin1(), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_TRUE(ToUTF8Bytes(QString()).isEmpty());
}

TEST(TextOpsTest, ReplaceIsOneLeftToRightPassAndIgnoresEmptyNeedles) {
    EXPECT_EQ(ReplaceText(QStringLiteral("abc"), u"", u"x"), "abc");
    EXPECT_EQ(ReplaceText(QStringLiteral("aaa"), u"aa", u"a"), "aa");
    EXPECT_EQ(ReplaceText(QStringLiteral("0000"), u"000", u"00"), "000");
    EXPECT_EQ(ReplaceText(QStringLiteral("a|b|c"), u"|", u"||"), "a||b||c");
    EXPECT_EQ(ReplaceText(QStringLiteral("aBc"), u"b", u"x", Qt::CaseInsensitive), "axc");
    EXPECT_EQ(ReplaceText(QStringLiteral("aBc"), u"b", u"x"), "aBc");
    EXPECT_EQ(FormatNumberPicture(7, QStringLiteral("000")), "007");
    EXPECT_EQ(FormatNumberPicture(1234, QStringLiteral("00")), "1234");
    EXPECT_EQ(FormatNumberPicture(0, QStringLiteral("0")), "0");
}

// Case-insensitive replacement agrees with Qt's case folding, inside and outside ASCII; the
// appending number picture writes what the returning one does.
TEST(TextOpsTest, CaseInsensitiveReplaceAndNumberPictures) {
    struct Case {
        QString text, find, with, expected;
    } const cases[] = {
        {"<I>a</i><i>", "<i>", "", "a</i>"},
        {"XxXx", "xx", "-", "--"},
        {"[Br]x[BR]", "[br]", "|", "|x|"},
        {QStringLiteral("\u212Aeep keep"), "k", "c", "ceep ceep"}, // the Kelvin sign folds to "k"
        {QStringLiteral("caf\u00C9 CAF\u00E9"), QStringLiteral("caf\u00e9"), "x", "x x"},
        {QStringLiteral("\u00E9<B>"), "<b>", "", QStringLiteral("\u00E9")},
        {"abc", "abcd", "x", "abc"},
        {"", "a", "x", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceText(c.text, c.find, c.with, Qt::CaseInsensitive), c.expected)
            << c.text.toStdString();
        // Whatever the fast path, the answer is Qt's own.
        EXPECT_EQ(ReplaceText(c.text, c.find, c.with, Qt::CaseInsensitive),
                  QString(c.text).replace(c.find, c.with, Qt::CaseInsensitive))
            << c.text.toStdString();
    }
    for (const auto& [n, picture] : std::vector<std::pair<qint64, QString>>{
             {7, "000"}, {1234, "00"}, {0, "0"}, {-5, "000"}, {42, ""}, {3, "0x0"}, {99999, "00000000"}}) {
        QString out = QStringLiteral("lead ");
        AppendNumberPicture(out, n, picture);
        EXPECT_EQ(out, "lead " + FormatNumberPicture(n, picture)) << n << " " << picture.toStdString();
    }
}
