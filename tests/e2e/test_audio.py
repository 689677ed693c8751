"""The audio steps end to end, with the loopback ASIO driver as the unit's sound card: the
output test plays the loop to one pair at a time, sample for sample, in every sample type;
the input test's meters follow the input peaks and decay; every start-up failure of the
driver ends the run with its message; the driver's control panel reopens it while it
streams, and never inside itself; a driver that faults while streaming is left alone to the
end of the run; a unit without audio never touches a driver; the report's "[ASIO Driver]"
section.

What the program wrote to its outputs is read from the driver's dump, what it asked of the
driver from its call log. Waits poll a state: buffer timing jitters under Wine."""
import random
import time

import pytest

from harness import wait_until
from harness.asio import (FLOAT32_LSB, FLOAT32_MSB, FLOAT64_LSB, FLOAT64_MSB, INT16_LSB,
                          INT16_MSB, INT24_LSB, INT24_MSB, INT32_LSB, INT32_MSB, Driver,
                          register, unregister)
from harness.audio_model import LOOP_FILE, AudioModel, MeterPixels, loop_offset
from harness.facts import (ASIO_CONTROL_PANEL, ASIO_INITIALISING, ASIO_OPENING, ASIO_SECTION,
                           ASIO_STARTING, AUDIO_CAPTION, COMMAND_EXIT, CONTROLLER_SECTION, IDNO,
                           IDOK, NOT_TESTED, NOTE_SECTION, RECEIVE_SECTION, WM_COMMAND)
from harness.files import wav_bytes
from harness.station import Station

INT32_LSB16, INT32_LSB24, INT32_MSB20 = 24, 27, 10
INITIALISING, OPENING, STARTING = ASIO_INITIALISING, ASIO_OPENING, ASIO_STARTING
MIDI_SECTIONS = "".join("\r\n%s\r\n\r\n%s" % (name, NOT_TESTED) for name in (
    NOTE_SECTION, CONTROLLER_SECTION, RECEIVE_SECTION))

# Step 1 alone (it always runs); each test enables the steps it goes through.
ONLY_STEPS = {"test2": 0, "test3": 0, "test4": 0, "test5": 0, "test6": 0, "test7": 0,
              "test8": 0}


def unique_loop(frames=3001):
    """Nonzero 16-bit values, each once, both extremes among them: any run of the loop is
    found in exactly one place, and silence is never a loop sample."""
    values = random.Random(frames).sample([v for v in range(-32768, 32768) if v != 0], frames)
    for extreme in (-32768, 32767):
        if extreme not in values:
            values[values.index(min(values, key=abs))] = extreme
    return values


def pages(step, count):
    """Text pages text<step>_1 .. _count, one per channel pair."""
    return {"text%d_%d" % (step, pair): "Step %d, pair %d\r\n" % (step, pair)
            for pair in range(1, count + 1)}


@pytest.fixture
def card(wine, asio_dll, tmp_path):
    """card(name, **values): a fresh loopback driver entry with its call log and dump."""
    def make(name, **values):
        driver = Driver(name, log=tmp_path / "calls.log", dump=tmp_path / "outputs.dump",
                        **values)
        register(wine, asio_dll, [driver])
        return driver
    return make


@pytest.fixture
def station(wine, probe, unit, exe_folder):
    """station(model, loop=b"", env=None): the program on an AudioModel whose loop WAV is
    `loop` (bytes)."""
    started = []

    def start(model, loop=b"", env=None):
        model.write(exe_folder)
        exe_folder.path(LOOP_FILE).write_bytes(loop)
        started.append(Station(wine, probe, exe_folder.exe, unit=unit, model=model,
                               env=env).start())
        return started[-1]
    yield start
    for s in started:
        s.kill()


def wait_outputs(driver, playing, timeout=10.0, seen=None):
    """Waits for a dump in which exactly the outputs `playing` carry a signal; returns it.
    Every dump read on the way is added to `seen` when a list is given."""
    seen = [] if seen is None else seen

    def dumped():
        dump = driver.outputs()
        if dump and (not seen or seen[-1]["switches"] != dump["switches"]):
            seen.append(dump)
        return dump and playing_outputs(dump) == list(playing) and dump
    try:
        return wait_until(dumped, timeout, "outputs %s playing" % (playing,), interval=0.01)
    except TimeoutError:
        last = playing_outputs(seen[-1]) if seen else None
        raise TimeoutError("no dump with outputs %s alone playing after %.0f s; last dump: "
                           "outputs %s playing" % (list(playing), timeout, last)) from None


