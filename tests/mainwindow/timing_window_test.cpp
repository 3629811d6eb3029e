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
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

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
    const Hold holds[] = {{"Start hot key", Qt::Key_B, "b", false}, {"space bar on Apply", Qt::Key_Space, " ", true}};
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

// --- A held key and a window that falls behind ---

namespace {

struct PaintCounter final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::Paint && ++paints < 0;
    }
};

} // namespace

TEST_F(TimingWindow, AHeldSeekKeyKeepsPaceWithTheWindowAndStopsWhenReleased) {
    std::vector<tSubtitleLine> lines;
    for (int i = 1; i <= 40; ++i)
        lines.push_back({i * 3000, i * 3000 + 500, QString::number(i)});
    PaintCounter painted;
    w->lblTime->installEventFilter(&painted);
    FakeClock clock;
    struct Key {
        const char* name;
        uint8_t* key;
        int row, rowStep, seekStep; // where the hold starts, and what one step does
    };
    for (const Key& k : {Key{"Jump", &gHkJump, 1, 1, 0}, Key{"Previous", &gHkPrevious, 40, -1, 0},
                         Key{"Forward", &gHkForward, 20, 0, 5000}, Key{"Rewind", &gHkRewind, 20, 0, -5000}}) {
        for (const bool marked : {true, false}) {
            SCOPED_TRACE(testing::Message() << k.name << (marked ? " marked" : " unmarked"));
            ASSERT_TRUE(FillLines(0, lines));
            SelectLine(k.row, false);
            player->setCurrentPosition(60.0);
            w->grdSubsView->setFocus();
            // Held 1.4 s: 660 ms until it repeats, then 25 release and press pairs a second.
            std::vector<std::pair<int, QEvent::Type>> strokes{{0, QEvent::KeyPress}};
            for (int t = 660; t < 1400; t += 40)
                strokes.insert(strokes.end(), {{t, QEvent::KeyRelease}, {t, QEvent::KeyPress}});
            strokes.push_back({1400, QEvent::KeyRelease});
            const qint64 t0 = clock.now, position0 = player->positionMs();
            size_t next = 0;
            QWindow* const window = w->windowHandle();
            // Into the window's queue, all the keyboard sent by now.
            const auto send = [&] {
                for (; next < strokes.size() && t0 + strokes[next].first <= clock.now; ++next) {
                    const auto [at, type] = strokes[next];
                    QApplication::postEvent(window, new QKeyEvent(type, *k.key, {}, {}, marked && at % 1400));
                }
            };
            // Each seek blocks the window for 150 ms while the keyboard goes on.
            QList<std::pair<qint64, int>> steps; // when each began, and the window's paints by then
            const auto seeking = QObject::connect(player, &IMediaPlayer::PositionChange, [&] {
                steps.append({clock.now, painted.paints});
                clock.Advance(150);
                send();
            });
            for (int quiet = 0; quiet < 20;) {
                const qsizetype before = steps.size();
                QApplication::processEvents();
                quiet = steps.size() == before ? quiet + 1 : 0;
                if (quiet >= 5 && next < strokes.size()) { // idle: on to the next stroke
                    clock.now = std::max(clock.now, t0 + strokes[next].first);
                    send();
                    quiet = 0;
                }
            }
            QObject::disconnect(seeking);
            EXPECT_GE(steps.size(), 4) << "held, it repeats";
            for (int i = 0; i < steps.size(); ++i) {
                EXPECT_LT(steps[i].first, t0 + 1400) << "a step after the release";
                if (i > 0) {
                    EXPECT_GT(steps[i].second, steps[i - 1].second) << "no repaint before step " << i;
                }
            }
            const int row = k.row + k.rowStep * int(steps.size());
            EXPECT_EQ(grdSubs().Row(), row);
            const qint64 position = k.rowStep ? GetLineStart(row) : position0 + k.seekStep * steps.size();
            EXPECT_EQ(player->positionMs(), position);
        }
    }
}
