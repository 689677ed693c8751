"""The results tool end to end over report folders: known failures give exactly their counts,
every kind of file that is no report of the model is set aside with its line and reason, the
JSON and CSV agree, and the web page shows the failures in headless Chromium.

    VELK_RESULTS=build/native/results/velk-results python3 -m pytest -q results/tests
"""
import csv
import io
import json
import os
import re
import shutil
import subprocess

import pytest

from reports import (CONTROLS, LAUNCHER, ROOT, SETTINGS, asio_lines, name, report_bytes,
                     report_lines, step_controls)

NATIVE = os.environ.get("VELK_RESULTS", os.path.join(ROOT, "build/native/results/velk-results"))
NOTE_KEYS = [key for _, key in step_controls("notes")]
CONTROLLER_KEYS = [key for _, key in step_controls("controllers")]
LED_KEYS = [key for _, key in step_controls("leds")]


def run(*args, cwd=ROOT):
    done = subprocess.run([NATIVE] + [str(a) for a in args], cwd=cwd, capture_output=True,
                          timeout=120, env=dict(os.environ, TZ="UTC"))
    return done.returncode, done.stdout.decode("latin-1"), done.stderr.decode("latin-1")


def write(folder, files):
    folder.mkdir(parents=True, exist_ok=True)
    for file_name, data in files.items():
        (folder / file_name).write_bytes(data)
    return folder


def known_folder(tmp_path):
    """Twenty units: note 7:1 fails on every fifth, controller 12:1 on units 0-2, the LED test
    did not run on the last four, and units 6 and 7 failed two notes at once."""
    files, failed = {}, {"notes": {}, "controllers": {}, "leds": {}}
    for unit in range(20):
        notes = set()
        if unit % 5 == 0:
            notes.add("7:1")
        if unit in (6, 7):
            notes.update({"8:1", "16:1"})
        controllers = {"12:1"} if unit < 3 else set()
        leds = None if unit >= 16 else "ok"
        for key in notes:
            failed["notes"][key] = failed["notes"].get(key, 0) + 1
        for key in controllers:
            failed["controllers"][key] = failed["controllers"].get(key, 0) + 1
        files["unit%02d.txt" % unit] = report_bytes(notes or "ok", controllers or "ok", leds)
    # One folder deeper, as a bench keeps a folder per day.
    write(tmp_path / "reports", {k: v for k, v in files.items() if k < "unit10"})
    write(tmp_path / "reports" / "later", {k: v for k, v in files.items() if k >= "unit10"})
    return tmp_path / "reports", failed


def expected_rows(failed, units):
    rows = []
    for step, keys in (("notes", NOTE_KEYS), ("controllers", CONTROLLER_KEYS), ("leds", LED_KEYS)):
        indexed = [(index, key) for index, key in step_controls(step)]
        word = "Controller" if step == "controllers" else "Note"
        ordered = sorted(indexed, key=lambda ik: (-failed[step].get(ik[1], 0), ik[0]))
        for index, key in ordered:
            bad = failed[step].get(key, 0)
            rows.append([step, key, name(word, index), str(units[step]),
                         str(units[step] - bad), str(bad)])
    return rows


def test_known_failures_give_their_counts(tmp_path):
    folder, failed = known_folder(tmp_path)
    table = tmp_path / "out.csv"
    code, out, err = run("--csv", table, "--model", "VelkDJ2", LAUNCHER, folder)
    assert (code, err) == (0, ""), out
    data = table.read_bytes()
    assert data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b"")
    rows = list(csv.reader(io.StringIO(data.decode())))
    assert rows[0] == ["step", "key", "name", "units", "passed", "not_passed"]
    assert rows[1:] == expected_rows(failed, {"notes": 20, "controllers": 20, "leds": 16})
    lines = out.splitlines()
    assert "units read: 20" in lines and "units set aside: 0" in lines
    # Units 0, 5, 10, 15 (7:1), 6, 7 (two notes) and 1, 2 (12:1) failed something.
    assert "first-pass yield: 12 of 20 units (60.0%)" in lines
    assert ("[Midi Note Test] (notes, 55 controls): ran on 20 units, passed whole on 14 (70.0%)"
            in lines)
    assert "[Midi Note Rx Test] (leds, 10 controls): ran on 16 units, passed whole on 16 (100.0%)" \
        in lines
    top = lines[lines.index("controls that fail most often:") + 1:]
    assert top == ["  notes 7:1 Note 8 Channel 1: failed on 4 of 20 units",
                   "  controllers 12:1 Controller 13 Channel 1: failed on 3 of 20 units",
                   "  notes 8:1 Note 9 Channel 1: failed on 2 of 20 units",
                   "  notes 16:1 Note 17 Channel 1: failed on 2 of 20 units"]


