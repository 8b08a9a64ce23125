// The Linux command: fork/exec of /bin/sh -c in a process group of its own, the event in
// its environment, its output read through a pipe, ended at its time-out.
#include "notify_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace {

// The first line of `text`, printable ASCII only, cut at 200 bytes.
std::string FirstLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (c == '\n' || c == '\r' || line.size() >= 200) {
            break;
        }
        const unsigned char byte = static_cast<unsigned char>(c);
        line += (byte >= 0x20 && byte <= 0x7E) ? c : '?';
    }
    return line;
}

}  // namespace

CommandOutcome RunNotifyCommand(const std::string& command, const std::vector<std::string>& environment,
                                 unsigned timeoutMs, CancelToken& cancel)
{
    CommandOutcome outcome;
    // The environment: ours without older KELVIX_ values, then the event's.
    std::vector<std::string> texts;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "KELVIX_", 7) != 0) {
            texts.emplace_back(*entry);
        }
    }
    texts.insert(texts.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& text : texts) {
        envp.push_back(&text[0]);
    }
    envp.push_back(nullptr);
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        outcome.error = std::string("pipe: ") + std::strerror(errno);
        return outcome;
    }
    const pid_t child = fork();
    if (child < 0) {
        outcome.error = std::string("fork: ") + std::strerror(errno);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return outcome;
    }
    if (child == 0) {
        setpgid(0, 0);  // its own group, so a time-out ends whatever it started
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            dup2(devNull, 0);
        }
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
        sigset_t none;
        sigemptyset(&none);
        pthread_sigmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        execve(argv[0], const_cast<char* const*>(argv), envp.data());
        _exit(127);
    }
    setpgid(child, child);
    close(pipeEnds[1]);
    outcome.started = true;
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool open = true;
    int status = 0;
    bool exited = false;
    while (!exited) {
        if (cancel.Cancelled() || std::chrono::steady_clock::now() >= deadline) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            outcome.timedOut = !cancel.Cancelled();
            if (cancel.Cancelled()) {
                outcome.error = "stopped";
            }
            break;
        }
        if (open) {
            pollfd wait{pipeEnds[0], POLLIN, 0};
            if (poll(&wait, 1, 50) > 0) {
                char buffer[512];
                const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
                if (got <= 0) {
                    open = false;
                } else if (output.size() < 4096) {
                    output.append(buffer, static_cast<std::size_t>(got));
                }
            }
        } else {
            usleep(20000);
        }
        exited = waitpid(child, &status, WNOHANG) == child;
    }
    // What it wrote just before it ended is still in the pipe.
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    char buffer[512];
    ssize_t got = 0;
    while (open && output.size() < 4096 && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    outcome.firstLine = FirstLine(output);
    if (exited && WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
        outcome.delivered = outcome.exitStatus == 0;
    } else if (exited && WIFSIGNALED(status)) {
        outcome.error = std::string("ended by signal ") + std::to_string(WTERMSIG(status));
    }
    return outcome;
}

std::string ThisHostName()
{
    char name[256] = "";
    if (gethostname(name, sizeof name - 1) != 0) {
        return "localhost";
    }
    return name;
}
