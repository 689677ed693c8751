"""The loopback ASIO driver (tests/fixtures/asio_loopback): registering instances in a Wine
prefix, and reading the call log and output dump they write.

One DLL serves every instance; each has its own registry entry HKLM\\Software\\ASIO\\<name>
(CLSID, Description and the configuration values of tests/README.md) and its own CLSID. A
32-bit DLL is registered in the registry's 32-bit view, where 32-bit programs look.

As a script it registers one instance (asio.py register --dll D [--prefix P] NAME
[Key=Value ...]) and prints its CLSID.
"""
import argparse
import struct
import sys
import tempfile
import uuid
from pathlib import Path

if __package__:
    from .wine import WINE, WINE64, Wine, make_prefix, test_prefix, windows_path
else:  # run as a script
    sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
    from harness.wine import WINE, WINE64, Wine, make_prefix, test_prefix, windows_path

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


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    reg = sub.add_parser("register", help="register one instance: NAME [Key=Value ...]")
    reg.add_argument("--prefix", default=test_prefix())
    reg.add_argument("--dll", required=True)
    reg.add_argument("name")
    reg.add_argument("values", nargs="*")
    args = parser.parse_args(argv)
    if not (Path(args.prefix) / "system.reg").exists():
        make_prefix(args.prefix)
    values = {}
    for item in args.values:
        key, _, value = item.partition("=")
        values[key] = int(value) if value.lstrip("-").isdigit() else value
    driver = Driver(args.name, **values)
    register(args.prefix, args.dll, [driver])
    print(driver.clsid)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
