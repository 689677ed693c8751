"""The virtual MIDI unit seen through an ordinary winmm program (tests/fixtures/midiclient)."""
import queue
import statistics
import subprocess
import threading
import time

import pytest

from harness import VirtualUnit

MMSYSERR_ALLOCATED = 4


class MidiClient:
    """midiclient.exe driven line by line over its stdin and stdout."""

    def __init__(self, wine, exe, env):
        self.process = wine.spawn([exe], env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  name="midiclient")
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.decode("cp1252").rstrip("\r\n"))

    def __call__(self, command, timeout=20.0):
        """Runs a command; returns its one-line answer, or the lines before END of a listing."""
        self.process.stdin.write((command + "\n").encode())
        self.process.stdin.flush()
        answer = []
        while True:
            line = self.lines.get(timeout=timeout)
            if command not in ("list", "dump"):
                return line
            if line == "END":
                return answer
            answer.append(line)

    def dump(self):
        """(kind, word, timestamp, received ns) of every callback since the last dump."""
        return [(kind, int(w, 16), int(ts), int(ns))
                for kind, w, ts, ns in (line.split() for line in self("dump"))]

    def data(self):
        return [entry[1:] for entry in self.dump() if entry[0] == "DATA"]

    def close(self):
        self.process.stdin.close()
        assert self.process.wait(20) == 0


@pytest.fixture
def client(wine, fixture_exe):
    started, units = [], []

    def start(unit=None, env=None):
        units.extend([unit] if unit else [])
        started.append(MidiClient(wine, fixture_exe("midiclient"), unit.env if unit else env))
        return started[-1]
    yield start
    for c in started:
        c.close()
    for unit in units:
        unit.close()


def test_port_lists_names_and_busy_ports(client):
    long_name = "Velk Controller With A Very Long Port Name"
    unit = VirtualUnit([("IN", "Velk X1"), ("OUT", "Velk X1"), ("IN", "velk x1"),
                        ("IN-BUSY", "Busy In"), ("OUT-BUSY", "Busy Out"), ("IN", long_name)])
    c = client(unit)
    assert c("list") == ["IN 0 Velk X1", "IN 1 velk x1", "IN 2 Busy In", "IN 3 " + long_name[:31],
                         "OUT 0 Velk X1", "OUT 1 Busy Out"]
    assert c("open-in Velk X1") == "OK 1"  # several of one name: the highest-numbered one
    assert c("open-in Busy In") == "ERR %d" % MMSYSERR_ALLOCATED
    assert c("open-out Busy Out") == "ERR %d" % MMSYSERR_ALLOCATED
    assert c("open-in " + long_name[:31]) == "OK 3"
    unit.ping()  # the EV lines come over the unit's connection, not with the client's answer
    assert unit.event_names() == ["IN 1 OPEN", "IN 3 OPEN"]  # failed opens are no events

    assert client(VirtualUnit([("IN", "Only In")]))("list") == ["IN 0 Only In"]
    assert client(VirtualUnit([]))("list") == []
    assert client(env={"VMIDI_CTL": "127.0.0.1:1"})("list") == []  # nothing listening
    assert client(env={})("list") == []  # no VMIDI_CTL at all


def test_input_output_and_event_order(client):
    unit = VirtualUnit.named("Velk X1")
    c = client(unit)
    assert c("open-in Velk X1") == "OK 0"
    unit.send(0x7F3C90)  # before midiInStart: dropped
    unit.ping()
    started = time.monotonic()
    assert c("start") == "OK"
    unit.send(0x7F3C90, ts=123456)
    assert c("wait 2 250").startswith("TIMEOUT")  # lets time pass since the start
    unit.send(0x003C80)
    unit.ping()
    entries = c.dump()
    assert [e[:3] for e in entries[:2]] == [("MIM_OPEN", 0, 0), ("DATA", 0x7F3C90, 123456)]
    assert entries[2][:2] == ("DATA", 0x003C80) and len(entries) == 3
    assert 240 <= entries[2][2] <= (time.monotonic() - started) * 1000 + 1

    assert c("open-out Velk X1") == "OK 0"
    assert c("short 7F3C90") == "OK" and c("short 0040B1") == "OK"
    for command in ("stop", "reset", "close-in", "reset-out", "close-out"):
        assert c(command) == "OK"
    unit.send(0x7F3D90)  # after the stop: never delivered
    unit.ping()
    assert [e[0] for e in c.dump()] == ["MOM_OPEN", "MIM_CLOSE", "MOM_CLOSE"]
    assert unit.output_words(0) == [0x7F3C90, 0x0040B1]
    unit.wait_event("OUT", 0, "CLOSE")
    assert unit.event_names() == ["IN 0 OPEN", "IN 0 START", "OUT 0 OPEN", "IN 0 STOP",
                                  "IN 0 RESET", "IN 0 CLOSE", "OUT 0 RESET", "OUT 0 CLOSE"]


def test_pong_waits_for_callbacks_and_stop_does_not_deadlock(client):
    unit = VirtualUnit.named("Velk X1")
    c = client(unit)
    # The callback sends each message to the main thread and waits for it, as the product's
    # text refresh does.
    assert c("open-in-sync Velk X1") == "OK 0" and c("start") == "OK"
    c.process.stdin.write(b"sleep 400\n")  # main thread busy, not handling sent messages
    c.process.stdin.flush()
    assert c.lines.get(timeout=20) == "SLEEPING"  # sent earlier, it could be handled at once
    sent = time.monotonic()
    unit.send(0x7F3C90)
    unit.ping()
    assert time.monotonic() - sent >= 0.3  # PONG waited for the callback to return
    assert c.lines.get(timeout=20) == "OK"

    unit.send_many([0x7F3C90] * 500)
    assert c("stop") == "OK"  # callbacks wait on this very thread meanwhile
    delivered = len(c.data())
    unit.send(0x7F3C90)
    unit.ping()
    assert c.data() == [] and 1 <= delivered <= 501


def test_burst_of_3000_messages_arrives_complete_and_in_order(client):
    unit = VirtualUnit.named("Velk X1")
    c = client(unit)
    assert c("open-in Velk X1") == "OK 0" and c("start") == "OK"
    words = [0x90 | (n % 128) << 8 | (n // 128 % 128) << 16 for n in range(3000)]
    unit.send_many(words)
    unit.ping()
    assert [w for w, _, _ in c.data()] == words

    # Figures only: the time from SEND to the callback, and SEND + PING to PONG.
    latencies, round_trips = [], []
    for _ in range(200):
        sent_ns = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)
        unit.send(0x7F3C90)
        unit.ping()
        round_trips.append(time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) - sent_ns)
        latencies.append(c.data()[0][2] - sent_ns)
    print("\nvmidi SEND to callback: median %.3f ms, max %.3f ms; SEND+PING to PONG median "
          "%.3f ms" % (statistics.median(latencies) / 1e6, max(latencies) / 1e6,
                       statistics.median(round_trips) / 1e6))
