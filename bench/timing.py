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


def best_seconds_interleaved(calls, repeats=5):
    """The shortest of `repeats` timed calls of each function(*args) in
    `calls` (a dict of name: (function, args)), taken in turns so that a
    busy spell on the machine slows all of them alike."""
    best = {name: float("inf") for name in calls}
    for _ in range(repeats):
        for name, (function, args) in calls.items():
            gc.collect()
            start = time.perf_counter()
            function(*args)
            best[name] = min(best[name], time.perf_counter() - start)
    return best
