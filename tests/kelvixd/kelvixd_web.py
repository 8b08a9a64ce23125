#!/usr/bin/env python3
"""kelvixd_sim's web page in a real browser (Debian's chromium, headless) and its JSON
against the schema of docs/monitoring.md: the answers match the documented schema, each
drive's card shows what tempquery shows for the same measurement, a hostile model string
shows as text, the page refreshes by itself, hostile requests get their status without
holding up the measurement, and screenshots at 360x740 and 1280x800, light and dark,
English and Japanese, go to the build's screenshots folder.

    kelvixd_web.py KELVIXD_SIM TEMPQUERY DRIVESET MONITORING_MD SCREENSHOTS
"""
import calendar
import http.server
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request

import jsonschema

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelvixd_services import Daemon, check, failures, free_port, wait_until  # noqa: E402

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--hide-scrollbars"]
SIZES = {"phone": (360, 740), "desktop": (1280, 800)}


def get(port, path, headers=None):
    """(status, headers, body) of one GET; error statuses are answers too."""
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path), headers=headers or {})
    try:
        with urllib.request.urlopen(request, timeout=10) as answer:
            return answer.status, dict(answer.headers), answer.read()
    except urllib.error.HTTPError as error:
        return error.code, dict(error.headers), error.read()


def schemas(markdown_path):
    """The JSON Schemas the monitoring guide documents, by the name in their marker."""
    with open(markdown_path, encoding="utf-8") as f:
        text = f.read()
    found = {}
    for name, body in re.findall(r"<!-- schema: (\S+) -->\s*```json\n(.*?)```", text, re.S):
        found[name] = json.loads(body)
    return found


def chromium(work, url, *args):
    profile = tempfile.mkdtemp(dir=work, prefix="profile")
    result = subprocess.run(CHROMIUM + ["--user-data-dir=" + profile] + list(args) + [url],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=90)
    shutil.rmtree(profile, ignore_errors=True)
    return result.stdout.decode("utf-8", "replace")


def background_of(png):
    """The colour of the page's corner pixel as 'r,g,b'."""
    text = subprocess.run(["convert", png, "-crop", "1x1+2+2", "+repage", "-format", "%[fx:int(255*r)],"
                           "%[fx:int(255*g)],%[fx:int(255*b)]", "info:"], stdout=subprocess.PIPE,
                          check=True).stdout.decode()
    return tuple(int(v) for v in text.split(","))


def screenshots(work, port, language, folder):
    """Every size in light and dark; the dark ones must be dark and the light ones light."""
    for name, (width, height) in SIZES.items():
        for scheme in ("light", "dark"):
            png = os.path.join(folder, "kelvixd_web_%s_%s_%s.png" % (language, name, scheme))
            if os.path.exists(png):
                os.remove(png)
            args = ["--screenshot=" + png, "--window-size=%d,%d" % (width, height), "--virtual-time-budget=3000"]
            if scheme == "dark":
                args.append("--blink-settings=preferredColorScheme=0")
            else:
                args.append("--blink-settings=preferredColorScheme=1")
            chromium(work, "http://127.0.0.1:%d/" % port, *args)
            check(os.path.exists(png), "no screenshot " + png)
            if os.path.exists(png):
                r, g, b = background_of(png)
                dark = r + g + b < 120
                check(dark == (scheme == "dark"), "%s has background %d,%d,%d" % (png, r, g, b))


class DelayingProxy:
    """Passes requests to the web page on; the page's own fetches (not navigations) wait
    `delay` seconds first. A headless browser's virtual time stands still while a fetch is
    out, so the script's refresh then sees a later measurement however fast its timer runs."""

    def __init__(self, target, delay):
        proxy = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                if self.headers.get("Sec-Fetch-Mode", "navigate") != "navigate":
                    proxy.fetches += 1
                    time.sleep(delay)
                status, headers, body = get(target, self.path)
                self.send_response(status)
                for key in ("Content-Type", "Cache-Control", "Content-Security-Policy"):
                    if key in headers:
                        self.send_header(key, headers[key])
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.fetches = 0
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def drives_json(port):
    status, _, body = get(port, "/api/v1/drives")
    check(status == 200, "/api/v1/drives gave %d" % status)
    return json.loads(body)


def validate(instance, schema, what):
    try:
        jsonschema.validate(instance, schema)
    except jsonschema.ValidationError as error:
        check(False, "%s does not fit its schema: %s" % (what, error.message))


