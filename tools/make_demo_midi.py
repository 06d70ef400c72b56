#!/usr/bin/env python3
"""Writes examples/demo.mid, the song scripts/run.sh renders: thirteen bars in
A minor with pedalled chords, a bass line and a melody that uses pitch bend and
the modulation wheel, slowing down over the last three bars.

    tools/make_demo_midi.py [OUTPUT.mid]
"""
import pathlib
import struct
import sys

PPQ = 480
EIGHTH = PPQ // 2
BAR = 4 * PPQ

CHORDS_CHANNEL, BASS_CHANNEL, MELODY_CHANNEL = 0, 1, 2
NOTE_ON, NOTE_OFF, CONTROL, PITCH_BEND = 0x90, 0x80, 0xB0, 0xE0
MOD_WHEEL, SUSTAIN_PEDAL = 1, 64
BEND_CENTRE = 8192

# Quarter notes a minute from the start of each bar on: a ritardando at the end.
TEMPO_CHANGES = [(0, 96), (10, 88), (11, 80), (12, 72)]

A, C, D, E, F, G = 57, 60, 62, 64, 65, 67  # roots in the octave below middle C
CHORD_TONES = {
    "Am": (A, [57, 60, 64]), "F": (F - 12, [57, 60, 65]), "C": (C - 12, [55, 60, 64]),
    "G": (G - 12, [55, 59, 62]), "E": (E - 12, [56, 59, 64]), "Dm": (D - 12, [57, 62, 65]),
}
# Per bar: (start in eighths, length in eighths, chord).
PROGRESSION = [
    [(0, 8, "Am")], [(0, 8, "F")], [(0, 8, "C")], [(0, 8, "G")],
    [(0, 8, "Am")], [(0, 8, "F")], [(0, 8, "C")], [(0, 8, "E")],
    [(0, 8, "Dm")], [(0, 8, "Am")], [(0, 4, "F"), (4, 4, "G")], [(0, 8, "Am")],
    [(0, 8, "Am")],
]
# Per bar from bar 5 on: (start in eighths, length in eighths, note).
MELODY = [
    [(0, 3, 76), (3, 1, 74), (4, 2, 72), (6, 2, 71)],
    [(0, 4, 72), (4, 2, 69), (6, 2, 72)],
    [(0, 3, 79), (3, 1, 77), (4, 4, 76)],
    [(0, 2, 74), (2, 2, 76), (4, 4, 80)],
    [(0, 3, 77), (3, 1, 76), (4, 2, 74), (6, 2, 72)],
    [(0, 4, 76), (4, 4, 72)],
    [(0, 2, 72), (2, 2, 74), (4, 2, 76), (6, 2, 79)],
    [(0, 8, 81)],
]
MELODY_FIRST_BAR = 4
# Bass rhythm in eighths: (start, length, interval above the root).
BASS_PATTERN = [(0, 2, 0), (3, 1, 0), (4, 2, 7), (6, 1, 12), (7, 1, 7)]


def quantity(value):
    """A MIDI variable-length quantity."""
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


def meta(kind, data):
    return bytes([0xFF, kind]) + quantity(len(data)) + data


def track_chunk(events, end_tick):
    """events: (tick, order, bytes). Channel messages use running status."""
    data = bytearray()
    now, running = 0, None
    for tick, _, message in sorted(events, key=lambda e: (e[0], e[1])):
        data += quantity(tick - now)
        now = tick
        if message[0] < 0xF0 and message[0] == running:
            data += message[1:]
        else:
            data += message
            running = message[0] if message[0] < 0xF0 else None
    data += quantity(end_tick - now) + meta(0x2F, b"")
    return b"MTrk" + struct.pack(">I", len(data)) + data


