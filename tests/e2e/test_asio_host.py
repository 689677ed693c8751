"""The loopback ASIO driver and the program's audio host on their own, without the station:
a plain host finds the driver in the registry, creates it with its CLSID as class and
interface, streams and gets every output back on its input (asio_loopback_smoke.exe, through
the program's own IASIO declaration); the audio host linked alone (asio_host_check.exe)
streams the loop back on inputs 0 and 1, reopens the driver from its control panel, uses 32
of 40 inputs and plays Float32 outputs, passes over a faulting entry for the next of its
description, shows each start-up failure's message with the driver's name as caption, and
leaves a driver that faults while streaming alone.

What the host did in-process the exe checks and prints; what it asked of the driver the
driver's call log shows, what it played the dump."""
import pytest

from harness.asio import FLOAT32_LSB, Driver, register, unregister
from harness.files import wav_bytes


@pytest.fixture(scope="session")
def win_exe(build_dir):
    """Path of a Windows-side test program built under tests/win/."""
    def find(name):
        path = build_dir / "tests" / "win" / (name + ".exe")
        if not path.exists():
            pytest.fail("%s is not built (cmake --build %s)" % (path, build_dir))
        return path
    return find


@pytest.fixture(scope="module")
def loop(tmp_path_factory):
    """A 16-bit stereo loop with the 46-byte header: a ramp of 97 a sample, reaching 30000."""
    path = tmp_path_factory.mktemp("loop") / "loop.wav"
    path.write_bytes(wav_bytes([(i * 97) % 30001 for i in range(4410)]))
    return path


@pytest.fixture
def drivers(wine, asio_dll, tmp_path):
    """drivers(*entries): registers one instance per (name, values) in that order, each with
    its call log and dump, and removes them after the test."""
    made = []

    def make(*entries):
        batch = [Driver(name, log=tmp_path / (name + ".log"), dump=tmp_path / (name + ".dump"),
                        **values) for name, values in entries]
        register(wine, asio_dll, batch)
        made.extend(batch)
        return batch
    yield make
    if made:
        unregister(wine, made, asio_dll)


@pytest.fixture
def host(wine, win_exe, loop):
    """host(scenario, driver name, *arguments): runs asio_host_check; (exit code, output)."""
    def run(scenario, name, *arguments):
        code, out = wine.run([win_exe("asio_host_check"), scenario, name, loop, *arguments],
                             timeout=60)
        return code, out.decode("cp1252", errors="replace")
    return run


def texts(driver):
    return [text for _, text in driver.calls()]


def released(calls, instance):
    return any(i == instance and text.startswith("Release") for i, text in calls)


def test_a_plain_host_finds_creates_and_streams_the_driver(wine, win_exe, drivers):
    driver, = drivers(("Velk Smoke", {}))
    code, out = wine.run([win_exe("asio_loopback_smoke"), driver.name], timeout=60)
    assert code == 0, out.decode("cp1252", errors="replace")


def test_host_streams_and_reopens_from_the_control_panel(drivers, host):
    good, = drivers(("Velk Check Good", {"PanelBufferSize": 128}))
    code, out = host("stream", good.name)
    assert code == 0, out
    calls = texts(good)
    assert calls.count("controlPanel") == 1
    assert "createBuffers 4 128" in calls  # the panel's buffer size, used when reopened
    assert calls[-2:] == ["disposeBuffers", "Release 0"]


def test_host_uses_32_of_40_inputs_and_plays_float_outputs(drivers, host):
    wide, = drivers(("Velk Check Wide", {"Inputs": 40, "Outputs": 8,
                                         "SampleType": FLOAT32_LSB, "TimeInfo": 0}))
    code, out = host("stream", wide.name)
    assert code == 0, out
    calls = texts(wide)
    assert "createBuffers 40 256" in calls  # buffers for all 40 inputs, 32 of them used
    assert not any(c.startswith("getChannelInfo in ") and int(c.split()[-1]) >= 32
                   for c in calls)
    # Without time info the buffer switch asks the driver for the sample position.
    assert any(c.startswith("stop") and "positionQueries=0" not in c for c in calls)
    dump = wide.outputs()
    assert dump is not None and len(dump["outputs"]) == 8
    played = [round(v * 65536) for v in dump["outputs"][0]]
    assert len(played) == 256
    assert all((b - a) % 30001 == 97 for a, b in zip(played, played[1:])), played
    assert dump["outputs"][1] == dump["outputs"][0]
    assert not any(any(o) for o in dump["outputs"][2:])


def test_host_passes_over_a_faulting_entry_for_the_next_of_its_description(drivers, host):
    faulting, _ = drivers(("Velk Check Dup 1", {"description": "Velk Check Dup",
                                                "Fault": "create"}),
                          ("Velk Check Dup 2", {"description": "Velk Check Dup"}))
    code, out = host("stream", "Velk Check Dup")
    assert code == 0, out
    calls = faulting.calls()
    created = [i for i, text in calls if text.startswith("create")]
    assert created and not any(released(calls, i) for i in created)


@pytest.mark.parametrize("name, values, stage", [
    ("Velk Fault Create", {"Fault": "create"}, "initialising"),
    ("Velk Fault Init", {"Fault": "init"}, "initialising"),
    ("Velk Fault Channels", {"Fault": "getChannels"}, "initialising"),
    ("Velk No Outputs", {"Outputs": 0}, "initialising"),
    ("Velk Fixed Rate", {"SampleRate": 48000, "CanSet44100": 0}, "opening"),
    ("Velk Fail Start", {"Fail": "start"}, "starting"),
    ("Velk Null Buffer", {"Fail": "nullBuffer"}, "starting"),
])
def test_host_start_up_failure_shows_its_message(drivers, host, name, values, stage):
    driver, = drivers((name, values))
    code, out = host("fail", name, stage)
    assert code == 0, out
    calls = driver.calls()
    if name in ("Velk Fault Init", "Velk Fault Channels"):
        # A driver that faulted is never called again, not even to be released.
        assert calls and not any(text.startswith("Release") for _, text in calls)
    if name == "Velk Fixed Rate":
        assert "canSampleRate 44100" in texts(driver)
        assert "setSampleRate 44100" not in texts(driver)


# The driver faults while it streams: at the report (getDriverName, also inside a system
# DLL), or in the control-panel command (stop of the streaming instance, start of the one
# reopened after the panel, which the panel hands its Fault on to).
@pytest.mark.parametrize("name, values, call", [
    ("Velk Abandon Name", {"Fault": "getDriverName"}, "getDriverName"),
    ("Velk Abandon Name In System", {"Fault": "getDriverName", "FaultInSystem": 1},
     "getDriverName"),
    ("Velk Abandon Stop", {"Fault": "stop"}, "stop"),
    ("Velk Abandon Start", {"PanelFault": "start"}, "start"),
])
def test_host_abandons_a_driver_that_faults_while_streaming(wine, drivers, host, name, values,
                                                           call):
    driver, = drivers((name, values))
    code, out = host("abandon", name, call, wine.windows_path(driver.dump))
    assert code == 0, out
    calls = driver.calls()
    faulted = {"stop": "stop while streaming"}.get(call, call)
    at = max((k for k, (_, text) in enumerate(calls) if text == faulted), default=None)
    assert at is not None, calls
    # Only the abandoned instance's own thread goes on; the host calls nothing more.
    assert all(i == calls[at][0] and text == "streaming" for i, text in calls[at + 1:]), calls
