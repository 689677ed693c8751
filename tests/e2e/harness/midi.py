"""MIDI short messages as the words winmm delivers and sends: status in the low byte, then
the first and second data bytes. Channels count 1..16 as an operator counts them."""

NOTE_OFF, NOTE_ON, CONTROL_CHANGE, PITCH_BEND = 0x80, 0x90, 0xB0, 0xE0
CLOCK, START, STOP = 0xF8, 0xFA, 0xFC


def message(kind, channel, first=0, second=0):
    """The word of a channel message: kind (NOTE_ON, ...) on channel 1..16."""
    return kind | (channel - 1) | first << 8 | second << 16


def note_on(channel, number, velocity=0x40):
    return message(NOTE_ON, channel, number, velocity)


def note_off(channel, number, velocity=0x40):
    return message(NOTE_OFF, channel, number, velocity)


def control_change(channel, number, value):
    return message(CONTROL_CHANGE, channel, number, value)


def pitch_bend(channel, value, low=0):
    """Pitch bend: `low` the first data byte, `value` the second."""
    return message(PITCH_BEND, channel, low, value)
