"""The results tool over reports the station itself wrote: three units of one MIDI model run
through the note test (one fails a note, one passes every note, one skips the step), each
report saved through the program's own dialog; then the native velk-results reads the folder
against the model and against the demo model, whose units these are not.

VELK_RESULTS names the native tool (default build/native/results/velk-results)."""
import json
import os
import subprocess

import pytest

from harness.facts import IDYES
from harness.midi_model import UNIT_PROFILE, note_on
from test_midi_run import PanelStation

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RESULTS = os.environ.get("VELK_RESULTS", os.path.join(ROOT, "build/native/results/velk-results"))


@pytest.fixture
def pixels(display):
    from harness.midi_model import ScreenPixels
    reader = ScreenPixels(display.name)
    yield reader
    reader.close()


def one_unit(wine, probe, unit, pixels, exe_folder, report, presses):
    """One run of the note test pages: presses[page] are the notes pressed on each page; a
    page left short is skipped. The report is saved under `report`."""
    from harness.midi_model import midi_unit_model
    model = midi_unit_model(exe_folder, unit.ports[0][1], steps=(1, 3), pages=(3,))
    s = PanelStation(wine, probe, unit, pixels, model)
    try:
        s.press()
        for page, (key, notes) in enumerate(presses):
            s.wait_page(key)
            for note, channel in notes:
                s.send(note_on(note, channel=channel))
            complete = len(notes) == 2  # every page of this model tests two notes
            if not complete:
                s.press()  # "Skip Test..."
        s.answer_report_question(IDYES)
        s.save_as(report)
        s.finish()
    finally:
        s.kill()


def results(*args):
    done = subprocess.run([RESULTS, "--json"] + [str(a) for a in args], capture_output=True,
                          timeout=60)
    return done.returncode, json.loads(done.stdout)


def test_results_over_reports_the_station_wrote(wine, probe, display, unit, exe_folder, pixels,
                                                tmp_path):
    if not os.path.exists(RESULTS):
        pytest.fail("%s is not built (cmake --build --preset native)" % RESULTS)
    reports = tmp_path / "reports"
    reports.mkdir()
    every_note = [("text3", [("60", 5), ("61", 5)]), ("text3_1", [("0:1", None), ("127:1", None)]),
                  ("text3_2", [("10:2", None), ("11:2", None)])]
    one_short = every_note[:2] + [("text3_2", [("10:2", None)])]
    one_unit(wine, probe, unit, pixels, exe_folder, reports / "short", one_short)
    one_unit(wine, probe, unit, pixels, exe_folder, reports / "whole", every_note)
    skipped = [("text3", [])]  # "Skip Test..." on the step's own page skips the step
    one_unit(wine, probe, unit, pixels, exe_folder, reports / "skipped", skipped)
    assert sorted(p.name for p in reports.iterdir()) == ["short.txt", "skipped.txt", "whole.txt"]

    launcher = exe_folder.path("Velk Analyser.ini")
    code, data = results("--model", UNIT_PROFILE, launcher, reports)
    assert code == 0 and data["setAside"] == [] and data["units"]["read"] == 3
    assert data["firstPassYield"] == {"units": 1, "of": 3}
    notes = data["steps"][0]
    assert (notes["step"], notes["controls"], notes["ran"], notes["passedWhole"]) == (
        "notes", 6, 2, 1)
    assert data["controls"][0] == {"step": "notes", "key": "11:2", "name": "Note 12 Channel 2",
                                   "units": 2, "passed": 1, "not_passed": 1}
    assert all(c["not_passed"] == 0 for c in data["controls"][1:])
    by_file = {os.path.basename(u["file"]): u for u in data["unitsRead"]}
    assert by_file["short.txt"]["steps"]["notes"] == {"result": "listed", "notPassed": ["11:2"]}
    assert by_file["whole.txt"]["steps"]["notes"]["result"] == "completed"
    assert by_file["skipped.txt"]["steps"]["notes"]["result"] == "not-run"
    assert all(u["asio"] is None for u in data["unitsRead"])

    # Against the demo model the unit's listing names notes the demo does not have.
    code, data = results(os.path.join(ROOT, "demo", "Velk Analyser.ini"), reports)
    assert code == 1 and data["units"]["read"] == 2  # passed whole or skipped: no names
    assert [(os.path.basename(n["file"]), n["check"]) for n in data["setAside"]] == [
        ("short.txt", "unknown-control")]
    assert data["setAside"][0]["message"].endswith("a report of another model")