def test_settings_file_alone_and_one_profile_launcher_read_alike(tmp_path):
    folder, _ = known_folder(tmp_path)
    first = run("--json", LAUNCHER, folder)
    second = run("--json", SETTINGS, folder)
    assert first[0] == second[0] == 0
    one, two = json.loads(first[1]), json.loads(second[1])
    assert one["controls"] == two["controls"] and one["model"]["profile"] == "VelkDJ2"


def test_json_holds_every_unit_and_the_same_figures(tmp_path):
    folder, failed = known_folder(tmp_path)
    write(folder, {"other.txt": b"hello\r\n"})
    code, out, _ = run("--json", "--csv", tmp_path / "t.csv", LAUNCHER, folder)
    assert code == 1
    data = json.loads(out)
    assert data["units"] == {"read": 20, "setAside": 1}
    assert data["firstPassYield"] == {"units": 12, "of": 20}
    rows = list(csv.DictReader(io.StringIO((tmp_path / "t.csv").read_text())))
    assert [{k: str(v) for k, v in c.items()} for c in data["controls"]] == rows
    unit0 = next(u for u in data["unitsRead"] if u["file"].endswith("unit00.txt"))
    assert unit0["steps"]["notes"] == {"result": "listed", "notPassed": ["7:1"]}
    assert unit0["steps"]["leds"]["result"] == "completed"
    assert unit0["asio"] == {"driver": "Velk DJ-2 ASIO", "outputChannels": 4, "inputChannels": 4,
                             "rate": 44100, "outputLatency": 512, "inputLatency": 256}
    last = next(u for u in data["unitsRead"] if u["file"].endswith("unit19.txt"))
    assert last["steps"]["leds"]["result"] == "not-run"
    assert data["setAside"] == [{"file": str(folder / "other.txt"), "line": 0,
                                 "check": "not-a-report",
                                 "message": "not a report: it has no report section"}]


def lines_to_bytes(lines, end="\r\n"):
    return "".join(line + end for line in lines).encode("latin-1")


def replaced(old, new):
    return lines_to_bytes([new if line == old else line for line in report_lines({"7:1"})])


def without(line_text):
    return lines_to_bytes([line for line in report_lines({"7:1"}) if line != line_text])


def doubled(line_text):
    out = []
    for line in report_lines({"7:1"}):
        out += [line, line] if line == line_text else [line]
    return lines_to_bytes(out)


OTHER_MODEL = lines_to_bytes(
    ["", "[Midi Note Test]", ""] + ["Note %d,Tested OK" % n for n in range(1, 30)]
    + ["Note 30,Not Tested"] + report_lines(None, None, None, asio=False)[4:])
FULL = report_lines({"7:1"})
LISTED = report_lines({"7:1"}, "ok", {"67"})  # every step that ran lists its controls
FIRST_NOTE = FULL.index("Note 8 Channel 1,Not Tested") + 1  # 1-based line numbers
NOTE_HEADER = FULL.index("[Midi Note Test]") + 1

