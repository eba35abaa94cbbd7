"""Writes the compact form of a transmission-target electron table that the program compiles in.

Input: data/physics/electron_transmission_W_<window>.txt, the table of the own electron Monte Carlo
(tools/physics/electron_transport.cpp) in its agreed layout, which stays the source of truth.
Output: data/physics/electron_transmission_W_<window>.compact.txt, the same numbers in the same order
as 16-bit codes, so that the web page stays small (about 2 bytes for a value, nothing for most empty
cells):
  - a code below 32768 is the IEEE 754 half-precision bit pattern of the value (every value of the
    table is zero or positive; half precision keeps 11 significant bits, relative rounding at most
    4.9e-4, far below the Monte Carlo's own noise);
  - a code of 32768 + n (n = 1..32767) stands for n values of zero in a row.
model/electron_transmission.cpp expands it; tests/model/electron_transmission_test.cpp checks that
the expansion gives the text table's values within the half precision.

    python3 tools/physics/compact_electron_transmission.py data/physics/electron_transmission_W_diamond.txt [BITS]

BITS (10, the default, keeps every bit of half precision) rounds each value to that many bits of its
fraction, 2^-(BITS + 1) relative at most, so that the page's compressed engine grows less (6 to 10).
"""

import sys

import numpy as np

HEADER = """\
# Compact form of %s (do not edit: written from it by
# tools/physics/compact_electron_transmission.py): the same numbers in the same order as 16-bit
# codes, a code below 32768 the half-precision bit pattern of a value, 32768 + n a run of n zeros;
# each value rounded to %d bits of its fraction. %d values in %d codes.
"""


def rounded(code, bits):
    """the half-precision bit pattern `code` rounded to `bits` bits of its fraction (to nearest)"""
    drop = 10 - bits
    if drop == 0:
        return code
    return ((code + (1 << (drop - 1))) >> drop) << drop


def main(path, bits=10):
    values = []
    with open(path) as file:
        for line in file:
            if line.lstrip().startswith("#"):
                continue
            values.extend(float(item) for item in line.split())
    codes = []
    zeros = 0
    for value in values:
        if value < 0 or not np.isfinite(value):
            raise SystemExit("%s: a negative or non-finite value %r" % (path, value))
        if value == 0:
            zeros += 1
            if zeros == 32767:
                codes.append(32768 + zeros)
                zeros = 0
            continue
        if zeros:
            codes.append(32768 + zeros)
            zeros = 0
        half = np.float16(value)
        code = rounded(int(half.view(np.uint16)), bits)
        if not np.isfinite(half) or code >= 0x7C00:
            raise SystemExit("%s: %r does not fit half precision" % (path, value))
        codes.append(code)
    if zeros:
        codes.append(32768 + zeros)
    name = path.rsplit("/", 1)[-1]
    out_path = path[:-len(".txt")] + ".compact.txt"
    lines = [(HEADER % (name, bits, len(values), len(codes))).rstrip("\n")]
    for start in range(0, len(codes), 20):
        lines.append(" ".join(str(code) for code in codes[start:start + 20]))
    with open(out_path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3) or not sys.argv[1].endswith(".txt") or (
            len(sys.argv) == 3 and sys.argv[2] not in ("6", "7", "8", "9", "10")):
        raise SystemExit(__doc__)
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 10)
