"""A scripted operator for a model described by a controls.json (see scripts/make_demo.py):
it plays the unit through every step of a run, as a technician at the bench would, and saves
the report. Used by the README's run command and by the end-to-end demo scenario."""
import json
from pathlib import Path

from . import midi
from .facts import CONTINUE_BUTTON, IDYES, QUESTION, TEXT_PANE, TITLE, WM_COMMAND
from .station import save_as
from .wine import wait_until

CLOCKS_PER_WINDOW = 96


class DemoControls:
    """The controls of a model, read from its controls.json."""

    def __init__(self, path):
        data = json.loads(Path(path).read_text())
        self.port_name = data["port_name"]
        self.panel = data["panel"]
        self.lit_colours = data["lit_colours"]
        self.controls = data["controls"]

    def page(self, kind, page):
        return [c for c in self.controls if c["kind"] == kind and c["page"] == page]

    def leds(self):
        return [c for c in self.controls if c["kind"] == "note" and c["receive"]]

    def flashed(self, status, number):
        """The LED control addressed by a note the program sent."""
        channel = (status & 0x0F) + 1
        for control in self.leds():
            if control["number"] == number and control["channel"] in (channel, 0):
                return control
        return None


def note_on(control, velocity=127):
    return midi.note_on(control["send_channel"], control["number"], velocity)


def note_off(control):
    return midi.note_off(control["send_channel"], control["number"], 64)


def sweep(control, values=(64, 30, 0, 64, 100, 127, 64)):
    """Control change or pitch bend words that take a control end to end."""
    if control["message"] == "pitchbend":
        return [midi.pitch_bend(control["send_channel"], v) for v in values]
    return [midi.control_change(control["send_channel"], control["number"], v) for v in values]


class Operator:
    """Drives one running program through its steps; `shot(name)` records a screenshot."""

    def __init__(self, model, unit, probe, display, out_dir, log=print):
        self.model = model
        self.unit = unit
        self.probe = probe
        self.display = display
        self.out_dir = Path(out_dir)
        self.out_dir.mkdir(parents=True, exist_ok=True)
        self.log = log
        self.window = None
        self.shots = []

    # -- observing ---------------------------------------------------------------------------

    def pane(self):
        return self.probe.text(self.window, TEXT_PANE)

    def wait_pane(self, first_line, timeout=15.0):
        """Waits until the text pane shows the page whose first line is first_line."""
        return wait_until(lambda: self.pane().startswith(first_line), timeout,
                          "page '%s' (showing '%s')" % (first_line, self.pane()[:40]),
                          interval=0.05)

    def wait_lit(self, control, colour, timeout=5.0):
        """Waits until the control shows the red or green picture on screen."""
        x = self.model.panel["left"] + control["probe"][0]
        y = self.model.panel["top"] + control["probe"][1]
        x0, y0 = self.probe.client(self.window)[:2]
        wanted = tuple(self.model.lit_colours[colour])
        wait_until(lambda: self.display.screenshot(self.out_dir / ".probe.png").pixel(x0 + x, y0 + y)
                   == wanted, timeout, "%s shown %s" % (control["name"], colour), interval=0.05)

    def shot(self, name):
        path = self.out_dir / ("%02d-%s.png" % (len(self.shots) + 1, name))
        self.display.screenshot(path)
        self.shots.append(path)
        self.log("screenshot %s" % path)
        return path

    def press_continue(self):
        # Sent, not posted: when it returns the step has moved on and the pane is current.
        self.probe.send(self.window, WM_COMMAND, CONTINUE_BUTTON, 0)

    # -- the steps ---------------------------------------------------------------------------

    def start(self, title=TITLE, timeout=30.0):
        self.window = self.probe.find(title, timeout)
        self.unit.wait_event("IN", 0, "START")
        self.unit.wait_event("OUT", 0, "OPEN")

    def opening_page(self):
        self.shot("welcome")
        self.press_continue()

    def midi_link(self, bpm=120):
        interval = 60000.0 / (bpm * 24)
        start = 1000
        self.unit.send_many([midi.START])
        for i in range(CLOCKS_PER_WINDOW + 1):
            self.unit.send(midi.CLOCK, ts=int(start + i * interval))
        probe_note = midi.note_on(1, 0x3C)
        self.unit.send(probe_note)
        self.unit.send(probe_note)
        self.unit.ping()
        wait_until(lambda: "Midi Clock Detected at %d BPM" % bpm in self.pane(), 10, "tempo line")
        wait_until(lambda: "Midi Loopback Detected" in self.pane(), 10, "loopback line")
        self.shot("midi-link")
        self.unit.send(midi.note_off(1, 0x3C, 0))  # a different note message ends the loopback
        self.unit.ping()
        self.press_continue()

    def _page(self, title, controls, act, name):
        """Exercises every control of one page; the shot before the last shows red and green."""
        self.wait_pane(title)
        self.shot(name + "-untested")
        for i, control in enumerate(controls):
            if i == len(controls) - 1:
                self.unit.ping()
                if i > 0:
                    self.wait_lit(controls[i - 1], "green")
                self.shot(name + "-mostly-passed")
            self.unit.send_many(act(control))
        self.unit.ping()

    def note_test(self, titles):
        for page, title in zip((-1, 0, 1), titles):
            self._page(title, self.model.page("note", page),
                       lambda c: [note_on(c), note_off(c)], "notes-page%d" % (page + 2))

    def controller_test(self, titles):
        for page, title in zip((-1, 0, 1), titles):
            self._page(title, self.model.page("controller", page), sweep,
                       "controllers-page%d" % (page + 2))

    def led_test(self, title):
        """Presses whichever control the program flashes until every LED has been answered."""
        self.wait_pane(title)
        leds = self.model.leds()
        answered = set()
        seen = 0
        while len(answered) < len(leds):
            self.unit.wait_for(lambda u: len(u.outputs) > seen, 15, "an LED flash")
            word = self.unit.outputs[seen].word
            seen += 1
            status, number = word & 0xFF, word >> 8 & 0xFF
            control = self.model.flashed(status, number)
            if status & 0xF0 != midi.NOTE_ON or control is None or control["name"] in answered:
                continue
            if not answered:
                self.shot("leds-flashing")
            self.unit.send_many([note_on(control), note_off(control)])
            self.unit.ping()
            answered.add(control["name"])
            self.log("LED %s answered" % control["name"])

    def audio_pairs(self, step_title, meter=None):
        """Continues through the channel pairs of an audio step; in the input step it first
        waits for the pair's meters to light."""
        self.wait_pane(step_title)
        pair = 0
        while self.pane().startswith(step_title):
            pair += 1
            if meter:
                origin = self.probe.client(self.window)[:2]
                wait_until(lambda: meter(self.display.screenshot(self.out_dir / ".meter.png"),
                                         *origin), 15,
                           "meters lit for pair %d" % pair, interval=0.2)
            self.shot("%s-pair%d" % (step_title.lower().replace(" ", "-"), pair))
            self.press_continue()
        return pair

    def closing_page(self, report_path):
        self.shot("closing")
        self.probe.post(self.window, WM_COMMAND, CONTINUE_BUTTON, 0)
        box = self.probe.message_box(TITLE, 15)
        assert box.text == QUESTION, box.text
        self.probe.click(box.hwnd, IDYES)
        save_as(self.probe, self.display, report_path)