# name, file bytes, code, line, a piece of the message
SET_ASIDE = [
    ("empty", b"", "empty", 0, "empty file"),
    ("no-section", b"Dear engineer,\r\nthe units are in.\r\n", "not-a-report", 0,
     "no report section"),
    ("no-section-no-line-end", b"\r\nshopping list", "not-a-report", 0, "no report section"),
    ("foreign-line", replaced("[Midi Controller Test]", "[Midi Fader Test]"), "not-a-report",
     FULL.index("[Midi Controller Test]") + 1, "\"[Midi Fader Test]\""),
    ("bad-outcome", replaced("Note 8 Channel 1,Not Tested", "Note 8 Channel 1,Broken"),
     "not-a-report", FIRST_NOTE, "a control of [Midi Note Test]"),
    ("other-model", OTHER_MODEL, "unknown-control", 4, "a report of another model"),
    ("older-version-extra", replaced("Note 8 Channel 1,Not Tested", "Note 99 Channel 1,Tested OK"),
     "unknown-control", FIRST_NOTE, "an older version of this model"),
    ("older-version-missing", without("Note 17 Channel 1,Tested OK"), "missing-control",
     NOTE_HEADER, "misses Note 17 Channel 1 of this model's notes: a report of an older version"),
    ("duplicate-control", doubled("Note 8 Channel 1,Not Tested"), "duplicate-control",
     FIRST_NOTE + 1, "lists Note 8 Channel 1 again (first on line %d)" % FIRST_NOTE),
    ("cut-mid-line", report_bytes({"7:1"})[:-9], "cut-off", len(FULL), "has no line end"),
    ("cut-at-a-line-end", lines_to_bytes(LISTED[:-3]), "cut-off", len(LISTED) - 3,
     "the list of [Midi Note Rx Test] stops before Note 13 Channel 2"),
    ("cut-before-section", lines_to_bytes(FULL[:FULL.index("[Midi Note Rx Test]") - 1]),
     "cut-off", FULL.index("[Midi Note Rx Test]") - 1, "ends in or before [Midi Note Rx Test]"),
    ("leading-zero", replaced("Note 8 Channel 1,Not Tested", "Note 08 Channel 1,Not Tested"),
     "not-a-report", FIRST_NOTE, "\"Note 08 Channel 1,Not Tested\""),
    ("nothing-passed", lines_to_bytes(
        [l.replace("Tested OK", "Not Tested") for l in report_lines(NOTE_KEYS)]), "not-a-report",
     NOTE_HEADER, "lists no control as passed"),
    ("asio-disagrees", replaced("4 Output Channels (2 x 2)", "4 Output Channels (1 x 2)"),
     "not-a-report", FULL.index("4 Output Channels (2 x 2)") + 1, "the output channels"),
    ("text-after", report_bytes({"7:1"}) + b"signed: J.\r\n", "not-a-report", len(FULL) + 1,
     "nothing after the last section"),
]


@pytest.mark.parametrize("case, data, check, line, message", SET_ASIDE,
                         ids=[c[0] for c in SET_ASIDE])
def test_file_set_aside_with_line_and_reason(tmp_path, case, data, check, line, message):
    folder = write(tmp_path / "reports", {"good.txt": report_bytes(), "bad.txt": data})
    code, out, _ = run("--model", "VelkDJ2", LAUNCHER, folder)
    assert code == 1, out
    where = "%s:%d" % (folder / "bad.txt", line) if line else str(folder / "bad.txt")
    found = [l for l in out.splitlines() if l.startswith(str(folder / "bad.txt"))]
    assert len(found) == 1, out
    assert re.fullmatch(re.escape(where) + r": error: .*\[" + check + r"\]", found[0]), found
    assert message in found[0]
    assert "units read: 1" in out and "units set aside: 1" in out


def test_lf_ends_read_and_identical_copies_warned_but_counted(tmp_path):
    folder = write(tmp_path / "reports", {
        "crlf.txt": report_bytes({"7:1"}), "lf.txt": report_bytes({"8:1"}, line_end="\n"),
        "copy.TXT": report_bytes({"7:1"}), "notes.md": b"not read"})
    code, out, _ = run(LAUNCHER, folder)
    assert code == 0, out
    assert "units read: 3" in out
    assert "  notes 7:1 Note 8 Channel 1: failed on 2 of 3 units" in out
    assert "  notes 8:1 Note 9 Channel 1: failed on 1 of 3 units" in out
    assert ("%s: warning: byte-identical to %s" % (folder / "crlf.txt", folder / "copy.TXT")) in out


