#!/usr/bin/env python3
"""Writes the operation fuzzer's seed corpus (corpus/operations/) in the
fuzzer's input encoding (operation_fuzzer.cpp): a step byte below 0xE0 calls
an operation (0xC0 and above on the second object) whose position follows,
then its arguments; 0xE0 and above is a device event, its kind next."""
import os

EDGES = [0, 1, -1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 15, 27, 29, 30, 31, 32, 33, 34, 35, 36, 37,
         39, 40, 62, 63, 64, 83, 84, 85, 100, 101, 127, 128, 181, 182, 255, 256, 3000, 65534,
         65535, 65536, -2**31, -2, -4, 2**31 - 1, 0x40000000, -32768, 32767]
LENGTHS = [0, 1, 4, 5, 6, 254, 255, 256, 257, 2997, 2998, 2999, 3000, 7094, 7095, 7096, 8191,
           8192, 8193, 9000, 100000]


def e(value):
    return [EDGES.index(value)]


def op(position, *args, second=False):
    return [0xC0 if second else 0x00, position] + [b for a in args for b in a]


def ev(kind, *args):
    return [0xE0, kind] + list(args)


def push(length, how=0, symbology=1):
    return ev(0, LENGTHS.index(length), how) + e(symbology)


def idle():
    return ev(11, 7)


ENABLE, DISABLE, DESTROY, READ, RECORD = 11, 10, 90, 37, 31
seeds = {
    "scan_and_fetch": op(48) + op(ENABLE) + push(6) + idle() + op(READ, e(100), [0]) + push(5)
    + idle() + op(RECORD, [200]) + op(DISABLE) + op(DESTROY),
    "long_labels": op(48) + op(83, e(7)) + op(82, e(35), e(36), e(37)) + op(ENABLE)
    + push(2999) + idle() + op(RECORD, [200]) + push(3000, 1) + idle() + op(READ, e(3000), [0])
    + push(8192) + push(8193) + push(7096, 2, 3) + [1, 0] + idle() + op(READ, e(255), [0])
    + op(DISABLE),
    "stuck_driver": op(48) + op(ENABLE) + ev(7, 1) + op(DISABLE) + op(ENABLE) + op(DISABLE)
    + ev(8, 4) + op(DISABLE) + op(ENABLE) + ev(7, 1) + op(DESTROY),
    "two_objects": op(48) + op(48, second=True) + op(ENABLE) + op(ENABLE, second=True)
    + push(6) + push(7 - 1) + idle() + op(DISABLE, second=True) + op(READ, e(100), [0])
    + op(RECORD, [200], second=True) + op(DESTROY) + op(48, second=True),
    "driver_faults": op(48) + ev(3, 7, 2, 0) + op(ENABLE) + idle() + op(ENABLE) + op(DISABLE)
    + ev(3, 2, 3, 3) + op(ENABLE) + ev(3, 6, 2, 0) + op(ENABLE) + op(DISABLE)
    + ev(3, 3, 3, 1) + op(DISABLE) + ev(3, 7, 8, 3) + op(ENABLE) + push(6) + op(DISABLE),
    "config_faults": op(48) + ev(4, 0, 1, 2, 0) + op(20, e(0)) + op(60, e(0), e(1))
    + ev(4, 5, 1, 3, 1) + op(80, e(1)) + op(85, e(11), e(1)) + ev(5, 0, 2) + op(DESTROY)
    + op(48) + op(ENABLE) + push(6) + idle() + op(DISABLE),
    "settings_and_tones": op(48) + ev(6, 0, 3) + op(87, e(8)) + op(12, e(27)) + op(13)
    + op(ENABLE) + op(13) + op(14) + op(5, e(30)) + op(63, e(39), e(65535)) + push(6) + idle()
    + op(DISABLE),
    "refused_thread": op(48) + ev(9, 1) + op(ENABLE) + ev(9, 0) + op(ENABLE) + op(DISABLE)
    + op(ENABLE) + op(DISABLE),
    "null_pointers": op(48) + op(21, e(7), [0x1F]) + op(46, [0x0F]) + op(READ, e(-1), [1])
    + op(READ, e(0), [6]) + op(33, e(2**31 - 1), [0]) + op(49, e(-2**31), [0])
    + op(50, e(1), [200]) + op(RECORD, [0]),
}
# Every position once, with zero arguments.
every = op(48)
for position in range(90):
    every += op(position, [0], [0], [0], [0])
seeds["every_position"] = every + op(DESTROY)

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "operations")
os.makedirs(folder, exist_ok=True)
for name, program in seeds.items():
    with open(os.path.join(folder, name), "wb") as out:
        out.write(bytes(b & 0xFF for b in program))
