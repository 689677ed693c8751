"""Start-up, the main window and shutdown of VelkAnalyser.exe under Wine, against the virtual
MIDI unit: device selection, the window's geometry and first paint, the exit paths with the
order in which the ports are given back, and every start-up failure with its message."""
import pytest

from harness import Program
from harness.facts import (ABOUT_FONT, ABOUT_LINES, AUDIO_CAPTION, AUDIO_WARNING_TEXT,
                           BACKGROUND_ERROR, BEGIN_CAPTION, COMMAND_EXIT, CONTINUE_BUTTON,
                           DIALOG_CLASS, IDCANCEL, IDOK, LAUNCHER, MESSAGE_BOX_TEXT, METER_ERROR,
                           MIDI_INITIALISING, MIDI_OPENING, NO_DEVICE_TEXT, SEVERAL_DEVICES_TEXT,
                           TEXT_PANE, TITLE, VIDEO_BUTTON, VIDEO_CAPTION, WINDOW_CLASS)
from harness.model import OFF_COLOUR, RED_COLOUR, Model

NAME = Model.port

OPENED = ["IN 0 OPEN", "IN 0 START", "OUT 0 OPEN"]
INPUT_CLOSED = ["IN 0 STOP", "IN 0 RESET", "IN 0 CLOSE"]
OUTPUT_CLOSED = ["OUT 0 RESET", "OUT 0 CLOSE"]


def main_window(probe):
    return probe.find(TITLE, 10, cls=WINDOW_CLASS)


def program_windows(probe):
    return [w for w in probe.windows() if w.cls == WINDOW_CLASS]


def answer(probe, caption, button, text=None):
    """Checks the message box with this caption (and text) and presses one of its buttons."""
    box = probe.message_box(caption)
    if text is not None:
        assert box.text == text
    probe.click(box.hwnd, button)
    probe.wait_gone(box.hwnd)
    return box


def wait_events(unit, expected):
    unit.wait_for(lambda u: len(u.events) >= len(expected), 10, "%d port events" % len(expected))
    assert unit.event_names() == expected


def exits_cleanly(program, unit, expected_events):
    assert program.wait() == 0
    wait_events(unit, expected_events)


# -- device selection ------------------------------------------------------------------------

NO_MATCH_CASES = {
    "port not in the launcher": dict(ports=[("IN", "Some Keyboard"), ("OUT", "Some Keyboard")]),
    "launcher file missing": dict(launcher=False),
    "port listed with an empty value": dict(midi={NAME: ""}),
    "no MIDI device at all": dict(ports=[]),
}


@pytest.mark.parametrize("case", NO_MATCH_CASES.values(), ids=NO_MATCH_CASES.keys())
def test_no_matching_unit_asks_until_cancelled(wine, probe, unit, exe_folder, case):
    Model().write(exe_folder)
    if not case.get("launcher", True):
        exe_folder.path(LAUNCHER).unlink()
    if "midi" in case:
        exe_folder.write_launcher(case["midi"], {"T1": {"settings": "t1.ini"}})
    unit.ports = case.get("ports", unit.ports)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        box = answer(probe, TITLE, IDOK, NO_DEVICE_TEXT)
        assert box.buttons == {IDOK: "OK", IDCANCEL: "Cancel"}
        # OK enumerates again and, with nothing changed, asks again.
        answer(probe, TITLE, IDCANCEL, NO_DEVICE_TEXT)
        assert program.wait() == 0
    assert unit.events == []


def test_retry_after_the_unit_appears_in_the_launcher_goes_on(wine, probe, unit, exe_folder):
    Model().write(exe_folder)
    exe_folder.write_launcher({"Other Unit": "T1"}, {"T1": {"settings": "t1.ini"}})
    with Program(wine, exe_folder.exe, unit=unit) as program:
        box = probe.message_box(TITLE)
        assert box.text == NO_DEVICE_TEXT and program_windows(probe) == []
        Model().write(exe_folder)  # the operator fixes the set-up, then presses OK
        probe.click(box.hwnd, IDOK)
        probe.command(main_window(probe), COMMAND_EXIT)
        exits_cleanly(program, unit, OPENED + INPUT_CLOSED + OUTPUT_CLOSED)


