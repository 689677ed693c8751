"""The loopback ASIO driver (tests/fixtures/asio_loopback): registering instances in a Wine
prefix, and reading the call log and output dump they write.

One DLL serves every instance; each has its own registry entry HKLM\\Software\\ASIO\\<name>
(CLSID, Description and the configuration values of tests/README.md) and its own CLSID. A
32-bit DLL is registered in the registry's 32-bit view, where 32-bit programs look.

As a script it also runs the Windows-side checks of the driver and of the program's audio
host (ctest does this in the MinGW build):

    asio.py check --dll asio_loopback.dll --smoke asio_loopback_smoke.exe \\
                  --host-check asio_host_check.exe [--prefix P]
"""
import argparse
import shutil
import struct
import sys
import tempfile
import uuid
from pathlib import Path

if __package__:
    from .files import wav_bytes
    from .wine import (WINE, WINE64, Display, Wine, end_wineserver, make_prefix, test_prefix,
                       windows_path)
else:  # run as a script by ctest
    sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
    from harness.files import wav_bytes
    from harness.wine import (WINE, WINE64, Display, Wine, end_wineserver, make_prefix,
                              test_prefix, windows_path)

# Sample types, as the driver's SampleType value takes them.
INT16_LSB, INT24_LSB, INT32_LSB, FLOAT32_LSB, FLOAT64_LSB = 16, 17, 18, 19, 20
INT16_MSB, INT24_MSB, INT32_MSB, FLOAT32_MSB, FLOAT64_MSB = 0, 1, 2, 3, 4


class Driver:
    """One registered instance. `values` are its configuration: int or bool -> REG_DWORD,
    str -> REG_SZ (Inputs=40, SampleType=FLOAT32_LSB, Fail="start,getLatencies", ...).
    `log` and `dump` (Linux paths) set the Log and Dump values."""

    def __init__(self, name, description=None, clsid=None, log=None, dump=None, **values):
        self.name = name
        self.description = name if description is None else description
        self.clsid = clsid or "{%s}" % str(uuid.uuid4()).upper()
        self.log = Path(log) if log else None
        self.dump = Path(dump) if dump else None
        self.values = dict(values)
        if log:
            self.values["Log"] = windows_path(log)
        if dump:
            self.values["Dump"] = windows_path(dump)

    def calls(self):
        """The log as (instance, call text) pairs, in order; [] before the first call."""
        return read_log(self.log)

    def outputs(self):
        """The last dumped output halves, decoded; None before the first dump."""
        return read_dump(self.dump)


def _reg_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def _reg_value(value):
    if isinstance(value, (bool, int)):
        return "dword:%08x" % (int(value) & 0xFFFFFFFF)
    return _reg_string(str(value))


def reg_text(dll, drivers, clear=False):
    """REGEDIT4 text registering `drivers` served by `dll`; `clear` first removes every
    ASIO driver entry of the prefix."""
    lines = ["REGEDIT4", ""]
    if clear:
        lines += ["[-HKEY_LOCAL_MACHINE\\Software\\ASIO]", ""]
    for d in drivers:
        key = "HKEY_LOCAL_MACHINE\\Software\\ASIO\\" + d.name
        lines += ["[-%s]" % key, "[%s]" % key, '"CLSID"=' + _reg_string(d.clsid)]
        if d.description:
            lines.append('"Description"=' + _reg_string(d.description))
        lines += ["%s=%s" % (_reg_string(k), _reg_value(v)) for k, v in d.values.items()]
        server = "HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32" % d.clsid
        lines += ["", "[%s]" % server, "@=" + _reg_string(windows_path(dll)),
                  '"ThreadingModel"="Apartment"', ""]
    return "\r\n".join(lines) + "\r\n"


def unreg_text(drivers):
    lines = ["REGEDIT4", ""]
    for d in drivers:
        lines += ["[-HKEY_LOCAL_MACHINE\\Software\\ASIO\\%s]" % d.name,
                  "[-HKEY_CLASSES_ROOT\\CLSID\\%s]" % d.clsid, ""]
    return "\r\n".join(lines) + "\r\n"


def is_32bit(dll):
    """Whether a PE file is an x86 image (machine 0x14c in its header)."""
    data = Path(dll).read_bytes()[:4096]
    header = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, header + 4)[0] == 0x14C


def import_reg(target, text, view32=False):
    """Imports REGEDIT4 text, into the 32-bit view with view32. target: a harness Wine, or a
    prefix path (run without a display)."""
    with tempfile.TemporaryDirectory(prefix="velk-reg-") as folder:
        reg = Path(folder) / "entries.reg"
        reg.write_bytes(text.encode("cp1252"))
        wine = target if isinstance(target, Wine) else Wine(target, None, Path(folder) / "logs")
        # Each regedit writes the view its own programs read: HKLM\Software\ASIO and
        # HKCR\CLSID of the 64-bit view, or of the 32-bit one (Wow6432Node).
        code, _ = wine.run(["regedit", "/S", windows_path(reg)], timeout=120,
                           loader=WINE if view32 else WINE64)
        if code != 0:
            raise RuntimeError("regedit failed with %d" % code)


