"""Xvfb, a warm wineserver, and Windows programs run under them."""
import os
import subprocess
import time
from pathlib import Path


ROOT = Path(__file__).resolve().parents[3]


def test_prefix():
    """The test prefix: $VELK_WINEPREFIX, else build/wineprefix."""
    return Path(os.environ.get("VELK_WINEPREFIX", ROOT / "build" / "wineprefix")).resolve()


def make_prefix(prefix, build_dir=None):
    """Creates the prefix, or refreshes it (scripts/wine-prefix.sh); given a build folder,
    the virtual MIDI driver built there is installed in it too."""
    subprocess.run([str(ROOT / "scripts" / "wine-prefix.sh"),
                    *([str(build_dir)] if build_dir else [])],
                   check=True, env=dict(os.environ, VELK_WINEPREFIX=str(prefix)))


# Wine processes run with address space randomization off. The 64-bit loader here has no
# preloader: it is linked at 0x7d000000 and its heap follows it, at a random offset of up to
# 32 MB when randomization is on. Now and then a process then ends at start-up with exit
# code 1 before running any Windows code ("failed to map the shared user data: c0000018",
# seen with WINEDEBUG=err+all, once or twice in some thousands of probe runs), which the probe's
# callers took for an answer. Without randomization the heap starts right after the loader.
NO_RANDOMIZATION = ["setarch", "x86_64", "--addr-no-randomize"]

# Loaders. An exe file runs as what it is under either, but Wine's builtin programs (regedit,
# reg, cmd) start as 32-bit ones under `wine` once Wine's 32-bit half is installed: a 64-bit
# one, for the registry's 64-bit view, needs the 64-bit loader.
WINE = "wine"
WINE64 = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else WINE


def wine_env(prefix, display=None, extra=None):
    """The environment of a Wine process in the prefix: 64-bit, quiet, without Mono and
    Gecko, on the X display given (none: no display at all)."""
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("VMIDI_CTL", None)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    env.update(extra or {})
    return env


def end_wineserver(prefix):
    """Waits for the prefix's server to end: one started without a display must not serve
    programs under Xvfb, nor one started under Xvfb outlive it. One still running after its
    idle time is a persistent leftover of an aborted run, and is killed."""
    try:
        subprocess.run(["wineserver", "-w"], env=wine_env(prefix), timeout=30)
    except subprocess.TimeoutExpired:
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix), timeout=30)


def windows_path(path):
    """The Windows name of a Linux path, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wait_until(poll, timeout=10.0, what="condition", interval=0.02):
    """Calls poll() until it returns something true and returns that; no fixed sleeps."""
    deadline = time.monotonic() + timeout
    while True:
        value = poll()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError("no %s after %.1f s" % (what, timeout))
        time.sleep(interval)


class Display:
    """An Xvfb server with a 24-bit 1280x1024 screen (xvfb-run's default is 640x480x8)."""

    def __init__(self, name=None):
        """name: an X display already running (e.g. the user's own ":0"); else a new Xvfb."""
        self._process = None
        self.name = name
        if name:
            return
        read_end, write_end = os.pipe()
        # -displayfd lets Xvfb pick a free display number: other test runs may hold one.
        self._process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as chosen:
            number = chosen.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    @property
    def env(self):
        return {"DISPLAY": self.name}

    def stop(self):
        if self._process:
            self._process.terminate()
            self._process.wait(10)

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *map(str, args)], env={**os.environ, **self.env},
                              capture_output=True, text=True, timeout=15)
        return done.stdout

    def x_windows(self, title):
        """X ids of the visible windows with exactly this title."""
        pattern = "^" + "".join("\\" + c if c in ".[]()*+?{}|^$\\" else c for c in title) + "$"
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", pattern).split()]

    def key(self, title, *keys):
        """Types keys (xdotool names, e.g. "alt+slash") into the visible window with this title.

        There is no window manager: the window gets the focus directly and the pointer is put
        over it, since keys go to the window under the pointer."""
        window = wait_until(lambda: self.x_windows(title), what="window " + title)[0]
        geometry = dict(line.split("=") for line in
                        self.xdotool("getwindowgeometry", "--shell", window).split())
        x = int(geometry["X"]) + int(geometry["WIDTH"]) // 2
        y = int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2
        self.xdotool("mousemove", x, y, "windowfocus", window, "key", *keys)

    def click(self, x, y, button=1):
        """Clicks at screen coordinates (Win32 screen coordinates equal X root coordinates)."""
        self.xdotool("mousemove", x, y, "click", button)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], env={**os.environ, **self.env},
                       check=True, timeout=30)
        return Screenshot(path)


