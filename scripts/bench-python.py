#!/usr/bin/env python3
"""Times quellow.simulate of a 1500-row window from Python beside the same call in C++
(bench/SimulateBench), and quellow.calibrate beside quellow-cli calibrate less its start.

Usage: scripts/bench-python.py BUILD_DIR   (built with -DQUELLOW_BENCH=ON)
"""

import json
import os
import subprocess
import sys
import tempfile
import time

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
sys.path.insert(0, os.path.join(build, "python"))
import quellow  # noqa: E402

bench = os.path.join(build, "bench", "SimulateBench")
cli = os.path.join(build, "cli", "quellow-cli")


def best_of(call, repeat, number):
    """The fastest mean time of one call over repeat rounds of number calls."""
    best = float("inf")
    for _ in range(repeat):
        begin = time.perf_counter()
        for _ in range(number):
            call()
        best = min(best, (time.perf_counter() - begin) / number)
    return best


with tempfile.TemporaryDirectory() as folder:
    window = os.path.join(folder, "bench.inp")
    subprocess.run([bench, "--write-input", window], check=True)
    inp = quellow.read_input(window)
    alpha = (0.006, 0.05, 0.011, 0.03, 8.0)
    python = best_of(lambda: quellow.simulate(inp, max_storage=inp.max_storage,
                                              init_storage=inp.init_storage, alpha=alpha), 7, 2000)
    out = subprocess.run([bench, "--benchmark_format=json", "--benchmark_repetitions=7"],
                         capture_output=True, text=True, check=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    cpp = min(b["real_time"] for b in runs) * 1e-6  # microseconds
    print(f"simulate, {len(inp)} rows: Python {python * 1e6:.1f} us, C++ {cpp * 1e6:.1f} us, "
          f"ratio {python / cpp:.3f}")

    # Calibration: one thread, the CLI's process start measured with --version.
    example = os.path.join(os.path.dirname(__file__), "..", "Data", "Example-analysis.inp")
    for threads in (1, 2):
        args = ["--evaluations", "3000", "--threads", str(threads)]
        start = best_of(lambda: subprocess.run([cli, "--version"], capture_output=True), 5, 5)
        process = best_of(lambda: subprocess.run(
            [cli, "calibrate", example, "-o", os.path.join(folder, "c.inp"), *args],
            capture_output=True, check=True), 5, 2)
        py = best_of(lambda: quellow.calibrate(quellow.read_input(example), evaluations=3000,
                                               threads=threads), 5, 2)
        print(f"calibrate 3000 evaluations, {threads} thread(s): Python {py * 1e3:.1f} ms, "
              f"quellow-cli {process * 1e3:.1f} ms less a start of {start * 1e3:.1f} ms = "
              f"{(process - start) * 1e3:.1f} ms, ratio {py / (process - start):.3f}")
