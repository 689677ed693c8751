"""The model checker end to end: the demo model checks clean, every broken model of the
corpus gives exactly its findings, VelkCheck.exe under Wine prints what velk-check prints,
and the model sheet loads in headless Chromium.

    VELK_CHECK=build/native/check/velk-check VELK_CHECK_EXE=build/mingw/check/VelkCheck.exe \
        python3 -m pytest -q check/tests
"""
import glob
import json
import os
import re
import shutil
import subprocess

import pytest

import corpus

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
NATIVE = os.environ.get("VELK_CHECK", os.path.join(ROOT, "build/native/check/velk-check"))
EXE = os.environ.get("VELK_CHECK_EXE", os.path.join(ROOT, "build/mingw/check/VelkCheck.exe"))
WINE_RUN = os.path.join(ROOT, "scripts/wine-run.sh")
FINDING = re.compile(r"^(.*?)(?::(\d+))?: (error|warning|note): (.*) \[([a-z0-9-]+)\]$")


def run(program, args, cwd):
    command = [WINE_RUN, program] + args if program.endswith(".exe") else [program] + args
    done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=120)
    return done.returncode, done.stdout.decode("latin-1").replace("\r\n", "\n")


def findings(output):
    found = []
    for line in output.splitlines():
        match = FINDING.match(line)
        if match:
            file, number, severity, _, check = match.groups()
            found.append((severity, check, file, int(number) if number else None))
    return found


def line_of(model, rel, where):
    if where is None or isinstance(where, int):
        return where
    if callable(where):
        return where(model)
    lines = model.read(rel).decode("latin-1").split("\r\n")
    wanted = where.split("\r\n")
    for number in range(len(lines)):
        if all(lines[number + k].startswith(w) for k, w in enumerate(wanted)
               if number + k < len(lines)):
            return number + 1
    raise AssertionError(f"no line starts with {where!r} in {rel}")


def expected_findings(model, expected):
    result = []
    for severity, check, file, where in expected:
        rel = {"launcher": model.launcher_name, "settings": corpus.SETTINGS}.get(file, file)
        result.append((severity, check, rel, line_of(model, rel, where)))
    return sorted(result, key=str)


def case_change(name):
    return next(change for case, change, _ in corpus.CASES if case == name)


def make_case(tmp_path, change):
    model = corpus.Model(str(tmp_path))
    change(model)
    return model


def test_demo_checks_clean():
    code, out = run(NATIVE, ["demo/Velk Analyser.ini"], ROOT)
    assert (code, out) == (0, "0 errors, 0 warnings, 0 notes\n")
    code, out = run(NATIVE, ["demo/VelkDJ2/VelkDJ2.ini"], ROOT)
    assert (code, out) == (0, "0 errors, 0 warnings, 0 notes\n")


@pytest.mark.parametrize("name, change, expected", corpus.CASES, ids=[c[0] for c in corpus.CASES])
def test_broken_model_gives_exactly_its_finding(tmp_path, name, change, expected):
    model = make_case(tmp_path, change)
    code, out = run(NATIVE, [model.launcher_name], str(tmp_path))
    assert sorted(findings(out), key=str) == expected_findings(model, expected), out
    errors = any(f[0] == "error" for f in expected)
    assert code == (1 if errors else 0), out
    assert out.splitlines()[-1].startswith(f"{sum(f[0] == 'error' for f in expected)} error")


@pytest.mark.parametrize("name", sorted(corpus.MESSAGES))
def test_findings_say_what_the_station_does(tmp_path, name):
    model = make_case(tmp_path, case_change(name))
    _, out = run(NATIVE, [model.launcher_name], str(tmp_path))
    for text in corpus.MESSAGES[name]:
        assert text in out, out


def test_corpus_covers_every_check():
    sources = "".join(open(p).read() for p in glob.glob(os.path.join(ROOT, "check", "*.cpp")))
    checks = set(re.findall(r'Severity::\w+,\s*"([a-z0-9-]+)"', sources))
    covered = {f[1] for _, _, expected in corpus.CASES for f in expected}
    assert checks and checks == covered, checks ^ covered


