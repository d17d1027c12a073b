"""Fixtures for running the built program under Wine as a user would."""
import os
import shutil
import uuid
from pathlib import Path

import pytest

# The harness comes from tools/harness, on PYTHONPATH (tests/e2e/CMakeLists.txt).
from harness import Program, Wine


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
