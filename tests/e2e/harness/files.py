"""The one writer of the files a model is made of, for the scenarios and for the demo
generator (scripts/make_demo.py): INI text, 24-bit BMP pictures and 16-bit stereo PCM WAV
loops, byte for byte as the station's readers take them. The names of settings and launcher
files come from the station's schema (facts): a key written here that the schema does not
have stops the writer, so no list of key names is kept beside it."""
import re
import struct

from . import facts


def ini_text(sections, head=()):
    """INI text with CR LF line ends: the `head` lines (comments), then each section of
    {section: entries}, a blank line between sections. entries: {key: value}, or a list of
    (key, value) pairs (duplicates allowed) and lines written as they are (comments)."""
    lines = list(head)
    for number, (section, entries) in enumerate(sections.items()):
        if number:
            lines.append("")
        lines.append("[%s]" % section)
        items = entries.items() if isinstance(entries, dict) else entries
        lines.extend(item if isinstance(item, str) else "%s=%s" % item for item in items)
    return "".join(line + "\r\n" for line in lines)


_NUMBERED = {facts.SCHEMA_NAMES["kSequenceSection"]: facts.SEQUENCE_STEM,
             facts.SCHEMA_NAMES["kTextSection"]: facts.PAGE_STEM,
             facts.SCHEMA_NAMES["kVideoSection"]: facts.VIDEO_STEM}
_CONTROL_SECTIONS = (facts.SCHEMA_NAMES["kNotesSection"], facts.SCHEMA_NAMES["kControllersSection"])


def _keys(entries):
    items = entries.items() if isinstance(entries, dict) else entries
    return [item[0] for item in items if not isinstance(item, str)]


def _settings_key_fault(section, key):
    """Why [section] key is not one the schema names (the station may still skip it: a
    scenario writes keys of the right shape that no step reads); None when it is."""
    if section in _NUMBERED:
        shaped = re.fullmatch(r"%s\d+(_\d+)?" % _NUMBERED[section], key)
    elif section in _CONTROL_SECTIONS:
        shaped = re.fullmatch(r"\d+(:\d+)?", key)
    else:
        shaped = facts.SETTING_KEYS.get(key, (None,))[0] == section
    return None if shaped else "[%s] %s is not a key of the settings schema" % (section, key)


def settings_text(sections, head=()):
    """ini_text of a settings file whose every section and key the schema names."""
    for section, entries in sections.items():
        if section not in facts.SETTING_SECTIONS:
            raise KeyError("[%s] is not a section of the settings schema" % section)
        for key in _keys(entries):
            fault = _settings_key_fault(section, key)
            if fault:
                raise KeyError(fault)
    return ini_text(sections, head)


def launcher_text(midi, profiles, head=()):
    """ini_text of a launcher file: [midi] port name -> profile, then each profile's keys."""
    for profile, entries in profiles.items():
        unknown = [key for key in _keys(entries) if key not in facts.LAUNCHER_KEYS]
        if unknown:
            raise KeyError("[%s] %s: a device profile holds only %s" % (
                profile, ", ".join(unknown), " and ".join(facts.LAUNCHER_KEYS)))
    return ini_text({facts.LAUNCHER_PORT_SECTION: midi, **profiles}, head)


def picture_bytes(width, height, pixels):
    """A 24-bit uncompressed bottom-up BMP of `pixels`: top-down rows of (r, g, b) bytes."""
    row_size = (width * 3 + 3) & ~3
    padding = b"\0" * (row_size - width * 3)
    rows = []
    for y in range(height - 1, -1, -1):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        bgr = bytearray(row)
        bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
        rows.append(bytes(bgr) + padding)
    image = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + image


def bmp_bytes(width, height, color, rects=()):
    """A picture filled with `color` (r, g, b), then each (left, top, right, bottom), colour
    pair of `rects` painted over it (right and bottom exclusive)."""
    pixels = bytearray(bytes(color) * (width * height))
    for (left, top, right, bottom), colour in rects:
        for y in range(max(top, 0), min(bottom, height)):
            span = range(max(left, 0), min(right, width))
            start = (y * width + span.start) * 3
            pixels[start:start + len(span) * 3] = bytes(colour) * len(span)
    return picture_bytes(width, height, pixels)


def wav_bytes(left, right=None, header=46, rate=44100):
    """16-bit stereo PCM. header 46: an 18-byte format chunk (samples at offset 46), the
    oldest layout units ship with; header 44: the common 16-byte one (samples at 44)."""
    right = right if right is not None else [0] * len(left)
    data = b"".join(struct.pack("<hh", l, r) for l, r in zip(left, right))
    fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
    if header == 46:
        fmt += struct.pack("<H", 0)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" +
            struct.pack("<I", len(data)) + data)
    wav = b"RIFF" + struct.pack("<I", len(body)) + body
    assert wav.index(data) == header
    return wav
