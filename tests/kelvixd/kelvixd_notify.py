#!/usr/bin/env python3
"""kelvixd's notifications against real receivers on loopback: --test-notify over http
and https (a test CA made with openssl), the command with its environment, the events of a
scripted run each once, and a receiver that hangs leaving measurement and answers on time.

    kelvixd_notify.py KELVIXD_SIM DRIVESET
"""
import http.server
import json
import os
import socket
import ssl
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelvixd_services import Daemon, ask_report, check, failures, free_port, wait_until  # noqa: E402

SECRET = "s3cr3t-token"


class Receiver:
    """An HTTP(S) server on 127.0.0.1 that records each request; `mode` is "ok", "hang"
    (answers after 30 s or at close) or a status number."""

    def __init__(self, mode="ok", tls=None):
        self.requests = []
        self.mode = mode
        self.release = threading.Event()
        receiver = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
                receiver.requests.append((self.path, dict(self.headers), body))
                if receiver.mode == "hang":
                    receiver.release.wait(30)
                status = 200 if receiver.mode in ("ok", "hang") else receiver.mode
                self.send_response(status)
                self.send_header("Content-Length", "0")
                self.end_headers()

            do_PUT = do_POST

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        if tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*tls)
            self.server.socket = context.wrap_socket(self.server.socket, server_side=True)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def events(self):
        return [json.loads(body) for _, _, body in self.requests]

    def close(self):
        self.release.set()
        self.server.shutdown()
        self.server.server_close()


