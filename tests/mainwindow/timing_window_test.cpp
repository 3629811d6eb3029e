// Timing through the real main window: the Apply button pressed and released with the mouse
// and the space bar, the hot keys through the window's key preview, and where the focus goes.
#include "base/paths.h"
#include "base/settings.h"
#include "dialogs/frmFind.h"
#include "document/captions.h"
#include "document/mediastate.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/keyrepeat.h"
#include "mainwindow/mainwindow_fixture.h"
#include "support/FakeMediaPlayer.h"
#include "support/fakeclock.h"
#include "support/fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Span2 = std::pair<int32_t, int32_t>;

class TimingWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        gDurationMode = 0; // no automatic end unless a test asks
        Make();
        player->SetMediaLength(600);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QByteArray srt;
        for (int i = 1; i <= 4; ++i)
            srt += QByteArray::number(i) + "\r\n00:0" + QByteArray::number(i) + ":00,000 --> 00:0" +
                   QByteArray::number(i) + ":00,500\r\ncaption " + QByteArray::number(i) + "\r\n\r\n";
        ASSERT_TRUE(w->LoadTextFile(WriteFile("doc.srt", srt)));
        w->LoadVideoFile(WriteFile("movie.avi", "RIFF"));
        w->optPress->setChecked(true);
        w->optPress_Click();
        ASSERT_TRUE(w->cmdApply->isEnabled());
    }

    void At(int ms) { player->Advance(int(ms - player->positionMs())); }
    static Span2 Span(int row) { return {GetLineStart(row), GetLineEnd(row)}; }
    // What X11 sends while a key is held: a release and a press, both marked auto-repeat.
    static void Repeat(QWidget* target, Qt::Key key, const QString& text) {
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text, true);
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text, true);
        QApplication::sendEvent(target, &up);
        QApplication::sendEvent(target, &down);
    }
    // What X11 often sends instead: the same pair, not marked as a repeat.
    static void UnmarkedRepeat(QWidget* target, Qt::Key key, const QString& text) {
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text, false);
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text, false);
        QApplication::sendEvent(target, &up);
        QApplication::sendEvent(target, &down);
    }
    // A release is acted on once no press of the same key followed it: the gate's timer lets
    // it through.
    void Settle() {
        const KeyRepeatGate* gate = w->findChild<KeyRepeatGate*>();
        ASSERT_NE(gate, nullptr);
        ASSERT_TRUE(WaitFor([gate] { return !gate->Holding(); })) << "a release was never let through";
    }
    // A hot key that acts on each press lets the next one act once the window has caught up.
    void CatchUp() {
        const KeyPacer* pacer = w->findChild<KeyPacer*>();
        ASSERT_NE(pacer, nullptr);
        ASSERT_TRUE(WaitFor([pacer] { return !pacer->Pending(); })) << "the window never caught up";
    }
};

} // namespace

