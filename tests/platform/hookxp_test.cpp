// The window hook kit: wheel turns over a hooked window and its children, the cancel rule,
// Enabled, the size limits, and hooks that go with their window or their object.
#include "platform/HookXP.h"
#include "platform/ui/HookMinMax.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A child that counts the wheel turns that reach it.
class WheelTarget : public QWidget {
public:
    using QWidget::QWidget;
    int turns = 0;

protected:
    void wheelEvent(QWheelEvent* event) override {
        ++turns;
        event->accept();
    }
};

struct Raised {
    QObject* hWnd = nullptr;
    int delta = 0, shift = -1, button = -1, x = 0, y = 0;
    int count = 0;
};

class WheelHook : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        child = new WheelTarget(window.get());
        child->setGeometry(10, 10, 100, 100);
        hook = std::make_unique<CHookMouseWheel>();
        hook->setHWnd(window.get());
        QObject::connect(hook.get(), &CHookMouseWheel::MouseWheel,
                         [this](QObject* h, int d, int s, int b, int x, int y, bool& cancel) {
                             raised = {h, d, s, b, x, y, raised.count + 1};
                             cancel = cancelTurns;
                         });
        QObject::connect(hook.get(), &CHookMouseWheel::MouseWheelH,
                         [this](QObject*, int d, int, int, int, int, bool&) { horizontal += d; });
    }
    void Turn(QPoint angle, Qt::MouseButtons buttons = Qt::NoButton,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWheelEvent ev(QPointF(5, 5), QPointF(300, 400), QPoint(), angle, buttons, mods, Qt::NoScrollPhase,
                       false);
        QApplication::sendEvent(child, &ev);
    }

    std::unique_ptr<QWidget> window;
    WheelTarget* child = nullptr;
    std::unique_ptr<CHookMouseWheel> hook;
    Raised raised;
    bool cancelTurns = false;
    int horizontal = 0;
};

TEST_F(WheelHook, ATurnOverAChildCarriesItsKeysButtonsAndPlace) {
    struct Case {
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers mods;
        int delta, shift, button;
    } cases[] = {
        {Qt::RightButton, Qt::ControlModifier, -120, 2, 2},
        {Qt::NoButton, Qt::NoModifier, 120, 0, 0},
        {Qt::LeftButton | Qt::MiddleButton, Qt::ShiftModifier | Qt::AltModifier, -240, 5, 5},
        {Qt::LeftButton | Qt::RightButton | Qt::MiddleButton,
         Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 120, 7, 7},
    };
    for (const Case& c : cases) {
        Turn(QPoint(0, c.delta), c.buttons, c.mods);
        EXPECT_EQ(raised.hWnd, child); // the widget under the pointer, not the hooked window
        EXPECT_EQ(raised.delta, c.delta);
        EXPECT_EQ(raised.shift, c.shift);
        EXPECT_EQ(raised.button, c.button);
        EXPECT_EQ(QPoint(raised.x, raised.y), QPoint(300, 400));
    }
    EXPECT_EQ(raised.count, 4);
    // A turn the child did not take travels on to its parent as a copy: the hook saw it already.
    QWheelEvent copy(QPointF(15, 15), QPointF(300, 400), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.get(), &copy);
    EXPECT_EQ(raised.count, 4);
    EXPECT_EQ(horizontal, 0);
    Turn(QPoint(-120, 0));
    EXPECT_EQ(horizontal, -120);
    EXPECT_EQ(raised.count, 4);
}

TEST_F(WheelHook, CancelKeepsTheTurnFromTheWidgetAndDisabledRaisesNothing) {
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 1);
    cancelTurns = true;
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 1);
    EXPECT_EQ(raised.count, 2);

    hook->setEnabled(false);
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 2); // as if unhooked
    EXPECT_EQ(raised.count, 2);
}

