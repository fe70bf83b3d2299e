"""Shared set-up of the Python tests: every run works in a sandbox of its
own (per-user and machine-wide state, temporary files), made before the
library is imported, and finds the built tools through QXVB_BIN_DIR."""

import atexit
import os
import pathlib
import shutil
import subprocess
import tempfile

import pytest

_SANDBOX = pathlib.Path(tempfile.mkdtemp(prefix="qxvb-pytest-"))
for _name, _folder in {
    "XDG_CONFIG_HOME": "config",
    "XDG_DATA_HOME": "data",
    "XDG_CACHE_HOME": "cache",
    "HOME": "home",
    "QXVB_MACHINE_DIR": "machine",
    "TMPDIR": "tmp",
}.items():
    (_SANDBOX / _folder).mkdir()
    os.environ[_name] = str(_SANDBOX / _folder)
tempfile.tempdir = None  # TMPDIR is read again
atexit.register(shutil.rmtree, _SANDBOX, ignore_errors=True)

import qxvbutils  # noqa: E402  (after the sandbox is in place)


@pytest.fixture
def sandbox():
    return _SANDBOX


@pytest.fixture
def tool():
    """Runs one of the built command-line tools; returns the completed process."""
    bin_dir = pathlib.Path(os.environ["QXVB_BIN_DIR"])
    # In the sanitizer build the interpreter runs with the sanitizer runtime
    # preloaded; the tools carry their own.
    environment = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}

    def run(name, *args, stdin=None):
        return subprocess.run(
            [str(bin_dir / name), *map(str, args)],
            input=stdin,
            capture_output=True,
            text=True,
            timeout=120,
            env=environment,
        )

    return run


@pytest.fixture
def repository(tmp_path, tool):
    """A new embedded repository made by qxrepo; answers its connection string."""
    path = tmp_path / "store.qxr"
    made = tool("qxrepo", "create", path)
    assert made.returncode == 0, made.stderr
    return path, f"Provider=QXVB.SQLite;Data Source={path}"
