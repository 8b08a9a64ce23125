#!/usr/bin/env python3
"""kelvixd_sim as a whole, over loopback: the report server and the export services
answer by AllowedHosts and ReportsPerSecond of kelvixd.conf, the export services answer
hddtemp and metrics clients, systemd's notify socket hears READY, RELOADING and STOPPING,
SIGHUP reloads a good file and refuses a bad one, a state directory that refuses writes
(immutable, or a full file system: root only) is told and mended, SIGTERM stops it
all cleanly, a disk asleep when it starts gets nothing but CHECK POWER MODE until it
wakes, and the history of a heating disk survives a restart and is read back as CSV.

    kelvixd_services.py KELVIXD_SIM DRIVESET
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

REPORT = b"\x01"
REPORT_BYTES = 1920
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


def free_port(kind):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(test, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if test():
            return True
        time.sleep(0.05)
    check(False, "timed out waiting for " + what)
    return False


def config_text(port, work, network="", export="", common="", state=None):
    return ("[Timer]\nCurrent=1\n[Network]\nPort=%d\n%s\n[Export]\n%s\n"
            "[Common]\nCfgFile=%s/HDDATA.CFG\n%s\n[Daemon]\nStateDirectory=%s\n"
            % (port, network, export, work, common, state or work))


class Daemon:
    def __init__(self, program, driveset, work, network, export="", common="", state=None, notify=None):
        self.program = program
        self.log_path = os.path.join(work, "log")
        self.udp_port = free_port(socket.SOCK_DGRAM)
        self.config = os.path.join(work, "kelvixd.conf")
        with open(os.path.join(work, "HDDATA.CFG"), "w") as f:
            f.write("KVX = 194\n")
        with open(self.config, "w") as f:
            f.write(config_text(self.udp_port, work, network, export, common, state))
        env = dict(os.environ, KELVIXD_DRIVESET=driveset)
        env.pop("NOTIFY_SOCKET", None)
        if notify:
            env["NOTIFY_SOCKET"] = notify
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([program, "-c", self.config], env=env, stderr=self.log)

    def text(self):
        with open(self.log_path) as f:
            return f.read()

    def started(self):
        """True once it serves; a daemon that died at start is a failure, not a case skipped."""
        wait_until(lambda: "serving on UDP port" in self.text() or self.process.poll() is not None,
                   "kelvixd to start")
        running = self.process.poll() is None
        check(running, "kelvixd ended at start: " + self.text()[-300:])
        return running

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            code = self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = self.process.wait()
            check(False, "kelvixd did not stop on SIGTERM")
        self.log.close()
        return code


def ask_report(port, sock, wait):
    sock.sendto(REPORT, ("127.0.0.1", port))
    sock.settimeout(wait)
    try:
        return sock.recv(4096)
    except socket.timeout:
        return None


def tcp_answer(port, request=b""):
    """Everything the service sent before it closed; a refused peer gets nothing (a
    close with the request unread may come as a reset)."""
    data = b""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as c:
        try:
            if request:
                c.sendall(request)
            while True:
                chunk = c.recv(65536)
                if not chunk:
                    return data
                data += chunk
        except (ConnectionResetError, BrokenPipeError):
            return data


def refused_counts(text):
    found = re.findall(r"refused so far: (\d+) requests from addresses outside AllowedHosts, (\d+) over", text)
    return tuple(int(n) for n in found[-1]) if found else (0, 0)


def closed_list(program, driveset, work):
    """A list without 127.0.0.1: neither the report server nor the export services answer."""
    hddtemp, metrics = free_port(socket.SOCK_STREAM), free_port(socket.SOCK_STREAM)
    daemon = Daemon(program, driveset, work, "AllowedHosts=10.0.0.0/8, 192.168.0.0/16",
                    "HddtempPort=%d\nMetricsPort=%d\nListenAddress=127.0.0.1" % (hddtemp, metrics))
    if not daemon.started():
        print(daemon.text())
        return
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        # The daemon tells what it refused once a cycle: that line proves it saw the asking.
        answers = []
        wait_until(lambda: answers.append(ask_report(daemon.udp_port, sock, 0.05)) or
                   refused_counts(daemon.text())[0] > 0, "a refusal to be logged")
        check(all(a is None for a in answers), "a sender outside AllowedHosts was answered")
    check(tcp_answer(hddtemp) == b"", "the hddtemp service answered a peer outside AllowedHosts")
    check(tcp_answer(metrics, b"GET /metrics HTTP/1.0\r\n\r\n") == b"",
          "the metrics service answered a peer outside AllowedHosts")
    udp_refused = len(answers)
    code = daemon.stop()
    check(code == 0, "exit status %d after SIGTERM" % code)
    not_allowed, too_often = refused_counts(daemon.text())
    check(not_allowed >= udp_refused + 2 and too_often == 0,
          "refused at exit: %d not allowed (%d datagrams and 2 connections sent), %d too often"
          % (not_allowed, udp_refused, too_often))


def exports(program, driveset, work):
    """127.0.0.1 allowed without a limit: both export services answer; SIGTERM ends them.
    One more drive, an NVMe SSD in a JMicron USB enclosure (a SCSI disk answering only its
    bridge's vendor commands), is read and exported like the others and named by its route."""
    hddtemp, metrics = free_port(socket.SOCK_STREAM), free_port(socket.SOCK_STREAM)
    with_bridge = os.path.join(work, "drives.txt")
    with open(driveset) as source, open(with_bridge, "w") as f:
        f.write(source.read() + "drive 4\nnvme\nmodel WD_BLACK SN770 1TB\nserial 22183V800123\n"
                "temperature 47\nvia jmicron\n"
                "drive 5\nnvme\nmodel KVX GARBLED\nserial GARB0001\ntemperature 40\nvia realtek-garbling\n")
    daemon = Daemon(program, with_bridge, work, "AllowedHosts=127.0.0.1\nReportsPerSecond=0",
                    "HddtempPort=%d\nMetricsPort=%d\nListenAddress=127.0.0.1" % (hddtemp, metrics))
    if not daemon.started():
        print(daemon.text())
        return
    answer = tcp_answer(hddtemp).decode()
    check(answer.startswith("|/dev/PhysicalDrive0|ST380011A|35|C|"), "hddtemp answer: " + answer)
    check("|Samsung SSD 980 PRO 1TB|44|C|" in answer, "hddtemp answer lacks the NVMe drive: " + answer)
    check("|/dev/PhysicalDrive4|WD_BLACK SN770 1TB|47|C|" in answer,
          "hddtemp answer lacks the drive in the USB enclosure: " + answer)
    check(re.search(r'drive 4: simulated drive 4 "WD_BLACK SN770 1TB" .* USB NVMe \(JMicron\), solid state, 47 C',
                    daemon.text()) is not None, "the journal does not name the enclosure's route: " + daemon.text())
    # Drive 3's reads fail from its second: the journal says so once, not its old 41 as current.
    lost = '<4>drive 3 "Maxtor 6Y080L0" does not answer (no temperature; the last read was 41 C)\n'
    wait_until(lambda: lost in daemon.text(), "the journal to tell that drive 3 does not answer")
    response = tcp_answer(metrics, b"GET /metrics HTTP/1.0\r\nHost: localhost\r\n\r\n").decode()
    head, _, body = response.partition("\r\n\r\n")
    check(head.startswith("HTTP/1.") and " 200 " in head.split("\r\n")[0], "metrics status: " + head)
    check('serial="5JV3ABCD"' in body and " 35" in body, "metrics body lacks drive 0: " + body[:400])
    check(re.search(r'drive 5: .*"KVX GARBLED" .*, no temperature: the health log cannot be read', daemon.text())
          is not None and " 0 C" not in daemon.text(), "the garbled health log's line: " + daemon.text())
    promtool = shutil.which("promtool")
    check(promtool is not None, "promtool is not installed")
    if promtool:
        lint = subprocess.run([promtool, "check", "metrics"], input=body.encode(), capture_output=True)
        check(lint.returncode == 0, "promtool: " + lint.stdout.decode() + lint.stderr.decode())

    code = daemon.stop()
    text = daemon.text()
    check(code == 0, "exit status %d after SIGTERM" % code)
    check(text.rstrip().endswith("<6>stopped"), "no clean stop: " + text[-300:])
    for port in (hddtemp, metrics):
        with socket.socket() as c:
            check(c.connect_ex(("127.0.0.1", port)) != 0, "TCP port %d still listens after the stop" % port)


def open_list_and_rate(program, driveset, work):
    """127.0.0.1 allowed at one report a second: answers, but a burst is capped."""
    daemon = Daemon(program, driveset, work, "AllowedHosts=127.0.0.1\nReportsPerSecond=1")
    if not daemon.started():
        print(daemon.text())
        return
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        first = []
        wait_until(lambda: first.append(ask_report(daemon.udp_port, sock, 0.1)) or first[-1] is not None,
                   "the first answer")
        check(first and first[-1] is not None and len(first[-1]) == REPORT_BYTES, "no full report answer")
        start = time.monotonic()
        burst = 30
        for _ in range(burst):
            sock.sendto(REPORT, ("127.0.0.1", daemon.udp_port))
        # The stop command queues behind the burst: once kelvixd has exited, every answer
        # it gave waits in this socket.
        code = daemon.stop()
        seconds = time.monotonic() - start
        sock.setblocking(False)
        answered = 0
        try:
            while True:
                sock.recv(4096)
                answered += 1
        except BlockingIOError:
            pass
    not_allowed, too_often = refused_counts(daemon.text())
    check(code == 0, "exit status %d after SIGTERM" % code)
    # What the burst bucket had left, and one a second since.
    check(1 <= answered <= 2 + int(seconds) + 1, "%d of %d answered in %.1f s" % (answered, burst, seconds))
    check(not_allowed == 0 and too_often == burst - answered,
          "refused at exit: %d not allowed, %d too often" % (not_allowed, too_often))


def taken_export_port(program, driveset, work):
    """A port someone else listens on stops kelvixd with the reason, not half started."""
    with socket.socket() as holder:
        holder.bind(("127.0.0.1", 0))
        holder.listen(1)
        taken = holder.getsockname()[1]
        daemon = Daemon(program, driveset, work, "",
                        "HddtempPort=%d\nListenAddress=127.0.0.1" % taken)
        try:
            code = daemon.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            code = daemon.stop()
            check(False, "kelvixd ran on with its hddtemp port taken")
        daemon.log.close()
    text = daemon.text()
    check(code == 1, "exit status %d with the hddtemp port taken" % code)
    check("export services cannot listen on TCP ports %d" % taken in text, "no reason given: " + text[-300:])


class NotifyListener:
    """systemd's side of Type=notify: a datagram socket named by NOTIFY_SOCKET."""
    def __init__(self, work):
        self.path = os.path.join(work, "notify.sock")
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.sock.bind(self.path)

    def next(self, seconds=20):
        self.sock.settimeout(seconds)
        try:
            return self.sock.recv(4096).decode()
        except socket.timeout:
            return ""


def notify_and_reload(program, driveset, work):
    """READY=1 once it answers; SIGHUP with a bad file keeps everything as it was (RELOADING=1,
    the reason, READY=1), with a good one serves the new port; SIGTERM says STOPPING=1."""
    listener = NotifyListener(work)
    network = "AllowedHosts=127.0.0.1\nReportsPerSecond=0"
    daemon = Daemon(program, driveset, work, network, notify=listener.path)
    ready = listener.next()
    check(ready.startswith("READY=1\n"), "first notification: %r" % ready)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        check(ask_report(daemon.udp_port, sock, 5) is not None, "no answer after READY=1")
        lines = daemon.text().splitlines()
        check(lines and all(re.match(r"<[3-6]>", line) for line in lines), "a line without priority: %r" % lines)
        check(not any("kelvixd: " in line for line in lines), "the name is repeated: %r" % lines)

        def reload(what):
            before = time.clock_gettime(time.CLOCK_MONOTONIC) * 1e6
            daemon.process.send_signal(signal.SIGHUP)
            reloading = listener.next()
            stamp = re.fullmatch(r"RELOADING=1\nMONOTONIC_USEC=(\d+)", reloading)
            check(stamp is not None and before <= int(stamp.group(1)) <= time.clock_gettime(time.CLOCK_MONOTONIC) * 1e6,
                  what + ": reload notification %r" % reloading)
            again = listener.next()
            check(again.startswith("READY=1\n"), what + ": after the reload %r" % again)

        with open(daemon.config, "a") as f:
            f.write("[Timer]\nCurrent=0\n")
        reload("bad file")
        text = daemon.text()
        check(re.search(r"^<3>.*kelvixd\.conf:\d+: \[Timer\] Current: must be", text, re.M) is not None and
              "<3>%s has errors: the running configuration stays" % daemon.config in text,
              "the bad file's reason: " + text[-400:])
        check(ask_report(daemon.udp_port, sock, 5) is not None, "the old port went with the bad file")

        new_port = free_port(socket.SOCK_DGRAM)
        with open(daemon.config, "w") as f:
            f.write(config_text(new_port, work, network))
        reload("good file")
        check(ask_report(new_port, sock, 5) is not None, "the new port does not answer after the reload")
        check(ask_report(daemon.udp_port, sock, 0.5) is None, "the old port still answers after the reload")
    code = daemon.stop()
    check(code == 0, "exit status %d after SIGTERM" % code)
    stopping = listener.next(5)
    check(stopping == "STOPPING=1", "at the stop: %r" % stopping)


def bad_config_at_start(program, driveset, work):
    """A configuration error ends kelvixd with 78, which the unit does not restart on."""
    daemon = Daemon(program, driveset, work, "Port=99999")
    try:
        code = daemon.process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        code = daemon.stop()
    daemon.log.close()
    check(code == 78, "exit status %d for a bad Port" % code)
    check("<3>" + daemon.config + ":5: [Network] Port" in daemon.text(), "no reason: " + daemon.text())


LOG_LINE = re.compile(r"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d  (\d\d |ZZ ){16}\r")


def refusing_state(program, _driveset, work):
    """A state directory that refuses writes: each file's failure told once with its path and
    reason, the worst value kept and written once the directory takes it, every log line whole."""
    if os.geteuid() != 0:
        print("SKIP: an immutable folder and a small tmpfs need root")
        return
    for how in ("immutable", "full"):
        base = os.path.join(work, how)
        state = os.path.join(base, "state")
        os.makedirs(state)
        print("--", how)
        state_story(program, base, state, how)


def state_story(program, base, state, how):
    driveset = os.path.join(base, "flat.driveset")
    with open(driveset, "w") as f:
        f.write("drive 0\nmodel KVX FLAT\nfirmware 1.0\nserial FLAT0001\ntemperature 194 30\n")
    log = os.path.join(state, "KELVIX.LOG")
    filler = os.path.join(state, "filler")
    mended = False
    daemon = None
    try:
        if how == "full":
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", state], check=True)
            # Whole lines that end 49 bytes short of a page: the next 71-byte line fits in part only.
            with open(log, "wb") as f:
                f.write((b"2026/01/01 00:00:00  " + b"30 " + b"00 " * 15 + b"\r\n") * 57)
            descriptor = os.open(filler, os.O_WRONLY | os.O_CREAT)
            try:
                while os.write(descriptor, b"\0" * 4096) > 0:
                    pass
            except OSError:
                pass
            os.close(descriptor)
        else:
            subprocess.run(["chattr", "+i", state], check=True)
        daemon = Daemon(program, driveset, base, "", common="UseLog=1\nLogFile=KELVIX.LOG", state=state)
        reason = "No space left on device" if how == "full" else "Operation not permitted"
        told = ["<3>%s/%s cannot be written: %s" % (state, name, reason) for name in ("KELVIX.INI", "KELVIX.LOG")]
        wait_until(lambda: all(t in daemon.text() for t in told), "both failures to be told")
        time.sleep(2.5)  # more measurements fail: told once all the same
        if how == "full":
            os.remove(filler)
        else:
            subprocess.run(["chattr", "-i", state], check=True)
        mended = True
        again = ["<5>%s/%s is written again" % (state, name) for name in ("KELVIX.INI", "KELVIX.LOG")]
        wait_until(lambda: all(a in daemon.text() for a in again), "both files to be written again")
        code = daemon.stop()
        text = daemon.text()
        check(code == 0, how + ": exit status %d" % code)
        for line in told:
            check(text.count(line) == 1, how + ": %d times %r" % (text.count(line), line))
        ini = b""
        if os.path.exists(os.path.join(state, "KELVIX.INI")):
            with open(os.path.join(state, "KELVIX.INI"), "rb") as f:
                ini = f.read()
        check(b"KVX FLAT:1.0:FLAT0001=0x1e" in ini, how + ": the worst value was not written later: %r" % ini)
        with open(log, "rb") as f:
            lines = f.read().split(b"\n")
        check(lines[-1] == b"" and all(LOG_LINE.fullmatch(line.decode()) for line in lines[:-1]),
              how + ": a cut line in the log: %r" % [line for line in lines if not LOG_LINE.fullmatch(line.decode())])
        check(len(lines) - 1 > (57 if how == "full" else 0), how + ": no line logged after the mend")
    finally:
        if daemon and daemon.process.poll() is None:
            daemon.stop()
        if how == "full":
            subprocess.run(["umount", state])
        elif not mended:
            subprocess.run(["chattr", "-i", state])


def slot(report, number):
    """current, worst and model of one 120-byte report record."""
    record = report[number * 120:(number + 1) * 120]
    return record[1], record[2], record[8:8 + 40].split(b"\0")[0].decode()


def counts(path, drive):
    """The simulated port's counts of one drive, from a complete counts file."""
    try:
        with open(path) as f:
            text = f.read()
    except OSError:
        return None
    if not text.endswith("end\n"):
        return None
    for line in text.splitlines():
        fields = line.split()
        if fields[:2] == ["drive", str(drive)]:
            return dict(zip(fields[2::2], (int(v) for v in fields[3::2])))
    return None


def asleep_at_start(program, _driveset, work):
    """Drive 1 is in standby before kelvixd starts, through its 2nd power check."""
    driveset = os.path.join(work, "asleep.txt")
    counts_path = os.path.join(work, "counts.txt")
    with open(driveset, "w") as f:
        f.write("counts %s\ndrive 0\nmodel ST380011A\ntemperature 194 35\n"
                "drive 1\nmodel WDC WD800JB-00JJC0\nserial WMAJ91234567\ntemperature 194 40\nsleep start 2\n"
                "self-test short passed 100\nself-test extended read 250 123456\n"
                % counts_path)
    daemon = Daemon(program, driveset, work, "AllowedHosts=127.0.0.1\nReportsPerSecond=0")
    if not daemon.started():
        print(daemon.text())
        return
    check(counts(counts_path, 1) == {"smart": 0, "asleep": 0, "checks": 1, "sleeping": 1},
          "at start drive 1 got more than the power question: %r" % (counts(counts_path, 1),))
    check('"ATA WDC WD800JB-00JJ"' in daemon.text() and "spun down since the start" in daemon.text(),
          "the journal does not name the sleeping disk by its sysfs identity: " + daemon.text()[-400:])
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        report = ask_report(daemon.udp_port, sock, 5)
        check(report is not None and slot(report, 1) == (0, 0, "ATA WDC WD800JB-00JJ"),
              "asleep: %r" % ((slot(report, 1) if report else None),))
        # The report server reads the table live: a report may fall between the drive's
        # own identity and its first temperature, so the wait is for both.
        woken = []
        wait_until(lambda: woken.append(ask_report(daemon.udp_port, sock, 1)) or
                   (woken[-1] is not None and slot(woken[-1], 1)[2] == "WDC WD800JB-00JJC0" and
                    slot(woken[-1], 1)[0] != 0), "drive 1 to wake with a temperature")
        check(woken[-1] is not None and slot(woken[-1], 1) == (40, 40, "WDC WD800JB-00JJC0"),
              "after waking: %r" % ((slot(woken[-1], 1) if woken[-1] else None),))
    after = counts(counts_path, 1)
    check(after is not None and after["asleep"] == 0 and after["smart"] > 0,
          "commands while asleep, or none after waking: %r" % (after,))
    # Its self-test log, read once it is awake, tells of the failed test.
    told = ('health of drive 1 "WDC WD800JB-00JJC0" is bad (was unknown): the drive\'s self-test failed '
            '(read element failed) at 250 hours, first failing LBA 123456')
    wait_until(lambda: told in daemon.text(), "the journal to tell of the failed self-test")
    check(told in daemon.text(), "no journal line for the failed self-test: " + daemon.text()[-600:])
    code = daemon.stop()
    check(code == 0, "exit status %d after SIGTERM" % code)
    with open(os.path.join(work, "KELVIX.INI")) as f:
        section = f.read().split("[Worst]")[-1].split("\n[")[0]  # up to the next section ([Health])
        worst = [line.strip() for line in section.splitlines() if "=" in line]
    check(worst == ["ST380011A:1.00:SIM00000000=0x23", "WDC WD800JB-00JJC0:1.00:WMAJ91234567=0x28"],
          "worst values: %r" % (worst,))


def history_csv(daemon, *arguments):
    result = subprocess.run([daemon.program, "-c", daemon.config, "--history-csv"] + list(arguments),
                            capture_output=True, text=True)
    rows = [line.split(",") for line in result.stdout.splitlines()]
    return result.returncode, rows, result.stderr


def history_story(program, _driveset, work):
    """A disk heats and its pending count rises; kelvixd stops and starts again on the
    same disk, and its history goes on; --history-csv reads it back, or says why not."""
    history = os.path.join(work, "history.kvh")
    runs = ({"temperatures": "30 34 38 42", "raw": "0 0 8"}, {"temperatures": "50 52", "raw": "8"})
    for number, run in enumerate(runs):
        driveset = os.path.join(work, "heating%d.txt" % number)
        with open(driveset, "w") as f:
            f.write("drive 0\nmodel KVX HEATING\nfirmware 1.0\nserial HEAT0001\n"
                    "attribute 197 0x0032 100 100 00\nraw 197 %s\ntemperature 194 %s\n"
                    % (run["raw"], run["temperatures"]))
        daemon = Daemon(program, driveset, work, "AllowedHosts=127.0.0.1")
        before = os.stat(history).st_mtime_ns if os.path.exists(history) else None
        if not daemon.started():
            return
        # The first measurement is written at once; the next ones wait for the minute.
        wait_until(lambda: os.path.exists(history) and os.stat(history).st_mtime_ns != before,
                   "the history to be written")
        written = os.stat(history).st_mtime_ns
        time.sleep(2.5)  # more measurements, no write
        check(os.stat(history).st_mtime_ns == written, "the history was written again within the minute")
        check(daemon.stop() == 0, "history run %d: exit status" % number)
        check(os.stat(history).st_mtime_ns != written, "the history was not written at SIGTERM")
        code, rows, err = history_csv(daemon, "0")
        check(code == 0 and rows and rows[0][:5] == ["time", "seconds", "temperature_min", "temperature_mean",
                                                      "temperature_max"], "CSV %d: %r %r" % (code, rows[:2], err))
        if number == 0:
            first = rows[1:]
            check(first and first[0][2] == "30" and max(int(row[4]) for row in first) == 42,
                  "the heating is not in the history: %r" % first)
            check(first and first[-1][10] == "8" and first[-1][6] == "caution", "197's rise is missing: %r" % first)
        else:
            # The same drive goes on: the first bucket is where it was, the new heat follows.
            check(rows[1:] and rows[1][0] == first[0][0] and rows[1][2] == "30", "history restarted: %r" % rows)
            check(rows[1:] and max(int(row[4]) for row in rows[1:]) == 52, "the second run is missing: %r" % rows)
            same = history_csv(daemon, "HEAT0001", "--range", "hour")
            check(same[0] == 0 and same[1] == rows, "by serial, the last hour: %r" % (same,))
    code, _rows, err = history_csv(daemon, "3")
    check(code == 1 and "no history of drive 3" in err and "drive 0: KVX HEATING:1.0:HEAT0001 (" in err,
          "an unknown drive: %d %r" % (code, err))
    code, _rows, err = history_csv(daemon, "0", "--range", "decade")
    check(code == 2 and "not one of hour" in err, "a bad range: %d %r" % (code, err))
    with open(history, "r+b") as f:
        f.seek(-40, os.SEEK_END)
        f.write(b"\xff" * 8)
    with open(history, "rb") as f:
        spoiled = f.read()
    code, _rows, err = history_csv(daemon, "0")
    check(code == 1 and "cannot be read: fails its checksum" in err, "a spoiled file: %d %r" % (code, err))
    with open(history, "rb") as f:
        check(f.read() == spoiled, "reading a spoiled file changed it")
    # The service itself sets it aside, says so, and starts a new one.
    daemon = Daemon(program, os.path.join(work, "heating1.txt"), work, "AllowedHosts=127.0.0.1")
    if daemon.started():
        check(daemon.stop() == 0, "after the spoiled file: exit status")
        check("<4>history: %s fails its checksum; kept as %s.bad, a new history is started" % (history, history)
              in daemon.text(), "the spoiled file was not told: " + daemon.text()[-500:])
        with open(history + ".bad", "rb") as f:
            check(f.read() == spoiled, "the spoiled file was not kept aside")
    shutil.rmtree(work + "/nowhere", ignore_errors=True)
    os.mkdir(work + "/nowhere")
    daemon.config = os.path.join(work, "nowhere.conf")
    with open(daemon.config, "w") as f:
        f.write("[Daemon]\nStateDirectory=%s/nowhere\n" % work)
    code, _rows, err = history_csv(daemon, "0")
    check(code == 1 and "no history yet" in err, "no file: %d %r" % (code, err))
def self_test_command(program, _driveset, work):
    """kelvixd --self-test: starts a drive's own test, or says why it cannot."""
    driveset = os.path.join(work, "tests.txt")
    counts_path = os.path.join(work, "counts.txt")
    with open(driveset, "w") as f:
        f.write("counts %s\ndrive 0\nmodel ST380011A\nself-test short passed 100\n"
                "drive 1\nmodel ST380011A\nself-test short passed 100\nself-test-running 90\n"
                "drive 2\nmodel ST380011A\n"
                "drive 3\nnvme\nmodel KVX NVME\nnvme-self-test 1 0 100\n" % counts_path)
    config = os.path.join(work, "kelvixd.conf")
    with open(config, "w") as f:
        f.write(config_text(free_port(socket.SOCK_DGRAM), work))
    env = dict(os.environ, KELVIXD_DRIVESET=driveset)

    def run(*args):
        done = subprocess.run([program, "-c", config, "--self-test"] + list(args), env=env, capture_output=True,
                              text=True, timeout=20)
        return done.returncode, done.stdout + done.stderr

    code, text = run("0", "short")
    check(code == 0 and 'drive 0 "ST380011A": short self-test started' in text, "drive 0: %d %r" % (code, text))
    check((counts(counts_path, 0) or {}).get("selftests") == 1, "no test started: %r" % (counts(counts_path, 0),))
    code, text = run("1", "long")
    check(code == 1 and "a self-test is running already (90% left)" in text, "drive 1: %d %r" % (code, text))
    code, text = run("2", "short")
    check(code == 1 and "no self-tests" in text, "drive 2: %d %r" % (code, text))
    code, text = run("3", "short")
    check(code == 0 and 'drive 3 "KVX NVME": short self-test started, about 2 minutes' in text,
          "NVMe drive 3: %d %r" % (code, text))
    check((counts(counts_path, 3) or {}).get("selftests") == 1, "no NVMe test started: %r" % (counts(counts_path, 3),))
    code, text = run("0", "medium")
    check(code == 2 and "usage" in text, "a wrong kind: %d %r" % (code, text))


def command_line(program, _driveset, _work):
    """--help and --version answer on standard output with 0; a wrong command line on stderr with 2."""
    def run(*args):
        done = subprocess.run([program] + list(args), capture_output=True, text=True, timeout=20)
        return done.returncode, done.stdout, done.stderr

    for asked in ("--help", "-h"):
        code, out, err = run(asked)
        check(code == 0 and out.startswith("usage: kelvixd") and err == "", "%s: %d %r %r" % (asked, code, out, err))
    code, out, err = run("--version")
    check(code == 0 and out == "kelvixd %s\n" % os.environ["KELVIX_VERSION"] and err == "",
          "--version: %d %r %r" % (code, out, err))
    code, out, err = run("--no-such-option")
    check(code == 2 and out == "" and err.startswith("usage: kelvixd"), "a wrong option: %d %r %r" % (code, out, err))


def main():
    program, driveset = sys.argv[1], os.path.abspath(sys.argv[2])
    for case in (command_line, history_story, asleep_at_start, self_test_command, closed_list, exports, open_list_and_rate, taken_export_port, notify_and_reload,
                 bad_config_at_start, refusing_state):
        with tempfile.TemporaryDirectory(prefix="kelvixd_services_") as work:
            print("==", case.__name__)
            case(program, driveset, work)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