def test_usage_and_what_stops_a_run(tmp_path):
    code, out, _ = run("--help")
    assert code == 0 and "--csv FILE" in out and "Exit code" in out and "--model PROFILE" in out
    assert run()[0] == 2
    assert run(LAUNCHER)[0] == 2  # no report
    assert run("--bogus", LAUNCHER, tmp_path)[0] == 2
    code, _, err = run(LAUNCHER, tmp_path, "--csv")
    assert code == 2 and "--csv needs a value" in err and "usage:" in err
    assert run(tmp_path / "missing.ini", tmp_path)[0] == 2
    assert run(LAUNCHER, tmp_path / "missing")[0] == 2
    code, _, err = run("--model", "Nothing", LAUNCHER, tmp_path)
    assert code == 2 and "no device profile [Nothing]" in err
    two = tmp_path / "Velk Analyser.ini"
    two.write_text("[midi]\nA=One\nB=Two\n[One]\nsettings=x.ini\n[Two]\nsettings=y.ini\n")
    code, _, err = run(two, tmp_path)
    assert code == 2 and "name one with --model PROFILE: One, Two" in err
    (tmp_path / "blank.ini").write_text("[background]\nWidth=10\n")
    code, _, err = run(tmp_path / "blank.ini", tmp_path)
    assert code == 2 and "defines no notes and no controllers" in err
    # An empty folder reads no unit and sets nothing aside.
    (tmp_path / "empty").mkdir()
    code, out, _ = run(LAUNCHER, tmp_path / "empty")
    assert code == 0 and "units read: 0" in out


def chromium(*args):
    browser = shutil.which("chromium")
    assert browser, "chromium is not installed (scripts/install-deps.sh)"
    done = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu",
                           "--hide-scrollbars"] + list(args), capture_output=True, timeout=120)
    assert done.returncode == 0, done.stderr.decode(errors="replace")
    return done.stdout.decode("utf-8")


def test_results_page_in_chromium(tmp_path):
    folder, failed = known_folder(tmp_path)
    write(folder, {"other.txt": b"hello\r\n",
                   "bench2.txt": lines_to_bytes(report_lines(asio=asio_lines(
                       driver="Generic Low Latency ASIO", out_latency=2048)))})
    days = {"unit00.txt": "2026-11-30", "unit01.txt": "2026-11-30", "bench2.txt": "2026-12-01"}
    for path in folder.rglob("*.txt"):
        day = days.get(path.name, "2026-12-02")
        stamp = int(subprocess.check_output(["date", "-u", "-d", day + " 12:00", "+%s"]))
        os.utime(path, (stamp, stamp))
    page = tmp_path / "page"
    code, out, _ = run("--json", "--html", page, LAUNCHER, folder)
    assert code == 1
    data = json.loads(out)
    html = (page / "index.html").read_bytes()
    assert b"http" not in html.replace(b"http://www.w3.org", b"")
    address = "file://%s/index.html#control=notes:7:1" % page
    dom = chromium("--dump-dom", address)
    assert dom.count('class="control') == len(data["controls"]) == 55 + 26 + 10
    assert dom.count("data:image/png;base64,") == 1
    assert '<b id="units-read">21</b>' in dom and '<b id="units-set-aside">1</b>' in dom
    # The control chosen through the address lists the units it failed on.
    failed_on = re.findall(r'<li class="failed-unit">([^<]*)</li>', dom)
    assert sorted(os.path.basename(f) for f in failed_on) == [
        "unit00.txt", "unit05.txt", "unit10.txt", "unit15.txt"]
    assert 'title="notes 7:1 Note 8 Channel 1: failed on 4 of 21 units"' in dom
    assert 'class="control picked"' in dom
    # LED overlays lie on their notes: hidden while notes and controllers are shown.
    assert dom.count('data-step="leds"') == 10 and dom.count('hidden=""') >= 10
    assert dom.count('class="bar"') == 4
    assert re.findall(r'data-day="([^"]*)" data-units="(\d+)"', dom) == [
        ("2026-11-30", "2"), ("2026-12-01", "1"), ("2026-12-02", "18")]
    assert dom.count('class="asio-section"') == 2 and "Generic Low Latency ASIO" in dom
    assert "other.txt" in dom.split("Files set aside")[1]
    shot = tmp_path / "page.png"
    chromium("--window-size=1280,1500", "--screenshot=%s" % shot, address)
    assert shot.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" and shot.stat().st_size > 50000
    if os.environ.get("VELK_RESULTS_SCREENSHOT"):
        shutil.copy(shot, os.environ["VELK_RESULTS_SCREENSHOT"])