class Screenshot:
    """A root-window picture; pixel(x, y) gives (r, g, b) at screen coordinates."""

    def __init__(self, path):
        self.path = Path(path)
        ppm = subprocess.run(["/usr/bin/convert", str(path), "-depth", "8", "ppm:-"],
                             capture_output=True, check=True, timeout=30).stdout
        magic, width, height, _, self._pixels = ppm.split(maxsplit=4)
        assert magic == b"P6"
        self.width, self.height = int(width), int(height)

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self._pixels[at:at + 3])


class Wine:
    """Runs Windows programs in the test prefix, under one warm wineserver and the display."""

    def __init__(self, prefix, display, log_dir):
        self.prefix = Path(prefix)
        self.display = display
        self.log_dir = Path(log_dir)
        self.log_dir.mkdir(parents=True, exist_ok=True)
        self._logs = 0

    def env(self, extra=None):
        return wine_env(self.prefix, self.display.name if self.display else None, extra)

    def start(self):
        end_wineserver(self.prefix)  # the prefix was made by a server without a display
        # A persistent server: start to first window 0.3-0.6 s instead of 2-3 s.
        subprocess.run(["wineserver", "-p"], env=self.env(), timeout=30)
        self.run(["cmd", "/c", "exit"], timeout=120)  # brings up the prefix's own processes

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env(), timeout=30)

    def log_file(self, name):
        self._logs += 1
        return self.log_dir / ("%03d-%s" % (self._logs, name))

    def spawn(self, args, env=None, cwd=None, stdin=subprocess.DEVNULL, stdout=None, name="wine",
              loader=WINE):
        """Starts `wine args...`; stderr always goes to a file (a pipe would wait for the
        wineserver to exit)."""
        stderr_path = self.log_file(name + ".stderr")
        with open(stderr_path, "wb") as stderr:
            process = subprocess.Popen([*NO_RANDOMIZATION, loader, *map(str, args)],
                                       env=self.env(env), cwd=cwd, stdin=stdin, stdout=stdout,
                                       stderr=stderr)
        process.stderr_path = stderr_path
        return process

    def run(self, args, timeout=30, env=None, cwd=None, loader=WINE):
        """Runs to the end; returns (exit code, stdout bytes)."""
        process = self.spawn(args, env, cwd, stdout=subprocess.PIPE, name=Path(str(args[0])).stem,
                             loader=loader)
        try:
            out, _ = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            raise
        return process.returncode, out

    windows_path = staticmethod(windows_path)


class Program:
    """One run of a Windows program, connected to a virtual MIDI unit when one is given.

    Its stdout and stderr go to files; `wine prog.exe` ends with WinMain's result mod 256."""

    def __init__(self, wine, exe, unit=None, args=(), env=None, cwd=None):
        self.wine = wine
        self.exe = Path(exe)
        self.args = list(args)
        self.env = dict(unit.env if unit else {}, **(env or {}))
        self.cwd = cwd or self.exe.parent
        self.process = None

    def start(self):
        self.stdout_path = self.wine.log_file(self.exe.stem + ".stdout")
        with open(self.stdout_path, "wb") as stdout:
            self.process = self.wine.spawn([self.exe, *self.args], self.env, self.cwd,
                                           stdout=stdout, name=self.exe.stem)
        return self

    @property
    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait(self, timeout=30.0):
        """Waits for the exit and returns the exit code."""
        return self.process.wait(timeout)

    def kill(self):
        if self.running:
            self.process.kill()
            self.process.wait(10)

    def stdout(self):
        return self.stdout_path.read_bytes().decode("cp1252")

    def stderr(self):
        return self.process.stderr_path.read_bytes().decode("cp1252", errors="replace")

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.kill()