TEST_F(TimingWindow, TheApplyButtonTimesWithTheMouseAndTheSpaceBar) {
    At(1000);
    QTest::mousePress(w->cmdApply, Qt::LeftButton);
    EXPECT_TRUE(w->Timing()->InProgress());
    At(2500);
    QTest::mouseRelease(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(Span(1), Span2(1000, 2500));
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(w->lblTime->text(), "2500");

    // The next press comes quickly: Qt delivers it as a double click.
    At(2600);
    QTest::mouseDClick(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(GetLineStart(2), 2500); // joined to the previous end
    At(2800);
    QTest::mouseRelease(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(Span(2), Span2(2500, 2800));

    w->cmdApply->setFocus();
    At(4000);
    QTest::keyPress(w->cmdApply, Qt::Key_Space);
    for (int t = 4100; t < 5000; t += 100) {
        At(t);
        Repeat(w->cmdApply, Qt::Key_Space, " ");
    }
    At(5000);
    QTest::keyRelease(w->cmdApply, Qt::Key_Space);
    Settle();
    EXPECT_EQ(Span(3), Span2(4000, 5000));
    EXPECT_EQ(grdSubs().Row(), 4);
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);
}

TEST_F(TimingWindow, HotKeysReachTheTimingWhereverTheFocusIsButNotWhileTyping) {
    w->grdSubsView->setFocus();
    At(1000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(1500);
    Repeat(w->grdSubsView, Qt::Key_B, "b");
    At(1900);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    EXPECT_EQ(Span(1), Span2(1000, 1900));
    EXPECT_FALSE(w->cmdApply->font().underline());

    w->txtSub->setFocus();
    const QString before = w->txtSub->toPlainText();
    At(3000);
    QTest::keyClick(w->txtSub, Qt::Key_B);
    EXPECT_FALSE(w->Timing()->InProgress());
    EXPECT_EQ(w->txtSub->toPlainText(), "b" + before);
    EXPECT_EQ(Span(2), Span2(120000, 120500));
}

TEST_F(TimingWindow, TheFocusStaysWithTheTimingButtons) {
    // Manual mode on the keyboard: Start hands the focus to Next, End back to Start.
    w->optManual->setChecked(true);
    w->optManual_Click();
    w->cmdApply->setFocus();
    At(1000);
    QTest::keyClick(w->cmdApply, Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), w->cmdNext);
    At(1500);
    QTest::keyClick(w->cmdNext, Qt::Key_Space);
    EXPECT_EQ(Span(1), Span2(1000, 1500));
    At(1800);
    QTest::keyClick(w->cmdEnd, Qt::Key_Space);
    EXPECT_EQ(Span(2), Span2(1500, 1800));
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);

    // Press-and-hold with the automatic end: Apply is off while the caption runs, and has the
    // focus back for the next caption once the end has passed.
    gDurationMode = 1;
    w->optPress->setChecked(true);
    w->optPress_Click();
    w->cmdApply->setFocus();
    At(3000);
    QTest::keyPress(w->cmdApply, Qt::Key_Space);
    EXPECT_FALSE(w->cmdApply->isEnabled());
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(w->optPress->hasFocus());
    At(4200);
    w->Timing()->tmrTime_Timer();
    EXPECT_EQ(Span(3), Span2(3000, 4080));
    EXPECT_TRUE(w->cmdApply->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);
}

TEST_F(TimingWindow, AHeldKeyIsOneCaptionEvenWhenItsRepeatsAreNotMarked) {
    struct Hold {
        const char* name;
        Qt::Key key;
        const char* text;
        bool onApply;
    };
    const Hold holds[] = {{"Start hot key", Qt::Key_B, "b", false},
                          {"space bar on Apply", Qt::Key_Space, " ", true}};
    int row = 1;
    for (const Hold& h : holds) {
        SCOPED_TRACE(h.name);
        QWidget* target = h.onApply ? static_cast<QWidget*>(w->cmdApply) : w->grdSubsView;
        target->setFocus();
        const int t0 = 10000 * row;
        At(t0);
        QTest::keyPress(target, h.key, Qt::NoModifier);
        // 660 ms until the key repeats, then 25 pairs a second.
        for (int t = t0 + 660; t < t0 + 1500; t += 40) {
            At(t);
            UnmarkedRepeat(target, h.key, h.text);
        }
        At(t0 + 1500);
        QTest::keyRelease(target, h.key, Qt::NoModifier);
        // The video plays on while the release waits: the end is where the key came up.
        At(t0 + 1530);
        Settle();
        EXPECT_EQ(Span(row), Span2(t0, t0 + 1500));
        EXPECT_EQ(grdSubs().Row(), row + 1);
        EXPECT_EQ(Span(row + 1), Span2((row + 1) * 60000, (row + 1) * 60000 + 500)) << "untouched";
        ++row;
    }

    // Pressed again once the release went through: a caption of its own.
    w->grdSubsView->setFocus();
    At(30000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(30600);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    At(31000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(31300);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    EXPECT_EQ(Span(3), Span2(30000, 30600));
    EXPECT_EQ(Span(4), Span2(31000, 31300));
}

TEST_F(TimingWindow, HotKeysPressedWhileAReleaseIsHeldBackComeAfterIt) {
    // Manual timing on hot keys, each pressed while the last release is still held back.
    w->grdSubsView->setFocus();
    w->optManual->setChecked(true);
    w->optManual_Click();
    At(121000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(121200);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    At(121500);
    QTest::keyClick(w->grdSubsView, Qt::Key_N);
    CatchUp();
    At(121800);
    QTest::keyClick(w->grdSubsView, Qt::Key_M);
    Settle();
    EXPECT_EQ(Span(1), Span2(121000, 121500));
    EXPECT_EQ(Span(2), Span2(121500, 121800));
}

// --- Where the focus goes ---

TEST_F(TimingWindow, TheStartHotKeyTimesAtOnceAfterEveryCommandThatOpensOrClosesAndEveryWindowThatReturns) {
    const QString doc = TempPath("doc.srt"), movie = TempPath("movie.avi");
    w->showAudioChooser = [] { gAudioChoice = 2; };
    gApplyWhen = 2; // the rules run over every file opened, as by default
    // Another window takes the keyboard, goes, and the window manager hands it back.
    const auto returnTo = [this](QWidget* other) {
        other->show();
        other->activateWindow();
        ASSERT_TRUE(WaitFor([other] { return QGuiApplication::focusWindow() == other->windowHandle(); }));
        other->close();
        w->activateWindow();
        ASSERT_TRUE(WaitFor([this] { return QGuiApplication::focusWindow() == w->windowHandle(); }));
    };
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"Open text", [&] { dialogs.paths = {doc}, w->mnuOpenText->trigger(); }},
        {"Open video", [&] { dialogs.paths = {movie}, w->mnuOpenVideo->trigger(); }},
        {"Open URL", [&] { dialogs.inputs = {movie}, w->mnuOpenURL->trigger(); }},
        {"Open audio", [&] { dialogs.paths = {movie}, w->mnuOpenWav->trigger(); }},
        {"Recent subtitle", [&] { w->mnuTFileName->trigger(); }},
        {"Recent video", [&] { w->mnuVFileName->trigger(); }},
        {"New", [&] { w->mnuNew->trigger(); }},
        {"New from clipboard", [&] { QApplication::clipboard()->setText("a\nb"), w->mnuNewClip->trigger(); }},
        {"Close all", [&] { w->mnuClose->trigger(), w->mnuNew->trigger(), w->mnuVFileName->trigger(); }},
        {"A dialog returns", [&] { returnTo(new QDialog(w.get())); }},
        {"A side window returns", [&] { w->mnuFind->trigger(), returnTo(FindWindow()); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        gModified = false;
        w->txtSub->setFocus(); // where the user typed last
        command();
        const int row = grdSubs().Row(), t = int(player->positionMs()) + 1000;
        const QString text = GetLineText(row);
        At(t);
        QTest::keyPress(w->windowHandle(), Qt::Key_B); // to whatever has the focus
        At(t + 700);
        QTest::keyRelease(w->windowHandle(), Qt::Key_B);
        Settle();
        EXPECT_EQ(GetLineText(row), text);
        EXPECT_EQ(Span(row), Span2(t, t + 700));
    }
}

// --- Holding a hot key ---
//
// A held key comes as a press followed by auto-repeat: presses marked as repeats, or release
// and press pairs that look like new presses. Start acts on its press and on its release, so
// a hold is one press for it; every other hot key acts on each press, so holding it repeats.

namespace {

struct HotKey {
    const char* name;
    uint8_t* key;
    bool repeats; // holding it does more than one press does (from the state Prepare leaves)
};
const HotKey kHotKeys[] = {
    {"Start", &gHkStart, false},      {"Next", &gHkNext, false},   {"End", &gHkEnd, false},
    {"Play", &gHkPlay, true},         {"Pause", &gHkPause, false}, {"Stop", &gHkStop, true},
    {"Previous", &gHkPrevious, true}, {"Jump", &gHkJump, true},    {"Rewind", &gHkRewind, true},
    {"Forward", &gHkForward, true},
};
const char* const kModeNames[] = {"press", "manual", "preview"};

// What a key did: the times of every caption, the selection, and the player.
struct Outcome {
    QList<Span2> spans;
    int row = 0;
    qint64 positionMs = 0;
    int state = 0;
    QStringList calls;
    bool inProgress = false;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << "{spans";
    for (const Span2& s : o.spans)
        *os << ' ' << s.first << '-' << s.second;
    *os << "; row " << o.row << "; at " << o.positionMs << "; state " << o.state << "; calls "
        << o.calls.join(',').toStdString() << (o.inProgress ? "; timing" : "") << '}';
}

enum class Input { Hold, UnmarkedHold, Presses };

class HeldHotKey : public TimingWindow, public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    const HotKey& Key() const { return kHotKeys[std::get<0>(GetParam())]; }
    int Mode() const { return std::get<1>(GetParam()); }

    // Six captions a minute apart, the video playing at 100 s with the third selected, the
    // mode chosen; in manual mode a caption is under way, for Next and End to act on.
    void Prepare() {
        QByteArray srt;
        for (int i = 1; i <= 6; ++i)
            srt += QByteArray::number(i) + "\r\n00:0" + QByteArray::number(i) + ":00,000 --> 00:0" +
                   QByteArray::number(i) + ":00,500\r\ncaption " + QByteArray::number(i) + "\r\n\r\n";
        gModified = false;
        ASSERT_TRUE(w->LoadTextFile(WriteFile("six.srt", srt)));
        player->play();
        player->setCurrentPosition(100.0);
        QRadioButton* const options[] = {w->optPress, w->optManual, w->optPreview};
        void (frmMain::*const clicks[])() = {&frmMain::optPress_Click, &frmMain::optManual_Click,
                                             &frmMain::optPreview_Click};
        options[Mode()]->setChecked(true);
        (w.get()->*clicks[Mode()])();
        // The real timers stay out of it: the handlers read the position when a key comes.
        w->tmrTime->stop();
        w->tmrPreview->stop();
        grdSubs().SetRow(3);
        w->grdSubsView->setFocus();
        if (Mode() == 1 && Key().key != &gHkStart) {
            QTest::keyClick(w->grdSubsView, Qt::Key_B);
            Settle();
        }
        player->Advance(1000);
        player->calls.clear();
    }

    // Four steps of 100 ms of video: the key held through them (pressed, then repeating), or
    // pressed `presses` times, each let go when the next comes and the last at the end.
    Outcome Try(Input input, int presses = 4) {
        Prepare();
        const auto key = Qt::Key(*Key().key);
        const QString text = QString(QChar(*Key().key)).toLower();
        QWidget* const target = w->grdSubsView;
        for (int i = 0; i < 4; ++i) {
            if (input == Input::Presses) {
                if (i < presses) QTest::keyPress(target, key);
            } else if (i == 0) {
                QTest::keyPress(target, key);
            } else if (input == Input::Hold) {
                Repeat(target, key, text);
            } else {
                UnmarkedRepeat(target, key, text);
            }
            player->Advance(100);
            CatchUp();
            if (input == Input::Presses && i < presses - 1) {
                QTest::keyRelease(target, key);
                Settle();
            }
        }
        QTest::keyRelease(target, key);
        Settle();
        Outcome o;
        for (int row = 1; row <= 6; ++row)
            o.spans << Span(row);
        o.row = grdSubs().Row();
        o.positionMs = player->positionMs();
        o.state = player->playState();
        o.calls = player->calls;
        o.inProgress = w->Timing()->InProgress();
        return o;
    }
};

} // namespace

TEST_P(HeldHotKey, RepeatsUnlessItActsOnItsReleaseToo) {
    const bool start = Key().key == &gHkStart;
    const Outcome asPresses = Try(Input::Presses, start ? 1 : 4);
    EXPECT_EQ(Try(Input::Hold), asPresses) << "repeats marked as such";
    EXPECT_EQ(Try(Input::UnmarkedHold), asPresses) << "repeats as release and press pairs";
    const bool repeats = Key().repeats || (Key().key == &gHkNext && Mode() == 1);
    if (repeats) {
        EXPECT_NE(asPresses, Try(Input::Presses, 1)) << "holding it does no more than one press";
    }
}

INSTANTIATE_TEST_SUITE_P(KeysAndModes, HeldHotKey,
                         ::testing::Combine(::testing::Range(0, int(std::size(kHotKeys))),
                                            ::testing::Range(0, 3)),
                         [](const auto& info) {
                             return std::string(kHotKeys[std::get<0>(info.param)].name) + "_" +
                                    kModeNames[std::get<1>(info.param)];
                         });

// --- Keys that come while the window is busy ---
//
// The keyboard goes on while the window is blocked (a seek waits for the player; on a loaded
// machine everything is slow), and what it sent meanwhile arrives at once when the window is
// free again. Every key the user pressed acts, in the order pressed; a held key repeats only as
// fast as the window follows, and stops within one step of its release.

namespace {

struct BusyCase {
    const char* name;
    int mode;   // 0 press-and-hold, 1 manual
    bool timed; // the 40 captions are timed (caption i at i × 3 s), or not at all
    int row;    // the caption selected first
    // Space-separated, one after the other: "F" a tap of F, let go half an interval later, and
    // "F*10" ten of them, an interval apart; "F^1400" F held for 1400 ms, its repeats marked as
    // such, "F_1400" with its repeats as X often sends them (release and press stamped alike).
    const char* keys;
    int intervalMs;
    int loadMs; // what every key event costs the window (a loaded machine); a seek costs 300 ms
    // What the window did, in order: "r5" caption 5 selected ("r2-4": r2 r3 r4), "paused" and
    // "playing" the player, "+5" a seek by that many seconds, not to the selected caption's
    // start. Held, a key steps at 0, 660, 960 and 1260 ms, the window blocked by each seek.
    const char* done;
    int timedAfter; // captions with a start before their end at the end
};

const BusyCase kBusyCases[] = {
    {"Jump tapped at 60 ms", 0, true, 1, "F*10", 60, 0, "r2-11", 40},
    {"Jump tapped at 30 ms", 0, true, 1, "F*10", 30, 0, "r2-11", 40},
    {"Jump tapped at 150 ms", 0, true, 1, "F*10", 150, 0, "r2-11", 40},
    {"Previous tapped at 60 ms", 0, true, 40, "D*10", 60, 0, "r39-30", 40},
    {"Next tapped at 40 ms on a loaded machine", 1, false, 1, "B N*20", 40, 100, "r2-21", 20},
    {"Start and End tapped at 60 ms", 1, false, 1, "B M B M B M B M", 60, 100, "r2-5", 4},
    {"Start tapped in press-and-hold at 80 ms", 0, false, 1, "B*8", 80, 100, "r2-9", 8},
    {"Pause and Play tapped at 60 ms", 0, true, 20, "X Z X Z X Z", 60, 100,
     "paused playing paused playing paused playing", 40},
    {"Jump and Previous inside one seek", 0, true, 1, "F D F D F", 60, 0, "r2 r1 r2 r1 r2", 40},
    {"End right after Next", 1, false, 1, "B N M", 60, 100, "r2 r3", 2},
    {"Pause right after Next", 1, false, 1, "B N X", 60, 100, "r2 paused", 1},
    {"Pause and Play between jumps", 0, true, 1, "F X Z F", 60, 0, "r2 paused playing r3", 40},
    {"Jump held, repeats marked", 0, true, 1, "F^1400", 60, 0, "r2-5", 40},
    {"Jump held, repeats stamped alike", 0, true, 1, "F_1400", 60, 0, "r2-5", 40},
    {"Previous held, repeats marked", 0, true, 40, "D^1400", 60, 0, "r39-36", 40},
    {"Previous held, repeats stamped alike", 0, true, 40, "D_1400", 60, 0, "r39-36", 40},
    {"Forward held, repeats marked", 0, true, 20, "E^1400", 60, 0, "+5 +5 +5 +5", 40},
    {"Forward held, repeats stamped alike", 0, true, 20, "E_1400", 60, 0, "+5 +5 +5 +5", 40},
    {"Rewind held, repeats marked", 0, true, 20, "W^1400", 60, 0, "-5 -5 -5 -5", 40},
    {"Rewind held, repeats stamped alike", 0, true, 20, "W_1400", 60, 0, "-5 -5 -5 -5", 40},
    {"Start held is one caption", 0, false, 1, "B_1400", 60, 100, "r2", 1},
    {"Start held, repeats marked", 0, false, 1, "B^1400", 60, 100, "r2", 1},
};

struct Stroke {
    qint64 at; // ms from the first
    QEvent::Type type;
    int key;
    bool marked; // as an auto-repeat
};

std::vector<Stroke> Strokes(const BusyCase& c) {
    std::vector<Stroke> out;
    qint64 t = 0;
    for (const QString& token : QString::fromLatin1(c.keys).split(' ')) {
        const int key = token[0].unicode();
        const QString rest = token.mid(1);
        if (rest.startsWith('^') || rest.startsWith('_')) {
            const int hold = rest.mid(1).toInt();
            out.push_back({t, QEvent::KeyPress, key, false});
            // 660 ms until the key repeats, then 25 release and press pairs a second.
            for (int r = 660; r < hold; r += 40)
                out.insert(out.end(), {{t + r, QEvent::KeyRelease, key, rest[0] == '^'},
                                       {t + r, QEvent::KeyPress, key, rest[0] == '^'}});
            out.push_back({t + hold, QEvent::KeyRelease, key, false});
            t += hold + c.intervalMs;
        } else {
            for (int i = 0; i < (rest.isEmpty() ? 1 : rest.mid(1).toInt()); ++i, t += c.intervalMs)
                out.insert(out.end(), {{t, QEvent::KeyPress, key, false},
                                       {t + c.intervalMs / 2, QEvent::KeyRelease, key, false}});
        }
    }
    return out;
}

QString Expand(const char* done) {
    QStringList out;
    for (const QString& token : QString::fromLatin1(done).split(' ')) {
        const QStringList range = token.mid(1).split('-');
        if (token[0] != 'r' || range.size() < 2) {
            out << token;
            continue;
        }
        const int from = range[0].toInt(), to = range[1].toInt();
        for (int r = from; r != to + (to > from ? 1 : -1); r += to > from ? 1 : -1)
            out << "r" + QString::number(r);
    }
    return out.join(' ');
}

// Tells when the window takes a key event the keyboard sent, and which caption it selects.
struct Watch final : QObject, FlexGrid::Observer {
    std::function<void()> onKey;
    QStringList* done = nullptr;
    int row = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) onKey();
        return false;
    }
    void GridSelectionChanged() override {
        if (grdSubs().Row() != row) *done << "r" + QString::number(row = grdSubs().Row());
    }
};

void PrintTo(const BusyCase& c, std::ostream* os) {
    *os << c.name;
}

class BusyWindow : public TimingWindow, public ::testing::WithParamInterface<BusyCase> {};

} // namespace

TEST_P(BusyWindow, EveryKeyPressedActsInOrderAndAHeldKeyStopsWithinAStepOfItsRelease) {
    const BusyCase& c = GetParam();
    std::vector<tSubtitleLine> lines;
    for (int i = 1; i <= 40; ++i)
        lines.push_back({c.timed ? i * 3000 : 0, c.timed ? i * 3000 + 500 : 0, QString::number(i)});
    ASSERT_TRUE(FillLines(0, lines));
    (c.mode ? w->optManual : w->optPress)->setChecked(true);
    c.mode ? w->optManual_Click() : w->optPress_Click();
    SelectLine(c.row, false);
    player->setCurrentPosition(150.0);
    // The handlers read the position when a key comes; the display's timer stays out of it.
    w->tmrTime->stop();
    w->grdSubsView->setFocus();

    FakeClock clock;
    const qint64 t0 = clock.now;
    const std::vector<Stroke> strokes = Strokes(c);
    size_t next = 0;
    int posted = 0, taken = 0;
    QWindow* const window = w->windowHandle();
    // Into the window's queue, all the keyboard sent by now, stamped by the keyboard's clock.
    const auto send = [&] {
        for (; next < strokes.size() && t0 + strokes[next].at <= clock.now; ++next, ++posted) {
            const Stroke& s = strokes[next];
            auto* key = new QKeyEvent(s.type, s.key, {}, QString(QChar(s.key)).toLower(), s.marked);
            key->setTimestamp(50000 + s.at);
            QApplication::postEvent(window, key);
        }
    };
    // The window is blocked for ms: the video and the keyboard go on.
    const auto busy = [&](qint64 ms) {
        clock.Advance(ms);
        player->Advance(int(ms));
        send();
    };
    QStringList done;
    Watch watch;
    watch.done = &done;
    watch.row = grdSubs().Row();
    watch.onKey = [&] {
        ++taken;
        busy(c.loadMs);
    };
    window->installEventFilter(&watch);
    grdSubs().AddObserver(&watch);
    const auto seeking = QObject::connect(player, &IMediaPlayer::PositionChange, [&](double from, double to) {
        if (std::llround(to * 1000) != GetLineStart(grdSubs().Row()))
            done << QString::asprintf("%+g", to - from);
        busy(300);
    });
    const auto playing = QObject::connect(player, &IMediaPlayer::PlayStateChange, [&](int state) {
        done << (state == kPlayStatePlaying ? "playing" : state == kPlayStatePaused ? "paused" : "stopped");
    });
    const KeyPacer* pacer = w->findChild<KeyPacer*>();
    const KeyRepeatGate* gate = w->findChild<KeyRepeatGate*>();
    ASSERT_TRUE(pacer && gate);
    send();
    // Whenever the window has nothing left to do, on to the keyboard's next stroke.
    bool finished = false;
    for (QDeadlineTimer limit(120000); !finished && !limit.hasExpired();) {
        QApplication::processEvents();
        if (taken < posted || pacer->Pending() || gate->Holding()) continue;
        finished = next == strokes.size();
        if (!finished) busy(t0 + strokes[next].at - clock.now);
    }
    grdSubs().RemoveObserver(&watch);
    QObject::disconnect(seeking);
    QObject::disconnect(playing);
    ASSERT_TRUE(finished) << "the window never caught up with the keyboard";

    EXPECT_EQ(done.join(' ').toStdString(), Expand(c.done).toStdString());
    int timed = 0;
    for (int row = 1; row <= 40; ++row)
        timed += GetLineStart(row) < GetLineEnd(row);
    EXPECT_EQ(timed, c.timedAfter);
}

INSTANTIATE_TEST_SUITE_P(Keys, BusyWindow, ::testing::ValuesIn(kBusyCases), [](const auto& info) {
    QString n = QString::fromLatin1(info.param.name);
    n.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
    return n.toStdString();
});