def test_json_holds_the_same_findings(tmp_path):
    model = make_case(tmp_path, case_change("page-stuck"))
    _, text = run(NATIVE, [model.launcher_name], str(tmp_path))
    code, out = run(NATIVE, ["--json", model.launcher_name], str(tmp_path))
    report = json.loads(out)
    assert code == 1
    assert [f["text"] for f in report["findings"]] == text.splitlines()[:-1]
    assert report["counts"] == {"errors": 2, "warnings": 0, "notes": 0}
    step5 = [s for s in report["models"][0]["steps"] if s["step"] == 5][0]
    assert [p["key"] for p in step5["pages"]] == ["text5"]
    # Note 67 is flashed first and can never pass: every LED note after it waits for it.
    assert step5["pages"][0]["cannotPass"] == ["67", "68", "11:1", "12:1", "13:1", "19:1",
                                               "11:2", "12:2", "13:2", "19:2"]


def test_json_is_valid_whatever_the_bytes(tmp_path):
    """A name in Windows-1252, the station's ANSI code page, comes out in UTF-8."""
    model = make_case(tmp_path, case_change("text-ansi-name"))
    done = subprocess.run([NATIVE, "--json", model.launcher_name], cwd=str(tmp_path),
                          capture_output=True, timeout=120)
    report = json.loads(done.stdout.decode("utf-8"))
    assert done.returncode == 0, done.stderr
    assert [f["message"] for f in report["findings"]] == [
        "VelkDJ2/Übersicht.txt not found: the pane stays empty on this page"]


def test_pages_option_lists_what_each_page_tests():
    code, out = run(NATIVE, ["--pages", "demo/Velk Analyser.ini"], ROOT)
    lines = out.splitlines()
    assert code == 0 and len(lines) == 8
    assert lines[0].endswith("page: step 3 text3 (any channel, channels 3-16): "
                             "5 notes under test: 64 65 66 67 68")
    assert "text4_1 (channel 1): 10 controllers under test: 0:1 12:1" in lines[4]


def test_usage_and_unreadable_path(tmp_path):
    code, out = run(NATIVE, ["--help"], ROOT)
    assert code == 0 and "--station-folder DIR" in out and "Exit code" in out
    assert run(NATIVE, [], ROOT)[0] == 2
    assert run(NATIVE, ["--bogus", "x.ini"], ROOT)[0] == 2
    demo = "demo/Velk Analyser.ini"  # checks clean: only the arguments can fail these
    assert run(NATIVE, [demo, demo], ROOT)[0] == 2  # one PATH only
    assert run(NATIVE, [demo, "--sheet"], ROOT)[0] == 2  # the folder missing
    assert run(NATIVE, [str(tmp_path / "missing.ini")], ROOT)[0] == 2


def test_settings_file_with_station_folder(tmp_path):
    """A settings file checked on its own: paths resolve from the given station folder."""
    (tmp_path / "station").mkdir()
    model = corpus.Model(str(tmp_path / "station"))
    os.remove(model.path(corpus.LAUNCHER))
    shutil.move(model.path(corpus.SETTINGS), str(tmp_path / "DJ2.ini"))
    code, out = run(NATIVE, ["--station-folder", "station", "DJ2.ini"], str(tmp_path))
    assert (code, out) == (0, "0 errors, 0 warnings, 0 notes\n")
    code, out = run(NATIVE, ["DJ2.ini"], str(tmp_path))
    assert code == 1 and "DJ2.ini:18: error: [background] off_bitmap: VelkDJ2/panel_off.bmp not found" in out


# JSON holds the same findings; comparing it on these models keeps the output files few.
JSON_TOO = ("demo", "page-stuck", "text-ansi-name")
WINDOWS_CASES = [("demo", None)] + [(name, change) for name, change, _ in corpus.CASES]


