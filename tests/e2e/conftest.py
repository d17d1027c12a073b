"""Running the built program under Wine as a user would: a renamed copy in a scratch program
folder, settings given through the registry, and helper processes the test starts and kills."""
import os
import shutil
import subprocess
import time
import uuid
from pathlib import Path

import pytest

SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\KOVALT"


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env["WINEDLLOVERRIDES"] = "mscoree=;mshtml="
    return env


class Wine:
    """Starts Windows programs; their output goes to files, never to pipes (Wine's helper
    processes inherit and outlive them)."""

    def __init__(self, log_dir: Path):
        self.log_dir = log_dir
        self.started = []

    def start(self, exe: Path, *args: str) -> subprocess.Popen:
        log = open(self.log_dir / f"{exe.name}.{len(self.started)}.log", "wb")
        proc = subprocess.Popen(["wine", str(exe), *args], stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, env=wine_env(), cwd=exe.parent)
        self.started.append(proc)
        return proc

    def run(self, *args: str, timeout: float = 60) -> None:
        with open(self.log_dir / "wine-run.log", "ab") as log:
            subprocess.run(["wine", *args], stdout=log, stderr=subprocess.STDOUT,
                           stdin=subprocess.DEVNULL, env=wine_env(), timeout=timeout, check=True)

    def set_setting(self, section: str, key: str, value: str) -> None:
        self.run("reg", "add", rf"{SETTINGS_KEY}\{section}", "/v", key, "/t", "REG_SZ",
                 "/d", value, "/f")

    def delete_section(self, section: str) -> None:
        try:
            self.run("reg", "delete", rf"{SETTINGS_KEY}\{section}", "/f")
        except subprocess.CalledProcessError:
            pass

    def stop_all(self) -> None:
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=30)


@pytest.fixture
def wine(tmp_path):
    w = Wine(tmp_path)
    yield w
    w.stop_all()


@pytest.fixture
def program_folder():
    """A fresh program folder whose name holds blanks, as under "Program Files"."""
    root = Path(os.environ.get("KOVALT_SCRATCH", "/tmp/kovalt-e2e"))
    folder = root / f"watch dog {uuid.uuid4().hex[:8]}"
    folder.mkdir(parents=True)
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


def built(name: str) -> Path:
    path = os.environ.get(name)
    if not path:
        pytest.fail(f"{name} is not set; run this through ctest in the Windows build tree")
    return Path(path)


def wait_for(condition, timeout: float, what: str):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return
        time.sleep(0.2)
    pytest.fail(f"timed out after {timeout:.0f} s waiting for {what}")
