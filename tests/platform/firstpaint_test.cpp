// The first paint of a large window: its buffer is made when it is shown, at the size it will
// paint at, helpers map its pages meanwhile and never change what the window painted.
#include "platform/ui/FirstPaint.h"
#include "support/fixture.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

TEST(FirstPaint, HelpersTakeEveryWholePageOnce) {
    struct Case {
        uintptr_t begin;
        size_t bytes;
        int helpers;
        size_t page;
        size_t expectedRanges;
    };
    const Case cases[] = {
        {0x7f0000000000, 1280 * 1003 * 4, 3, 4096, 3}, // a maximised window's buffer
        {0x7f0000000123, 1280 * 1003 * 4, 2, 4096, 2}, // not on a page boundary
        {0x10000, 3 * 4096, 8, 4096, 3},               // more helpers than pages
        {0x10000, 4096, 3, 4096, 1},                   // a single page
        {0x10001, 4096, 3, 4096, 0},                   // no whole page
        {0x10000, 1 << 20, 0, 4096, 0},                // no helper
        {0x10000, 0, 3, 4096, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " bytes, " << c.helpers << " helpers");
        const std::vector<PageRange> ranges = HelperPageRanges(c.begin, c.bytes, c.helpers, c.page);
        ASSERT_EQ(ranges.size(), c.expectedRanges);
        if (ranges.empty()) continue;
        // From the first whole page to the end of the last whole page, in order, with neither
        // gaps nor overlaps: nothing outside the buffer, nothing taken twice.
        const uintptr_t from = (c.begin + c.page - 1) / c.page * c.page;
        const uintptr_t to = (c.begin + c.bytes) / c.page * c.page;
        EXPECT_EQ(ranges.front().begin, from);
        EXPECT_EQ(ranges.back().end, to);
        for (size_t k = 0; k < ranges.size(); ++k) {
            EXPECT_EQ(ranges[k].begin % c.page, 0u);
            EXPECT_EQ(ranges[k].end % c.page, 0u);
            EXPECT_LT(ranges[k].begin, ranges[k].end);
            if (k > 0) {
                EXPECT_EQ(ranges[k].begin, ranges[k - 1].end);
            }
        }
    }
}

TEST(FirstPaint, MappingPagesKeepsWhatIsInThemAndLeavesThemMapped) {
    // Shared memory, as a window's buffer shared with the display server is.
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t pages = 64;
    auto* buffer = static_cast<unsigned char*>(
        mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(buffer, MAP_FAILED);
    // Every other page written already, the others not yet touched.
    for (size_t p = 0; p < pages; p += 2)
        std::memset(buffer + p * page, int(0x40 + p), page);
    const auto begin = reinterpret_cast<uintptr_t>(buffer);
    if (!MapPages(begin, begin + pages * page)) {
        munmap(buffer, pages * page);
        GTEST_SKIP() << "this kernel does not map pages ahead";
    }
    std::vector<unsigned char> resident(pages);
    ASSERT_EQ(mincore(buffer, pages * page, resident.data()), 0);
    for (size_t p = 0; p < pages; ++p) {
        EXPECT_TRUE(resident[p] & 1) << "page " << p;
        const unsigned char expected = p % 2 == 0 ? (unsigned char)(0x40 + p) : 0;
        EXPECT_EQ(buffer[p * page], expected) << "page " << p;
        EXPECT_EQ(buffer[p * page + page - 1], expected) << "page " << p;
    }
    munmap(buffer, pages * page);
}

namespace {

// Paints its upper half red and its lower half blue.
class TwoColours : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(0, 0, width(), height() / 2, Qt::red);
        p.fillRect(0, height() / 2, width(), height() - height() / 2, Qt::blue);
    }
};

} // namespace

TEST(FirstPaint, TheWindowShowsWhatItPaintedAndLaterPaintsToo) {
    TwoColours window;
    window.resize(1200, 1000); // 4.8 MB: helpers are used
    window.show();
    const auto helpersOf = [&window] { return window.windowHandle()->findChildren<QObject*>().size(); };
    const qsizetype before = helpersOf();
    HastenFirstPaint(&window);
    EXPECT_EQ(helpersOf(), before + 1);
    ASSERT_TRUE(WaitFor([&] { return window.windowHandle()->isExposed(); }));
    // Its work done at the first expose, the watcher is gone.
    EXPECT_TRUE(WaitFor([&] { return helpersOf() == before; }));
    const auto check = [&window](QColor top, QColor bottom) {
        QPaintDevice* device = window.backingStore()->paintDevice();
        ASSERT_EQ(device->devType(), int(QInternal::Image));
        const QImage image = *static_cast<QImage*>(device);
        ASSERT_GE(image.height(), window.height());
        for (int y : {0, window.height() / 2 - 1})
            EXPECT_EQ(image.pixelColor(window.width() - 1, y), top) << y;
        for (int y : {window.height() / 2, window.height() * 2 / 3, window.height() - 1})
            EXPECT_EQ(image.pixelColor(0, y), bottom) << y;
    };
    check(Qt::red, Qt::blue);
    // A resize afterwards paints as usual.
    window.resize(1300, 900);
    ASSERT_TRUE(WaitFor([&] { return window.backingStore()->size() == QSize(1300, 900); }));
    window.repaint();
    check(Qt::red, Qt::blue);
}

// The buffer is there as soon as the window is shown, before any paint: at the window's size,
// and for a maximised window at least at the room its screen offers, which the window manager
// maximises it into.
TEST(FirstPaint, TheBufferIsMadeWhenShownAtTheSizeOfTheFirstPaint) {
    struct Case {
        const char* name;
        QSize size;
        bool maximised;
    };
    const Case cases[] = {
        {"large", {1200, 1000}, false},
        {"small, no helpers", {300, 200}, false},
        {"maximised", {700, 500}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoColours window;
        window.resize(c.size);
        if (c.maximised) window.setWindowState(Qt::WindowMaximized);
        window.show();
        ASSERT_NE(window.backingStore(), nullptr);
        HastenFirstPaint(&window);
        const QSize made = window.backingStore()->size();
        if (c.maximised) {
            const QSize room = window.screen()->availableGeometry().size();
            EXPECT_EQ(made, room.expandedTo(window.size()));
        } else {
            EXPECT_EQ(made, c.size);
        }
        QPaintDevice* device = window.backingStore()->paintDevice();
        ASSERT_EQ(device->devType(), int(QInternal::Image));
        EXPECT_GE(static_cast<QImage*>(device)->size().width(), made.width());
        ASSERT_TRUE(WaitFor([&] { return window.windowHandle()->isExposed(); }));
        window.repaint();
        const QImage painted = *static_cast<QImage*>(window.backingStore()->paintDevice());
        EXPECT_EQ(painted.pixelColor(0, 0), QColor(Qt::red));
        EXPECT_EQ(painted.pixelColor(0, window.height() - 1), QColor(Qt::blue));
    }
}

TEST(FirstPaint, AWindowGoneBeforeItShowsIsLeftAlone) {
    QPointer<QWindow> handle;
    {
        TwoColours window;
        window.resize(1200, 1000);
        window.show();
        handle = window.windowHandle();
        HastenFirstPaint(&window);
        HastenFirstPaint(nullptr);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(handle.isNull());
}
