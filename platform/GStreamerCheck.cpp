#include "platform/GStreamerCheck.h"

#include "platform/gstprobe/GStreamerProbe.h"

#include <QByteArray>

#include <mutex>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The start's probe process: its id and the read end of its output.
struct tProbe {
    pid_t pid = -1;
    int output = -1;
};

std::mutex gMutex;
tProbe gProbe;
bool gProbeStarted = false;

// Beside the program; in a build, where the build put it.
std::string ProbePath() {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string path(self, size_t(n));
        path = path.substr(0, path.rfind('/') + 1) + "scrivelle_gstprobe";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
#ifdef SCRIVELLE_GSTPROBE
    if (access(SCRIVELLE_GSTPROBE, X_OK) == 0) return SCRIVELLE_GSTPROBE;
#endif
    return {};
}

// A probe that gives no answer in this time is left: the player asks again when media is opened.
constexpr int kProbeLimitMs = 20000;

} // namespace

void StartGStreamerCheck() {
    const std::lock_guard<std::mutex> lock(gMutex);
    if (gProbeStarted) return;
    gProbeStarted = true;
    const std::string path = ProbePath();
    if (path.empty()) return;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed) {
        close(pipeEnds[0]);
        return;
    }
    gProbe = {pid, pipeEnds[0]};
}

bool GStreamerCanPlayAtStart(QString* reason) {
    tProbe probe;
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        std::swap(probe, gProbe);
    }
    if (probe.pid <= 0) return GStreamerCanPlay(reason);
    QByteArray said;
    bool timedOut = false;
    for (;;) {
        pollfd p{probe.output, POLLIN, 0};
        const int ready = poll(&p, 1, kProbeLimitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            timedOut = true;
            break;
        }
        char buffer[512];
        const ssize_t n = read(probe.output, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        said.append(buffer, n);
    }
    close(probe.output);
    if (timedOut) kill(probe.pid, SIGKILL);
    int status = 0;
    while (waitpid(probe.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) return true;
    if (said.startsWith("1\n")) return true;
    if (reason) {
        if (said.startsWith("0\n"))
            *reason = QString::fromUtf8(said.mid(2)).trimmed();
        else if (WIFSIGNALED(status))
            // GStreamer's set-up itself failed; in the program it would take the captions with it.
            *reason = QStringLiteral("GStreamer ended abnormally while it was set up (signal %1).").arg(WTERMSIG(status));
        else
            *reason = QStringLiteral("GStreamer could not be asked whether it can play.");
    }
    return false;
}

void EndGStreamerCheck() {
    tProbe probe;
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        std::swap(probe, gProbe);
    }
    if (probe.pid <= 0) return;
    close(probe.output);
    kill(probe.pid, SIGKILL);
    while (waitpid(probe.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool GStreamerCanPlay(QString* reason) {
    // Once per process, whichever thread asks first.
    static const tGStreamerAnswer answer = ProbeGStreamer();
    if (!answer.usable && reason) *reason = QString::fromStdString(answer.reason);
    return answer.usable;
}
