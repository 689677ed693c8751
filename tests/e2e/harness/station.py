"""One run of the program as a scenario drives it: the main window, its text pane and buttons,
MIDI sent to the unit, the report question and the save dialog at the end."""
from .facts import (CONTINUE_BUTTON, DIALOG_CLASS, IDNO, IDYES, QUESTION, TEXT_PANE, TITLE)
from .wine import Program, wait_until

SAVE_DIALOG = "Save As"


def save_as(probe, display, path, timeout=15.0):
    """Types a Windows path into the common save dialog, presses Enter and waits until the
    dialog has gone; returns the dialog's handle."""
    dialog = probe.find(SAVE_DIALOG, timeout, cls=DIALOG_CLASS)
    display.key(SAVE_DIALOG, "ctrl+a")
    display.xdotool("type", "--delay", "2", probe.wine.windows_path(path))
    display.key(SAVE_DIALOG, "Return")
    probe.wait_gone(dialog, timeout)
    return dialog


class Station:
    """The program on a model laid out in its exe folder, connected to the unit.

    `model` gives the pages (`model.text(key)`); the window is found by `main_window()`
    (start-up messages may come before it)."""

    def __init__(self, wine, probe, exe, unit=None, model=None, env=None):
        self.wine, self.probe, self.unit, self.model = wine, probe, unit, model
        self.display = wine.display
        self.program = Program(wine, exe, unit=unit, env=env)
        self.window = None

    def start(self):
        self.program.start()
        return self

    def main_window(self, timeout=20.0):
        self.window = self.probe.find(TITLE, timeout)
        return self.window

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.kill()

    # -- observing -------------------------------------------------------------------------

    def title(self):
        return self.probe.text(self.window)

    def pane(self):
        return self.probe.text(self.window, TEXT_PANE)

    def caption(self):
        return self.probe.text(self.window, CONTINUE_BUTTON)

    def wait_page(self, key, title=None, caption=None, timeout=5.0):
        """Waits until the pane shows page `key` and, when given, the window the title; then
        checks the button's caption when one is given."""
        def shown():
            return self.pane() == self.model.text(key) and title in (None, self.title())
        try:
            wait_until(shown, timeout)
        except TimeoutError:
            raise TimeoutError("no page %s titled %r after %.1f s: pane %r, title %r" % (
                key, title, timeout, self.pane(), self.title())) from None
        if caption is not None:
            assert self.caption() == caption

    # -- acting ----------------------------------------------------------------------------

    def press(self, button=CONTINUE_BUTTON):
        self.probe.click(self.window, button)

    def send(self, *words):
        """Delivers the words and returns once the program's callback has handled them all."""
        for word in words:
            self.unit.send(word)
        self.unit.ping()

    def answer_report_question(self, button, timeout=15.0):
        box = self.probe.message_box(TITLE, timeout)
        assert (box.text, box.buttons) == (QUESTION, {IDYES: "&Yes", IDNO: "&No"})
        self.probe.click(box.hwnd, button)

    def save_as(self, path):
        return save_as(self.probe, self.display, path)

    def end_run(self, report=None):
        """Answers the report question (saving to `report` when given); the program ends."""
        self.answer_report_question(IDYES if report else IDNO)
        if report:
            self.save_as(report)
        self.finish()

    def finish(self, timeout=20.0):
        assert self.program.wait(timeout) == 0

    def kill(self):
        self.program.kill()
