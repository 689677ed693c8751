"""The file formats a scenario writes for the program: INI text, 24-bit BMP pictures and
16-bit stereo PCM WAV loops."""
import struct


def ini_text(sections):
    """INI text from {section: {key: value}} (or a list of (key, value) to allow duplicates)."""
    lines = []
    for section, entries in sections.items():
        lines.append("[%s]" % section)
        items = entries.items() if isinstance(entries, dict) else entries
        lines.extend("%s=%s" % (key, value) for key, value in items)
        lines.append("")
    return "\r\n".join(lines)


def bmp_bytes(width, height, color, rects=()):
    """A 24-bit bottom-up BMP filled with `color` (r, g, b), then each (left, top, right,
    bottom), colour pair of `rects` painted over it (right and bottom exclusive)."""
    rows = [bytearray(bytes((color[2], color[1], color[0])) * width) for _ in range(height)]
    for (left, top, right, bottom), (r, g, b) in rects:
        for y in range(max(top, 0), min(bottom, height)):
            span = range(max(left, 0), min(right, width))
            rows[y][span.start * 3:span.stop * 3] = bytes((b, g, r)) * len(span)
    padding = b"\0" * (-width * 3 % 4)
    pixels = b"".join(bytes(row) + padding for row in reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def wav_bytes(left, right=None, header=46):
    """16-bit stereo PCM at 44100 Hz. header 46: an 18-byte format chunk (samples at offset
    46); header 44: the common 16-byte one (samples at offset 44)."""
    right = right if right is not None else [0] * len(left)
    data = b"".join(struct.pack("<hh", l, r) for l, r in zip(left, right))
    fmt = struct.pack("<HHIIHH", 1, 2, 44100, 44100 * 4, 4, 16)
    if header == 46:
        fmt += struct.pack("<H", 0)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" +
            struct.pack("<I", len(data)) + data)
    wav = b"RIFF" + struct.pack("<I", len(body)) + body
    assert wav.index(data) == header
    return wav