class Track:
    def __init__(self, name):
        self.events = [(0, 0, meta(0x03, name.encode("ascii")))]

    # Offs sort before ons at one tick, so a repeated note is released first.
    def note(self, channel, start, length, key, velocity):
        self.events.append((start, 2, bytes([NOTE_ON | channel, key, velocity])))
        self.events.append((start + length, 1, bytes([NOTE_OFF | channel, key, 64])))

    def control(self, channel, tick, controller, value):
        self.events.append((tick, 0, bytes([CONTROL | channel, controller, value])))

    def bend(self, channel, tick, value):
        self.events.append((tick, 0, bytes([PITCH_BEND | channel, value & 0x7F, value >> 7])))

    def ramp(self, tick, length, steps, write):
        for step in range(steps + 1):
            write(tick + length * step // steps, step / steps)


def conductor():
    track = Track("Sorrel demo")
    track.events.append((0, 0, meta(0x58, bytes([4, 2, 24, 8]))))
    for bar, bpm in TEMPO_CHANGES:
        track.events.append((bar * BAR, 0, meta(0x51, (60_000_000 // bpm).to_bytes(3, "big"))))
    return track


def chords():
    track = Track("Chords")
    for bar, parts in enumerate(PROGRESSION):
        start = bar * BAR
        # Lift and press the pedal again on every bar, as a pianist changes it.
        track.control(CHORDS_CHANNEL, start, SUSTAIN_PEDAL, 0)
        track.control(CHORDS_CHANNEL, start + PPQ // 8, SUSTAIN_PEDAL, 127)
        for eighth, length, name in parts:
            for key in CHORD_TONES[name][1]:
                track.note(CHORDS_CHANNEL, start + eighth * EIGHTH, length * EIGHTH // 2, key, 68)
    track.control(CHORDS_CHANNEL, len(PROGRESSION) * BAR, SUSTAIN_PEDAL, 0)
    return track


def bass():
    track = Track("Bass")
    for bar, parts in enumerate(PROGRESSION[:-1]):
        for eighth, length, name in parts:
            root = CHORD_TONES[name][0] - 12
            for step, steps, interval in BASS_PATTERN:
                if eighth <= step < eighth + length:
                    velocity = 92 if step % 4 == 0 else 74
                    track.note(BASS_CHANNEL, bar * BAR + step * EIGHTH, steps * EIGHTH - 20, root + interval, velocity)
    track.note(BASS_CHANNEL, (len(PROGRESSION) - 1) * BAR, BAR, A - 24, 92)
    return track


def melody():
    track = Track("Melody")
    for index, notes in enumerate(MELODY):
        bar_start = (MELODY_FIRST_BAR + index) * BAR
        for eighth, length, key in notes:
            track.note(MELODY_CHANNEL, bar_start + eighth * EIGHTH, length * EIGHTH - 30, key, 100)
    ch = MELODY_CHANNEL
    # Bar 7: the long E swells with the modulation wheel.
    swell = (MELODY_FIRST_BAR + 2) * BAR + 4 * EIGHTH
    track.ramp(swell, 2 * PPQ, 16, lambda t, x: track.control(ch, t, MOD_WHEEL, round(90 * x)))
    track.control(ch, swell + 4 * EIGHTH, MOD_WHEEL, 0)
    # Bar 8: the G sharp is bent up into from a semitone below (bend range 2 semitones).
    scoop = (MELODY_FIRST_BAR + 3) * BAR + 4 * EIGHTH
    track.ramp(scoop, PPQ, 16, lambda t, x: track.bend(ch, t, BEND_CENTRE - 4096 + round(4096 * x)))
    # Bar 10: the last C falls away a whole tone.
    fall = (MELODY_FIRST_BAR + 5) * BAR + 6 * EIGHTH
    track.ramp(fall, PPQ, 16, lambda t, x: track.bend(ch, t, BEND_CENTRE - round(8191 * x)))
    track.bend(ch, fall + PPQ + EIGHTH, BEND_CENTRE)
    # Bar 12: the final A rises into place and gains vibrato.
    last = (MELODY_FIRST_BAR + 7) * BAR
    track.ramp(last, EIGHTH, 8, lambda t, x: track.bend(ch, t, BEND_CENTRE - 2048 + round(2048 * x)))
    track.ramp(last, BAR, 24, lambda t, x: track.control(ch, t, MOD_WHEEL, round(100 * x)))
    track.control(ch, last + BAR, MOD_WHEEL, 0)
    return track


def main():
    output = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                          pathlib.Path(__file__).resolve().parent.parent / "examples" / "demo.mid")
    tracks = [conductor(), chords(), bass(), melody()]
    end = len(PROGRESSION) * BAR
    song = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    song += b"".join(track_chunk(track.events, end) for track in tracks)
    output.write_bytes(song)
    print(f"wrote {output} ({len(song)} bytes)")


if __name__ == "__main__":
    main()
