#!/usr/bin/env python3
"""kelvixd_sim and a real Mosquitto on loopback: what Home Assistant would be told.

One broker (plain and TLS listeners, an openssl test CA), one story per behaviour:
discovery payloads against Home Assistant's documented keys and templates, retained
states, the birth message, the will after SIGKILL, a drive gone at the next start and one
pulled out while running, a second copy, the broker dropped mid-run, and TLS with and
without the CA.

    kelvixd_mqtt.py KELVIXD_SIM DRIVESET
"""
import json
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

import jinja2

failures = []

# Home Assistant's documented MQTT discovery keys for what we announce (sensor and
# binary_sensor entities and their device and origin maps).
ENTITY_KEYS = {"name", "unique_id", "state_topic", "value_template", "device_class", "state_class",
               "unit_of_measurement", "availability_topic", "json_attributes_topic",
               "json_attributes_template", "entity_category", "icon", "device", "origin", "expire_after"}
DEVICE_KEYS = {"identifiers", "name", "model", "serial_number", "sw_version", "via_device", "manufacturer"}
ORIGIN_KEYS = {"name", "sw_version", "support_url"}
SENSOR_DEVICE_CLASSES = {"temperature", "duration", None}
BINARY_DEVICE_CLASSES = {"problem", "heat", None}
# What each entity is, as Home Assistant documents its classes: (device class, unit, state class).
ENTITY_CLASSES = {"temperature": ("temperature", "\u00b0C", "measurement"), "hot": ("heat", None, None),
                  "asleep": (None, None, None), "available_spare": (None, "%", "measurement"),
                  "media_errors": (None, None, "total"), "power_on_hours": ("duration", "h", "total_increasing")}


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(test, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if test():
            return True
        time.sleep(0.1)
    return check(False, "timed out waiting for " + what)


def make_ca(work):
    """A test CA and a server certificate for 127.0.0.1 and localhost signed by it."""
    def run(*args):
        subprocess.run(["openssl"] + list(args), cwd=work, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=kelvix test CA",
        "-keyout", "ca.key", "-out", "ca.pem")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", "server.key",
        "-out", "server.csr")
    with open(os.path.join(work, "san.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-days", "2", "-extfile", "san.ext", "-out", "server.pem")


class Broker:
    def __init__(self, work):
        self.work = work
        self.port = free_port()
        self.tls_port = free_port()
        self.process = None

    def start(self):
        config = os.path.join(self.work, "mosquitto.conf")
        with open(config, "w") as f:
            f.write("user %s\npersistence false\nlog_dest stderr\nper_listener_settings false\n"
                    "allow_anonymous true\nlistener %d 127.0.0.1\nlistener %d 127.0.0.1\n"
                    "cafile %s/ca.pem\ncertfile %s/server.pem\nkeyfile %s/server.key\n"
                    % (pwd.getpwuid(os.getuid()).pw_name, self.port, self.tls_port, self.work, self.work, self.work))
        self.log = open(os.path.join(self.work, "mosquitto.log"), "a")
        self.process = subprocess.Popen(["mosquitto", "-c", config], stdout=self.log, stderr=self.log)
        wait_until(self.listening, "mosquitto to listen")

    def listening(self):
        try:
            socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
            return True
        except OSError:
            return False

    def stop(self):
        if self.process is not None:
            self.process.terminate()
            self.process.wait(timeout=10)
            self.process = None
            self.log.close()

    def retained(self, *filters):
        """Every retained message under the filters: {topic: payload}."""
        args = ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(self.port), "--retained-only", "-W", "1",
                "-F", "%t\t%p"]
        for f in filters:
            args += ["-t", f]
        # -W counts from the connection: a subscriber that never gets one (a loaded machine)
        # must not hold the story, which asks again.
        try:
            out = subprocess.run(args, capture_output=True, text=True, timeout=10).stdout
        except subprocess.TimeoutExpired:
            return {}
        found = {}
        for line in out.splitlines():
            topic, _, payload = line.partition("\t")
            found[topic] = payload
        return found

    def publish(self, topic, payload):
        subprocess.run(["mosquitto_pub", "-h", "127.0.0.1", "-p", str(self.port), "-t", topic, "-m", payload],
                       check=True)


