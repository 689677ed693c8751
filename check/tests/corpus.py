"""The broken-model corpus: each case is the demo model with one change, and the findings
(severity, check, file, line) that change must give and nothing else.

A case is (name, change, expected). change(model) edits a fresh copy of the demo (a Model);
expected is a list of (severity, check, file, where): file is "settings", "launcher" or a
path under the model folder; where is a line number, a text whose first line in that file
(after the change) is meant, a function of the model giving the line, or None for a finding
without a line.
"""
import os
import shutil
import struct

DEMO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo")
LAUNCHER = "Velk Analyser.ini"
SETTINGS = "VelkDJ2/VelkDJ2.ini"


class Bitmap:
    """A 24-bit bottom-up bitmap, as the demo's are, with pixels as (r, g, b) rows."""

    def __init__(self, data):
        offset = struct.unpack_from("<I", data, 10)[0]
        self.width, self.height = struct.unpack_from("<ii", data, 18)
        row = (self.width * 3 + 3) & ~3
        self.rows = []
        for y in range(self.height):
            base = offset + (self.height - 1 - y) * row
            self.rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                              for x in range(self.width)])

    def crop(self, width, height):
        self.rows = [r[:width] for r in self.rows[:height]]
        self.width, self.height = width, height

    def bytes(self):
        row = (self.width * 3 + 3) & ~3
        image = bytearray()
        for y in range(self.height - 1, -1, -1):
            line = bytearray()
            for r, g, b in self.rows[y]:
                line += bytes((b, g, r))
            image += line + b"\0" * (row - len(line))
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(image),
                           2835, 2835, 0, 0)
        return struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54) + info + bytes(image)


def bitmap16(picture, green_bits):
    """The picture as a 16-bit bitmap, 5-6-5 with colour masks (green_bits 6) or 5-5-5 without,
    each channel cut to its top bits as a paint program saves it."""
    row = (picture.width * 2 + 3) & ~3
    image = bytearray()
    for y in range(picture.height - 1, -1, -1):
        line = bytearray()
        for r, g, b in picture.rows[y]:
            value = (r >> 3) << (5 + green_bits) | (g >> (8 - green_bits)) << 5 | b >> 3
            line += struct.pack("<H", value)
        image += line + b"\0" * (row - len(line))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F) if green_bits == 6 else b""
    info = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, 16,
                       3 if masks else 0, len(image), 2835, 2835, 0, 0)
    offset = 54 + len(masks)
    return (struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset) + info + masks +
            bytes(image))


def save16(name, green_bits):
    return lambda m: m.write("VelkDJ2/" + name, bitmap16(Bitmap(m.read("VelkDJ2/" + name)), green_bits))


class Model:
    """A copy of the demo: the launcher file beside the model folder."""

    def __init__(self, root):
        self.root = root
        shutil.copy(os.path.join(DEMO, LAUNCHER), os.path.join(root, LAUNCHER))
        shutil.copytree(os.path.join(DEMO, "VelkDJ2"), os.path.join(root, "VelkDJ2"))
        self.launcher_name = LAUNCHER

    def path(self, rel):
        return os.path.join(self.root, rel)

    def read(self, rel):
        with open(self.path(rel), "rb") as f:
            return f.read()

    def write(self, rel, data):
        with open(self.path(rel), "wb") as f:
            f.write(data)

    def edit(self, rel, old, new):
        """Replaces the one line that reads old (CR LF files); new may hold several lines."""
        lines = self.read(rel).decode("ascii").split("\r\n")
        assert lines.count(old) == 1, f"{old!r} in {rel}"
        index = lines.index(old)
        lines[index:index + 1] = new.split("\r\n") if new is not None else []
        self.write(rel, "\r\n".join(lines).encode("ascii"))

    def bitmap(self, name, change):
        picture = Bitmap(self.read("VelkDJ2/" + name))
        change(picture)
        self.write("VelkDJ2/" + name, picture.bytes())

    def remove(self, rel):
        os.remove(self.path(rel))


def ini(old, new):
    return lambda m: m.edit(SETTINGS, old, new)


def after(line, added):
    return ini(line, line + "\r\n" + added)


def launcher(old, new):
    return lambda m: m.edit(LAUNCHER, old, new)


def fill(x, y, w, h, colour):
    def change(picture):
        for row in range(y, y + h):
            for col in range(x, x + w):
                picture.rows[row][col] = colour
    return change