def playing_outputs(dump):
    return [j for j, samples in enumerate(dump["outputs"]) if any(samples)]


def assert_pair_plays_loop(dump, loop, sample_type, pair):
    """The pair's even output plays a run of the loop and its odd partner, when there is
    one, the very same samples."""
    outputs = dump["outputs"]
    even = 2 * pair
    assert loop_offset(loop, sample_type, outputs[even]) is not None, \
        "output %d does not play a run of the loop: %s..." % (even, outputs[even][:8])
    if even + 1 < len(outputs):
        assert outputs[even + 1] == outputs[even], "output %d differs from output %d" % (
            even + 1, even)


# -- step 6: one pair at a time, sample for sample -----------------------------------------

SAMPLE_TYPES = [
    ("Int16LSB", INT16_LSB, 46), ("Int16LSB-44-byte-header", INT16_LSB, 44),
    ("Int24LSB", INT24_LSB, 46), ("Int32LSB", INT32_LSB, 46),
    ("Int32LSB16", INT32_LSB16, 46), ("Int32LSB24", INT32_LSB24, 46),
    ("Float32LSB", FLOAT32_LSB, 46), ("Float64LSB", FLOAT64_LSB, 46),
    ("Int16MSB", INT16_MSB, 46), ("Int24MSB", INT24_MSB, 46), ("Int32MSB", INT32_MSB, 46),
    ("Int32MSB20", INT32_MSB20, 46), ("Float32MSB", FLOAT32_MSB, 46),
    ("Float64MSB", FLOAT64_MSB, 46),
]


@pytest.mark.parametrize("sample_type, header", [t[1:] for t in SAMPLE_TYPES],
                         ids=[t[0] for t in SAMPLE_TYPES])
