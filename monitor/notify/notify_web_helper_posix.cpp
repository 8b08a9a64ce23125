// kelvixd's web request: handed to the request helper (kelvixd-notify), a process of its
// own per delivery, so that libcurl and its TLS libraries are never mapped into the
// daemon and a receiver that hangs holds only the helper, which is ended at the
// request's time-out or when the sender stops.
#include "notify_web_handover.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#ifndef KV_NOTIFY_HELPER_PATH
#define KV_NOTIFY_HELPER_PATH "/usr/libexec/kelvixd/kelvixd-notify"
#endif

namespace {

constexpr const char kHelperName[] = "kelvixd-notify";
// Past the request's own time-out the helper has this long to report before it is ended.
constexpr unsigned kGraceMs = 3000;

// The helper beside this program (a build tree, an unpacked release), else where the
// package installs it.
std::string HelperPath()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string beside(self, static_cast<std::size_t>(length));
        beside.erase(beside.rfind('/') + 1);
        beside += kHelperName;
        if (access(beside.c_str(), X_OK) == 0) {
            return beside;
        }
    }
    return KV_NOTIFY_HELPER_PATH;
}

struct Pipe {
    int ends[2] = {-1, -1};
    bool Open() { return pipe2(ends, O_CLOEXEC) == 0; }
    void Close(int which)
    {
        if (ends[which] >= 0) {
            close(ends[which]);
            ends[which] = -1;
        }
    }
    ~Pipe()
    {
        Close(0);
        Close(1);
    }
};

WebOutcome Failed(const std::string& why)
{
    WebOutcome outcome;
    outcome.error = why;
    return outcome;
}

}  // namespace

WebOutcome SendWebRequest(const WebRequest& request, CancelToken& cancel)
{
    const std::string helper = HelperPath();
    if (access(helper.c_str(), X_OK) != 0) {
        return Failed("the web request helper " + helper + " cannot be run: " + std::strerror(errno));
    }
    Pipe toHelper;
    Pipe fromHelper;
    if (!toHelper.Open() || !fromHelper.Open()) {
        return Failed(std::string("pipe: ") + std::strerror(errno));
    }
    const pid_t child = fork();
    if (child < 0) {
        return Failed(std::string("fork: ") + std::strerror(errno));
    }
    if (child == 0) {
        dup2(toHelper.ends[0], 0);
        dup2(fromHelper.ends[1], 1);
        sigset_t none;
        sigemptyset(&none);
        pthread_sigmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        const char* argv[] = {helper.c_str(), nullptr};
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    toHelper.Close(0);
    fromHelper.Close(1);
    fcntl(toHelper.ends[1], F_SETFL, O_NONBLOCK);

    const std::string sending = EncodeWebRequest(request);
    std::size_t sent = 0;
    std::string answer;
    bool ended = false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(request.timeoutMs + kGraceMs);
    while (fromHelper.ends[0] >= 0) {
        if (cancel.Cancelled() || std::chrono::steady_clock::now() >= deadline) {
            ended = true;
            break;
        }
        pollfd waits[2] = {{fromHelper.ends[0], POLLIN, 0}, {toHelper.ends[1], POLLOUT, 0}};
        if (poll(waits, toHelper.ends[1] >= 0 ? 2 : 1, 50) < 0 && errno != EINTR) {
            ended = true;
            break;
        }
        if (toHelper.ends[1] >= 0 && (waits[1].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t wrote = write(toHelper.ends[1], sending.data() + sent, sending.size() - sent);
            if (wrote > 0) {
                sent += static_cast<std::size_t>(wrote);
            }
            if (sent == sending.size() || (wrote < 0 && errno != EAGAIN && errno != EINTR)) {
                toHelper.Close(1);  // the end of the request
            }
        }
        if ((waits[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            char buffer[1024];
            const ssize_t got = read(fromHelper.ends[0], buffer, sizeof buffer);
            if (got > 0 && answer.size() < 65536) {
                answer.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                fromHelper.Close(0);
            }
        }
    }
    if (ended) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (cancel.Cancelled()) {
        return Failed("stopped");
    }
    if (ended) {
        return Failed("the web request helper did not finish in time");
    }
    WebOutcome outcome;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && DecodeWebOutcome(answer, outcome)) {
        return outcome;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        return Failed("the web request helper " + helper + " could not start");
    }
    return Failed("the web request helper " + helper + " ended without an answer" +
                  (WIFSIGNALED(status) ? " (signal " + std::to_string(WTERMSIG(status)) + ")" : std::string()));
}