def windows_path(path):
    """The path as Wine's drive Z: (the file system's root) names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_all_in_one_wine_process(folder, runs):
    """Runs VelkCheck.exe once per (case, args) from one batch file, so that the whole corpus
    costs one Wine start instead of one per run; gives each run's (exit code, output)."""
    batch = ["@echo off"]
    for number, (case, args) in enumerate(runs):
        quoted = " ".join(f'"{a}"' for a in args)
        batch += [f'cd /d "{windows_path(folder / case)}"',
                  f'"{windows_path(EXE)}" {quoted} > "{windows_path(folder / f"{number}.out")}"',
                  f'echo %ERRORLEVEL% > "{windows_path(folder / f"{number}.code")}"']
    (folder / "check-all.bat").write_bytes(("\r\n".join(batch) + "\r\n").encode("ascii"))
    subprocess.run([WINE_RUN, "cmd", "/c", windows_path(folder / "check-all.bat")],
                   cwd=str(folder), capture_output=True, timeout=600, check=True)
    results = []
    for number in range(len(runs)):
        code = folder / f"{number}.code"
        assert code.exists(), f"run {number} {runs[number]} never ended"
        output = (folder / f"{number}.out").read_bytes().decode("latin-1")
        results.append((int(code.read_text().strip()), output.replace("\r\n", "\n")))
    return results


@pytest.fixture(scope="module")
def windows_and_native(tmp_path_factory):
    """Every case's (args, native result, Windows result) pairs."""
    folder = tmp_path_factory.mktemp("windows-checker")
    runs = []
    for name, change in WINDOWS_CASES:
        (folder / name).mkdir()
        model = corpus.Model(str(folder / name)) if change is None else make_case(folder / name, change)
        runs.append((name, [model.launcher_name]))
        if name in JSON_TOO:
            runs.append((name, ["--json", model.launcher_name]))
    windows = run_all_in_one_wine_process(folder, runs)
    compared = {}
    for (name, args), windows_result in zip(runs, windows):
        native = run(NATIVE, args, str(folder / name))
        compared.setdefault(name, []).append((args, native, windows_result))
    return compared


@pytest.mark.skipif(not os.path.exists(EXE) and not os.environ.get("VELK_CHECK_REQUIRE_EXE"),
                    reason="VelkCheck.exe not built")
@pytest.mark.parametrize("name", [name for name, _ in WINDOWS_CASES])
def test_windows_checker_prints_the_same(windows_and_native, name):
    for args, native, windows in windows_and_native[name]:
        assert windows == native, (name, args)


def chromium(*args):
    browser = shutil.which("chromium")
    assert browser, "chromium is not installed (scripts/install-deps.sh)"
    done = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu",
                           "--hide-scrollbars"] + list(args),
                          capture_output=True, timeout=120)
    assert done.returncode == 0, done.stderr.decode(errors="replace")
    return done.stdout.decode("utf-8")


def test_model_sheet_in_chromium(tmp_path):
    (tmp_path / "model").mkdir()
    model = make_case(tmp_path / "model", case_change("rect-overlap"))
    sheet = tmp_path / "sheet"
    code, out = run(NATIVE, ["--json", "--sheet", str(sheet), model.launcher_name], model.root)
    report = json.loads(out)
    page = "file://" + str(sheet / "index.html")
    assert b"http" not in (sheet / "index.html").read_bytes().replace(b"http://www.w3.org", b"")
    dom = chromium("--dump-dom", page)
    controls = report["models"][0]["controls"]
    assert dom.count('class="outline ') == len(controls)
    pages = sum(len(s["pages"]) for s in report["models"][0]["steps"])
    assert dom.count('class="page-view"') == pages == 7
    assert dom.count('class="finding ') == len(report["findings"]) == 1
    assert 'data-control="notes:66"' in dom.split('class="finding ')[1]
    assert dom.count("data:image/png;base64,") == 3
    shot = tmp_path / "sheet.png"
    chromium("--window-size=1280,1100", f"--screenshot={shot}", page)
    data = shot.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n" and len(data) > 50000