def make_ca(work):
    """A test CA and a server certificate for 127.0.0.1 signed by it."""
    def run(*args):
        subprocess.run(["openssl"] + list(args), cwd=work, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=KELVIX test CA",
        "-keyout", "ca.key", "-out", "ca.pem")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "server.key",
        "-out", "server.csr")
    with open(os.path.join(work, "san.txt"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-days", "2",
        "-extfile", "san.txt", "-out", "server.pem")
    return os.path.join(work, "ca.pem"), (os.path.join(work, "server.pem"), os.path.join(work, "server.key"))


def test_notify(program, work, notify):
    config = os.path.join(work, "test.conf")
    with open(config, "w") as f:
        f.write("[Notify]\n" + notify + "\n")
    done = subprocess.run([program, "-c", config, "--test-notify"], capture_output=True, text=True, timeout=60)
    return done.returncode, done.stdout + done.stderr


def test_button(program, work, ca, tls):
    """--test-notify: the result in words, tokens kept out of it, certificates checked."""
    receiver = Receiver()
    url = "http://127.0.0.1:%d/disks/%s" % (receiver.port, SECRET)
    code, out = test_notify(program, work, "Url=%s\nHeader1=Authorization: Bearer %s\nHeader2=Title: disks"
                            % (url, SECRET))
    check(code == 0 and "web request: delivered: HTTP status 200" in out, "http test: %d %s" % (code, out))
    check(SECRET not in out, "the token was printed: " + out)
    check(len(receiver.requests) == 1, "http test: %d requests" % len(receiver.requests))
    if receiver.requests:
        path, headers, body = receiver.requests[0]
        event = json.loads(body)
        check(path == "/disks/" + SECRET and headers.get("Authorization") == "Bearer " + SECRET
              and headers.get("Title") == "disks" and headers.get("Content-Type") == "application/json",
              "http test request: %s %s" % (path, headers))
        check(event["event"] == "test" and event["host"] == socket.gethostname() and event["drive"] is None,
              "test event: %s" % event)
    receiver.mode = 503
    code, out = test_notify(program, work, "Url=" + url + "\nBody=text")
    check(code == 1 and "web request: failed: HTTP status 503" in out, "503 test: %d %s" % (code, out))
    check(receiver.requests[-1][1].get("Content-Type") == "text/plain; charset=utf-8"
          and receiver.requests[-1][2].endswith(b"test notification from kelvixd"), "text body: %s" % (receiver.requests[-1],))
    # ntfy reads the title and priority (1-5) from headers; Gotify the priority (0-10) from the body.
    receiver.mode = "ok"
    code, out = test_notify(program, work, "Url=%s\nBody=text\nUrgency=test=urgent" % url)
    headers = receiver.requests[-1][1]
    check(code == 0 and headers.get("Priority") == "5" and headers.get("Title") == socket.gethostname() +
          ": test notification", "ntfy urgency: %d %s" % (code, headers))
    code, out = test_notify(program, work, "Url=%s\nUrgency=test=high hot=min" % url)
    check(code == 0 and json.loads(receiver.requests[-1][2]).get("priority") == 8, "Gotify urgency: %d %s"
          % (code, receiver.requests[-1][2]))
    receiver.close()
    code, out = test_notify(program, work, "Url=http://127.0.0.1:%d/x" % free_port(socket.SOCK_STREAM))
    check(code == 1 and "web request: failed: no answer (" in out, "refused test: %d %s" % (code, out))

    secure = Receiver(tls=tls)
    url = "https://127.0.0.1:%d/topic" % secure.port
    code, out = test_notify(program, work, "Url=%s\nCaFile=%s" % (url, ca))
    check(code == 0 and "delivered: HTTP status 200" in out, "https with the test CA: %d %s" % (code, out))
    code, out = test_notify(program, work, "Url=" + url)
    check(code == 1 and "failed: no answer (" in out and "certificate" in out.lower(),
          "https without the CA must fail on the certificate: %d %s" % (code, out))
    check(len(secure.requests) == 1, "https: %d requests reached the server" % len(secure.requests))
    secure.close()


def helper_missing(program, work):
    """kelvixd without its request helper beside it or installed: the request fails in words."""
    alone = os.path.join(work, "alone")
    os.makedirs(alone, exist_ok=True)
    copy = os.path.join(alone, os.path.basename(program))
    with open(program, "rb") as source, open(copy, "wb") as target:
        target.write(source.read())
    os.chmod(copy, 0o755)
    code, out = test_notify(copy, work, "Url=http://127.0.0.1:%d/x" % free_port(socket.SOCK_STREAM))
    check(code == 1 and "web request: failed: no answer (the web request helper "
          "/usr/libexec/kelvixd/kelvixd-notify cannot be run: No such file or directory)" in out,
          "without the helper: %d %s" % (code, out))


def command(program, work):
    """The command: facts only in its environment, its status and first line reported."""
    out_file = os.path.join(work, "command.out")
    code, out = test_notify(program, work, "Command=env | grep ^KELVIX_ | sort > %s; echo told; exit 4" % out_file)
    check(code == 1 and 'command: failed: exit status 4, output "told"' in out, "command: %d %s" % (code, out))
    with open(out_file) as f:
        lines = dict(line.rstrip("\n").split("=", 1) for line in f)
    check(lines.get("KELVIX_EVENT") == "test" and lines.get("KELVIX_HOST") == socket.gethostname()
          and "KELVIX_MESSAGE" in lines and "KELVIX_TIME" in lines, "command environment: %s" % lines)


def scripted_run(program, driveset, work):
    """A drive heating and cooling, a pending count rising, a drive saying it fails, a drive
    lost: each event chosen once, with its facts and its urgency; the lost one is not chosen."""
    receiver = Receiver()
    daemon = Daemon(program, driveset, work, "",
                    "[Notify]\nUrl=http://127.0.0.1:%d/run\nRetryWait=1\n"
                    "Events=hot cooled health_worse health_better readable\nUrgency=hot=urgent health_worse=high"
                    % receiver.port)
    if daemon.started():
        wait_until(lambda: len(receiver.requests) >= 4, "four events")
        time.sleep(3)  # three more measurements: nothing more to tell
        daemon.stop()
    events = {(e["event"], e["drive"], e["serial"]): e for e in receiver.events()}
    check(sorted(events) == [("cooled", 1, "WMAJ91234567"), ("health_worse", 0, "5JV3ABCD"),
                             ("health_worse", 2, "ZFN1ABCD"), ("hot", 1, "WMAJ91234567")]
          and len(receiver.requests) == 4, "events of the run: %s" % sorted(events))
    check([(e["event"], e.get("priority")) for e in sorted(receiver.events(), key=lambda e: (e["event"], e["drive"]))]
          == [("cooled", None), ("health_worse", 8), ("health_worse", 8), ("hot", 10)],
          "the urgencies of the run: %s" % receiver.events())
    failing = events.get(("health_worse", 0, "5JV3ABCD"), {})
    check((failing.get("health"), failing.get("previous_health"), failing.get("reasons")) ==
          ("bad", "good", ["the drive reports that it is failing"]), "the drive's own verdict: %s" % failing)
    hot = events.get(("hot", 1, "WMAJ91234567"), {})
    check((hot.get("temperature"), hot.get("warning_temperature"), hot.get("temperature_state"),
           hot.get("model"), hot.get("previous_health")) == (45, 40, "hot", "WDC WD800JB-00JJC0", "good"),
          "the hot event: %s" % hot)
    cooled = events.get(("cooled", 1, "WMAJ91234567"), {})
    check((cooled.get("temperature"), cooled.get("temperature_state")) == (34, "normal"), "the cooled event: %s" % cooled)
    worse = events.get(("health_worse", 2, "ZFN1ABCD"), {})
    check((worse.get("health"), worse.get("previous_health")) == ("caution", "good")
          and "attribute 197 (current pending sectors) rose from 0 to 8" in worse.get("reasons", []),
          "the health event: %s" % worse)
    check("notify: hot (drive 1) to http://127.0.0.1:%d/run (try 1 of 4): delivered: HTTP status 200" % receiver.port
          in daemon.text() and "notify: lost" not in daemon.text(), "the journal lines of the deliveries:\n" + daemon.text())
    receiver.close()


def timing(program, driveset, work, mode):
    """Measurements counted in the temperature log and report answer times over 6 s."""
    receiver = Receiver(mode)
    log = os.path.join(work, "temperature.log")
    if os.path.exists(log):
        os.remove(log)
    daemon = Daemon(program, driveset, work, "ReportsPerSecond=0",
                    "[Notify]\nUrl=http://127.0.0.1:%d/t\nRequestTimeout=30\n[Common]\nUseLog=1\nLogFile=%s"
                    % (receiver.port, log))
    latencies = []
    lines = 0
    stop_seconds = 0
    if daemon.started():
        wait_until(lambda: len(receiver.requests) >= 1, "the event to reach the receiver")
        with open(log) as f:
            start_lines = len(f.readlines())
        end = time.monotonic() + 6
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
            while time.monotonic() < end:
                sent = time.monotonic()
                answer = ask_report(daemon.udp_port, sock, 2)
                latencies.append(time.monotonic() - sent if answer else 2)
                time.sleep(0.1)
        with open(log) as f:
            lines = len(f.readlines()) - start_lines
        began = time.monotonic()
        daemon.stop()
        stop_seconds = time.monotonic() - began
    receiver.close()
    return lines, max(latencies or [2]), statistics.median(latencies or [2]), stop_seconds


def never_in_the_way(program, driveset, work):
    quick = timing(program, driveset, work, "ok")
    hung = timing(program, driveset, work, "hang")
    print("answering receiver: %d measurements in 6 s, report max %.1f ms median %.1f ms, stop %.2f s"
          % (quick[0], quick[1] * 1000, quick[2] * 1000, quick[3]))
    print("hanging receiver:   %d measurements in 6 s, report max %.1f ms median %.1f ms, stop %.2f s"
          % (hung[0], hung[1] * 1000, hung[2] * 1000, hung[3]))
    check(hung[0] >= 5 and abs(hung[0] - quick[0]) <= 1, "measurements: %d with a hanging receiver, %d without"
          % (hung[0], quick[0]))
    check(hung[1] < 0.5, "a report answer took %.3f s while the receiver hung" % hung[1])
    check(hung[3] < 5, "kelvixd took %.1f s to stop while the receiver hung" % hung[3])


def main():
    program, driveset = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        ca, tls = make_ca(work)
        test_button(program, work, ca, tls)
        helper_missing(program, work)
        command(program, work)
        scripted_run(program, driveset, work)
        never_in_the_way(program, driveset, work)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