def copy_region(source, x, y, w, h):
    def change(m, name):
        other = Bitmap(m.read("VelkDJ2/" + source))

        def paste(picture):
            for row in range(y, y + h):
                picture.rows[row][x:x + w] = other.rows[row][x:x + w]
        m.bitmap(name, paste)
    return change


def wav_field(offset, fmt, value):
    def change(m):
        data = bytearray(m.read("VelkDJ2/loop.wav"))
        struct.pack_into(fmt, data, offset, value)
        m.write("VelkDJ2/loop.wav", bytes(data))
    return change


def text_file(name, change):
    return lambda m: m.write("VelkDJ2/" + name, change(m.read("VelkDJ2/" + name)))


def clear_led_flags(m):
    data = m.read(SETTINGS).decode("ascii").split("\r\n")
    data = [line[:-2] + ",0" if line.endswith(",1") and "=" in line else line for line in data]
    m.write(SETTINGS, "\r\n".join(data).encode("ascii"))


def shadow_led_note(m):
    """Note 67 (an any-channel LED note) gets an entry on every channel, each drawn lit in a
    square of its own along the top edge: a press of 67 now always resolves to a channel's
    entry, so the any-channel entry can never pass."""
    squares = [(4 + 16 * c, 2, 12, 12) for c in range(16)]
    entries = "\r\n".join("67:%d=%d,%d,%d,%d,0" % ((c + 1,) + squares[c]) for c in range(16))
    after("67=460,252,36,22,1", entries)(m)
    for name, colour in (("panel_red.bmp", (232, 24, 24)), ("panel_green.bmp", (24, 200, 48))):
        for square in squares:
            m.bitmap(name, fill(*square, colour))


def with_mark(rel, drop_lines):
    """A UTF-8 byte-order mark in front of the file, its first drop_lines lines left out."""
    def change(m):
        lines = m.read(rel).split(b"\r\n")
        m.write(rel, b"\xef\xbb\xbf" + b"\r\n".join(lines[drop_lines:]))
    return change


def rename_launcher(m):
    os.rename(m.path(LAUNCHER), m.path("Velk.ini"))
    m.launcher_name = "Velk.ini"


E, W, N = "error", "warning", "note"
CONTROLLERS_22_TO_27 = [(E, "never-tested", "settings", f"{n}=") for n in range(22, 28)]