SEVERAL_CASES = {
    "two ports of one name": dict(ports=[("IN", NAME), ("IN", NAME), ("OUT", NAME)],
                                  midi={NAME: "T1"}),
    "two names both listed": dict(ports=[("IN", "Velk A"), ("IN", "Velk B"), ("OUT", "Velk A")],
                                  midi={"Velk A": "T1", "Velk B": "T1"}),
}


@pytest.mark.parametrize("case", SEVERAL_CASES.values(), ids=SEVERAL_CASES.keys())
def test_more_than_one_unit_is_refused(wine, probe, unit, exe_folder, case):
    Model().write(exe_folder)
    exe_folder.write_launcher(case["midi"], {"T1": {"settings": "t1.ini"}})
    unit.ports = case["ports"]
    with Program(wine, exe_folder.exe, unit=unit) as program:
        box = answer(probe, TITLE, IDCANCEL, SEVERAL_DEVICES_TEXT)
        assert box.buttons == {IDOK: "OK", IDCANCEL: "Cancel"}
        assert program.wait() == 0
    assert unit.events == []


# -- the main window -------------------------------------------------------------------------

def client_rect(probe, window, screen_rect):
    """A child's (x, y, width, height) in the window's client coordinates."""
    left, top = probe.client(window)[:2]
    return (screen_rect[0] - left, screen_rect[1] - top,
            screen_rect[2] - screen_rect[0], screen_rect[3] - screen_rect[1])


def test_main_window_geometry_children_text_and_background(wine, probe, display, unit, exe_folder,
                                                           tmp_path):
    model = Model(width=660, height=430, panel_at=(24, 36))
    model.notes = {"60": "10,10,40,40,1"}  # a note control: not shown in the opening step
    model.write(exe_folder)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        window = main_window(probe)
        unit.wait_for(lambda u: len(u.events) >= 3, 10, "ports opened")
        assert unit.event_names() == OPENED
        assert [w.title for w in probe.windows() if w.title == AUDIO_CAPTION] == []

        # The configured size is the client rectangle {200, 200, Width, Height} adjusted for
        # the frame, caption and menu, with the adjusted right and bottom used as the size.
        outer = probe.rect(window)
        client = probe.client(window)
        frame_left, caption_menu = client[0] - outer[0], client[1] - outer[1]
        frame_right, frame_bottom = outer[2] - client[2], outer[3] - client[3]
        assert frame_left == frame_right == frame_bottom > 0
        assert caption_menu > frame_left + 20  # caption and menu bar above the client area
        assert outer == (200 - frame_left, 200 - caption_menu,
                         200 - frame_left + model.width + frame_right,
                         200 - caption_menu + model.height + frame_bottom)

        children = {c.id: c for c in probe.children(window)}
        assert children[CONTINUE_BUTTON].text == BEGIN_CAPTION
        assert children[VIDEO_BUTTON].text == VIDEO_CAPTION
        assert children[TEXT_PANE].cls.lower() == "edit"
        for id, rect in ((CONTINUE_BUTTON, model.continue_button),
                         (VIDEO_BUTTON, model.video_button), (TEXT_PANE, model.text_window)):
            assert children[id].visible
            assert client_rect(probe, window, children[id].rect) == rect
        assert probe.text(window, TEXT_PANE) == model.texts["text1_1"]

        # The background at Bitmap_left/Bitmap_top, framed by one black pixel all round.
        shot = display.screenshot(tmp_path / "window.png")
        left, top = client[0] + model.panel_at[0], client[1] + model.panel_at[1]
        right, bottom = left + model.panel_size[0] - 1, top + model.panel_size[1] - 1
        for x, y in ((left, top), (right, bottom), (left + 30, top + 30)):  # the last: the note
            assert shot.pixel(x, y) == OFF_COLOUR, (x, y)
        black = (0, 0, 0)
        for x, y in ((left - 1, top - 1), (right + 1, bottom + 1), (left - 1, top + 50),
                     (left + 50, bottom + 1), (right + 1, top + 50), (left + 50, top - 1)):
            assert shot.pixel(x, y) == black, (x, y)
        for x, y in ((left - 2, top + 50), (right + 2, bottom + 2)):
            assert shot.pixel(x, y) not in (black, OFF_COLOUR, RED_COLOUR), (x, y)

        probe.command(window, COMMAND_EXIT)
        exits_cleanly(program, unit, OPENED + INPUT_CLOSED + OUTPUT_CLOSED)