def register(target, dll, drivers, clear=False):
    import_reg(target, reg_text(dll, drivers, clear), is_32bit(dll))


def unregister(target, drivers, dll=None):
    """Removes the entries; dll names the view they are in (the 64-bit one without)."""
    import_reg(target, unreg_text(drivers), bool(dll) and is_32bit(dll))


def read_log(path):
    if path is None or not Path(path).exists():
        return []
    calls = []
    for line in Path(path).read_text().splitlines():
        instance, _, text = line.partition(" ")
        calls.append((int(instance.lstrip("#")), text))
    return calls


_FORMATS = {INT16_LSB: "<h", INT16_MSB: ">h", INT32_LSB: "<i", INT32_MSB: ">i",
            FLOAT32_LSB: "<f", FLOAT32_MSB: ">f", FLOAT64_LSB: "<d", FLOAT64_MSB: ">d"}
for _t in (24, 25, 26, 27):
    _FORMATS[_t] = "<i"
for _t in (8, 9, 10, 11):
    _FORMATS[_t] = ">i"


def decode(sample_type, data):
    """Samples of a half-buffer as numbers (24-bit values sign-extended)."""
    if sample_type in (INT24_LSB, INT24_MSB):
        order = "little" if sample_type == INT24_LSB else "big"
        return [int.from_bytes(data[i:i + 3], order, signed=True) for i in range(0, len(data), 3)]
    fmt = _FORMATS[sample_type]
    size = struct.calcsize(fmt)
    return [struct.unpack(fmt, data[i:i + size])[0] for i in range(0, len(data), size)]


def read_dump(path):
    """{"switches": n, "type": t, "frames": f, "outputs": [[samples of output 0], ...]}."""
    if path is None or not Path(path).exists():
        return None
    dump = {"outputs": []}
    for line in Path(path).read_text().splitlines():
        key, _, value = line.partition(" ")
        if key.startswith("out"):
            dump["outputs"].append(decode(dump["type"], bytes.fromhex(value)))
        else:
            dump[key] = int(value)
    return dump


# ---- Windows-side checks ------------------------------------------------------------------

def _loop_wav(path, frames=4410):
    """A 16-bit stereo loop with the 46-byte header: a ramp reaching 30000."""
    Path(path).write_bytes(wav_bytes([(i * 97) % 30001 for i in range(frames)]))


