"""End-to-end test harness: the program under Wine and Xvfb, a virtual MIDI unit, a window
probe, and the files a test lays out beside the exe (see tests/README.md)."""
from .exefolder import ExeFolder
from .facts import LAUNCHER, MESSAGE_BOX_TEXT
from .files import bmp_bytes, ini_text
from .probe import Probe
from .vmidi import VirtualUnit
from .wine import Display, Program, Screenshot, Wine, wait_until

__all__ = ["LAUNCHER", "MESSAGE_BOX_TEXT", "Display", "ExeFolder", "Probe", "Program",
           "Screenshot", "VirtualUnit", "Wine", "bmp_bytes", "ini_text", "wait_until"]