@pytest.mark.parametrize("first_page", ["empty", "absent"])
def test_text_pane_falls_back_to_the_steps_own_text(wine, probe, unit, exe_folder, first_page):
    model = Model(showmidichannels=1)
    if first_page == "empty":
        model.texts["text1_1"] = None
    else:
        del model.texts["text1_1"]
    model.write(exe_folder)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        # Found by its plain title: the channel digits wait for the next text refresh.
        window = main_window(probe)
        assert probe.text(window, TEXT_PANE) == model.texts["text1"]
        probe.close(window)
        assert program.wait() == 0


# -- shutdown --------------------------------------------------------------------------------

def exit_command(probe, display, window):
    probe.command(window, COMMAND_EXIT)


def close_box(probe, display, window):
    probe.close(window)


def alt_f4(probe, display, window):
    display.key(TITLE, "alt+F4")


@pytest.mark.parametrize("ending", [exit_command, close_box, alt_f4],
                         ids=["File Exit", "close box", "Alt+F4"])
def test_every_exit_gives_the_ports_back_in_order(wine, probe, display, unit, exe_folder, ending):
    Model().write(exe_folder)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        window = main_window(probe)
        unit.wait_for(lambda u: len(u.events) >= 3, 10, "ports opened")
        ending(probe, display, window)
        exits_cleanly(program, unit, OPENED + INPUT_CLOSED + OUTPUT_CLOSED)


ABOUT_ICON, ABOUT_TEXT = 2, MESSAGE_BOX_TEXT  # the About template's controls


def mul_div(value, numerator, denominator):
    """MulDiv of non-negative values: the product divided, rounded half up."""
    return (2 * value * numerator + denominator) // (2 * denominator)


def dialog_rect(client, units, x, y, width, height):
    """Screen rectangle of a control placed at (x, y, width, height) dialog units."""
    left = client[0] + mul_div(x, units[0], 4)
    top = client[1] + mul_div(y, units[1], 8)
    return left, top, left + mul_div(width, units[0], 4), top + mul_div(height, units[1], 8)


def check_about_box(probe, about):
    """Both lines whole on their one line, and the icon at 14, 9 with its 20 x 20 size."""
    children = probe.children(about)
    client = probe.client(about)
    units, _ = probe.dialog_font(*ABOUT_FONT)
    lines = [c for c in children if c.id == ABOUT_TEXT]
    assert [c.text for c in lines] == list(ABOUT_LINES)
    for line, top in zip(lines, (10, 20)):
        # The probe's font is the dialog's: it places the lines where the dialog did.
        assert line.rect == dialog_rect(client, units, 49, top, 119, 8)
        width, height = probe.dialog_font(*ABOUT_FONT, line.text)[1]
        assert width <= line.rect[2] - line.rect[0], "%r is cut" % line.text
        assert height <= line.rect[3] - line.rect[1], "%r is cut" % line.text
    icon = [c for c in children if c.id == ABOUT_ICON]
    assert [c.cls.lower() for c in icon] == ["static"]
    assert icon[0].rect == dialog_rect(client, units, 14, 9, 20, 20)
    assert [c.text for c in children if c.id == IDOK] == ["OK"]


@pytest.mark.parametrize("keys", ["alt+slash", "alt+question"])
def test_alt_slash_or_question_mark_opens_the_about_box(wine, probe, display, unit, exe_folder,
                                                       keys):
    Model().write(exe_folder)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        window = main_window(probe)
        display.key(TITLE, keys)
        about = probe.find("About", 10, cls=DIALOG_CLASS)
        check_about_box(probe, about)
        probe.click(about, IDOK)
        probe.wait_gone(about)
        assert program.running
        probe.command(window, COMMAND_EXIT)
        exits_cleanly(program, unit, OPENED + INPUT_CLOSED + OUTPUT_CLOSED)


# -- MIDI port failures ----------------------------------------------------------------------

PORT_FAILURES = {
    "no output port": ([("IN", NAME)], MIDI_INITIALISING,
                       ["IN 0 OPEN", "IN 0 START"] + INPUT_CLOSED),
    "output of another name": ([("IN", NAME), ("OUT", "Other Unit")],
                               MIDI_INITIALISING,
                               ["IN 0 OPEN", "IN 0 START"] + INPUT_CLOSED),
    "output busy": ([("IN", NAME), ("OUT-BUSY", NAME)], MIDI_OPENING,
                    ["IN 0 OPEN", "IN 0 START"] + INPUT_CLOSED),
    "input busy": ([("IN-BUSY", NAME), ("OUT", NAME)], MIDI_OPENING, []),
}


