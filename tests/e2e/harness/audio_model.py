"""A unit with a sound card for the audio steps: the unit model with its [audio] loop (the
WAV files come from files.wav_bytes), the loop matched against what the loopback
driver dumped, and the level meters read off the screen.

The model's meter pictures are flat colours (METER_ON_COLOUR lit, METER_OFF_COLOUR unlit),
so one column of pixels tells how many rows of a meter are lit."""
import math
from dataclasses import dataclass

from .asio import (FLOAT32_LSB, FLOAT32_MSB, FLOAT64_LSB, FLOAT64_MSB, INT16_LSB, INT16_MSB,
                   INT24_LSB, INT24_MSB)
from .midi_model import ScreenPixels
from .model import METER_OFF_COLOUR, METER_ON_COLOUR, METER_SIZE, Model

LOOP_FILE = "loop.wav"


@dataclass
class AudioModel(Model):
    """The minimal model with a sound card: `audio` names its driver; the loop file lies
    beside the exe."""
    # The window's Width and Height are its outer size: the meters stand above the bottom
    # of the client area, clear of the panel (which ends at row 230).
    meter_at: tuple = (20, 250)
    loop: str = LOOP_FILE


def loop_value(sample_type, played):
    """The 16-bit loop sample a played output sample stands for, or None when the value is
    not one the program writes for any loop sample (s, s x 256, s x 65536 or s / 65536)."""
    if sample_type in (FLOAT32_LSB, FLOAT32_MSB, FLOAT64_LSB, FLOAT64_MSB):
        scaled = played * 65536
        exact = math.isfinite(scaled) and scaled == int(scaled)
        return int(scaled) if exact and -32768 <= scaled <= 32767 else None
    scale = {INT16_LSB: 1, INT16_MSB: 1, INT24_LSB: 256, INT24_MSB: 256}.get(sample_type, 65536)
    return played // scale if played % scale == 0 and -32768 <= played // scale <= 32767 \
        else None


def loop_offset(loop, sample_type, played):
    """Where in the loop (cyclic) the played samples start, or None when they are not a run
    of consecutive loop samples. The loop's values must be unique."""
    values = [loop_value(sample_type, v) for v in played]
    if not values or None in values or values[0] not in loop:
        return None
    start = loop.index(values[0])
    if any(values[i] != loop[(start + i) % len(loop)] for i in range(len(values))):
        return None
    return start


class MeterPixels(ScreenPixels):
    """Reads the two level meters of a pair: the even channel's at Meter_left, the odd
    one's 20 pixels to its right, both METER_SIZE[1] rows high from Meter_top."""

    def __init__(self, display_name, meter_origin):
        """meter_origin: screen point of (Meter_left, Meter_top)."""
        super().__init__(display_name)
        self.origin = meter_origin

    def lit_rows(self, meter):
        """Lit rows of meter 0 (even channel) or 1 (odd channel), counted from the bottom;
        None while the column is not a meter (not drawn yet)."""
        height = METER_SIZE[1]
        x = self.origin[0] + 20 * meter + 10
        column = self.column(x, self.origin[1], height)
        lit = 0
        while lit < height and column[height - 1 - lit] == METER_ON_COLOUR:
            lit += 1
        if any(c != METER_OFF_COLOUR for c in column[:height - lit]):
            return None
        return lit

    def pair(self):
        return self.lit_rows(0), self.lit_rows(1)

