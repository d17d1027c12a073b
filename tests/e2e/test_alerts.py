"""A renamed copy of the program watches a helper process that the test stops and starts: the
stopped script runs once, the running script runs once."""
import shutil
import time
import uuid

from conftest import built, wait_for

SCRIPT = 'echo {kind}>> "%~dp0{kind}.txt"\r\n'


def lines(path):
    return path.read_text().split() if path.exists() else []


def test_stop_and_start_each_run_their_script_once(wine, program_folder):
    instance = f"E2E-{uuid.uuid4().hex[:8].upper()}"
    watched_name = f"watched-{uuid.uuid4().hex[:8]}.exe"
    exe = program_folder / f"{instance}.exe"
    shutil.copy(built("KOVALT_EXE"), exe)
    watched = program_folder / watched_name
    shutil.copy(built("KOVALT_SLEEPER"), watched)

    bats = program_folder / "BATS"
    bats.mkdir()
    for kind in ("RUNNING", "STOPPED"):
        (bats / f"{instance}-PROCESS-{kind}-EMAIL.bat").write_bytes(
            SCRIPT.format(kind=kind).encode("ascii"))
    stopped_marker, running_marker = bats / "STOPPED.txt", bats / "RUNNING.txt"

    wine.set_setting(instance, "PROCESS_NAME_TEXTBOX", watched_name)
    wine.set_setting(instance, "ENABLED_TICKBOX", "1")
    wine.set_setting(instance, "AlwaysOnTop_TICKBOX", "0")
    try:
        helper = wine.start(watched)
        time.sleep(2)  # the helper is up before the watchdog's first look
        program = wine.start(exe)
        time.sleep(5)  # several ticks see the helper running: nothing is sent
        assert program.poll() is None, "the program ended on its own"
        assert lines(stopped_marker) == [] and lines(running_marker) == []

        helper.kill()
        helper.wait(timeout=30)
        wait_for(lambda: lines(stopped_marker) == ["STOPPED"], 30, "the stopped alert")

        wine.start(watched)
        wait_for(lambda: lines(running_marker) == ["RUNNING"], 30, "the running alert")
        time.sleep(3)  # later ticks that see it running send nothing more
        assert lines(stopped_marker) == ["STOPPED"]
        assert lines(running_marker) == ["RUNNING"]
        assert program.poll() is None
    finally:
        wine.stop_all()
        wine.delete_section(instance)
