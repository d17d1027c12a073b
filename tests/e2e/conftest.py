"""Fixtures for running the built program under Wine as a user would."""
import os
import shutil
import sys
import uuid
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from kovalt_harness import MailServer, Program, Wine  # noqa: E402


def built(name: str) -> Path:
    path = os.environ.get(name)
    if not path:
        pytest.fail(f"{name} is not set; run this through ctest in the Windows build tree")
    return Path(path)


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


@pytest.fixture
def program(wine, program_folder):
    """A renamed copy of the program, its registry section removed afterwards."""
    p = Program(wine, program_folder, f"E2E-{uuid.uuid4().hex[:8].upper()}",
                built("KOVALT_EXE"), built("KOVALT_DRIVER"))
    yield p
    wine.stop_all()
    wine.delete_section(p.instance)


@pytest.fixture
def watched(program_folder):
    """A helper program to watch, under a name of its own."""
    path = program_folder / f"watched-{uuid.uuid4().hex[:8]}.exe"
    shutil.copy(built("KOVALT_SLEEPER"), path)
    return path


@pytest.fixture
def mail_server():
    with MailServer() as server:
        yield server
