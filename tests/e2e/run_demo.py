#!/usr/bin/env python3
"""Runs Velk Analyser on the bundled demo unit under Wine, with the virtual MIDI unit and the
loopback ASIO driver standing in for the hardware.

By default a scripted operator plays the whole run and saves the report; with a display
($DISPLAY) the run is shown live, without one it runs under Xvfb. Screenshots of every step
and the report go to the output folder. With --manual a person drives the unit from a
console instead (see `help` there). Exits non-zero when no report was saved."""
import argparse
import json
import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Display, Probe, Program, VirtualUnit, Wine  # noqa: E402
from harness.asio import Driver, register  # noqa: E402
from harness import midi  # noqa: E402
from harness.facts import LAUNCHER, PROGRAM_NAME, WINDOW_CLASS  # noqa: E402
from harness.scripted_operator import DemoControls, Operator, note_off, note_on, sweep  # noqa: E402
from harness.wine import make_prefix  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
DEMO = ROOT / "demo"
MODEL = DEMO / "VelkDJ2"
CONTROLS = MODEL / "controls.json"
DEMO_CHANNELS = 4  # the demo sound card: two output pairs and two input pairs


def lay_out_station(build_dir, station):
    """The exe folder a Windows user would have: exe, launcher file and the model folder."""
    if station.exists():
        shutil.rmtree(station)
    station.mkdir(parents=True)
    shutil.copy(build_dir / "VelkAnalyser.exe", station)
    shutil.copy(DEMO / LAUNCHER, station)
    shutil.copytree(MODEL, station / MODEL.name)
    return station / "VelkAnalyser.exe"


def install_sound_card(wine, build_dir, name, out_dir):
    """Registers the loopback ASIO driver as the demo unit's sound card. Every input hears
    the first output pair, so the meters of each input pair light."""
    sound_card = Driver(name, Inputs=DEMO_CHANNELS, Outputs=DEMO_CHANNELS, FeedFirstPair=1,
                        log=out_dir / "asio-calls.log")
    register(wine, build_dir / "tests" / "fixtures" / "asio_loopback" / "asio_loopback.dll",
             [sound_card])
    return sound_card


def meters_lit(model_meter, lit_colour):
    """A check of a screenshot: both meters of the pair show lit rows at their bottom."""
    x, y = model_meter["left"], model_meter["top"] + model_meter["height"] - 6
    return lambda shot, x0, y0: all(_near(shot.pixel(x0 + x + dx, y0 + y), lit_colour)
                                    for dx in (10, 30))


def _near(pixel, colour, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def scripted_run(model, unit, probe, display, out_dir, controls, log=print):
    operator = Operator(model, unit, probe, display, out_dir, log)
    operator.start()
    operator.opening_page()
    operator.midi_link()
    operator.note_test(["Midi Note Test - mixer", "Midi Note Test - deck A",
                        "Midi Note Test - deck B"])
    operator.controller_test(["Midi Controller Test - mixer", "Midi Controller Test - deck A",
                              "Midi Controller Test - deck B"])
    operator.led_test("Midi Note Rx Test")
    operator.audio_pairs("Audio Output Test")
    lit = (40, 220, 60)  # meter_on.bmp's lit segments
    operator.audio_pairs("Audio Input Test", meter=meters_lit(controls["meter"], lit))
    operator.wait_pane("All tests are done.")
    report = out_dir / "report.txt"
    operator.closing_page(report)
    return report


MANUAL_HELP = """Commands (channels 1..16; an any-channel control takes any channel):
  note N [CH]        press and release note N (default channel 1)
  cc C [CH]          sweep controller C end to end
  bend [CH]          sweep the pitch bend end to end
  clock [BPM]        send one measuring window of MIDI clock (default 120)
  loop               send the same note message twice (loopback)
  leds               show the notes the program has sent (LED flashes)
  quit               close the program (as its close box does) and end"""


def manual_run(unit):
    unit.wait_event("IN", 0, "START", timeout=60)
    print("%s is running with the virtual unit." % PROGRAM_NAME)
    print(MANUAL_HELP)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        command, args = words[0], [int(w) for w in words[1:] if w.isdigit()]
        channel = args[1] if len(args) > 1 else (args[0] if command == "bend" and args else 1)
        control = {"send_channel": channel, "number": args[0] if args else 0,
                   "message": "pitchbend" if command == "bend" else "cc"}
        if command == "note" and args:
            unit.send_many([note_on(control), note_off(control)])
        elif command in ("cc", "bend") and (args or command == "bend"):
            unit.send_many(sweep(control))
        elif command == "clock":
            bpm = args[0] if args else 120
            unit.send_many([midi.START])
            for i in range(97):
                unit.send(midi.CLOCK, ts=int(1000 + i * 60000.0 / (bpm * 24)))
        elif command == "loop":
            unit.send_many([midi.note_on(1, 60)] * 2)
        elif command == "leds":
            print(" ".join("%06X" % w for w in unit.output_words()) or "(none)")
        elif command == "quit":
            break
        else:
            print(MANUAL_HELP)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, default=ROOT / "build" / "mingw")
    parser.add_argument("--out", type=Path, default=ROOT / "out" / "demo")
    parser.add_argument("--prefix", type=Path, default=ROOT / "build" / "demo-prefix")
    parser.add_argument("--manual", action="store_true", help="drive the unit yourself")
    parser.add_argument("--headless", action="store_true", help="use Xvfb even with a display")
    args = parser.parse_args()

    out_dir = args.out.resolve()
    if out_dir.exists():
        shutil.rmtree(out_dir)
    out_dir.mkdir(parents=True)
    build_dir = args.build.resolve()
    exe = lay_out_station(build_dir, out_dir / "station")
    make_prefix(args.prefix.resolve(), build_dir)

    controls = json.loads(CONTROLS.read_text())
    model = DemoControls(CONTROLS)
    display = Display(None if args.headless else os.environ.get("DISPLAY"))
    wine = Wine(args.prefix.resolve(), display, out_dir / "wine-logs")
    unit = VirtualUnit.named(model.port_name)
    report = out_dir / "report.txt"
    try:
        wine.start()
        install_sound_card(wine, build_dir, controls["asio_driver"], out_dir)
        probe = Probe(wine, build_dir / "tests" / "fixtures" / "probe" / "velkprobe.exe")
        with Program(wine, exe, unit=unit) as program:
            if args.manual:
                manual_run(unit)
                if program.running:
                    probe.close(probe.find("*", 5, cls=WINDOW_CLASS))
                program.wait(timeout=60)
            else:
                report = scripted_run(model, unit, probe, display, out_dir, controls)
                code = program.wait(timeout=30)
                print("%s ended with exit code %d" % (PROGRAM_NAME, code))
    finally:
        unit.close()
        wine.stop()
        display.stop()

    print("Screenshots and logs: %s" % out_dir)
    if not report.exists():
        print("No report was saved.", file=sys.stderr)
        return 1
    print("Report: %s" % report)
    return 0


if __name__ == "__main__":
    sys.exit(main())