class Watcher:
    """A live subscriber: every message with its retain flag, in arrival order."""
    def __init__(self, broker, topic_filter):
        self.path = os.path.join(broker.work, "watch-%d" % time.monotonic_ns())
        self.out = open(self.path, "w")
        self.process = subprocess.Popen(["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port),
                                         "-t", topic_filter, "-F", "%r\t%t\t%p"], stdout=self.out)
        time.sleep(0.5)

    def lines(self):
        with open(self.path) as f:
            return [line.rstrip("\n").split("\t", 2) for line in f if line.count("\t") >= 2]

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.out.close()


class Daemon:
    def __init__(self, program, driveset, work, name, mqtt, metrics=False):
        self.work = os.path.join(work, name)
        os.makedirs(self.work, exist_ok=True)
        self.log_path = os.path.join(self.work, "log")
        self.metrics_port = free_port() if metrics else 0
        config = os.path.join(self.work, "kelvixd.conf")
        with open(os.path.join(self.work, "HDDATA.CFG"), "w") as f:
            f.write("KVX = 194\n")
        with open(config, "w") as f:
            f.write("[Timer]\nCurrent=1\n[Network]\nPort=%d\nReportsPerSecond=0\n[Export]\nMetricsPort=%d\nListenAddress=127.0.0.1\n"
                    "[Common]\nCfgFile=%s/HDDATA.CFG\n[Daemon]\nStateDirectory=%s\n[Mqtt]\n%s\n"
                    % (free_port(socket.SOCK_DGRAM), self.metrics_port, self.work, self.work, mqtt))
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([program, "-c", config], env=dict(os.environ, KELVIXD_DRIVESET=driveset),
                                        stderr=self.log)

    def text(self):
        with open(self.log_path) as f:
            return f.read()

    def connections(self):
        return self.text().count(": connected as ")

    def metric(self, name):
        try:
            page = urllib.request.urlopen("http://127.0.0.1:%d/metrics" % self.metrics_port, timeout=5).read().decode()
        except OSError:
            return None
        for line in page.splitlines():
            if line.startswith(name + " "):
                return float(line.split()[1])
        return None

    def stop(self, sig=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            code = self.process.wait(timeout=20)
            check(code == 0 or sig == signal.SIGKILL, "%s stopped cleanly, not with %s" % (self.work, code))
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            check(False, "kelvixd did not stop")
        self.log.close()


def render(template, payload):
    """A value or attributes template rendered as Home Assistant does: value_json is the
    state payload; a template that renders None gives the state unknown."""
    return jinja2.Environment().from_string(template).render(value_json=json.loads(payload))


def check_discovery(found, host_id):
    """The configs of the four drives of the drive set and of the host, against HA's keys."""
    configs = {t: json.loads(p) for t, p in found.items() if t.endswith("/config")}
    node = "kelvixd_" + host_id
    drives = {"5jv3abcd": False, "s5gxnf0r123456": True, "wmaj91234567": False, "y2abcdef": False}
    host_config = configs.get("homeassistant/sensor/%s/drives/config" % node)
    if not check(host_config is not None, "the host's device is announced"):
        return
    host_device = host_config["device"]["identifiers"][0]
    unique_ids = set()
    for drive, nvme in drives.items():
        entities = {"sensor/%s/%s_temperature" % (node, drive): "temperature",
                    "sensor/%s/%s_worst_temperature" % (node, drive): "worst_temperature",
                    "binary_sensor/%s/%s_health" % (node, drive): "health",
                    "binary_sensor/%s/%s_hot" % (node, drive): "hot",
                    "binary_sensor/%s/%s_asleep" % (node, drive): "asleep"}
        if nvme:
            entities["sensor/%s/%s_percentage_used" % (node, drive)] = "percentage_used"
            entities["sensor/%s/%s_available_spare" % (node, drive)] = "available_spare"
            entities["sensor/%s/%s_media_errors" % (node, drive)] = "media_errors"
        else:
            check("homeassistant/sensor/%s/%s_percentage_used/config" % (node, drive) not in configs,
                  drive + ": no percentage used on an ATA disk")
        for topic, entity in entities.items():
            config = configs.get("homeassistant/%s/config" % topic)
            if not check(config is not None, "announced: " + topic):
                continue
            check(set(config) <= ENTITY_KEYS, topic + ": only documented keys, not " + str(set(config) - ENTITY_KEYS))
            check(set(config["device"]) <= DEVICE_KEYS, topic + ": documented device keys")
            check(set(config["origin"]) <= ORIGIN_KEYS, topic + ": documented origin keys")
            check(config["device"]["via_device"] == host_device, topic + ": via_device is the host")
            check(config["device"]["identifiers"] == ["kelvix_drive_" + drive], topic + ": device from the serial")
            check(config["availability_topic"] == "kelvix/%s/availability" % host_id, topic + ": availability")
            check(config["unique_id"] not in unique_ids, topic + ": unique id is unique")
            unique_ids.add(config["unique_id"])
            component = topic.split("/")[0]
            classes = BINARY_DEVICE_CLASSES if component == "binary_sensor" else SENSOR_DEVICE_CLASSES
            check(config.get("device_class") in classes, topic + ": device class " + str(config.get("device_class")))
            check(config.get("expire_after") == 63, topic + ": states expire after three intervals and a minute")
            if entity in ENTITY_CLASSES:
                found_classes = (config.get("device_class"), config.get("unit_of_measurement"), config.get("state_class"))
                check(found_classes == ENTITY_CLASSES[entity], topic + ": classes " + str(found_classes))
            if entity == "temperature":
                check(config.get("state_class") == "measurement" and config.get("unit_of_measurement") == "\u00b0C",
                      topic + ": a temperature measurement in \u00b0C")
            state = found.get(config["state_topic"])
            if not check(state is not None, topic + ": its state is retained"):
                continue
            value = render(config["value_template"], state)
            if component == "binary_sensor":
                check(value in ("ON", "OFF", "None"), topic + ": renders ON, OFF or None, not " + value)
            else:
                check(value == "None" or value.isdigit(), topic + ": renders a number, not " + value)
            if "json_attributes_template" in config:
                check(isinstance(json.loads(render(config["json_attributes_template"], state)), dict),
                      topic + ": attributes render a JSON map")
    states = {d: json.loads(found.get("kelvix/%s/%s/state" % (host_id, d), "{}")) for d in drives}
    check(states["5jv3abcd"].get("temperature") == 35, "ATA disk state 35 \u00b0C: " + str(states["5jv3abcd"]))
    check(states["s5gxnf0r123456"].get("temperature") == 44 and states["s5gxnf0r123456"].get("percentage_used") == 3,
          "NVMe state 44 \u00b0C, 3 % used: " + str(states["s5gxnf0r123456"]))
    check(all(s.get("sleeping") is False for s in states.values()), "no drive says it sleeps")
    # The judged verdict: the NVMe drive's critical-warning bit 2 (reliability degraded) is bad.
    nvme = states["s5gxnf0r123456"]
    check(nvme.get("health") == "bad" and any("critical warning" in r for r in nvme.get("reasons", [])),
          "the NVMe drive is bad with its reason: " + str(nvme))
    health = configs.get("homeassistant/binary_sensor/%s/s5gxnf0r123456_health/config" % node, {})
    check(render(health.get("value_template", ""), found.get(health.get("state_topic"), "{}")) == "ON",
          "its problem sensor is on")
    check(states["5jv3abcd"].get("health") == "good" and
          render(health.get("value_template", ""), json.dumps(states["5jv3abcd"])) == "OFF",
          "a good disk's problem sensor is off")


def main():
    program, driveset = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="kelvixd-mqtt-")
    broker = Broker(work)
    daemons = []
    started = time.monotonic()
    try:
        make_ca(work)
        broker.start()
        host_id = "".join(c if c.isalnum() else "_" for c in socket.gethostname().lower()).strip("_")
        plain = "Host=127.0.0.1\nPort=%d\n" % broker.port

        # Discovery, retained states and availability.
        first = Daemon(program, driveset, work, "first", plain, metrics=True)
        daemons.append(first)
        wait_until(lambda: first.connections() == 1, "kelvixd to connect")
        wait_until(lambda: len(broker.retained("kelvix/#")) >= 6, "the states to be retained")
        found = broker.retained("homeassistant/#", "kelvix/#")
        check(found.get("kelvix/%s/availability" % host_id) == "online", "availability online on connect")
        check_discovery(found, host_id)
        check(first.metric("kelvix_mqtt_connected") == 1, "metrics say connected")

        # Home Assistant's birth message: every config sent again, live.
        watch = Watcher(broker, "homeassistant/+/kelvixd_%s/+/config" % host_id)
        time.sleep(1.5)
        live = lambda: [l for l in watch.lines() if l[0] == "0" and l[2]]
        check(len(live()) == 0, "no config is sent again before the birth message")
        broker.publish("homeassistant/status", "online")
        wait_until(lambda: len(live()) >= 23, "23 configs again after the birth message")
        watch.stop()

        # A second copy on the same host must not knock the first off.
        second = Daemon(program, driveset, work, "second", plain)
        daemons.append(second)
        wait_until(lambda: second.connections() == 1, "a second kelvixd to connect")
        time.sleep(1.5)
        check(first.connections() == 1 and "closed the connection" not in first.text(),
              "the first copy stays connected")
        second.stop()
        # Its "offline" went to the topic both share; the first copy, still connected, says
        # "online" again.
        wait_until(lambda: broker.retained("kelvix/#").get("kelvix/%s/availability" % host_id) == "online",
                   "the first copy to be online again after the second one's stop")
        check("was set offline by another client; online again" in first.text(), "the first copy tells it")


        # A "broker" that takes the connection and never answers: kelvixd keeps serving.
        with socket.socket() as silent:
            silent.bind(("127.0.0.1", 0))
            silent.listen(4)
            stalled = Daemon(program, driveset, work, "stalled", "Host=127.0.0.1\nPort=%d\n" % silent.getsockname()[1],
                             metrics=True)
            daemons.append(stalled)
            wait_until(lambda: "serving on UDP port" in stalled.text(), "kelvixd to serve")
            asked = time.monotonic()
            check(stalled.metric("kelvix_mqtt_connected") == 0, "metrics answer while the broker is silent")
            check(time.monotonic() - asked < 2, "the metrics answer at once")
            wait_until(lambda: "did not answer the connection within 5 s; trying again in 1 s" in stalled.text(),
                       "the silent broker to be told", 15)
            stalled.stop()

        # The broker dropped mid-run: kelvixd keeps measuring and comes back.
        # Which side notices first depends on whether a publish is under way: both are told.
        broker.stop()
        wait_until(lambda: any(said in first.text() for said in (
                       "the broker closed the connection; trying again",
                       "the connection was lost while publishing; trying again")),
                   "kelvixd to tell the lost connection")
        wait_until(lambda: first.metric("kelvix_mqtt_connected") == 0, "metrics to say not connected")
        check(first.process.poll() is None, "kelvixd keeps running without its broker")
        broker.start()
        wait_until(lambda: first.connections() == 2, "kelvixd to connect again", 30)
        wait_until(lambda: len(broker.retained("homeassistant/#")) >= 24, "discovery sent to the new broker")
        wait_until(lambda: first.metric("kelvix_mqtt_connections_total") == 2, "metrics to count 2 connections")

        # Killed: the broker publishes the will.
        first.stop(signal.SIGKILL)
        wait_until(lambda: broker.retained("kelvix/#").get("kelvix/%s/availability" % host_id) == "offline",
                   "the will 'offline' after SIGKILL")

        # A drive gone at the next start: its entities are removed, the others stay.
        fewer = os.path.join(work, "three_drives.txt")
        with open(driveset) as source, open(fewer, "w") as target:
            target.write(source.read().split("drive 3")[0])
        third = Daemon(program, fewer, work, "third", plain)
        daemons.append(third)
        wait_until(lambda: not any("y2abcdef" in t for t in broker.retained("homeassistant/#", "kelvix/#")),
                   "the removed drive's configs and state to be emptied")
        left = broker.retained("homeassistant/#")
        check(any("wmaj91234567" in t for t in left), "the other drives stay")
        check(broker.retained("kelvix/#").get("kelvix/%s/availability" % host_id) == "online", "online again")
        check("drive y2abcdef is gone" in third.text(), "the journal tells the removal")

        # A drive pulled out while kelvixd runs: its entities go when the drive list is read
        # again, and Home Assistant never sees the host offline.
        watch = Watcher(broker, "#")
        with open(fewer) as source, open(fewer + ".new", "w") as target:
            target.write(source.read().split("drive 2")[0])
        os.rename(fewer + ".new", fewer)
        emptied = lambda: {l[1] for l in watch.lines() if "wmaj91234567" in l[1] and l[2] == ""}
        wait_until(lambda: len(emptied()) >= 4, "a live subscriber to see the pulled drive's topics emptied")
        check(any(t.endswith("wmaj91234567_temperature/config") for t in emptied()) and
              any(t.endswith("wmaj91234567/state") for t in emptied()), "its configs and state: " + str(emptied()))
        watch.stop()
        check(not any("wmaj91234567" in t for t in broker.retained("homeassistant/#", "kelvix/#")),
              "nothing of the pulled drive stays retained")
        check(any("5jv3abcd" in t for t in broker.retained("homeassistant/#")), "the drives left stay")
        check(not any(l[2] == "offline" for l in watch.lines()), "availability stays online through the rescan")
        third.stop()
        check(broker.retained("kelvix/#").get("kelvix/%s/availability" % host_id) == "offline",
              "a clean stop says offline")

        # TLS: with the test CA the broker is accepted; with the system's CAs it is not.
        tls = Daemon(program, driveset, work, "tls",
                     "Host=127.0.0.1\nPort=%d\nTls=1\nCaFile=%s/ca.pem\n" % (broker.tls_port, work))
        daemons.append(tls)
        wait_until(lambda: "(TLS): connected as" in tls.text(), "kelvixd to connect with TLS")
        untrusted = Daemon(program, driveset, work, "untrusted", "Host=127.0.0.1\nPort=%d\nTls=1\n" % broker.tls_port)
        daemons.append(untrusted)
        wait_until(lambda: "certificate was not accepted" in untrusted.text(), "an unknown CA to be refused")
        check("connected as" not in untrusted.text(), "no connection without the CA")
        check("password" not in tls.text().lower(), "no password in the journal")

        # Drives whose serials collide (one serial twice, one differing only by case) stay
        # apart, and the one that collides with nothing keeps its id.
        twins = os.path.join(work, "twins.txt")
        with open(driveset) as source, open(twins, "w") as target:
            target.write(source.read().replace("serial WMAJ91234567", "serial 5JV3ABCD")
                         .replace("serial S5GXNF0R123456", "serial 5jv3abcd"))
        tls.stop()
        untrusted.stop()
        twin = Daemon(program, twins, work, "twins", plain.replace("Host=", "BaseTopic=twins\nHost="))
        daemons.append(twin)
        wait_until(lambda: len([t for t in broker.retained("twins/#") if t.endswith("/state")]) >= 5, "the twins' states")
        states = sorted(t.split("/")[2] for t in broker.retained("twins/#") if t.endswith("/state") and t.count("/") == 3)
        check(states == ["5jv3abcd_samsung_ssd_980_pro_1tb_drive1", "5jv3abcd_st380011a_drive0",
                         "5jv3abcd_wdc_wd800jb_00jjc0_drive2", "y2abcdef"], "one state per drive: " + str(states))
        devices = {json.loads(p)["device"]["identifiers"][0] for t, p in broker.retained("homeassistant/#").items()
                   if t.endswith("_temperature/config") and "twins" in json.loads(p)["state_topic"]}
        check(len(devices) == 4, "four devices: " + str(devices))
        twin.stop()
    finally:
        for daemon in daemons:
            if daemon.process.poll() is None:
                daemon.stop()
        broker.stop()
        if failures:
            for daemon in daemons:
                print("--- %s\n%s" % (daemon.work, daemon.text()[-3000:]))
        shutil.rmtree(work, ignore_errors=True)
    print("kelvixd_mqtt: %.1f s, %d failures" % (time.monotonic() - started, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
