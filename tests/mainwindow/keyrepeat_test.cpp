// The gate that tells a held key from a key pressed again, and the pacer that lets every press
// act but merges a held key's repeats, on scripted event streams: X11's auto-repeat pairs (a
// release and a press of the same key, not marked as repeats, with one time stamp), presses
// without releases, taps queued up behind a busy window, other keys in between, the hold time
// running out, and a key that seems to stay down for seconds.
#include "mainwindow/keyrepeat.h"
#include "support/fakeclock.h"
#include "support/fixture.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct GateCase {
    const char* name;
    // Space-separated steps: "+B" press of B, "-B" release of B (either with "@ms", the time
    // stamped on it), "w" the hold time passes, "r" the window loses the keyboard, "t" three
    // seconds pass, "s" a moment more than that.
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
    {"taps queued behind a busy window stay taps", "+B@10 -B@40 +B@70 -B@100 +B@130 -B@160 w",
     "B ^B B ^B B ^B"},
    {"a repeat's release and press carry one time", "+B@10 -B@700 +B@700 -B@740 +B@740 -B@790 w", "B b b ^B"},
};

// A key event of a script: "+F" or "-F", with "@ms" the time stamped on it (none: 0).
struct ScriptKey {
    int key;
    quint64 time;
};
ScriptKey ParseKey(const QString& step) {
    const qsizetype at = step.indexOf('@');
    return {step[1].unicode(), at < 0 ? 0 : step.mid(at + 1).toULongLong()};
}

class KeyRepeatGateTest : public ScrivelleTest, public ::testing::WithParamInterface<GateCase> {};

} // namespace

TEST_P(KeyRepeatGateTest, TellsHeldKeysFromNewPresses) {
    const GateCase& c = GetParam();
    FakeClock clock;
    KeyRepeatGate gate(20);
    QStringList out;
    for (const QString& step : QString::fromLatin1(c.script).split(' ')) {
        const auto [key, time] = step.size() > 1 ? ParseKey(step) : ScriptKey{};
        if (step[0] == '+') {
            const bool fresh = gate.Press(key, time);
            out << (fresh ? QString(QChar(key)) : QString(QChar(key)).toLower());
        } else if (step[0] == '-') {
            ASSERT_TRUE(gate.IsDown(key)) << qPrintable(step);
            gate.Release(
                key, [&out, key] { out << "^" + QString(QChar(key)); }, time);
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

const auto kCaseName = [](const auto& info) {
    QString n = QString::fromLatin1(info.param.name);
    n.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
    return n.toStdString();
};

INSTANTIATE_TEST_SUITE_P(Scripts, KeyRepeatGateTest, ::testing::ValuesIn(kGateCases), kCaseName);

namespace {

// Steps as for the gate, and "*F@ms" an auto-repeat pair Qt marked as such, "~F@ms" one it did
// not (a release and a press stamped alike); "w" the window catches up. What came out: "F" a
// press that acts at once, "f" a repeat merged into the step waiting, "|" the window drawn,
// ">F" the merged step taken.
const GateCase kPacerCases[] = {
    {"taps inside a pending step all act", "+F@0 -F@30 +F@60 -F@90 +F@120 -F@150 w", "F F F |"},
    {"other keys inside a pending step act in order", "+N@0 -N@20 +M@40 +X@60 -M@70 -X@80 w", "N M X |"},
    {"marked repeats are one step after a repaint", "+F@0 *F@660 *F@700 *F@740 w -F@760 w", "F f f f | >F |"},
    {"pairs stamped alike are repeats", "+F@0 ~F@660 ~F@700 w ~F@740 -F@760 w", "F f f | >F | F |"},
    {"presses with no release between are repeats", "+F@0 +F@660 +F@700 w -F@740 w", "F f f | >F |"},
    {"released before the window caught up, no step more", "+F@0 ~F@660 ~F@700 -F@740 w", "F f f |"},
    {"a press without a time after a release is a new one", "+F -F +F -F w", "F F |"},
    {"a tap of another key while a held key's step waits", "+F@0 ~F@660 +N@680 -N@700 w -F@720 w",
     "F f N | >F |"},
    {"losing the keyboard forgets the keys down", "+F@0 ~F@660 r +F@700 w", "F f F |"},
};

class KeyPacerTest : public ScrivelleTest, public ::testing::WithParamInterface<GateCase> {};

} // namespace

TEST_P(KeyPacerTest, EveryPressActsAndRepeatsKeepPaceWithTheWindow) {
    const GateCase& c = GetParam();
    QStringList out;
    KeyPacer pacer([&out](int key) { out << ">" + QString(QChar(key)); }, [&out] { out << "|"; });
    for (const QString& step : QString::fromLatin1(c.script).split(' ')) {
        const auto [key, time] = step.size() > 1 ? ParseKey(step) : ScriptKey{};
        const QString name{QChar(key)};
        if (step[0] == '+') {
            out << (pacer.Press(key, time) ? name : name.toLower());
        } else if (step[0] == '-') {
            pacer.Release(key, time);
        } else if (step[0] == '*' || step[0] == '~') {
            const bool marked = step[0] == '*';
            pacer.Release(key, time, marked);
            out << (pacer.Press(key, time, marked) ? name : name.toLower());
        } else if (step == "w") {
            ASSERT_TRUE(WaitFor([&] { return !pacer.Pending(); })) << "the window never caught up";
        } else if (step == "r") {
            pacer.Reset();
        }
    }
    EXPECT_EQ(out.join(' ').toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Scripts, KeyPacerTest, ::testing::ValuesIn(kPacerCases), kCaseName);
