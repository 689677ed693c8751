"""Reading and poking the program's windows through velkprobe.exe (run in the same prefix)."""
import os
import select
import subprocess
from collections import namedtuple

from .facts import DIALOG_CLASS, MESSAGE_BOX_TEXT
from .wine import wait_until

Window = namedtuple("Window", "hwnd pid cls rect title")
Child = namedtuple("Child", "id hwnd cls visible rect text")
MessageBox = namedtuple("MessageBox", "hwnd title text buttons")  # buttons: {id: caption}


def _unescape(text):
    return text.replace("\\r", "\r").replace("\\n", "\n").replace("\\t", "\t")


def _rect(text):
    return tuple(int(v) for v in text.split())


class Probe:
    """Windows are named by handle (int) or by exact title (str)."""

    def __init__(self, wine, exe):
        self.wine = wine
        self.exe = exe

    def run(self, *args, check=True):
        code, out = self.wine.run([self.exe, *[self._arg(a) for a in args]], timeout=30)
        if check and code != 0:
            raise RuntimeError("velkprobe %s: exit code %d" % (" ".join(map(str, args)), code))
        return code, out.decode("cp1252")

    @staticmethod
    def _arg(value):
        return hex(value) if isinstance(value, int) else value

    def windows(self):
        """Visible top-level windows."""
        found = []
        for line in self.run("windows")[1].splitlines():
            hwnd, pid, cls, rect, title = line.split("\t")
            found.append(Window(int(hwnd, 16), int(pid), cls, _rect(rect), _unescape(title)))
        return found

    def find(self, title, timeout=10.0, cls=None):
        """Handle of a visible top-level window with this title ("*": any), waiting for it."""
        args = ["find", title, str(int(timeout * 1000))] + ([cls] if cls else [])
        code, out = self.run(*args, check=False)
        if code != 0:
            raise TimeoutError("no window %r%s after %.1f s; visible: %s" % (
                title, " of class " + cls if cls else "", timeout,
                [(w.title, w.cls) for w in self.windows()]))
        return int(out.split()[0], 16)

    def wait_gone(self, hwnd, timeout=10.0):
        wait_until(lambda: all(w.hwnd != hwnd for w in self.windows()), timeout,
                   "end of window %#x" % hwnd, interval=0.05)

    def text(self, window, id=None):
        """WM_GETTEXT of the window or of its child with that control id; CR LF kept."""
        return self.run("text", window, *([] if id is None else [hex(id)]))[1]

    def children(self, window):
        found = []
        for line in self.run("children", window)[1].splitlines():
            id, hwnd, cls, visible, rect, text = line.split("\t")
            found.append(Child(int(id), int(hwnd, 16), cls, visible == "1", _rect(rect),
                               _unescape(text)))
        return found

    def rect(self, window, id=None):
        """Screen rectangle (left, top, right, bottom) of the window or of a child."""
        return _rect(self.run("rect", window, *([] if id is None else [hex(id)]))[1])

    def client(self, window):
        """Client area in screen coordinates."""
        return _rect(self.run("client", window)[1])

    def focus(self, window):
        """(handle, control id, class) of the keyboard focus in the window's thread."""
        hwnd, id, cls = (self.run("focus", window)[1].rstrip("\n").split("\t") + [""])[:3]
        return int(hwnd, 16), int(id), cls

    def click(self, window, id):
        """Posts BM_CLICK to the child button with that id."""
        self.run("click", window, hex(id))

    def command(self, window, id):
        """Posts WM_COMMAND for a control id, menu item or accelerator command."""
        self.run("command", window, hex(id))

    def close(self, window):
        self.run("close", window)

    def post(self, window, msg, wparam=0, lparam=0):
        self.run("post", window, hex(msg), hex(wparam), hex(lparam))

    def send(self, window, msg, wparam=0, lparam=0):
        return int(self.run("send", window, hex(msg), hex(wparam), hex(lparam))[1])

    def dialog_font(self, face, points, text=None):
        """((base x, base y), (width, height) of `text` on one line, or None) for a dialog
        font: the units a dialog of that FONT statement places its controls in."""
        numbers = [int(v) for v in self.run("dialogfont", face, str(points),
                                            *([] if text is None else [text]))[1].split()]
        return tuple(numbers[:2]), tuple(numbers[2:]) or None

    def message_box(self, title, timeout=10.0):
        """The visible message box with this caption: its text and its buttons."""
        hwnd = self.find(title, timeout, cls=DIALOG_CLASS)
        buttons = {c.id: c.text for c in self.children(hwnd) if c.cls.lower() == "button"}
        return MessageBox(hwnd, title, self.text(hwnd, MESSAGE_BOX_TEXT), buttons)

    def repainter(self, window):
        """A Repainter for the window: repaints it whenever asked."""
        return Repainter(self.wine, self.exe, window)


class Repainter:
    """velkprobe repaint: one whole-window repaint, background erased, per request."""

    def __init__(self, wine, exe, window):
        self.process = wine.spawn([exe, "repaint", hex(window)], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, name="velkprobe-repaint")
        self._unread = b""

    def _answer(self, timeout=30.0):
        """The probe's next line, or None when none came within the timeout."""
        while b"\n" not in self._unread:
            if not select.select([self.process.stdout], [], [], timeout)[0]:
                return None
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                raise RuntimeError("velkprobe repaint ended with exit code %s"
                                   % self.process.wait(10))
            self._unread += chunk
        line, self._unread = self._unread.split(b"\n", 1)
        return line.decode().strip()

    def begin(self):
        """Asks for a repaint; returns once the probe is about to make it."""
        self.process.stdin.write(b"go\n")
        self.process.stdin.flush()
        assert self._answer() == "painting"
        self._painted = False

    def painting(self):
        """Whether the paint asked for is still running (does not wait)."""
        if not self._painted:
            answer = self._answer(timeout=0)
            assert answer in (None, "painted"), answer
            self._painted = answer == "painted"
        return not self._painted

    def end(self):
        """Waits until the window's thread has handled the paint."""
        if not self._painted:
            assert self._answer() == "painted"
        self._painted = True

    def close(self):
        self.process.stdin.close()
        self.process.wait(10)
        self.process.stdout.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.close()
