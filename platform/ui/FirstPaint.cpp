#include "platform/ui/FirstPaint.h"

#include "base/threadplace.h"

#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

// Below this a window's buffer is mapped in well under a millisecond: not worth a thread.
constexpr size_t kWorthIt = size_t(1) << 20;
constexpr int kMostHelpers = 3;

// The size the window is first painted at. A maximised window learns its size only when the
// window manager has maximised it, after it is shown: its buffer is made at the whole room its
// screen offers, which the buffer of the slightly smaller maximised window then reuses.
QSize FirstPaintSize(const QWidget& widget) {
    if (widget.isMaximized() && widget.screen()) {
        const QSize room = widget.screen()->availableGeometry().size();
        return room.expandedTo(widget.size());
    }
    return widget.size();
}

// Holds the helpers until the window's first expose, after which the paint needs nothing more.
class FirstExpose final : public QObject {
public:
    explicit FirstExpose(QWindow* window) : QObject(window) {}
    ~FirstExpose() override {
        for (std::thread& t : helpers_)
            t.join();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Expose) return false;
        auto* window = static_cast<QWindow*>(watched);
        if (!window->isExposed()) return false;
        window->removeEventFilter(this);
        // After the paint this expose brings, which runs before the loop gets back to us.
        deleteLater();
        return false;
    }

    void Start(QWidget& widget) {
        QBackingStore* store = widget.backingStore();
        if (!store) return;
        // Made now, at the size the paint will ask for, so that the paint finds it made and
        // mapped.
        store->resize(FirstPaintSize(widget));
        QPaintDevice* device = store->paintDevice();
        if (!device || device->devType() != QInternal::Image) return;
        const auto* image = static_cast<const QImage*>(device);
        const auto bytes = size_t(image->sizeInBytes());
        if (bytes < kWorthIt) return;
        const int helpers = std::min(kMostHelpers, UsableProcessors() - 1);
        const long page = sysconf(_SC_PAGESIZE);
        if (helpers < 1 || page <= 0) return;
        const int creator = CurrentProcessor();
        for (const PageRange& range :
             HelperPageRanges(reinterpret_cast<uintptr_t>(image->constBits()), bytes, helpers, size_t(page))) {
            try {
                helpers_.emplace_back([creator, range] {
                    LeaveProcessor(creator);
                    MapPages(range.begin, range.end);
                });
            } catch (const std::system_error&) {
                break; // the paint maps the rest itself
            }
        }
    }

private:
    std::vector<std::thread> helpers_;
};

} // namespace

std::vector<PageRange> HelperPageRanges(uintptr_t begin, size_t bytes, int helpers, size_t pageSize) {
    std::vector<PageRange> ranges;
    if (helpers < 1 || pageSize == 0 || bytes == 0) return ranges;
    const auto roundUp = [pageSize](uintptr_t a) { return (a + pageSize - 1) / pageSize * pageSize; };
    const auto roundDown = [pageSize](uintptr_t a) { return a / pageSize * pageSize; };
    const uintptr_t from = roundUp(begin);
    const uintptr_t to = roundDown(begin + bytes);
    if (to <= from) return ranges;
    const uintptr_t pages = (to - from) / pageSize;
    for (int k = 0; k < helpers; ++k) {
        const uintptr_t a = from + pages * k / helpers * pageSize;
        const uintptr_t b = from + pages * (k + 1) / helpers * pageSize;
        if (b > a) ranges.push_back({a, b});
    }
    return ranges;
}

bool MapPages(uintptr_t begin, uintptr_t end) {
    constexpr uintptr_t kStep = uintptr_t(128) << 10;
    while (end > begin) {
        const uintptr_t from = end - begin > kStep ? end - kStep : begin;
        if (madvise(reinterpret_cast<void*>(from), end - from, MADV_POPULATE_WRITE) != 0) return false;
        end = from;
    }
    return true;
}

void HastenFirstPaint(QWidget* window) {
    if (!window || !window->isWindow() || !window->windowHandle()) return;
    QWindow* handle = window->windowHandle();
    auto* watch = new FirstExpose(handle);
    handle->installEventFilter(watch);
    watch->Start(*window);
}