TEST_F(WheelHook, OneWindowAtATimeAndGoneWithTheWindowOrTheObject) {
    auto other = std::make_unique<QWidget>();
    hook->setHWnd(other.get());
    EXPECT_EQ(MHookXP::HookCount(window.get()), 0);
    EXPECT_EQ(MHookXP::HookCount(other.get()), 1);
    Turn(QPoint(0, 120));
    EXPECT_EQ(raised.count, 0);

    // The window destroyed: the hook forgets it without a word from its owner.
    other.reset();
    EXPECT_EQ(hook->hWnd(), nullptr);
    hook->setHWnd(nullptr); // harmless

    hook->setHWnd(window.get());
    hook.reset();
    EXPECT_EQ(MHookXP::HookCount(window.get()), 0);
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 2);
    EXPECT_EQ(raised.count, 0);
}

TEST_F(WheelHook, AHandlerMayDestroyItsOwnHook) {
    CHookMouseWheel* own = hook.release();
    QObject::connect(own, &CHookMouseWheel::MouseWheel,
                     [own](QObject*, int, int, int, int, int, bool& cancel) {
                         cancel = true;
                         delete own;
                     });
    cancelTurns = true;
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 0); // the cancel still holds
    EXPECT_EQ(MHookXP::HookCount(window.get()), 0);
    Turn(QPoint(0, 120));
    EXPECT_EQ(child->turns, 1);
}

// A hook of the kit's own interface, to see the order in which a window's hooks are asked.
class Recorder final : public IHookXP {
public:
    Recorder(QString name, QStringList* log, bool keep) : name(std::move(name)), log(log), keep(keep) {}
    bool Message(QObject*, QEvent* msg, quintptr ref) override {
        if (msg->type() == QEvent::User) *log << name + QString::number(ref);
        return keep && msg->type() == QEvent::User;
    }
    QString name;
    QStringList* log;
    bool keep;
};

TEST(HookKit, TheHookSetLastIsAskedFirstAndMayKeepTheEvent) {
    QObject window;
    QStringList log;
    Recorder first(QStringLiteral("a"), &log, false), second(QStringLiteral("b"), &log, true);
    ASSERT_TRUE(MHookXP::SetSubclass(&window, &first, 1));
    ASSERT_TRUE(MHookXP::SetSubclass(&window, &second, 2));
    EXPECT_FALSE(MHookXP::SetSubclass(&window, &second, 3)); // one registration per pair
    QEvent ev(QEvent::User);
    QCoreApplication::sendEvent(&window, &ev);
    EXPECT_EQ(log, QStringList{QStringLiteral("b2")});
    ASSERT_TRUE(MHookXP::RemoveSubclass(&window, &second));
    EXPECT_FALSE(MHookXP::RemoveSubclass(&window, &second));
    QCoreApplication::sendEvent(&window, &ev);
    EXPECT_EQ(log, (QStringList{QStringLiteral("b2"), QStringLiteral("a1")}));
    MHookXP::RemoveSubclass(&window, &first);
}

TEST(HookKit, SizeLimitsFromTheHandlerAndBackWhenDisabled) {
    QWidget window;
    window.setMinimumSize(100, 50);
    CHookMinMax hook;
    int placed = 0;
    hook.placeCaption = [&] { ++placed; };
    QObject::connect(&hook, &CHookMinMax::GetMinMax, [](int& minX, int& minY, int& maxX, int& maxY) {
        EXPECT_EQ(minX, 100); // the window's own limits come in
        minX = 700;
        minY = 570;
        maxX = 3200;
        maxY = 1000;
    });
    hook.setHWnd(&window);
    EXPECT_EQ(window.minimumSize(), QSize(700, 570));
    EXPECT_EQ(window.maximumSize(), QSize(3200, 1000));

    // Every move and resize places the caption before the window sees it.
    window.resize(800, 600);
    window.move(20, 30);
    window.show();
    window.resize(900, 600);
    EXPECT_GE(placed, 1);

    hook.setEnabled(false);
    EXPECT_EQ(window.minimumSize(), QSize(100, 50));
    EXPECT_EQ(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    hook.setEnabled(true);
    EXPECT_EQ(window.minimumSize(), QSize(700, 570));

    // Not a window: the hook stays unhooked.
    QObject plain;
    hook.setHWnd(&plain);
    EXPECT_EQ(hook.hWnd(), nullptr);
    EXPECT_EQ(window.minimumSize(), QSize(100, 50));
}

} // namespace