EXE = os.environ.get("VELK_RESULTS_EXE", os.path.join(ROOT, "build/mingw/results/VelkResults.exe"))
WINE_RUN = os.path.join(ROOT, "scripts/wine-run.sh")


@pytest.mark.skipif(not os.path.exists(EXE) and not os.environ.get("VELK_RESULTS_REQUIRE_EXE"),
                    reason="VelkResults.exe not built")
def test_windows_tool_prints_the_same(tmp_path):
    """VelkResults.exe under Wine reads the same folder to the same figures: the station's
    private-profile service in place of the native stand-in, Windows paths, CR LF output."""
    folder, _ = known_folder(tmp_path)
    write(folder, {"other.txt": b"hello\r\n", "cut.txt": report_bytes({"7:1"})[:-5]})
    station = tmp_path / "station"
    shutil.copytree(os.path.join(ROOT, "demo"), station)
    args = ["--csv", "out.csv", "--model", "VelkDJ2", "station/Velk Analyser.ini", "reports"]
    native = subprocess.run([NATIVE] + args, cwd=tmp_path, capture_output=True, timeout=60)
    native_csv = (tmp_path / "out.csv").read_bytes()
    windows = subprocess.run([WINE_RUN, EXE] + args, cwd=tmp_path, capture_output=True,
                             timeout=120)
    assert windows.returncode == native.returncode == 1
    # Windows names the files it found with its own separator; the tool prints them with '/'.
    assert windows.stdout.decode("latin-1").replace("\r\n", "\n") == native.stdout.decode("latin-1")
    assert (tmp_path / "out.csv").read_bytes() == native_csv


def test_readme_example_is_what_the_tool_prints(tmp_path):
    """The README's worked example, run: the demo station folder, the example reports."""
    readme = open(os.path.join(ROOT, "README.md")).read()
    block = readme.split("<!-- results-example -->\n```\n")[1].split("```\n<!-- /results-example")[0]
    shutil.copytree(os.path.join(ROOT, "demo"), tmp_path, dirs_exist_ok=True)
    from reports import write_demo_reports
    write_demo_reports(str(tmp_path / "demo-reports"))
    commands = [line[2:] for line in block.splitlines() if line.startswith("$ ")]
    assert commands[1].startswith("velk-results ")
    args = ["--csv", "demo.csv", "--html", "demo-page", "Velk Analyser.ini", "demo-reports"]
    assert commands[1] == "velk-results " + " ".join(
        '"%s"' % a if " " in a else a for a in args)
    code, out, err = run(*args, cwd=tmp_path)
    csv_head = "".join(l + "\n" for l in
                       (tmp_path / "demo.csv").read_text().splitlines()[:3])
    shown = "$ %s\n$ %s\n%s$ echo $?\n%d\n$ head -3 demo.csv\n%s" % (
        commands[0], commands[1], out, code, csv_head)
    assert shown == block
    if os.environ.get("VELK_RESULTS_README_SHOT"):
        chromium("--window-size=1100,1640", "--screenshot=%s" % os.environ[
            "VELK_RESULTS_README_SHOT"], "file://%s/demo-page/index.html#control=notes:7:1" % tmp_path)


def test_demo_run_report_reads_as_one_unit():
    """The report the README's demo run saves (tests/e2e checks it byte for byte)."""
    report = os.path.join(ROOT, "tests", "e2e", "expected", "demo_report.txt")
    code, out, _ = run("--json", LAUNCHER, report)
    data = json.loads(out)
    assert code == 0 and data["units"] == {"read": 1, "setAside": 0}
    assert data["firstPassYield"] == {"units": 1, "of": 1}
    assert data["unitsRead"][0]["asio"]["driver"] == "Velk DJ-2 ASIO"
