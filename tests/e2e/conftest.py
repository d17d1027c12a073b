"""Fixtures for running the built program under Wine as a user would."""
import os
import shutil
import uuid
from pathlib import Path

import pytest

# The harness comes from tools/harness, on PYTHONPATH (tests/e2e/CMakeLists.txt).
from harness import Program, Wine, install_mailer


def built(name: str) -> Path:
    if name not in os.environ:
        pytest.fail(f"{name} is not set; run this through ctest in the Windows build tree")
    return Path(os.environ[name])


@pytest.fixture
def wine(tmp_path):
    w = Wine(tmp_path, built("KOVALT_DRIVER"))
    yield w
    w.stop_all()


@pytest.fixture
def instance(wine):
    """Renamed copies of the program, each with a copy of the sleeper to watch, in one program
    folder whose name has blanks and a letter the scripts' and cmd.exe's code pages do not share
    (its paths reach the mailer by their short names); removed with their settings after."""
    folder = Path(os.environ.get("KOVALT_SCRATCH", "/tmp/kovalt-e2e")) / f"watch d\u00f6g {uuid.uuid4().hex[:8]}"
    folder.mkdir(parents=True)
    made = []

    def make(name: str):
        made.append(Program(wine, folder, f"{name}-{uuid.uuid4().hex[:6].upper()}", built("KOVALT_EXE")))
        watched = folder / f"watched-{made[-1].instance.lower()}.exe"
        shutil.copy(built("KOVALT_SLEEPER"), watched)
        return made[-1], watched

    yield make
    wine.stop_all()
    for p in made:
        wine.delete_section(p.instance)
    shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture
def running(wine):
    """Sets up the instance `p` as a user would, once its `watched` runs (started here unless
    `start` is false): each change mailed through the real mailer in its folder's "mailer home"
    to the server on `port`, `more` keys added, its windows confirmed, its light reading
    RUNNING. Gives the watched process it started."""

    def set_up(p, watched, port, start=True, **more):
        home = p.folder / "mailer home"
        if not (home / "SendEmail.exe").exists():
            install_mailer(home)
        p.watch(watched, home, port, **more)
        process = wine.start_watched(watched) if start else None
        p.start()
        p.confirm_email_settings()
        p.wait_light("RUNNING")
        return process

    return set_up
