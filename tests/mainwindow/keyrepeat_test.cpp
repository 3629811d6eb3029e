// The gate that tells a held key from a key pressed again, on scripted event streams: X11's
// auto-repeat pairs (a release and a press of the same key, not marked as repeats), presses
// without releases, other keys in between, the hold time running out, and a key that seems
// to stay down for seconds.
#include "mainwindow/keyrepeat.h"
#include "support/fakeclock.h"
#include "support/fixture.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct GateCase {
    const char* name;
    // Space-separated steps: "+B" press of B, "-B" release of B, "w" the hold time passes,
    // "r" the window loses the keyboard, "t" three seconds pass, "s" a moment more than that.
    const char* script;
    // What came out: "B" a new press, "b" a repeat dropped, "^B" a release let through.
    const char* expected;
};

const GateCase kGateCases[] = {
    {"a tap", "+B -B w", "B ^B"},
    {"held with auto-repeat pairs", "+B -B +B -B +B -B +B -B w", "B b b b ^B"},
    {"held with presses only", "+B +B +B -B w", "B b b ^B"},
    {"pressed again after letting go", "+B -B w +B -B w", "B ^B B ^B"},
    {"another key lets the release through first", "+B -B +N -N w", "B ^B N ^N"},
    {"two keys held, the last one repeating", "+B +N -N +N -N +N -B w -N w", "B N n n ^B ^N"},
    {"a release that never came", "+B r +B -B w", "B B ^B"},
    {"the release is kept back until the time passes", "+B -B", "B"},
    {"a press three seconds after the last still repeats", "+B t +B t +B -B w", "B b b ^B"},
    {"a press after longer lost its release", "+B s +B -B w", "B B ^B"},
    {"only the key that went quiet starts again", "+B t +N t +B +N -N w -B w", "B N B n ^N ^B"},
};

class KeyRepeatGateTest : public ScrivelleTest, public ::testing::WithParamInterface<GateCase> {};

} // namespace

TEST_P(KeyRepeatGateTest, TellsHeldKeysFromNewPresses) {
    const GateCase& c = GetParam();
    FakeClock clock;
    KeyRepeatGate gate(20);
    QStringList out;
    for (const QString& step : QString::fromLatin1(c.script).split(' ')) {
        const int key = step.size() > 1 ? step[1].unicode() : 0;
        if (step[0] == '+') {
            const bool fresh = gate.Press(key);
            out << (fresh ? QString(QChar(key)) : QString(QChar(key)).toLower());
        } else if (step[0] == '-') {
            ASSERT_TRUE(gate.IsDown(key)) << qPrintable(step);
            gate.Release(key, [&out, key] { out << "^" + QString(QChar(key)); });
        } else if (step == "w") {
            // The gate's own timer lets the release through.
            ASSERT_TRUE(WaitFor([&] { return !gate.Holding(); })) << "the release was never let through";
        } else if (step == "t") {
            clock.Advance(3000);
        } else if (step == "s") {
            clock.Advance(3001);
        } else if (step == "r") {
            gate.Reset();
        }
    }
    EXPECT_EQ(out.join(' '), QString::fromLatin1(c.expected));
    EXPECT_EQ(gate.Holding(), QString::fromLatin1(c.script).endsWith("-B"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, KeyRepeatGateTest, ::testing::ValuesIn(kGateCases),
                         [](const auto& info) {
                             QString n = QString::fromLatin1(info.param.name);
                             n.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
                             return n.toStdString();
                         });
