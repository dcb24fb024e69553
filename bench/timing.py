"""Shared timing for the benchmarks: the best of several runs, which is the
least disturbed by other work on the machine."""

import gc
import time


def best_seconds(function, *args, repeats=5):
    """The shortest of `repeats` timed calls of function(*args)."""
    best = float("inf")
    for _ in range(repeats):
        gc.collect()
        start = time.perf_counter()
        function(*args)
        best = min(best, time.perf_counter() - start)
    return best


def milliseconds(seconds):
    return f"{seconds * 1e3:9.2f} ms"