def api_story(port, docs):
    """Every answer of the API and its errors fit the documented schemas."""
    check({"drives", "history", "error"} <= set(docs), "the guide documents schemas %r" % sorted(docs))
    drives = drives_json(port)
    validate(drives, docs.get("drives", {}), "/api/v1/drives")
    for number in (0, 1, 2):
        for name in ("day", "week", "month", "year"):
            status, _, body = get(port, "/api/v1/history?drive=%d&range=%s" % (number, name))
            check(status == 200, "history of %d over a %s gave %d" % (number, name, status))
            validate(json.loads(body), docs.get("history", {}), "history of %d over a %s" % (number, name))
    errors = [("/api/v1/history?drive=9&range=day", 404), ("/api/v1/history?drive=0&range=age", 400),
              ("/api/v1/history?drive=0", 400), ("/api/v1/nothing", 404),
              ("/api/v1/history?drive=0&range=day&x=%3Cscript%3E", 400)]
    for path, expected in errors:
        status, headers, body = get(port, path)
        check(status == expected, "%s gave %d, not %d" % (path, status, expected))
        check(headers.get("Content-Type", "").startswith("application/json"), path + " is not JSON")
        answer = json.loads(body)
        validate(answer, docs.get("error", {}), path)
        check(answer.get("error", {}).get("status") == expected, path + " tells another status: %r" % answer)


def tempquery_story(port, udp_port, tempquery):
    """Each card and the API tell what tempquery tells for the same measurement: both are
    read until they agree on a measurement they were both taken from."""
    def both():
        before = drives_json(port)
        report = subprocess.run([tempquery, "--json", "-p", str(udp_port), "127.0.0.1"], stdout=subprocess.PIPE,
                                timeout=20).stdout.decode("utf-8", "replace")
        after = drives_json(port)
        return before, json.loads(report.splitlines()[0]), after

    for _ in range(10):
        before, report, after = both()
        if before["measuredAt"] == after["measuredAt"]:
            break
    check(before["measuredAt"] == after["measuredAt"], "no measurement held still around tempquery")
    told = {d["drive"]: d for d in report.get("drives", [])}
    for drive in after["drives"]:
        other = told.get(drive["drive"])
        check(other is not None, "tempquery does not tell drive %d" % drive["drive"])
        if other is None:
            continue
        for key in ("temperature", "worst", "health"):
            mine = drive[key]
            theirs = other.get(key)
            check(mine == theirs, "drive %d: the API tells %s %r, tempquery %r (%r)"
                  % (drive["drive"], key, mine, theirs, other))
    return after


def page_story(work, port, after):
    """The cards in the browser's DOM tell what the API tells; the hostile model is text."""
    dom = chromium(work, "http://127.0.0.1:%d/" % port, "--virtual-time-budget=500", "--dump-dom")
    check(dom.count("<script") == 1, "the page holds a script besides /app.js: %d" % dom.count("<script"))
    check("&lt;script&gt;alert('x')&lt;/script&gt;\"&amp;&lt;b&gt;" in dom,
          "the hostile model does not show as text: " + re.sub(r"\s+", " ", dom)[:600])
    check("<b>" not in dom, "the hostile model made an element")
    for drive in after["drives"]:
        card = re.search(r'<article class="card" id="drive-%d".*?</article>' % drive["drive"], dom, re.S)
        check(card is not None, "no card for drive %d" % drive["drive"])
        if card is None:
            continue
        text = card.group(0)
        if drive["temperature"] is not None and not drive["asleep"]:
            check('<span class="value">%d</span>' % drive["temperature"] in text,
                  "card %d does not show %d" % (drive["drive"], drive["temperature"]))
        check('class="health %s"' % drive["health"] in text, "card %d does not show %s" % (drive["drive"], drive["health"]))
        check(drive["colour"] in text, "card %d is not coloured %s" % (drive["drive"], drive["colour"]))
        for reason in drive["reasons"]:
            check("<li>%s</li>" % reason["words"] in text, "card %d lacks %r" % (drive["drive"], reason["words"]))
        if drive["asleep"]:
            check('class="temperature asleep"' in text, "card %d does not show the sleep" % drive["drive"])


def chart_story(port):
    """The scripted heating from 30 to 46 degrees is in the history and in the chart."""
    history = json.loads(get(port, "/api/v1/history?drive=0&range=day")[2])
    temperatures = [p["temperature"] for p in history["points"] if p["temperature"]]
    check(temperatures and min(t["min"] for t in temperatures) <= 32 and max(t["max"] for t in temperatures) == 46,
          "the history does not hold the heating: %r" % temperatures)
    check(history["recorded"] and history["warningTemperature"] == 40, "history: %r" % history)
    card = re.search(r'<article class="card" id="drive-0".*?</article>', get(port, "/")[2].decode(), re.S)
    chart = card and re.search(r'<svg class="chart".*?</svg>', card.group(0), re.S)
    check(chart is not None, "drive 0's card has no chart")
    if chart:
        svg = chart.group(0)
        check('class="warn"' in svg and re.search(r'class="line" d="M[0-9.]+ [0-9.]+', svg) is not None,
              "the chart lacks its line or its warning line: " + svg[:300])
        check('class="band-line"' in svg, "the chart does not show the range the drive heated through")


