"""Instruction videos: the "Video Instructions..." button starts the player registered for the
video's file type, with the video's path in its command line; every failure is silent."""
import shutil

import pytest

from harness import Wine, wait_until
from harness.asio import Driver, is_32bit, register
from harness.facts import CONTINUE_BUTTON, DIALOG_CLASS, VIDEO_BUTTON
from harness.model import Model
from harness.station import Station


# Where the fake player is installed like a stock player, named through the environment.
INSTALLED_PLAYER = "Velk Test Player\\fakeplayer.exe"


@pytest.fixture(scope="module")
def program_files(product_exe):
    """The folder %ProgramFiles% names for the station: a 32-bit process on 64-bit Windows is
    given the x86 one."""
    return "Program Files (x86)" if is_32bit(product_exe) else "Program Files"


@pytest.fixture(scope="module")
def player(wine, fixture_exe, program_files):
    """Registers the fake player for a few video types in the test prefix."""
    exe = Wine.windows_path(fixture_exe("fakeplayer"))
    installed = wine.prefix / "drive_c" / program_files / INSTALLED_PLAYER.replace("\\", "/")
    installed.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(fixture_exe("fakeplayer"), installed)
    stock = '"%%ProgramFiles%%\\%s" /Open "%%L"' % INSTALLED_PLAYER
    types = {
        ".vtst": ("VelkTest.Video", {"Play": '"%s" "%%1"' % exe, "Open": '"%s" open "%%1"' % exe}),
        ".mov": ("VelkTest.Mov", {"Open": '"%s" mov "%%1"' % exe}),
        # A template whose only '%' is next-to-last: the program must refuse it.
        ".vbad": ("VelkTest.Bad", {"Open": '"%s" bad %%1' % exe}),
        # A stock player's template: an environment reference first, expanded by its type.
        ".vexp": ("VelkTest.Expand", {"Open": (stock, "REG_EXPAND_SZ")}),
        # The same text as a plain string is taken as it stands: its first '%' is no placeholder.
        ".vsz": ("VelkTest.Plain", {"Open": stock}),
    }
    for extension, (file_type, verbs) in types.items():
        wine.run(["reg", "add", "HKCR\\" + extension, "/ve", "/d", file_type, "/f"])
        for verb, command in verbs.items():
            command, kind = command if isinstance(command, tuple) else (command, "REG_SZ")
            key = "HKCR\\%s\\Shell\\%s\\Command" % (file_type, verb)
            wine.run(["reg", "add", key, "/ve", "/t", kind, "/d", command, "/f"])
    return exe


