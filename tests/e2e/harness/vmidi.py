"""The controller side of the virtual MIDI unit (winevmidi.drv).

The driver inside the program under test connects to VMIDI_CTL at its first MIDI call, reads
the port list, then receives SEND and PING lines and reports OUT, EV and PONG lines.
"""
import itertools
import socket
import threading
import time
from collections import namedtuple

Event = namedtuple("Event", "direction port action time")  # EV IN|OUT <port> <action>
Output = namedtuple("Output", "port word time")  # OUT <port> <word>

UNIT_NAME = "Velk Test Unit"  # the ports of the unit a scenario gets unless it says otherwise


class VirtualUnit:
    """A simulated unit: its ports, the input it injects and what the program did to it.

    `ports` is a list of (kind, name) with kind "IN", "OUT", "IN-BUSY" or "OUT-BUSY", in port
    order; port numbers count within the inputs and within the outputs.
    """

    def __init__(self, ports=()):
        self.ports = list(ports)
        self.events = []
        self.outputs = []
        self._connections = []
        self._pongs = set()
        self._tokens = itertools.count(1)
        self._changed = threading.Condition()
        self._server = socket.create_server(("127.0.0.1", 0))
        self.address = "127.0.0.1:%d" % self._server.getsockname()[1]
        threading.Thread(target=self._accept, daemon=True).start()

    @classmethod
    def named(cls, name):
        """The usual unit: one input port and one output port of the same name."""
        return cls([("IN", name), ("OUT", name)])

    @property
    def env(self):
        return {"VMIDI_CTL": self.address}

    def close(self):
        self._server.close()
        for conn in self._connections:
            conn.close()

    # -- waiting ---------------------------------------------------------------------------

    def wait_for(self, predicate, timeout=10.0, what="condition"):
        """Waits until predicate(self) is true; it is checked again after every received line."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while not predicate(self):
                left = deadline - time.monotonic()
                if left <= 0:
                    raise TimeoutError("virtual unit: no %s after %.1f s; events %s, outputs %s" % (
                        what, timeout, self.event_names(), [o.word for o in self.outputs]))
                self._changed.wait(left)

    def wait_event(self, direction, port, action, timeout=10.0):
        """Waits for an EV line and returns it."""
        wanted = "%s %d %s" % (direction, port, action)
        self.wait_for(lambda u: wanted in u.event_names(), timeout, "EV " + wanted)
        return next(e for e in self.events if "%s %d %s" % e[:3] == wanted)

    # -- input to the program --------------------------------------------------------------

    def send(self, word, ts=None, port=0):
        """Delivers a short message to an input port (ts: the timestamp the callback gets)."""
        line = "SEND %d %06X" % (port, word) + ("" if ts is None else " %d" % ts)
        self._write(line)

    def send_many(self, words, port=0):
        self._write("".join("SEND %d %06X\n" % (port, w) for w in words).rstrip("\n"))

    def ping(self, timeout=10.0):
        """Returns once every earlier SEND has returned from the program's callback."""
        token = str(next(self._tokens))
        self._write("PING " + token)
        self.wait_for(lambda u: token in u._pongs, timeout, "PONG " + token)

    # -- what the program did --------------------------------------------------------------

    def event_names(self, direction=None):
        """EV lines as "IN 0 OPEN" texts, in the order the program made them."""
        return ["%s %d %s" % e[:3] for e in self.events if direction in (None, e.direction)]

    def output_words(self, port=None):
        return [o.word for o in self.outputs if port in (None, o.port)]

    # -- connection handling ---------------------------------------------------------------

    def _write(self, text):
        with self._changed:
            if not self._connections:
                raise RuntimeError("virtual unit: no program has connected")
            conn = self._connections[-1]  # the most recently started program
        conn.sendall((text + "\n").encode())

    def _accept(self):
        while True:
            try:
                conn, _ = self._server.accept()
            except OSError:
                return
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            listing = "".join("%s %s\n" % (kind, name) for kind, name in self.ports)
            conn.sendall((listing + "END\n").encode())
            with self._changed:
                self._connections.append(conn)
                self._changed.notify_all()
            threading.Thread(target=self._read, args=(conn,), daemon=True).start()

    def _read(self, conn):
        pending = b""
        while True:
            try:
                data = conn.recv(65536)
            except OSError:
                return
            if not data:
                return
            now = time.monotonic()
            *lines, pending = (pending + data).split(b"\n")
            with self._changed:
                for line in lines:
                    self._record(line.decode(errors="replace").split(), now)
                self._changed.notify_all()

    def _record(self, words, now):
        if words[:1] == ["EV"] and len(words) == 4:
            self.events.append(Event(words[1], int(words[2]), words[3], now))
        elif words[:1] == ["OUT"] and len(words) == 3:
            self.outputs.append(Output(int(words[1]), int(words[2], 16), now))
        elif words[:1] == ["PONG"] and len(words) == 2:
            self._pongs.add(words[1])