def test_output_test_plays_the_loop_on_each_pair_in_turn(station, card, sample_type, header):
    driver = card("Velk Card Outputs", Outputs=8, Inputs=2, SampleType=sample_type)
    loop = unique_loop()
    right = [-v // 2 for v in loop]  # the right channel is never played
    model = AudioModel(audio=driver.name, sequence=dict(ONLY_STEPS, test6=1, test7=1),
                       texts={"text1": "Opening\r\n", **pages(6, 4), "text7": "Inputs\r\n"})
    s = station(model, wav_bytes(loop, right, header))
    s.main_window()
    for pair in range(4):
        s.press()  # Begin Test, then Continue... for each further pair
        dump = wait_outputs(driver, (2 * pair, 2 * pair + 1))
        assert dump["type"] == sample_type and len(dump["outputs"]) == 8
        assert_pair_plays_loop(dump, loop, sample_type, pair)
    s.press()  # the fourth Continue... leaves the step: step 7 plays outputs 0 and 1
    s.wait_page("text7", timeout=10)
    assert_pair_plays_loop(wait_outputs(driver, (0, 1)), loop, sample_type, 0)
    s.press()  # two inputs: one pair, and the run ends
    s.end_run()
    calls = [text for _, text in driver.calls()]
    # Already at 44100 Hz: the rate is neither asked for nor set.
    assert not [c for c in calls if c.startswith(("canSampleRate", "setSampleRate"))]
    assert calls[-3].startswith("stop ") and calls[-2:] == ["disposeBuffers", "Release 0"]


def test_five_outputs_test_two_pairs_and_never_the_fifth(station, card):
    driver = card("Velk Card Five", Outputs=5, Inputs=2, SampleType=INT16_LSB)
    loop = unique_loop()
    model = AudioModel(audio=driver.name, sequence=dict(ONLY_STEPS, test6=1, test7=1),
                       texts={"text1": "Opening\r\n", **pages(6, 3), "text7": "Inputs\r\n"})
    s = station(model, wav_bytes(loop))
    s.main_window()
    dumps = []
    for pair in range(2):
        s.press()
        s.wait_page("text6_%d" % (pair + 1), timeout=10)
        assert_pair_plays_loop(wait_outputs(driver, (2 * pair, 2 * pair + 1), seen=dumps),
                               loop, INT16_LSB, pair)
    s.press()  # the second Continue... leaves the step
    s.wait_page("text7", timeout=10)
    wait_outputs(driver, (0, 1), seen=dumps)
    assert all(len(d["outputs"]) == 5 and not any(d["outputs"][4]) for d in dumps)
    s.press()
    s.end_run()


# -- step 7: the meters of the pair under test ----------------------------------------------

FULL_SCALE_DECAY = [99, 75, 51, 26, 2, 0]  # 32767 less 8000 a tick, on a 100-row meter
HALF_SCALE_DECAY = [50, 25, 1, 0]  # 16384 less 8000 a tick


def square(peak, seconds):
    """A square wave between +peak and -peak: its largest value is peak; silence for 0."""
    return [peak if i // 50 % 2 == 0 else -peak for i in range(round(seconds * 44100))]


def meter_loop():
    """Full scale, silence, half scale, silence: each loud part long enough for a few ticks
    at its level, each silence for the whole decay."""
    return square(32767, 0.3) + square(0, 0.8) + square(16384, 0.3) + square(0, 0.8)


def wait_meters(meters, rows, timeout=10.0):
    wait_until(lambda: meters.pair() == (rows, rows), timeout, "both meters at %d rows" % rows,
               interval=0.002)


def decay_of(meters, top, timeout=5.0):
    """Follows both meters from `top` rows until both are unlit. Returns each meter's
    heights after the last time it showed `top` (a late buffer may lift it again), repeats
    collapsed, and the longest time between two readings."""
    shown = ([], [])
    readings = []

    def poll():
        readings.append(time.monotonic())
        for meter, rows in zip(shown, meters.pair()):
            if rows is not None and (not meter or meter[-1] != rows):
                meter.append(rows)
        return all(m and m[-1] == 0 for m in shown)
    wait_until(poll, timeout, "both meters unlit", interval=0.002)
    longest = max(b - a for a, b in zip(readings, readings[1:])) if len(readings) > 1 else 0
    return [m[len(m) - m[::-1].index(top):] if top in m else m for m in shown], longest


def assert_decays(meters, decay):
    """Both meters fall from decay[0] through the levels of decay[1:], a tick each. Read
    at least every 40 ms, no level (shown for a whole 100 ms tick) can have been missed;
    a reader held up longer may have missed some, never seen one out of order."""
    heights, longest = decay_of(meters, decay[0])
    for meter in heights:
        if longest < 0.04:
            assert meter == decay[1:], meter
        else:
            steps = iter(decay[1:])
            assert all(h in steps for h in meter) and meter[-1] == 0, meter


def test_input_test_meters_show_the_pair_peak_and_decay(station, card, probe, display, tmp_path):
    driver = card("Velk Card Meters", Inputs=4, Outputs=2, SampleType=FLOAT32_LSB,
                  SampleRate=48000, Name="Velk Loopback 2x4")
    model = AudioModel(audio=driver.name.upper(), sequence=dict(ONLY_STEPS, test7=1),
                       texts={"text1": "Opening\r\n", **pages(7, 2)})
    loop = meter_loop()
    s = station(model, wav_bytes(loop))
    client = probe.client(s.main_window())
    meters = MeterPixels(display.name, (client[0] + model.meter_at[0],
                                        client[1] + model.meter_at[1]))
    try:
        s.press()  # step 7, inputs 0 and 1: they hear outputs 0 and 1, which play the loop
        wait_meters(meters, 99)  # lit = 100 rows x 32767 / 32768
        assert_decays(meters, FULL_SCALE_DECAY)
        wait_meters(meters, 50)
        assert_decays(meters, HALF_SCALE_DECAY)

        # Inputs 2 and 3 hear nothing (the card has two outputs): their meters stay unlit
        # for a whole turn of the loop, while inputs 0 and 1 go on hearing it.
        s.press()
        s.wait_page("text7_2", timeout=10)
        wait_meters(meters, 0)
        start = driver.outputs()["switches"]
        turn = len(loop) // 256 + 32

        def quiet_for_a_turn():
            assert meters.pair() == (0, 0), "a meter of pair 2 lit"
            return driver.outputs()["switches"] >= start + turn
        wait_until(quiet_for_a_turn, 20, "a whole turn of the loop", interval=0.005)
    finally:
        meters.close()

    s.press()
    s.end_run(tmp_path / "report")
    assert (tmp_path / "report.txt").read_bytes() == (
        "\r\n" + ASIO_SECTION + "\r\n\r\nVelk Loopback 2x4\r\n"
        "2 Output Channels (1 x 2)\r\n4 Input Channels (2 x 2)\r\n"
        "\r\nAudio Frequency 44100 Hz\r\n"
        "\r\nOutput Latency 512 samples\r\nInput Latency 256 samples\r\n\r\n"
        + MIDI_SECTIONS).encode()
    # The card ran at 48 kHz: the program asked for 44100 Hz and set it.
    calls = [text for _, text in driver.calls()]
    assert calls.index("canSampleRate 44100") + 1 == calls.index("setSampleRate 44100")


# -- start-up failures ---------------------------------------------------------------------

# Entries of one description, in registry order, and the message; each test's entries have
# a description of their own. The calls each case ends with show that the program gave up
# at the failing call, and never called a driver again after it faulted.
FAILURES = {
    "no-entry": ([], INITIALISING, None),
    "creation-fault": ([dict(Fault="create")], INITIALISING, ["create"]),
    "last-of-two-faults": ([{}, dict(Fault="create")], INITIALISING, ["Release 0", "create"]),
    "init-fault": ([dict(Fault="init")], INITIALISING, ["create", "init window"]),
    "init-false": ([dict(Fail="init")], INITIALISING, ["init window", "Release 0"]),
    "no-outputs": ([dict(Outputs=0)], INITIALISING, ["getChannelInfo in 1", "Release 0"]),
    "fixed-48kHz": ([dict(SampleRate=48000, CanSet44100=0)], OPENING,
                    ["getSampleRate", "canSampleRate 44100"]),
    "48kHz-set-fails": ([dict(SampleRate=48000, Fail="setSampleRate")], OPENING,
                        ["canSampleRate 44100", "setSampleRate 44100"]),
    "createBuffers": ([dict(Fail="createBuffers")], STARTING, ["createBuffers 4 256"]),
    "getLatencies": ([dict(Fail="getLatencies")], STARTING, ["getLatencies"]),
    "null-first-buffer": ([dict(Fail="nullBuffer")], STARTING, ["createBuffers 4 256"]),
    "start": ([dict(Fail="start")], STARTING, ["start"]),
}


@pytest.mark.parametrize("case", FAILURES)
def test_start_up_failure_shows_its_message_and_exits(station, card, case):
    entries, message, last_calls = FAILURES[case]
    description = "Velk Fail " + case
    drivers = [card("%s %d" % (description, k), description=description, **values)
               for k, values in enumerate(entries)]
    # The caption is the profile's spelling; the registry's matches it ignoring case.
    s = station(AudioModel(audio=description.upper(), sequence=dict(ONLY_STEPS, test6=1)))
    box = s.probe.message_box(description.upper(), 15)
    assert (box.text, box.buttons) == (message, {IDOK: "OK"})
    s.main_window()  # up behind the box
    s.probe.click(box.hwnd, IDOK)
    assert s.program.wait(20) == 0
    calls = [text for _, text in drivers[0].calls()] if drivers else []
    if last_calls:
        ending = calls[-len(last_calls):]
        assert len(ending) == len(last_calls) and all(
            c.startswith(e) for c, e in zip(ending, last_calls)), calls
    assert "start" not in calls or case == "start"  # no other failing card ever started


def test_a_faulting_entry_is_passed_over_for_the_next_of_its_name(station, card):
    faulting = card("Velk Twin Card 1", description="Velk Twin Card", Fault="create")
    card("Velk Twin Card 2", description="Velk Twin Card")
    s = station(AudioModel(audio="Velk Twin Card"))
    s.main_window()
    # One log for both entries: #1 the first, which faulted, #2 and #3 the second.
    wait_until(lambda: (3, "streaming") in faulting.calls(), 10, "the second entry streaming")
    calls = faulting.calls()
    assert [text for i, text in calls if i == 1] == ["create Velk Twin Card"]
    assert (2, "Release 0") in calls
    s.probe.close(s.window)
    assert s.program.wait(20) == 0


def test_a_registry_key_too_long_to_name_is_passed_over(station, card, wine, asio_dll):
    # Keys are listed by name: this one comes before every card of the tests, and its name
    # does not fit the lookup's 128-character buffer.
    overlong = Driver("A" * 140)
    register(wine, asio_dll, [overlong])
    try:
        driver = card("Velk Card After Long Key")
        s = station(AudioModel(audio=driver.name))
        s.main_window()
        wait_until(lambda: (2, "streaming") in driver.calls(), 10, "the card streaming")
        s.probe.close(s.window)
        assert s.program.wait(20) == 0
    finally:
        unregister(wine, [overlong])


# -- the driver's control panel -------------------------------------------------------------

def test_control_panel_reopens_the_driver_and_streams_its_new_settings(station, card,
                                                                        tmp_path):
    # The panel leaves the card with 5 outputs, 3 inputs and 128-frame buffers.
    driver = card("Velk Card Panel", Outputs=8, Inputs=2, PanelOutputs=5, PanelInputs=3,
                  PanelBufferSize=128)
    loop = unique_loop()
    model = AudioModel(audio=driver.name, sequence=dict(ONLY_STEPS, test6=1),
                       texts={"text1": "Opening\r\n", **pages(6, 4)})
    s = station(model, wav_bytes(loop))
    window = s.main_window()
    s.press()
    dump = wait_outputs(driver, (0, 1))
    assert (len(dump["outputs"]), dump["frames"]) == (8, 256)
    streamed = len(driver.calls())

    s.probe.command(window, ASIO_CONTROL_PANEL)
    dump = wait_until(lambda: (d := driver.outputs()) and d["frames"] == 128 and d, 10,
                      "a dump of the reopened card")
    assert len(dump["outputs"]) == 5
    assert_pair_plays_loop(wait_outputs(driver, (0, 1)), loop, INT32_LSB, 0)
    calls = driver.calls()[streamed:]
    assert calls[0][1].startswith("stop ") and calls[0][0] == 2
    assert calls[1:] == [
        (2, "disposeBuffers"), (2, "Release 0"),
        (3, "create Velk Card Panel"), (3, "init window"), (3, "getSampleRate"),
        (3, "controlPanel"), (3, "Release 0"),
        (4, "create Velk Card Panel"), (4, "init window"), (4, "getSampleRate"),
        (4, "getChannels"), (4, "getBufferSize"), (4, "createBuffers 8 128"),
        (4, "getLatencies")] + [(4, "getChannelInfo in %d" % i) for i in range(3)] + [
        (4, "getChannelInfo out %d" % j) for j in range(5)] + [
        (4, "start"), (4, "streaming")]

    # Five outputs now: two pairs, and the second Continue... leaves the step.
    s.press()
    s.wait_page("text6_2", timeout=10)
    assert_pair_plays_loop(wait_outputs(driver, (2, 3)), loop, INT32_LSB, 1)
    s.press()
    s.end_run(tmp_path / "report")
    # Odd counts are written as the next lower even number.
    assert (tmp_path / "report.txt").read_bytes() == (
        "\r\n" + ASIO_SECTION + "\r\n\r\nVelk Card Panel\r\n"
        "4 Output Channels (2 x 2)\r\n2 Input Channels (1 x 2)\r\n"
        "\r\nAudio Frequency 44100 Hz\r\n"
        "\r\nOutput Latency 256 samples\r\nInput Latency 128 samples\r\n\r\n"
        + MIDI_SECTIONS).encode()


@pytest.mark.parametrize("eats_quit", [False, True], ids=["loop-passes-quit-on", "loop-eats-quit"])
@pytest.mark.parametrize("end", ["exit", "close-box", "run-finished"])
def test_the_program_ends_while_the_panel_is_open(station, card, end, eats_quit):
    # The panel's own loop dispatches the window's messages, so the window can be gone while
    # the panel is open: the program closes the panel, and the command then neither reopens
    # nor starts the driver; a loop that kept the quit message to itself must not keep the
    # program alive.
    driver = card("Velk Card Panel At Exit", ShowPanel=2 if eats_quit else 1)
    s = step6_station(station, driver)
    s.probe.command(s.window, ASIO_CONTROL_PANEL)
    s.probe.find("Velk Card Panel At Exit Control Panel", 10)
    if end == "exit":
        s.probe.command(s.window, COMMAND_EXIT)
    elif end == "close-box":
        s.probe.close(s.window)
    else:
        s.press()  # the only pair of the only audio step: the run ends
        s.answer_report_question(IDNO)
    assert s.program.wait(20) == 0  # nobody closed the panel: the program did
    calls = [text for _, text in driver.calls()]
    after_panel = calls[calls.index("panel closed") + 1:]
    assert after_panel == ["Release 0"], after_panel


# -- a driver abandoned while it streams ------------------------------------------------------

# A driver that faults while it streams is given up without being stopped: its thread goes
# on calling the program until the process ends. The program must neither free what that
# thread reads nor rewrite the tables under it, and must keep the driver's code loaded.

def switching_on(driver, frames=None, switches=32, timeout=10.0):
    """Waits until the driver has switched `switches` more times (by its dump), counting
    from its first dump of `frames` frames when given."""
    first = wait_until(lambda: (d := driver.outputs()) and frames in (None, d["frames"]) and d,
                       timeout, "a dump")["switches"]
    wait_until(lambda: driver.outputs()["switches"] >= first + switches, timeout,
               "%d more buffer switches" % switches)


def step6_station(station, driver):
    model = AudioModel(audio=driver.name, sequence=dict(ONLY_STEPS, test6=1),
                       texts={"text1": "Opening\r\n", **pages(6, 1)})
    s = station(model, wav_bytes(unique_loop()))
    s.main_window()
    s.press()
    wait_outputs(driver, (0, 1))
    return s


@pytest.mark.parametrize("in_system", [False, True], ids=["in-the-driver", "in-a-system-dll"])
def test_a_fault_in_getDriverName_at_the_report_ends_the_run_cleanly(station, card, tmp_path,
                                                                     in_system):
    # Raised inside a system DLL, the fault pins only that DLL: the driver's own module must
    # be kept loaded too, or its thread runs into unmapped code at shutdown.
    driver = card("Velk Card Name Fault", Fault="getDriverName", FaultInSystem=in_system)
    s = station(AudioModel(audio=driver.name, sequence=ONLY_STEPS), wav_bytes(unique_loop()))
    s.main_window()
    switching_on(driver)
    s.press()  # the only step: the report question follows
    s.end_run(tmp_path / "report")  # exit code 0
    assert driver.calls()[-1] == (2, "getDriverName")  # never called again, never stopped
    # The section tells what the run had, without the name the driver could not give.
    assert (tmp_path / "report.txt").read_bytes() == (
        "\r\n" + ASIO_SECTION + "\r\n"
        "2 Output Channels (1 x 2)\r\n2 Input Channels (1 x 2)\r\n"
        "\r\nAudio Frequency 44100 Hz\r\n"
        "\r\nOutput Latency 512 samples\r\nInput Latency 256 samples\r\n\r\n"
        + MIDI_SECTIONS).encode()


def test_a_fault_in_stop_at_the_panel_command_leaves_the_driver_alone(station, card):
    driver = card("Velk Card Stop Fault", Fault="stop")
    s = step6_station(station, driver)
    s.probe.command(s.window, ASIO_CONTROL_PANEL)
    wait_until(lambda: (2, "stop while streaming") in driver.calls(), 10, "the faulting stop")
    switching_on(driver)  # the abandoned instance goes on calling the program
    s.probe.command(s.window, ASIO_CONTROL_PANEL)  # refused: nothing is reopened around it
    s.press()  # handled after the command: the run ends
    s.end_run()
    assert driver.calls()[-1] == (2, "stop while streaming")


def test_a_fault_in_start_after_the_panel_leaves_the_driver_alone(station, card):
    # The panel hands the fault to the instance reopened after it, with 128-frame buffers.
    driver = card("Velk Card Start Fault", PanelFault="start", PanelBufferSize=128)
    s = step6_station(station, driver)
    s.probe.command(s.window, ASIO_CONTROL_PANEL)
    wait_until(lambda: (4, "start") in driver.calls(), 10, "the reopened instance's start")
    switching_on(driver, frames=128)  # it streams on after its fault
    s.probe.command(s.window, ASIO_CONTROL_PANEL)
    s.press()
    s.end_run()
    calls = driver.calls()
    assert calls[calls.index((4, "start")) + 1:] in ([], [(4, "streaming")])


def test_the_panel_command_does_not_begin_again_while_the_panel_is_open(station, card):
    # The driver's panel has no owner and a message loop of its own: the menu command can
    # reach the program again while the panel is open.
    driver = card("Velk Card Own Panel", ShowPanel=1, PanelBufferSize=128)
    s = step6_station(station, driver)
    s.probe.command(s.window, ASIO_CONTROL_PANEL)
    panel = s.probe.find("Velk Card Own Panel Control Panel", 10)
    assert s.probe.send(s.window, WM_COMMAND, ASIO_CONTROL_PANEL, 0) == 0  # returns at once
    assert driver.calls()[-1] == (3, "controlPanel")
    s.probe.close(panel)
    switching_on(driver, frames=128)  # reopened after the panel with its new buffer size
    s.press()
    s.end_run()
    calls = driver.calls()
    assert [c for c in calls if c[1] == "controlPanel"] == [(3, "controlPanel")]
    assert calls[calls.index((3, "controlPanel")) + 1:][:2] == [(3, "panel closed"),
                                                                (3, "Release 0")]


# -- a unit without audio --------------------------------------------------------------------

# Created by Wine's own MIDI layer in every program: the system's audio device enumerator.
MM_DEVICE_ENUMERATOR = "{bcde0395-e52f-467c-8e3d-c4579291692e}"


def test_unit_without_audio_touches_no_driver(station, card):
    driver = card("Velk Card Unused")
    model = AudioModel(audio=None, sequence=dict(ONLY_STEPS, test6=1, test7=1, test8=1),
                       texts={"text1": "Opening\r\n", "text8": "Closing\r\n"})
    s = station(model, env={"WINEDEBUG": "trace+reg,trace+ole"})
    box = s.probe.message_box(AUDIO_CAPTION, 15)
    s.probe.click(box.hwnd, IDOK)
    window = s.main_window()
    s.press()  # the audio steps were taken out: step 8 follows
    s.wait_page("text8", timeout=10)
    s.probe.command(window, ASIO_CONTROL_PANEL)  # finds no driver: does nothing
    s.press()
    s.end_run()
    assert driver.calls() == []
    trace = s.program.stderr().lower().splitlines()
    assert any(":trace:reg:" in line for line in trace)  # the trace is on
    assert not [line for line in trace if ":trace:reg:" in line and "asio" in line]
    created = {line.split()[1].rstrip(",") for line in trace
               if ":trace:ole:cocreateinstance " in line}
    assert created <= {MM_DEVICE_ENUMERATOR}


# -- the report's "[ASIO Driver]" section ---------------------------------------------------

def test_one_output_plays_alone_and_one_of_each_writes_no_section(station, card, tmp_path):
    driver = card("Velk Card Mono", Outputs=1, Inputs=1, SampleType=INT24_LSB)
    loop = unique_loop()
    model = AudioModel(audio=driver.name, sequence=dict(ONLY_STEPS, test6=1, test7=1),
                       texts={"text1": "Opening\r\n", "text6": "Outputs\r\n",
                              "text7": "Inputs\r\n"})
    s = station(model, wav_bytes(loop))
    s.main_window()
    s.press()
    assert_pair_plays_loop(wait_outputs(driver, (0,)), loop, INT24_LSB, 0)
    s.press()  # one output: no second pair
    s.wait_page("text7", timeout=10)
    assert_pair_plays_loop(wait_outputs(driver, (0,)), loop, INT24_LSB, 0)
    s.press()
    s.end_run(tmp_path / "report")
    assert (tmp_path / "report.txt").read_bytes() == MIDI_SECTIONS.encode()
    # The name is asked only for the section, and there is none.
    assert "getDriverName" not in [text for _, text in driver.calls()]
