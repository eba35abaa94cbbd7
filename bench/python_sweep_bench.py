"""Time of kestrix.sweep over 30 to 300 kV in 1 kV steps (271 spectra with all figures).

Run with the package from the build folder:
    PYTHONPATH=build/python /usr/bin/python3 bench/python_sweep_bench.py
"""

import statistics
import time

import numpy as np

import kestrix

VOLTAGES = np.arange(30, 301, 1.0)
REPEATS = 20


def main():
    kestrix.sweep(VOLTAGES)  # the first call also loads the module's pages
    seconds = []
    for _ in range(REPEATS):
        start = time.perf_counter()
        result = kestrix.sweep(VOLTAGES)
        seconds.append(time.perf_counter() - start)
    assert len(result["kv"]) == 271 and not any(np.isnan(values).any() for values in result.values())
    print("kestrix.sweep, %d voltages, %d columns: best %.3f s, median %.3f s over %d runs"
          % (len(VOLTAGES), len(result), min(seconds), statistics.median(seconds), REPEATS))


if __name__ == "__main__":
    main()