CASES = [
    # Launcher
    ("no-midi-section", launcher("Velk DJ-2=VelkDJ2", None),
     [(E, "no-midi-section", "launcher", "[midi]")]),
    ("profile-empty", launcher("Velk DJ-2=VelkDJ2", "Velk DJ-2=VelkDJ2\r\nVelk DJ-2 MkII="),
     [(W, "profile-empty", "launcher", "Velk DJ-2 MkII=")]),
    ("profile-missing", launcher("Velk DJ-2=VelkDJ2", "Velk DJ-2=VelkDJ2\r\nVelk DJ-3=VelkDJ3"),
     [(E, "profile-missing", "launcher", "Velk DJ-3=")]),
    ("no-settings", launcher("settings=VelkDJ2\\VelkDJ2.ini", None),
     [(E, "no-settings", "launcher", "[VelkDJ2]")]),
    ("settings-missing", launcher("settings=VelkDJ2\\VelkDJ2.ini", "settings=VelkDJ2\\VelkDJ3.ini"),
     [(E, "settings-missing", "launcher", "settings=")]),
    ("port-name-long",
     launcher("Velk DJ-2=VelkDJ2", "Velk DJ-2=VelkDJ2\r\nVelk DJ-2 with a far too long name=VelkDJ2"),
     [(W, "port-name-long", "launcher", "Velk DJ-2 with")]),
    ("launcher-key-duplicate", launcher("Velk DJ-2=VelkDJ2", "Velk DJ-2=VelkDJ2\r\nvelk dj-2=VelkDJ2"),
     [(W, "key-duplicate", "launcher", "velk dj-2=")]),
    ("launcher-key-unknown", launcher("audio=Velk DJ-2 ASIO", "audio=Velk DJ-2 ASIO\r\ndriver=x"),
     [(W, "key-unknown", "launcher", "driver=")]),
    ("profile-unused", launcher("audio=Velk DJ-2 ASIO", "audio=Velk DJ-2 ASIO\r\n[Spare]\r\nsettings=x.ini"),
     [(N, "profile-unused", "launcher", "[Spare]")]),
    ("launcher-mark", with_mark(LAUNCHER, 1), [(W, "byte-order-mark", "launcher", 1)]),
    ("launcher-mark-comment", with_mark(LAUNCHER, 0), []),
    ("launcher-name", rename_launcher, [(N, "launcher-name", "launcher", None)]),
    # The settings file as text
    ("outside-section", lambda m: m.write(SETTINGS, b"Width=800\r\n" + m.read(SETTINGS)),
     [(W, "outside-section", "settings", 1)]),
    ("settings-mark", with_mark(SETTINGS, 3), [(W, "byte-order-mark", "settings", 1)]),
    ("section-unknown", after("test8=1", "[sequenze]\r\ntest1=1"),
     [(W, "section-unknown", "settings", "[sequenze]")]),
    ("section-duplicate", lambda m: m.write(SETTINGS, m.read(SETTINGS) + b"[notes]\r\n99=1,1,5,5,0\r\n"),
     [(W, "section-duplicate", "settings", "[notes]\r\n99=")]),
    ("key-unknown-control", after("7:1=22,84,36,16,0", "7:01=22,84,36,16,0"),
     [(W, "key-unknown", "settings", "7:01=")]),
    ("key-unknown-background", after("Width=1000", "redbitmap=VelkDJ2\\panel_red.bmp"),
     [(W, "key-unknown", "settings", "redbitmap=")]),
    ("key-unknown-channel", after("64=432,46,36,36,0", "64:17=432,46,36,36,0"),
     [(W, "key-unknown", "settings", "64:17=")]),
    ("key-duplicate", after("64=432,46,36,36,0", "64=10,10,20,20,0"),
     [(W, "key-duplicate", "settings", "64=10,10")]),
    ("no-equals", after("64=432,46,36,36,0", "99 1,1,5,5,0"), [(W, "no-equals", "settings", "99 1")]),
    ("value-long", ini("test1=1", "test1=" + "0" * 130 + "1"),
     [(W, "value-long", "settings", "test1="), (W, "value-scan", "settings", "test1=")]),
    ("value-scan-note", ini("13:1=14,118,46,26,1", "13:1=14,118,46,26;1"),
     [(W, "value-scan", "settings", "13:1=")]),
    ("value-scan-integer", ini("Width=1000", "Width=1000px"), [(W, "value-scan", "settings", "Width=")]),
    ("controller-receive", ini("22=404,134,36,36", "22=404,134,36,36,1"),
     [(W, "controller-receive", "settings", "22=")]),
    ("number-hex-upper", ini("showmidichannels=1", "showmidichannels=0X1"),
     [(W, "value-scan", "settings", "showmidichannels=")]),
    ("number-long", ini("showmidichannels=1", "showmidichannels=" + "0" * 29 + "1"),
     [(W, "value-scan", "settings", "showmidichannels=")]),
    ("number-longest", ini("showmidichannels=1", "showmidichannels=" + "0" * 28 + "1"), []),
    ("key-nearest", after("Width=1000", "meter_of=VelkDJ2\\meter_off.bmp"),
     [(W, "key-unknown", "settings", "meter_of=")]),
    # Files
    ("bitmap-missing", lambda m: m.remove("VelkDJ2/panel_green.bmp"),
     [(E, "bitmap-missing", "settings", "green_bitmap=")]),
    ("bitmap-unreadable", lambda m: m.write("VelkDJ2/meter_on.bmp", m.read("VelkDJ2/meter_on.bmp")[:1000]),
     [(E, "bitmap-unreadable", "settings", "meter_on=")]),
    ("panel-size", lambda m: m.bitmap("panel_red.bmp", lambda p: p.crop(899, 400)),
     [(E, "panel-size", "settings", "red_bitmap=")]),
    ("meter-size", lambda m: m.bitmap("meter_on.bmp", lambda p: p.crop(24, 199)),
     [(E, "meter-size", "settings", "meter_on=")]),
    ("meter-narrow", lambda m: [m.bitmap(n, lambda p: p.crop(16, 200)) for n in ("meter_on.bmp", "meter_off.bmp")],
     [(W, "meter-narrow", "settings", "meter_off=")]),
    ("loop-missing", lambda m: m.remove("VelkDJ2/loop.wav"), [(E, "loop-missing", "settings", "loop=")]),
    ("loop-layout", wav_field(34, "<H", 8), [(E, "loop-layout", "settings", "loop=")]),
    ("loop-short", lambda m: m.write("VelkDJ2/loop.wav", m.read("VelkDJ2/loop.wav")[:-1000]),
     [(W, "loop-short", "settings", "loop=")]),
    ("loop-rate", wav_field(24, "<I", 48000), [(W, "loop-rate", "settings", "loop=")]),
    ("loop-format-short", wav_field(16, "<I", 14), [(E, "loop-layout", "settings", "loop=")]),
    ("loop-block-align", wav_field(32, "<H", 2), [(E, "loop-layout", "settings", "loop=")]),
    ("loop-data-huge", wav_field(42, "<I", 128 << 20), [(E, "loop-layout", "settings", "loop=")]),
    ("text-missing", lambda m: m.remove("VelkDJ2/text3_1.txt"), [(W, "text-missing", "settings", "text3_1=")]),
    ("text-long", text_file("text8.txt", lambda d: d + b"More text for the last page.\r\n" * 30),
     [(W, "text-long", "VelkDJ2/text8.txt",
       lambda m: m.read("VelkDJ2/text8.txt")[:1024].count(b"\n") + 1)]),
    ("text-lf", text_file("text2.txt", lambda d: d.replace(b"\r\n", b"\n", 2).replace(b"\n", b"\r\n", 1)),
     [(W, "text-lf", "VelkDJ2/text2.txt", 2)]),
    ("file-case", lambda m: [launcher("settings=VelkDJ2\\VelkDJ2.ini", "settings=velkdj2\\VelkDJ2.INI")(m),
                             ini("off_bitmap=VelkDJ2\\panel_off.bmp", "off_bitmap=velkdj2\\PANEL_OFF.BMP")(m),
                             ini("loop=VelkDJ2\\loop.wav", "loop=VELKDJ2\\Loop.Wav")(m),
                             ini("text8=VelkDJ2\\text8.txt", "text8=VelkDJ2\\Text8.TXT")(m)], []),
    ("text-rooted", ini("text8=VelkDJ2\\text8.txt", "text8=\\VelkDJ2\\text8.txt"),
     [(W, "text-missing", "settings", "text8=")]),
    ("video-rooted", lambda m: m.write(SETTINGS, m.read(SETTINGS) + b"\r\n[video]\r\nvideo3=\\VelkDJ2\\notes.mov\r\n"),
     [(W, "video-missing", "settings", "video3=")]),
    ("text-utf16", text_file("text8.txt", lambda d: b"\xff\xfe" + d.decode("ascii").encode("utf-16-le")),
     [(W, "text-encoding", "VelkDJ2/text8.txt", 1)]),
    ("text-zero", text_file("text2.txt", lambda d: d.replace(b"\r\n", b"\r\n\0", 1)),
     [(W, "text-encoding", "VelkDJ2/text2.txt", 2)]),
    ("text-ansi-name", lambda m: m.write(SETTINGS, m.read(SETTINGS).replace(
        b"text8=VelkDJ2\\text8.txt", "text8=VelkDJ2\\Übersicht.txt".encode("cp1252"))),
     [(W, "text-missing", "settings", "text8=")]),
    ("video-missing", lambda m: m.write(SETTINGS, m.read(SETTINGS) + b"\r\n[video]\r\nvideo3=VelkDJ2\\notes.mov\r\n"),
     [(W, "video-missing", "settings", "video3=")]),
    # Layout
    ("outside-client", ini("continue_button=778,646,170,44", "continue_button=778,646,170,70"),
     [(W, "outside-client", "settings", "continue_button=")]),
    ("child-overlap", ini("video_button=778,592,170,40", "video_button=778,592,170,60"),
     [(W, "child-overlap", "settings", "continue_button=")]),
    ("child-empty", ini("continue_button=778,646,170,44", None), [(E, "child-empty", "settings", "[background]")]),
    # Controls
    ("rect-outside", ini("0:2=854,110,28,160", "0:2=854,110,60,160"),
     [(E, "rect-outside", "settings", "0:2=")]),
    ("rect-wraps", ini("0:2=854,110,28,160", "0:2=854,110,2147483000,160"),
     [(E, "rect-outside", "settings", "0:2=")]),
    ("rect-size", ini("64=432,46,36,36,0", "64=432,46,0,36,0"), [(E, "rect-size", "settings", "64=")]),
    ("rect-overlap", ini("65=398,92,44,18,0", "65=398,92,64,18,0"),
     [(W, "rect-overlap", "settings", "66=")]),
    # Sequence
    ("page-empty", after("text4_2=2,VelkDJ2\\text4_2.txt", "text4_3=5,VelkDJ2\\text4.txt"),
     [(W, "page-empty", "settings", "text4_3=")]),
    ("page-stuck", shadow_led_note,
     [(E, "page-stuck", "settings", "text3="), (E, "page-stuck", "settings", "text5=")]),
    ("never-tested", ini("text4=VelkDJ2\\text4.txt", "text4=1,VelkDJ2\\text4.txt"), CONTROLLERS_22_TO_27),
    ("page-gap", after("text3_2=2,VelkDJ2\\text3_2.txt", "text3_4=VelkDJ2\\text3.txt"),
     [(W, "page-gap", "settings", "text3_4=")]),
    ("page-unused", after("text2=VelkDJ2\\text2.txt", "text2_1=VelkDJ2\\text2.txt"),
     [(W, "page-unused", "settings", "text2_1=")]),
    ("channel-prefix", ini("text3_2=2,VelkDJ2\\text3_2.txt", "text3_2=17,VelkDJ2\\text3_2.txt"),
     [(W, "channel-prefix", "settings", "text3_2=")]),
    ("prefix-ignored", ini("text6_1=VelkDJ2\\text6_1.txt", "text6_1=1,VelkDJ2\\text6_1.txt"),
     [(N, "prefix-ignored", "settings", "text6_1=")]),
    ("rx-without-step5", ini("test5=1", "test5=0"), [(W, "rx-without-step5", "settings", "test5=")]),
    ("rx-none", clear_led_flags, [(W, "rx-none", "settings", "test5=")]),
    ("led-channel-16", lambda m: [ini("test3=1", "test3=0")(m), ini("test4=1", "test4=0")(m)],
     [(N, "led-channel-16", "settings", "67=")]),
    ("led-channel-from-controllers", ini("test3=1", "test3=0"), []),
    ("audio-no-driver", launcher("audio=Velk DJ-2 ASIO", "audio="),
     [(W, "audio-no-driver", "settings", "test6=")]),
    # Pictures
    ("not-lit", lambda m: copy_region("panel_off.bmp", 432, 46, 36, 36)(m, "panel_red.bmp"),
     [(W, "not-lit", "settings", "64=")]),
    ("red-is-green", lambda m: copy_region("panel_red.bmp", 398, 92, 44, 18)(m, "panel_green.bmp"),
     [(W, "red-is-green", "settings", "65=")]),
    ("bitmap-16-bit", lambda m: [save16("panel_red.bmp", 6)(m), save16("panel_green.bmp", 5)(m)], []),
    ("bitmap-16-bit-unlit", save16("panel_off.bmp", 5), []),
    ("marks-outside", lambda m: m.bitmap("panel_red.bmp", fill(700, 18, 6, 6, (232, 24, 24))),
     [(N, "marks-outside", "settings", "red_bitmap=")]),
    ("marks-near", ini("68=414,298,72,20,1", "68=418,298,72,20,1"),
     [(N, "marks-outside", "settings", "68=")]),
]

