// Bounded randomised reading: mutated files of every format and hostile inputs go through
// detection and every format's parser. Nothing may crash or hang, no time may be negative, no
// read may pass its limit and no caption may hold a line break.
#include "formats/reader_fixture.h"

#include "formats/detect.h"

#include <random>

namespace {

const std::vector<tSubtitleLine> kSeedDocument{
    {1000, 2500, "<i>First|line two"},          {0, 0, "Untimed"},    {3000, 4000, "a < b & c"},
    {3723450, 3725010, "<b><u>Late|caf\u00e9"}, {5000, 5000, "Same"},
};

QByteArray Mutate(QByteArray bytes, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 7), byte(0, 255);
    const auto at = [&](qsizetype size) {
        return size <= 0 ? qsizetype(0) : std::uniform_int_distribution<qsizetype>(0, size - 1)(rng);
    };
    for (int n = std::uniform_int_distribution<int>(1, 6)(rng); n > 0; --n) {
        const qsizetype p = at(bytes.size());
        switch (kind(rng)) {
        case 0: // a byte changed
            if (!bytes.isEmpty()) bytes[p] = char(byte(rng));
            break;
        case 1: // cut short
            bytes.truncate(p);
            break;
        case 2: // a slice removed
            bytes.remove(p, at(64) + 1);
            break;
        case 3: // a slice repeated
            bytes.insert(p, bytes.mid(at(bytes.size()), at(200) + 1));
            break;
        case 4: // huge and negative numbers
            bytes.insert(p, std::uniform_int_distribution<int>(0, 1)(rng) ? "999999999999" : "-");
            break;
        case 5: // markup and separators where they do not belong
            bytes.insert(p, QByteArray("<{[:,;|\"\\>}]").mid(at(13), 1));
            break;
        case 6: // line ends of every kind
            bytes.insert(p, std::uniform_int_distribution<int>(0, 1)(rng) ? "\r" : "\n\n");
            break;
        default: // bytes that are no valid text
            bytes.insert(p, QByteArray("\xC3\x28\xFF\xFE\x00", 5).mid(at(5), 2));
            break;
        }
    }
    return bytes;
}

class ReaderFuzzTest : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        for (int i = 0; i <= gFormatMax; ++i) {
            const QString& id = gFormatIds[i];
            if (i == 0) {
                defs.push_back(PlainTextDefinition());
            } else {
                ASSERT_TRUE(LoadFormatDefinition(id, false, false));
                defs.push_back(gFormatDef);
            }
        }
    }
    // Detection and every format's parser over the bytes.
    void ReadEveryWay(const QByteArray& bytes, int limit) {
        const QString text = DecodeFileText(bytes, DetectTextEncoding(bytes));
        const tDetection found = DetectFormat(text);
        ASSERT_GE(found.index, 0);
        ASSERT_LE(found.index, gFormatMax);
        for (size_t i = 0; i < defs.size(); ++i) {
            tReadSetup setup;
            setup.def = defs[i];
            setup.plainText = i == 0;
            setup.fps = 25.0f;
            setup.timedSample = found.timedSample;
            setup.lineBreak = gLineBreak;
            setup.limit = limit;
            const tReadOutcome out = ParseSubtitleText(text, setup);
            ASSERT_LE(int(out.captions.size()), limit) << qPrintable(defs[i].Id);
            for (const tSubtitleLine& c : out.captions) {
                ASSERT_GE(c.start, 0) << qPrintable(defs[i].Id);
                ASSERT_GE(c.end, 0) << qPrintable(defs[i].Id);
                ASSERT_FALSE(c.text.contains(u'\r') || c.text.contains(u'\n')) << qPrintable(defs[i].Id);
            }
        }
    }
    std::vector<tFormatDef> defs;
};

} // namespace

TEST_F(ReaderFuzzTest, MutatedFilesOfEveryFormat) {
    std::mt19937 rng(20240611);
    for (int i = 0; i <= gFormatMax; ++i) {
        const QByteArray original = Write(gFormatIds[i], kSeedDocument);
        SCOPED_TRACE(qPrintable(gFormatIds[i]));
        for (int m = 0; m < 6; ++m)
            ReadEveryWay(Mutate(original, rng), 1 + m % 4);
    }
    EXPECT_FALSE(gBadFormatWarned);
}

TEST_F(ReaderFuzzTest, HostileInputs) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray junk(1 << 16, '\0');
    for (char& c : junk)
        c = char(byte(rng));
    const QList<QByteArray> inputs{
        QByteArray(),
        QByteArray(1 << 20, 'x'),                                      // a 1 MB line
        QByteArray(1 << 20, '0'),                                      // a 1 MB run of digits
        QByteArray("{0}").repeated(300000),                            // a 1 MB line of fields
        QByteArray("<").repeated(1 << 20),                             // markup that never closes
        "<BODY>\n<SYNC Start=1>" + QByteArray("<p").repeated(200000),  // the same in SAMI
        QByteArray("\n").repeated(200000),                             // only line ends
        QByteArray("00:00:01,000 --> 00:00:02,000\n").repeated(20000), // times without text
        junk,
        "\xFF\xFE" + junk,
        "\xEF\xBB\xBF" + junk,
        "1\r\n00:00:01,000 --> 00:00", // cut in a time line
    };
    for (const QByteArray& input : inputs) {
        SCOPED_TRACE(input.left(24).toStdString());
        ReadEveryWay(input, kImportLimit);
        // The whole open, with any message box answered.
        msgbox.AcceptAll();
        dialogs.inputs = {QStringLiteral("25")};
        Open(WriteFile("hostile.txt", input));
        EXPECT_GE(CaptionCount(), 1);
        EXPECT_LE(CaptionCount(), kImportLimit);
        for (int r = 1; r <= CaptionCount(); ++r)
            ASSERT_TRUE(GetLineStart(r) >= 0 && GetLineEnd(r) >= 0);
        dialogs.inputs.clear();
    }
}
