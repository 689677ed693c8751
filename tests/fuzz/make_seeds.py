#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus/<target>/) from the demo model.

Parts of a multi-part input are separated by a line "%%" (see fuzz_support.h). Run it again
after changing the demo model or a target's input layout; the seeds are committed.
"""
import json
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
DEMO = HERE.parent.parent / "demo"
MODEL = DEMO / "VelkDJ2"
CORPUS = HERE / "corpus"
SEP = b"\n%%\n"


def join(*parts):
    return SEP.join(parts)


def section(ini, name):
    """The lines of one section of the demo settings file, header included."""
    out, inside = [], False
    for line in ini.splitlines(keepends=True):
        if line.strip().startswith(b"["):
            inside = line.strip().lower() == b"[" + name + b"]"
        if inside:
            out.append(line)
    return b"".join(out)


def wav(chunks):
    body = b"WAVE" + b"".join(cid + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)
                              for cid, data in chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def fmt(channels, extra=b""):
    record = struct.pack("<HHIIHH", 1, channels, 44100, 44100 * 2 * channels, 2 * channels, 16)
    return record + extra


def extensible(channels):
    pcm = bytes.fromhex("0100000000001000800000aa00389b71")
    record = struct.pack("<HHIIHH", 0xFFFE, channels, 44100, 44100 * 2 * channels, 2 * channels, 16)
    return record + struct.pack("<HHI", 22, 16, 3) + pcm


def midi_records(step, page, rx, use_pages, messages):
    head = bytes([step, page + 1, rx & 0xFF, rx >> 8, use_pages, 0, 0, 0])
    return head + b"".join(struct.pack("<II", word, ts) for word, ts in messages)


def bmp_crop(data, width, height, bits=24):
    """The top-left width x height pixels of a 24-bit bottom-up bitmap, as a 24-bit bitmap
    or a 16-bit 5-6-5 one with colour masks."""
    offset = struct.unpack_from("<I", data, 10)[0]
    full_width, full_height = struct.unpack_from("<ii", data, 18)
    source_row = (full_width * 3 + 3) & ~3
    row = (width * bits // 8 + 3) & ~3
    image = bytearray()
    for y in range(height - 1, -1, -1):
        base = offset + (full_height - 1 - y) * source_row
        line = bytearray()
        for x in range(width):
            b, g, r = data[base + 3 * x:base + 3 * x + 3]
            line += bytes((b, g, r)) if bits == 24 else struct.pack(
                "<H", (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
        image += line + b"\0" * (row - len(line))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F) if bits == 16 else b""
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 3 if masks else 0, len(image),
                       2835, 2835, 0, 0)
    start = 54 + len(masks)
    return struct.pack("<2sIHHI", b"BM", start + len(image), 0, 0, start) + info + masks + image


def seeds():
    ini = (MODEL / "VelkDJ2.ini").read_bytes()
    launcher = (DEMO / "Velk Analyser.ini").read_bytes()
    controls = json.loads((MODEL / "controls.json").read_text())["controls"]
    loop = (MODEL / "loop.wav").read_bytes()
    frames = loop[46:46 + 4 * 48]  # 48 stereo frames of the demo loop
    mono = bytes(b for pair in zip(frames[0::4], frames[1::4]) for b in pair)
    text1 = (MODEL / "text1.txt").read_bytes()
    text3_1 = (MODEL / "text3_1.txt").read_bytes()

    # The model checker over the demo model with its pictures cut small (the input stays
    # small enough to fuzz fast), and the same with 16-bit pictures, a byte-order mark and a
    # page at the root of the drive.
    pictures = [bmp_crop((MODEL / name).read_bytes(), 96, 64)
                for name in ("panel_off.bmp", "panel_red.bmp", "panel_green.bmp")]
    meter = bmp_crop((MODEL / "meter_on.bmp").read_bytes(), 20, 24)
    short_loop = loop[:46 + 4 * 48]
    yield "model_check", "demo", join(ini, *pictures, meter, short_loop, text3_1, launcher)
    odd = b"\xef\xbb\xbf" + ini.replace(b"text8=VelkDJ2", b"text8=\\VelkDJ2")
    pictures16 = [bmp_crop((MODEL / name).read_bytes(), 64, 48, 16)
                  for name in ("panel_off.bmp", "panel_red.bmp", "panel_green.bmp")]
    # A unit of a few controls: each run of the checker costs far less.
    small = b"".join(section(ini, name) for name in (b"sequence", b"background", b"audio", b"text"))
    small += b"[notes]\r\n64=432,46,36,36,0\r\n67=10,10,20,20,1\r\n13:1=14,18,46,26,1\r\n"
    small += b"[controllers]\r\n22=40,34,36,36\r\n0:2=54,10,28,60\r\n"
    yield "model_check", "small", join(small, *pictures, meter, short_loop, text3_1, launcher)
    yield "model_check", "odd", join(odd, *pictures16, meter, loop[:46], b"\xff\xfeA\0",
                                     b"\xef\xbb\xbf" + launcher)

    yield "ini_section", "demo_settings", ini
    yield "ini_section", "demo_launcher", launcher
    yield "ini_section", "awkward", (b"pre=amble\r\n[notes]\r\n;0=1,2,3,4\r\n7\r\n7=1,2\r\n"
                                     b"  8  =  \"q v\"  \r\n9='x\r\n[NOTES]\r\n10=dup\r\n"
                                     b"[ text ] tail\r\ntext1=a.txt\rtext2=b.txt\n")

    yield "settings_load", "demo", join(ini, b"Velk DJ-2 ASIO")
    yield "settings_load", "demo_no_driver", join(ini, b"")
    yield "settings_load", "launcher_profile", join(launcher, b"")

    values = [b"22,84,36,16,0", b"284,110,28,160", b"48,426,640,272", b"  -5,+7, 8 ,9,1",
              b"2147483648,-2147483649,0,0,1", b"12abc,3"]
    for i, value in enumerate(values):
        yield "scan", f"value{i}", join(value, b"1,VelkDJ2\\text3_1.txt",
                                        struct.pack("<5i", 22, -84, 36, 2**31 - 1, -2**31))

    folder = b"C:\\Velk Station\\"
    paths = [b"VelkDJ2\\panel_off.bmp", b"C:\\Models\\VelkDJ2.ini", b"\\\\server\\share\\v.mp4",
             b"file:p.txt", b"", b"VelkDJ2\\" + b"x" * 240]
    for i, path in enumerate(paths):
        yield "path_rule", f"basic{i}", join(b"\0\xff", folder, path)
        yield "path_rule", f"extended{i}", join(b"\1\xff", folder, path)
    yield "path_rule", "small_buffer", join(b"\1\x1f", folder, paths[0])

    yield "loop_wav", "demo_46_byte_header", wav([(b"fmt ", fmt(2, b"\0\0")), (b"data", frames)])
    yield "loop_wav", "header_44", wav([(b"fmt ", fmt(2)), (b"data", frames)])
    yield "loop_wav", "list_before_data", wav([(b"fmt ", fmt(2)), (b"LIST", b"INFOISFT\3\0\0\0ab\0"),
                                               (b"data", frames)])
    yield "loop_wav", "mono", wav([(b"fmt ", fmt(1)), (b"data", mono)])
    yield "loop_wav", "extensible", wav([(b"fmt ", extensible(2)), (b"data", frames)])
    yield "loop_wav", "data_first", wav([(b"data", frames), (b"fmt ", fmt(2))])
    yield "loop_wav", "short_file", wav([(b"fmt ", fmt(2, b"\0\0")), (b"data", frames)])[:100]

    text = section(ini, b"text").replace(b"VelkDJ2\\text1.txt", b"a.txt")
    text = text.replace(b"VelkDJ2\\text3_1.txt", b"b.txt").replace(b"VelkDJ2\\", b"")
    for name, control in [("step1", bytes([0, 1, 0, 0, 0, 0, 0, 0, 1, 40])),
                          ("step2_clock", bytes([1, 0, 0, 120, 0, 0, 0, 1, 0, 12])),
                          ("step3_page1", bytes([2, 1, 0, 0, 0, 0, 0, 1, 1, 30])),
                          ("step7_pair", bytes([6, 3, 1, 0, 0, 0, 0, 0, 0, 5]))]:
        yield "page_text", name, join(text, text1, text3_1, control)
    # A page longer than the pane's 1024 bytes, in a buffer it fills.
    yield "page_text", "long_page", join(text, text1 * 3, text3_1, bytes([0, 0, 0, 0, 0, 0, 0, 1, 0, 63]))

    templates = [b'"C:\\Program Files\\Velk Player\\player.exe" /play "%1"',
                 b'"%ProgramFiles%\\Windows Media Player\\wmplayer.exe" /prefetch:6 /Open "%L"',
                 b"player.exe %1", b'player.exe "%1']
    videos = [b"C:\\Velk Station\\VelkDJ2\\video3.mp4", b"C:\\Velk Station\\VelkDJ2.v1\\intro",
              b"http://example.com/v.mov"]
    for i, template in enumerate(templates):
        for j, video in enumerate(videos):
            yield "video_command", f"t{i}_v{j}", join(template, video, bytes([8, 200, 5, 2, 12]))

    for i, name in enumerate([b"C:\\Users\\op\\Documents\\results", b"results.doc", b"results.html",
                              b"a.tx", b"C:\\" + b"r" * 252, b""]):
        yield "report_name", f"name{i}", join(name, bytes([12]))

    # The operator's moves on the demo unit: presses and sweeps per step, a 120 BPM clock
    # and a loopback pair.
    def status(kind, channel):
        return {"note": 0x90, "cc": 0xB0, "pitchbend": 0xE0}[kind] | (channel - 1)

    presses, sweeps = [], []
    ts = 1000
    for control in controls:
        ch = control["send_channel"]
        if control["kind"] == "note":
            on = status("note", ch) | control["number"] << 8 | 100 << 16
            presses += [(on, ts), (on & 0xFFFF, ts + 5)]
        elif control["message"] == "pitchbend":
            for value in (64, 0, 127, 64):
                sweeps.append((status("pitchbend", ch) | value << 16, ts))
        else:
            for value in (64, 0, 127):
                sweeps.append((status("cc", ch) | control["number"] << 8 | value << 16, ts))
        ts += 10
    clock = [(0xF8, 5000 + round(i * 20.8333)) for i in range(97 * 2)]
    loopback = [(0x3C90 | 0x40 << 16, 9000), (0x3C90 | 0x40 << 16, 9001), (0x3D90 | 0x40 << 16, 9002)]
    yield "midi_words", "link", join(ini, midi_records(1, -1, 0, 0, clock[:120] + loopback))
    yield "midi_words", "note_page1", join(ini, midi_records(2, 0, 0, 1, presses[:40]))
    yield "midi_words", "note_page2", join(ini, midi_records(2, 1, 0, 1, presses[40:80]))
    yield "midi_words", "controllers", join(ini, midi_records(3, -1, 0, 1, sweeps[:120]))
    # A mixer (any-channel) controller swept on deck A's channel while deck A's page is up:
    # it is under test there, an any-channel note is not.
    mixer = next(c for c in controls if c["kind"] == "controller" and c["channel"] == 0)
    on_deck_a = [(0xB0 | mixer["number"] << 8 | v << 16, 2000 + v) for v in (64, 0, 127)]
    on_deck_a.append((0x90 | 64 << 8 | 100 << 16, 2200))
    yield "midi_words", "mixer_on_deck_page", join(ini, midi_records(3, 0, 0, 1, on_deck_a))
    rx = next(c["index"] for c in controls if c["kind"] == "note" and c["receive"])
    yield "midi_words", "receive", join(ini, midi_records(4, -1, rx, 1, presses[:60]))


def main():
    shutil.rmtree(CORPUS, ignore_errors=True)
    count = 0
    for target, name, data in seeds():
        folder = CORPUS / target
        folder.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(data)
        count += 1
    print(f"{count} seeds written under {CORPUS}")


if __name__ == "__main__":
    main()
