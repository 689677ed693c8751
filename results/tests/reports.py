"""Reports of the demo model written the way the station writes them, for the results tool's
tests: every step as not run, passed whole, or listed with the controls that failed."""
import json
import os

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEMO = os.path.join(ROOT, "demo")
LAUNCHER = os.path.join(DEMO, "Velk Analyser.ini")
SETTINGS = os.path.join(DEMO, "VelkDJ2", "VelkDJ2.ini")
CONTROLS = json.load(open(os.path.join(DEMO, "VelkDJ2", "controls.json")))["controls"]

SECTIONS = (("notes", "[Midi Note Test]", "Note"), ("controllers", "[Midi Controller Test]",
            "Controller"), ("leds", "[Midi Note Rx Test]", "Note"))


def step_controls(step):
    """The (index, key) of every control taking part in a step, in index order."""
    wanted = {"notes": lambda c: c["kind"] == "note",
              "controllers": lambda c: c["kind"] == "controller",
              "leds": lambda c: c["kind"] == "note" and c["receive"]}[step]
    return sorted((c["index"], c["key"]) for c in CONTROLS if wanted(c))


def name(word, index):
    if index < 128:
        return "%s %d" % (word, index + 1)
    return "%s %d Channel %d" % (word, index % 128 + 1, index // 128)


def asio_lines(driver="Velk DJ-2 ASIO", outputs=4, inputs=4, rate=44100, out_latency=512,
               in_latency=256):
    lines = ["", "[ASIO Driver]"] + (["", driver] if driver else [])
    return lines + ["%d Output Channels (%d x 2)" % (outputs, outputs // 2),
                    "%d Input Channels (%d x 2)" % (inputs, inputs // 2), "",
                    "Audio Frequency %d Hz" % rate, "", "Output Latency %d samples" % out_latency,
                    "Input Latency %d samples" % in_latency, ""]


def report_lines(notes="ok", controllers="ok", leds="ok", asio=True):
    """Each step: None (not run), "ok" (passed whole) or the set of keys that failed."""
    lines = asio_lines() if asio is True else (asio or [])
    for (step, section, word), outcome in zip(SECTIONS, (notes, controllers, leds)):
        lines += ["", section, ""]
        if outcome is None:
            lines.append("<Not Tested>")
        elif outcome == "ok":
            lines.append("<Test Completed OK>")
        else:
            for index, key in step_controls(step):
                lines.append("%s,%s" % (name(word, index),
                                        "Not Tested" if key in outcome else "Tested OK"))
    return lines


def report_bytes(*args, line_end="\r\n", **kwargs):
    return "".join(line + line_end for line in report_lines(*args, **kwargs)).encode("latin-1")


# The README's worked example: a bench's reports over three days. Unit files are named by
# serial; each entry: (day, notes, controllers, leds, driver).
DEMO_UNITS = [
    ("2026-11-30", "ok", "ok", "ok", None), ("2026-11-30", {"7:1"}, "ok", "ok", None),
    ("2026-11-30", "ok", "ok", "ok", None), ("2026-11-30", "ok", {"0:2"}, "ok", None),
    ("2026-12-01", "ok", "ok", None, None), ("2026-12-01", {"7:1", "66"}, "ok", "ok", None),
    ("2026-12-01", "ok", {"0:2", "12:1"}, "ok", None), ("2026-12-01", "ok", "ok", {"67"}, None),
    ("2026-12-01", "ok", "ok", "ok", None), ("2026-12-02", {"7:1"}, "ok", "ok", None),
    ("2026-12-02", "ok", "ok", "ok", "Generic Low Latency ASIO"),
    ("2026-12-02", "ok", {"0:2"}, "ok", None),
]


def write_demo_reports(folder):
    """Writes the example folder: twelve units, a report of another model and a cut-off one,
    each dated by its modification time (noon UTC of its day)."""
    import calendar
    import time
    os.makedirs(folder, exist_ok=True)
    files = {}
    for serial, (day, notes, controllers, leds, driver) in enumerate(DEMO_UNITS, start=1041):
        asio = asio_lines(driver=driver) if driver else True
        path = os.path.join(folder, day, "DJ2-%d.txt" % serial)
        files[path] = (day, report_bytes(notes, controllers, leds, asio=asio))
    other = ["", "[Midi Note Test]", ""] + ["Note %d,Tested OK" % n for n in range(1, 9)] + [
        "Note 9,Not Tested", "", "[Midi Controller Test]", "", "<Not Tested>", "",
        "[Midi Note Rx Test]", "", "<Not Tested>"]
    files[os.path.join(folder, "2026-12-02", "DJ4-0007.txt")] = (
        "2026-12-02", "".join(l + "\r\n" for l in other).encode())
    files[os.path.join(folder, "2026-12-02", "DJ2-1053.txt")] = (
        "2026-12-02", report_bytes({"7:1"})[:700])
    for path, (day, data) in files.items():
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        stamp = calendar.timegm(time.strptime(day + " 12", "%Y-%m-%d %H"))
        os.utime(path, (stamp, stamp))


if __name__ == "__main__":
    import sys
    write_demo_reports(sys.argv[1] if len(sys.argv) > 1 else "demo-reports")
