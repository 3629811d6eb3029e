#pragma once
// What a child of `startup_bench first-window` prints at its first painted window, the same for
// the program and for the bare window: the time since the parent started it, then where the main
// thread's time went meanwhile. Header only: the bare window links Qt alone.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

// Where the parent puts the time it starts a child at (FirstWindowNowNs, in ns).
inline constexpr char kFirstWindowStartEnv[] = "STARTUP_BENCH_T0_NS";

inline long long FirstWindowNowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// When the steps on the way were reached, in ns of the monotonic clock: the application object
// made, the main window shown, its first expose. Set by the child's watcher.
struct FirstWindowSteps {
    long long app = 0, show = 0, expose = 0;
};
inline FirstWindowSteps& FirstWindowMarks() {
    static FirstWindowSteps steps;
    return steps;
}

// One line: ms main_cpu_ms main_runqueue_ms main_blocked_switches process_cpu_ms app_ms show_ms
// expose_ms (the last three since the start, as ms).
// The main thread's figures come from the scheduler (/proc/thread-self): time on a processor,
// time ready but waiting for one, and how often it went to sleep (waited on a lock, a thread,
// the display); the process's from getrusage (every thread, ended ones too).
inline void PrintFirstWindow() {
    const char* t0env = std::getenv(kFirstWindowStartEnv);
    const long long t0 = t0env ? std::atoll(t0env) : 0;
    const double ms = (FirstWindowNowNs() - t0) / 1e6;
    unsigned long long cpuNs = 0, waitNs = 0, slices = 0;
    if (FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(f, "%llu %llu %llu", &cpuNs, &waitNs, &slices) != 3) cpuNs = waitNs = 0;
        std::fclose(f);
    }
    long voluntary = -1;
    if (FILE* f = std::fopen("/proc/thread-self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "voluntary_ctxt_switches:", 24) == 0) voluntary = std::atol(line + 24);
        std::fclose(f);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double processMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                             (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    const FirstWindowSteps& m = FirstWindowMarks();
    std::printf("%.3f %.3f %.3f %ld %.3f %.3f %.3f %.3f\n", ms, cpuNs / 1e6, waitNs / 1e6, voluntary,
                processMs, (m.app - t0) / 1e6, (m.show - t0) / 1e6, (m.expose - t0) / 1e6);
    std::fflush(stdout);
}