class VideoRun(Station):
    """A program run whose player log records every player start."""

    def __init__(self, wine, probe, unit, exe_folder, videos, player_exe, audio=None,
                 sequence=None):
        self.log = exe_folder.root / "player.log"
        self.folder = Wine.windows_path(exe_folder.root) + "\\"
        self.player_exe = player_exe
        model = Model(audio=audio, sequence=sequence or {"test3": 0, "test4": 0, "test5": 0,
                                                         "test6": 0, "test7": 0})
        model.write(exe_folder)
        settings = model.settings()
        settings["video"] = videos
        exe_folder.write_ini(model.settings_file, settings)
        super().__init__(wine, probe, exe_folder.exe, unit=unit, model=model,
                         env={"VELK_PLAYER_LOG": Wine.windows_path(self.log)})

    def __enter__(self):
        self.start()
        self.main_window()
        return self

    def starts(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def wait_starts(self, count):
        return wait_until(lambda: len(self.starts()) >= count and self.starts(), 10,
                          "%d player start(s)" % count)

    def expect_nothing_started(self):
        """Proves a press started nothing: the next step's video, pressed after it, is the
        only start recorded (presses are handled in order)."""
        self.press(CONTINUE_BUTTON)
        self.press(VIDEO_BUTTON)
        return self.wait_starts(1)

    def close_window(self):
        self.probe.close(self.window)
        return self.program.wait(15)


def test_step_video_starts_the_play_command_with_the_path(wine, probe, unit, exe_folder, player):
    with VideoRun(wine, probe, unit, exe_folder, {"video1": "clips\\intro.vtst"}, player) as s:
        s.press(VIDEO_BUTTON)
        assert s.wait_starts(1) == ['"%s" "%sclips\\intro.vtst"' % (player, s.folder)]
        s.press(VIDEO_BUTTON)  # each press starts another player
        assert len(s.wait_starts(2)) == 2
        assert s.close_window() == 0


def test_expandable_template_names_the_player_through_the_environment(
        wine, probe, unit, exe_folder, player, program_files):
    expanded = "C:\\%s\\%s" % (program_files, INSTALLED_PLAYER)
    with VideoRun(wine, probe, unit, exe_folder, {"video1": "clips\\intro.vexp"}, player) as s:
        s.press(VIDEO_BUTTON)
        assert s.wait_starts(1) == ['"%s" /Open "%sclips\\intro.vexp"' % (expanded, s.folder)]
        assert s.close_window() == 0


def test_path_without_extension_is_played_as_mov(wine, probe, unit, exe_folder, player):
    with VideoRun(wine, probe, unit, exe_folder, {"video1": "clips\\intro"}, player) as s:
        s.press(VIDEO_BUTTON)
        assert s.wait_starts(1) == ['"%s" mov "%sclips\\intro"' % (player, s.folder)]


def test_value_with_a_scheme_is_passed_unchanged(wine, probe, unit, exe_folder, player):
    videos = {"video1": "file:clip.vtst", "video2": "\\\\server\\share\\x.vtst"}
    with VideoRun(wine, probe, unit, exe_folder, videos, player) as s:
        s.press(VIDEO_BUTTON)
        s.press(CONTINUE_BUTTON)
        s.press(VIDEO_BUTTON)
        assert s.wait_starts(2) == ['"%s" "file:clip.vtst"' % player,
                                    '"%s" "\\\\server\\share\\x.vtst"' % player]


@pytest.mark.parametrize("video1", [
    "clip.vbad",          # the template's only '%' is its next-to-last character
    "clip.vsz",           # a plain string template is not expanded
    "",                   # no video configured
    "clip.unknownx",      # extension longer than the program takes
    "clip.zzz",           # no registered type
    # The command line would not fit its 255 characters, below pytest's usual temporary folder
    # (the value itself is read to 127 characters, so the folder must do its part).
    "c" * 120 + ".vtst",
], ids=["percent-next-to-last", "plain-string-not-expanded", "no-video", "long-extension",
        "unregistered", "too-long"])
def test_failures_start_nothing_and_say_nothing(wine, probe, unit, exe_folder, player, video1):
    if video1 is None:
        # One character more than the command line holds, whatever the folder's length:
        # '"player" "folder\name"' with the path itself still well within a path's limit.
        folder = Wine.windows_path(exe_folder.root) + "\\"
        video1 = "c" * (256 - len('"%s" ""' % player) - len(folder) - len(".vtst")) + ".vtst"
    videos = {"video1": video1, "video2": "next.vtst"}
    with VideoRun(wine, probe, unit, exe_folder, videos, player) as s:
        s.press(VIDEO_BUTTON)
        assert s.expect_nothing_started() == ['"%s" "%snext.vtst"' % (player, s.folder)]
        assert not [w for w in probe.windows() if w.cls == DIALOG_CLASS], "no message box"
        assert s.close_window() == 0


def test_step_ignores_the_pair_outside_the_audio_steps(wine, probe, unit, exe_folder, player):
    videos = {"video2": "step2.vtst", "video2_1": "pair.vtst"}
    with VideoRun(wine, probe, unit, exe_folder, videos, player) as s:
        s.press(CONTINUE_BUTTON)
        s.press(VIDEO_BUTTON)
        assert s.wait_starts(1) == ['"%s" "%sstep2.vtst"' % (player, s.folder)]


def test_audio_steps_take_the_pair_video_or_fall_back_to_the_step(
        wine, probe, unit, exe_folder, player, asio_dll):
    card = Driver("Velk Video Test Card", Inputs=4, Outputs=4)
    register(wine, asio_dll, [card])
    videos = {"video6": "out.vtst", "video6_2": "out2.vtst", "video7": "in.vtst",
              "video7_2": "in2.vtst"}
    only_audio = {"test2": 0, "test3": 0, "test4": 0, "test5": 0, "test8": 0}
    with VideoRun(wine, probe, unit, exe_folder, videos, player, audio=card.name,
                 sequence=only_audio) as s:
        started = ['"%s" "%s%s"' % (player, s.folder, name)
                   for name in ("out.vtst", "out2.vtst", "in.vtst", "in2.vtst")]
        # Each start is awaited before the next press: players started in quick succession
        # may write their log lines in either order.
        for count in range(1, 5):
            s.press(CONTINUE_BUTTON)
            s.press(VIDEO_BUTTON)
            assert s.wait_starts(count) == started[:count]