def refresh_story(work, port):
    """The page fetches itself again at the measurement interval and swaps in a newer
    measurement without a reload."""
    proxy = DelayingProxy(port, 2.5)
    try:
        dom = chromium(work, "http://127.0.0.1:%d/" % proxy.port, "--virtual-time-budget=1500", "--dump-dom")
    finally:
        proxy.close()
    loaded = re.search(r'<body data-refresh="1" data-loaded="(\d+)"', dom)
    shown = re.search(r'<main data-generation="(\d+)"', dom)
    check(proxy.fetches >= 1, "the page never fetched itself again")
    check('data-refreshes="' in dom, "the script never swapped the data in")
    check(loaded is not None and shown is not None and int(shown.group(1)) > int(loaded.group(1)),
          "the data shown is not newer than the page loaded: %r %r" % (loaded and loaded.group(0), shown and shown.group(0)))


def hostile_story(port):
    """Long paths, bad queries, 300 idle connections and a slow sender: each gets its
    status, and the measurement goes on meanwhile."""
    first = drives_json(port)["measuredAt"]
    for path, expected in [("/" + "a" * 3000, 414), ("/?range=" + "x" * 50, 400), ("/?%00", 400),
                           ("/drive?n=7", 404), ("/api/v1/history?drive=0&range=day&range=day", 400)]:
        status, _, _ = get(port, path)
        check(status == expected, "%s... gave %d, not %d" % (path[:30], status, expected))
    slow = socket.create_connection(("127.0.0.1", port), timeout=10)
    slow.sendall(b"GET /api/v1/dri")
    time.sleep(0.2)  # handed over to the slow clients' thread before the idle ones come
    idle = [socket.create_connection(("127.0.0.1", port), timeout=10) for _ in range(300)]
    time.sleep(1.5)
    slow.sendall(b"ves HTTP/1.1\r\n\r\n")
    answer = b""
    while True:
        chunk = slow.recv(65536)
        if not chunk:
            break
        answer += chunk
    check(answer.startswith(b"HTTP/1.1 200 OK"), "the slow sender got %r" % answer[:40])
    for s in idle + [slow]:
        s.close()
    # Measured on time meanwhile: the last measurement is at most two intervals old.
    def recent():
        try:
            latest = drives_json(port)["measuredAt"]
        except OSError:
            return False  # still refused while the idle ones are being closed
        return latest != first and time.time() - calendar.timegm(time.strptime(latest, "%Y-%m-%dT%H:%M:%SZ")) <= 2.5
    check(wait_until(recent, "a recent measurement after the idle connections", 10),
          "the measurement was held up by the idle connections")


def stories(work, port, daemon, tempquery, docs, folder, language):
    wait_until(lambda: drives_json(port)["measuredAt"] is not None, "a first measurement")
    if language == "en":
        api_story(port, docs)
        hostile_story(port)
        refresh_story(work, port)
        # The heating drive stays at 46 from its ninth reading on.
        wait_until(lambda: drives_json(port)["drives"][0]["temperature"] == 46, "the drive to heat up")
        page_story(work, port, tempquery_story(port, daemon.udp_port, tempquery))
        chart_story(port)
    else:
        page = get(port, "/")[2].decode("utf-8")
        check('<html lang="ja">' in page and "\u306e\u30c9\u30e9\u30a4\u30d6" in page,
              "the Japanese page is not in Japanese")
        wait_until(lambda: drives_json(port)["drives"][0]["temperature"] == 46, "the drive to heat up")
    screenshots(work, port, language, folder)


def run(program, tempquery, driveset, docs, folder, language):
    work = tempfile.mkdtemp(prefix="kelvixd_web_")
    try:
        port = free_port(socket.SOCK_STREAM)
        daemon = Daemon(program, driveset, work, "UseNetwork=1\nAllowedHosts=127.0.0.1\nReportsPerSecond=0",
                        export="MetricsPort=%d\nWebPage=1\nListenAddress=127.0.0.1" % port,
                        common="Language=" + language)
        try:
            if daemon.started():
                stories(work, port, daemon, tempquery, docs, folder, language)
        finally:
            check(daemon.stop() == 0, "kelvixd did not end cleanly")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    program, tempquery, driveset, monitoring, folder = sys.argv[1:6]
    os.makedirs(folder, exist_ok=True)
    docs = schemas(monitoring)
    for language in ("en", "ja"):
        run(program, tempquery, driveset, docs, folder, language)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
