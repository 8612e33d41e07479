#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus into corpus/ (next to this script).

Each seed is a sequence of host actions in the fuzzer's input format (see
host_actions_fuzzer.cpp): an opcode byte, low four bits the action, high four
bits the stack placement of a script call, then little-endian operands.
Run it again after changing the format; the seeds are committed.
"""
import pathlib
import struct

START_RIPPLE, STOP_RIPPLE, START_DISTORT, STOP_DISTORT = 0, 1, 2, 3
CHANGE_RVAL, CHANGE_DVAL, FILL, PUT_HLINE, PUT_VLINE, HOW_WIDE, HOW_HIGH = 4, 5, 6, 7, 8, 9, 10
FRAME, RESIZE, BURST, REPAINT, KROEND = 11, 12, 13, 14, 15
INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1


def call(function, *args, placement=0):
    return bytes([function | placement << 4]) + b"".join(struct.pack("<i", a) for a in args)


def frame(n=1):
    return bytes([FRAME]) * n


def resize(width, height):
    return bytes([RESIZE]) + struct.pack("<ii", width, height)


def burst(count):
    return bytes([BURST]) + struct.pack("<H", count - 1)


def one_bitmap():
    return bytes([KROEND | 1 << 4])


def repaint(seed):
    return bytes([REPAINT, seed])


SEEDS = {
    # The typical road: a ripple started with 5, 10, 20 on a small screen.
    "ripple_typical": resize(32, 24) + call(START_RIPPLE, 5, 10, 20) + frame(3) + burst(100),
    # Extreme parameters on an odd screen, changed between frames.
    "distortion_extremes": resize(33, 17)
    + call(START_DISTORT, INT32_MAX, INT32_MIN, INT32_MAX)
    + frame(2)
    + call(CHANGE_DVAL, INT32_MIN, 2)
    + frame()
    + call(CHANGE_DVAL, INT32_MAX, 0)
    + call(CHANGE_DVAL, -1, 1)
    + frame(),
    # Drawing with out-of-range rows, columns and colours on full, one-row,
    # empty and negative screens.
    "drawing_edges": resize(9, 1)
    + call(FILL, 300)
    + call(PUT_HLINE, -10, 1000)
    + call(PUT_VLINE, 9, -5)
    + call(HOW_WIDE)
    + call(HOW_HIGH)
    + frame()
    + resize(0, 0)
    + call(FILL, 7)
    + call(PUT_HLINE, 0, 1)
    + call(PUT_VLINE, INT32_MIN, 1)
    + frame()
    + resize(-3, 5)
    + call(PUT_VLINE, 0, 2)
    + call(HOW_WIDE)
    + frame(),
    # The ripple freezes a running distortion; stopping it lets it resume.
    "both_effects": resize(12, 11)
    + call(START_DISTORT, 7, 30, 4)
    + frame(2)
    + call(START_RIPPLE, -3, 25, 2)
    + frame(2)
    + call(STOP_RIPPLE)
    + frame(2)
    + call(STOP_DISTORT)
    + frame(),
    # Tall-narrow and wide-flat screens, resized between frames.
    "narrow_and_flat": resize(1, 4096)
    + call(START_RIPPLE, 50, 1, 100)
    + frame(2)
    + resize(4096, 1)
    + call(START_DISTORT, 50, 1, 5000)
    + call(STOP_RIPPLE)
    + frame(2)
    + resize(2, 3)
    + frame(),
    # A phase grown large on an empty screen, then shown.
    "huge_phase": call(START_RIPPLE, INT32_MAX, 1, 3)
    + resize(0, 0)
    + burst(65536)
    + burst(65536)
    + resize(16, 16)
    + repaint(9)
    + frame(2),
    # Every function at the bottom and at the top of the stack, bad
    # selectors, and kroend in between.
    "stack_placements": b"".join(
        call(f, *([1] * n), placement=p)
        for p in (0, 15)
        for f, n in ((START_RIPPLE, 3), (STOP_RIPPLE, 0), (START_DISTORT, 3), (STOP_DISTORT, 0),
                     (CHANGE_RVAL, 2), (CHANGE_DVAL, 2), (FILL, 1), (PUT_HLINE, 2),
                     (PUT_VLINE, 2), (HOW_WIDE, 0), (HOW_HIGH, 0)))
    + call(CHANGE_RVAL, 300, 3)
    + call(CHANGE_RVAL, 300, -1)
    + bytes([KROEND])
    + frame(),
    # A host that hands over one bitmap as both frame buffer and background.
    "one_bitmap_for_both": resize(13, 9)
    + one_bitmap()
    + call(START_RIPPLE, 5, 10, 3)
    + frame(2)
    + call(START_DISTORT, 7, 30, INT32_MAX)
    + call(STOP_RIPPLE)
    + frame(2)
    + call(FILL, 3)
    + resize(5, 64)
    + frame()
    + one_bitmap()
    + frame(),
}

if __name__ == "__main__":
    corpus = pathlib.Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (corpus / name).write_bytes(data)
        print(f"{name}: {len(data)} bytes")