class _Checks:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        print("%s %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures.append(what)


def _released(calls, instance):
    return any(i == instance and text.startswith("Release") for i, text in calls)


def _instances(calls, call):
    return [i for i, text in calls if text.startswith(call)]


def check(prefix, dll, smoke, host_check):
    work = Path(tempfile.mkdtemp(prefix="velk-asio-"))
    loop = work / "loop.wav"
    _loop_wav(loop)
    t = lambda name, **values: Driver(name, log=work / (name + ".log"),
                                      dump=work / (name + ".dump"), **values)
    smoke_driver = t("Velk Smoke")
    good = t("Velk Check Good", PanelBufferSize=128)
    wide = t("Velk Check Wide", Inputs=40, Outputs=8, SampleType=FLOAT32_LSB, TimeInfo=0)
    # Two entries of one description: the lookup goes on past the one that faults.
    fault_first = t("Velk Check Dup 1", description="Velk Check Dup", Fault="create")
    dup_good = t("Velk Check Dup 2", description="Velk Check Dup")
    failing = {
        "Velk Fault Create": (t("Velk Fault Create", Fault="create"), "initialising"),
        "Velk Fault Init": (t("Velk Fault Init", Fault="init"), "initialising"),
        "Velk Fault Channels": (t("Velk Fault Channels", Fault="getChannels"), "initialising"),
        "Velk No Outputs": (t("Velk No Outputs", Outputs=0), "initialising"),
        "Velk Fixed Rate": (t("Velk Fixed Rate", SampleRate=48000, CanSet44100=0), "opening"),
        "Velk Fail Start": (t("Velk Fail Start", Fail="start"), "starting"),
        "Velk Null Buffer": (t("Velk Null Buffer", Fail="nullBuffer"), "starting"),
    }
    # Faults while streaming, and the host call that faults: the instance is abandoned
    # running. The panel hands its Fault on to the instance reopened after it.
    abandoned = {
        "Velk Abandon Name": (t("Velk Abandon Name", Fault="getDriverName"), "getDriverName"),
        "Velk Abandon Name In System": (t("Velk Abandon Name In System", Fault="getDriverName",
                                          FaultInSystem=1), "getDriverName"),
        "Velk Abandon Stop": (t("Velk Abandon Stop", Fault="stop"), "stop"),
        "Velk Abandon Start": (t("Velk Abandon Start", PanelFault="start"), "start"),
    }
    drivers = [smoke_driver, good, wide, fault_first, dup_good] + \
        [d for d, _ in failing.values()] + [d for d, _ in abandoned.values()]
    register(prefix, dll, drivers)
    checks = _Checks()
    # The host's message boxes need a display: without one Wine returns at once.
    end_wineserver(prefix)
    display = Display()
    wine = Wine(prefix, display, work / "wine-logs")

    def run(exe, *args, timeout=60):
        code, out = wine.run([exe, *args], timeout=timeout)
        return code, out.decode("cp1252", errors="replace")
    try:
        # The first program under the display in a new prefix also brings up the prefix's
        # own processes; the smoke check must not be that program.
        run("cmd", "/c", "exit", timeout=120)
        code, out = run(smoke, smoke_driver.name)
        sys.stdout.write(out)
        checks.expect(code == 0, "smoke: the driver registers, is created and streams")

        for driver in (good, wide, dup_good):
            name = driver.description
            code, out = run(host_check, "stream", name, loop)
            sys.stdout.write(out)
            checks.expect(code == 0, "host streams with %s" % name)
        calls = good.calls()
        texts = [text for _, text in calls]
        checks.expect(texts.count("controlPanel") == 1, "control panel called once")
        checks.expect("createBuffers 4 128" in texts, "the panel's buffer size is used")
        checks.expect(texts[-2:] == ["disposeBuffers", "Release 0"], "closed at the end")
        wide_calls = [text for _, text in wide.calls()]
        checks.expect("createBuffers 40 256" in wide_calls, "40 inputs: 32 used, buffers for 40")
        checks.expect(not any(c.startswith("getChannelInfo in ") and int(c.split()[-1]) >= 32
                              for c in wide_calls), "no input beyond the 32nd queried")
        checks.expect(any(c.startswith("stop") and "positionQueries=0" not in c
                          for c in wide_calls), "bufferSwitch asks for the sample position")
        dump = wide.outputs()
        checks.expect(dump is not None and len(dump["outputs"]) == 8, "8 outputs dumped")
        played = [round(v * 65536) for v in dump["outputs"][0]] if dump else []
        checks.expect(len(played) == 256 and all((b - a) % 30001 == 97 for a, b in
                                                 zip(played, played[1:])),
                      "output 0 plays the loop as floats at 2^-16 a step")
        checks.expect(dump and dump["outputs"][1] == dump["outputs"][0] and
                      not any(any(o) for o in dump["outputs"][2:]),
                      "output 1 plays the same, outputs 2-7 are silent")
        faulted = _instances(fault_first.calls(), "create")
        checks.expect(faulted and not any(_released(fault_first.calls(), i) for i in faulted),
                      "a driver that faulted in creation is never released")

        for name, (driver, stage) in failing.items():
            code, out = run(host_check, "fail", name, loop, stage)
            sys.stdout.write(out)
            checks.expect(code == 0, "%s: message '%s', no crash" % (name, stage))
        for name in ("Velk Fault Init", "Velk Fault Channels"):
            calls = failing[name][0].calls()
            checks.expect(calls and not any(text.startswith("Release") for _, text in calls),
                          "%s: the faulted instance is never released" % name)
        for name, (driver, call) in abandoned.items():
            code, out = run(host_check, "abandon", name, loop, call,
                             windows_path(driver.dump))
            sys.stdout.write(out)
            checks.expect(code == 0, "%s: abandoned streaming, no crash" % name)
            calls = driver.calls()
            faulted = {"stop": "stop while streaming"}.get(call, call)
            at = max((k for k, (_, text) in enumerate(calls) if text == faulted), default=None)
            # Only the abandoned instance's own thread goes on; the host calls nothing more.
            checks.expect(at is not None and all(
                i == calls[at][0] and text == "streaming" for i, text in calls[at + 1:]),
                "%s: no call after the fault in %s, no instance reopened" % (name, call))
        fixed = [text for _, text in failing["Velk Fixed Rate"][0].calls()]
        checks.expect("canSampleRate 44100" in fixed and "setSampleRate 44100" not in fixed,
                      "a fixed 48 kHz driver is asked, not set")
    finally:
        end_wineserver(prefix)
        display.stop()
        unregister(prefix, drivers, dll)
    print("%d failures" % len(checks.failures))
    if not checks.failures:
        shutil.rmtree(work)  # kept for a look at the logs when something failed
    return not checks.failures


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    reg = sub.add_parser("register", help="register one instance: NAME [Key=Value ...]")
    reg.add_argument("--prefix", default=test_prefix())
    reg.add_argument("--dll", required=True)
    reg.add_argument("name")
    reg.add_argument("values", nargs="*")
    run = sub.add_parser("check", help="Windows-side checks of the driver and the host")
    run.add_argument("--prefix", default=test_prefix())
    run.add_argument("--dll", required=True)
    run.add_argument("--smoke", required=True)
    run.add_argument("--host-check", required=True)
    args = parser.parse_args(argv)
    if not (Path(args.prefix) / "system.reg").exists():
        make_prefix(args.prefix)
    if args.command == "register":
        values = {}
        for item in args.values:
            key, _, value = item.partition("=")
            values[key] = int(value) if value.lstrip("-").isdigit() else value
        driver = Driver(args.name, **values)
        register(args.prefix, args.dll, [driver])
        print(driver.clsid)
        return 0
    return 0 if check(args.prefix, args.dll, args.smoke, args.host_check) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
