// kelvixd-notify: kelvixd's web request helper. Reads one request (notify_web_handover.h)
// on stdin, sends it through libcurl and writes the outcome on stdout. kelvixd starts it
// per delivery so that the HTTP and TLS libraries stay out of the daemon.
#include "notify_web_handover.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

int main(int argc, char**)
{
    if (argc != 1 || isatty(0)) {
        std::fprintf(stderr, "kelvixd-notify: kelvixd's web request helper, started by kelvixd\n");
        return 2;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(0, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            return 2;
        }
    }
    WebRequest request;
    WebOutcome outcome;
    if (!DecodeWebRequest(bytes, request)) {
        outcome.error = "the web request helper got no whole request";
    } else {
        CancelToken never;
        outcome = SendWebRequest(request, never);
    }
    const std::string answer = EncodeWebOutcome(outcome);
    std::size_t written = 0;
    while (written < answer.size()) {
        const ssize_t wrote = write(1, answer.data() + written, answer.size() - written);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return 2;
        }
        written += static_cast<std::size_t>(wrote);
    }
    return 0;
}