@pytest.mark.parametrize("ports, text, events", PORT_FAILURES.values(), ids=PORT_FAILURES.keys())
def test_port_failure_is_reported_and_the_input_given_back(wine, probe, unit, exe_folder, ports,
                                                           text, events):
    Model().write(exe_folder)
    unit.ports = ports
    with Program(wine, exe_folder.exe, unit=unit) as program:
        main_window(probe)
        box = answer(probe, NAME, IDOK, text)  # caption: the port's name
        assert box.buttons == {IDOK: "OK"}
        exits_cleanly(program, unit, events)


def test_highest_numbered_port_of_the_name_is_opened_whatever_its_case(wine, probe, unit,
                                                                       exe_folder):
    Model(port=NAME.lower()).write(exe_folder)
    unit.ports = [("IN", "Other Keyboard"), ("IN", NAME), ("OUT", NAME), ("OUT", "Other Keyboard"),
                  ("OUT", NAME.upper())]
    with Program(wine, exe_folder.exe, unit=unit) as program:
        probe.close(main_window(probe))
        exits_cleanly(program, unit, ["IN 1 OPEN", "IN 1 START", "OUT 2 OPEN", "IN 1 STOP",
                                      "IN 1 RESET", "IN 1 CLOSE", "OUT 2 RESET", "OUT 2 CLOSE"])


# -- bitmaps and the settings file -----------------------------------------------------------

MISSING_BITMAPS = {
    "off_bitmap": (["off_bitmap"], BACKGROUND_ERROR),
    "red_bitmap": (["red_bitmap"], BACKGROUND_ERROR),
    "green_bitmap": (["green_bitmap"], BACKGROUND_ERROR),
    "meter_on": (["meter_on"], METER_ERROR),
    "meter_off": (["meter_off"], METER_ERROR),
    "red_bitmap and meter_on": (["red_bitmap", "meter_on"], BACKGROUND_ERROR),
}


@pytest.mark.parametrize("missing, caption", MISSING_BITMAPS.values(), ids=MISSING_BITMAPS.keys())
def test_missing_bitmap_names_the_first_failing_path(wine, probe, unit, exe_folder, missing,
                                                     caption):
    Model().write(exe_folder)
    for key in missing:
        exe_folder.path(Model.bitmap_file(key)).unlink()
    failing = wine.windows_path(exe_folder.root) + "\\" + Model.bitmap_file(missing[0])
    with Program(wine, exe_folder.exe, unit=unit) as program:
        box = probe.message_box(caption)
        assert box.text == failing and box.buttons == {IDOK: "OK"}
        assert program_windows(probe) == []  # start-up stops before the main window
        probe.click(box.hwnd, IDOK)
        assert program.wait() == 0  # no second box: only the first failure is reported
    assert unit.events == []


def test_missing_settings_file_ends_at_the_bitmaps_naming_the_exe_folder(wine, probe, unit,
                                                                         exe_folder):
    Model(settings_file="absent.ini").write(exe_folder)
    exe_folder.path("absent.ini").unlink()
    with Program(wine, exe_folder.exe, unit=unit) as program:
        # Without a [sequence] all steps are enabled, the audio ones too: warned first.
        answer(probe, AUDIO_CAPTION, IDOK, AUDIO_WARNING_TEXT)
        folder = wine.windows_path(exe_folder.root) + "\\"
        answer(probe, BACKGROUND_ERROR, IDOK, folder)
        assert program.wait() == 0
    assert unit.events == []


# -- the audio warning -----------------------------------------------------------------------

@pytest.mark.parametrize("test6, test7", [(1, 0), (0, 1), (1, 1)])
def test_audio_steps_without_driver_are_warned_once(wine, probe, unit, exe_folder, test6, test7):
    Model(sequence={"test6": test6, "test7": test7}).write(exe_folder)
    with Program(wine, exe_folder.exe, unit=unit) as program:
        box = answer(probe, AUDIO_CAPTION, IDOK, AUDIO_WARNING_TEXT)
        assert box.buttons == {IDOK: "OK"}
        window = main_window(probe)  # start-up goes on
        assert [w for w in probe.windows() if w.title == AUDIO_CAPTION] == []
        probe.command(window, COMMAND_EXIT)
        exits_cleanly(program, unit, OPENED + INPUT_CLOSED + OUTPUT_CLOSED)
