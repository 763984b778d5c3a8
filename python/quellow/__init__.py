"""Quellow from Python: rainfall on a catchment and its runoff, with two reservoirs in series.

The core runs in this process (the compiled module _quellow) without holding the interpreter
lock, so that Python threads can run windows side by side. Calibrations and validations give
the dictionaries that ``quellow-cli calibrate --json`` and ``quellow-cli validate --json`` print,
to the last bit. See docs/python.md.
"""

import os
import shutil
import subprocess
import tempfile

import numpy as np

from ._quellow import (  # noqa: F401  (the module's interface)
    MAX_ESCAPE_FACTOR,
    MAX_MAX_STORAGE,
    MIN_INIT_STORAGE,
    MIN_MAX_STORAGE,
    Input,
    QuellowError,
    analyse,
    calibrate,
    kge,
    nse,
    read_input,
    simulate,
    validate,
)
from . import _quellow

__all__ = [
    "Input", "QuellowError", "read_input", "import_series", "analyse", "predict", "simulate",
    "calibrate", "validate", "nse", "kge", "CalibrationSetup",
]


def predict(inp):
    """The prediction of a window.

    An analysis window (an Input): its runoff as a prediction runs it, with the window's own
    storages, escape rates and the alpha function its analysis finds (a numpy array, one value
    a row). A prediction input file (its path): the run of that file in memory, a dictionary of
    its series (time, rain, escape, dead_storage, recharge, alpha, runoff, level), nothing
    written.
    """
    if isinstance(inp, Input):
        return simulate(inp, max_storage=inp.max_storage, init_storage=inp.init_storage)
    return _quellow._predict_file(os.fspath(inp))


def _cli():
    path = os.environ.get("QUELLOW_CLI")
    if path:
        return path
    # Installed: bin/ of the prefix whose lib/python3/dist-packages holds this package.
    here = os.path.dirname(os.path.abspath(__file__))
    installed = os.path.join(here, "..", "..", "..", "..", "bin", "quellow-cli")
    for path in (installed, _quellow._cli_built):
        if os.access(path, os.X_OK):
            return os.path.normpath(path)
    found = shutil.which("quellow-cli")
    if not found:
        raise QuellowError("quellow-cli was not found: the import of a series needs it.")
    return found


def import_series(path, mode="analysis", **options):
    """Imports a dated series (a delimited text file) as ``quellow-cli import`` does, with its
    options as keywords: ``columns="date,rain,escape,runoff"``, ``from_="2015-01-01"`` (or
    ``**{"from": ...}``), ``to``, ``title1``, ``max_storage``, ``scale=["runoff=0.048"]``,
    ``irregular=True``, ``runoff_unit="m3/s"``, ``area_km2=12.5`` and the rest of its --help.
    Returns the window imported (an Input); QuellowError with the import's message otherwise.
    """
    if mode != "analysis":
        raise ValueError("import_series takes analysis windows (mode='analysis').")
    args = [_cli(), "import", os.fspath(path), "--mode", mode]
    for key, value in options.items():
        flag = "--" + key.rstrip("_").replace("_", "-")
        if value is True:
            args.append(flag)
        elif value is False or value is None:
            continue
        elif isinstance(value, (list, tuple)):
            for item in value:
                args += [flag, str(item)]
        else:
            args += [flag, str(value)]
    with tempfile.TemporaryDirectory(prefix="quellow-import-") as folder:
        output = os.path.join(folder, "import.inp")
        done = subprocess.run(args + ["-o", output], capture_output=True, text=True)
        if done.returncode != 0:
            raise QuellowError(done.stderr.strip() or "The import failed.")
        return read_input(output)


class CalibrationSetup:
    """A window as a sampler of parameter sets sees a model: parameters(), simulation(x),
    evaluation() and objectivefunction(simulation, evaluation), the four functions a common
    Python calibration framework asks for. A set x is (max_storage, init_storage,
    escape_factor); each is evaluated as a calibration evaluates it: the analysis with these
    parameters, then the simulation of the window with its alpha function. The rows from the
    second on are scored, as the calibration scores them. The objective (nse or kge) is to be
    maximised.
    """

    names = ("max_storage", "init_storage", "escape_factor")

    def __init__(self, inp, objective="nse"):
        if objective not in ("nse", "kge"):
            raise ValueError("objective is nse or kge.")
        self.inp = inp
        self.objective = objective
        self.low = np.array([MIN_MAX_STORAGE, MIN_INIT_STORAGE, 0.0])
        self.high = np.array([MAX_MAX_STORAGE, MAX_MAX_STORAGE, MAX_ESCAPE_FACTOR])
        self.start = np.array([inp.max_storage, inp.init_storage, 1.0])

    def parameters(self):
        """One row per parameter: name, a random value within its bounds, step, start value,
        lower and upper bound."""
        rng = np.random.default_rng()
        table = np.zeros(3, dtype=[("random", "f8"), ("name", "U30"), ("step", "f8"),
                                   ("optguess", "f8"), ("minbound", "f8"), ("maxbound", "f8")])
        table["name"] = self.names
        table["random"] = rng.uniform(self.low, self.high)
        table["step"] = (self.high - self.low) / 10
        table["optguess"] = self.start
        table["minbound"] = self.low
        table["maxbound"] = self.high
        return table

    def simulation(self, x):
        """The simulated runoff of rows 2..N for the set x; NaN throughout when the analysis
        stops with it. An initial storage above the maximum is taken as the maximum."""
        max_storage, init_storage, escape_factor = (float(v) for v in x)
        try:
            runoff = simulate(self.inp, max_storage=max_storage,
                              init_storage=min(init_storage, max_storage),
                              escape_factor=escape_factor)
        except QuellowError:
            return np.full(len(self.inp) - 1, np.nan)
        return runoff[1:]

    def evaluation(self):
        """The measured runoff of rows 2..N."""
        return self.inp.runoff[1:]

    def objectivefunction(self, simulation, evaluation):
        """NSE or KGE of the simulation (-inf for a set whose analysis stopped)."""
        if np.isnan(simulation).any():
            return -np.inf
        return (nse if self.objective == "nse" else kge)(simulation, evaluation)