# What some findings must say, beyond their place: case name -> texts the output holds.
MESSAGES = {
    "key-nearest": ["meter_of: key never read: the station reads meter_off [key-unknown]"],
    "number-hex-upper": ["'0X1' is not a whole number: the station reads 0"],
    "number-long": ["within the 29 characters the station reads of a number: the station reads 0"],
    "text-rooted": ["/VelkDJ2/text8.txt (at the root of the station's drive, not in its folder) not found"],
    "launcher-mark": ["never finds section [midi] and reads none of its 1 keys"],
    "settings-mark": ["[sequence] the file starts with a UTF-8 byte-order mark"],
    "loop-short": ["its data chunk says 176400 bytes, the file holds 175400 of them"],
    "loop-layout": ["does not play: it holds 8-bit PCM with 2 channels; the station plays 16-bit"],
    # The loader's own reasons, not a guess at them from a second reading of the file.
    "loop-format-short": ['does not play: its "fmt " chunk holds 14 bytes, too few for a format'],
    "loop-block-align": ["does not play: its format says 2 bytes per frame, not 4 for 16-bit"],
    "loop-data-huge": ["does not play: its data chunk claims 134217728 bytes, more than a loop"],
    "rect-wraps": ["rectangle 854,110,2147483000,160 reaches past the panel picture"],
}
