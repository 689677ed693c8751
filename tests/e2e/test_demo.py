"""The README's demo run, headless: the scripted operator plays the whole demo model through
the program, with the virtual MIDI unit and the loopback sound card, and the saved report is
the expected one byte for byte."""
import json
from pathlib import Path

from harness import Program, VirtualUnit
from harness.scripted_operator import DemoControls
from run_demo import CONTROLS, install_sound_card, lay_out_station, scripted_run

EXPECTED = Path(__file__).parent / "expected" / "demo_report.txt"


def test_demo_run_ends_with_the_expected_report(wine, probe, display, build_dir, tmp_path):
    controls = json.loads(CONTROLS.read_text())
    model = DemoControls(CONTROLS)
    exe = lay_out_station(build_dir, tmp_path / "station")
    sound_card = install_sound_card(wine, build_dir, controls["asio_driver"], tmp_path)
    unit = VirtualUnit.named(model.port_name)
    try:
        with Program(wine, exe, unit=unit) as program:
            report = scripted_run(model, unit, probe, display, tmp_path / "out", controls,
                                  log=lambda line: None)
            assert program.wait(30) == 0
    finally:
        unit.close()
    assert report.read_bytes() == EXPECTED.read_bytes()
    # The sound card streamed through the audio steps and was closed at the end.
    calls = [text for _, text in sound_card.calls()]
    assert "streaming" in calls and calls[-1].startswith("Release")
