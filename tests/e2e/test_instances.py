"""Five instances under five names in one folder, each watching its own helper process: each
sends exactly its own alerts, and none changes another's settings or scripts."""
import shutil
import subprocess
import time
import uuid

from conftest import built
from kovalt_harness import SETTINGS_KEY, Program, wait_for, wine_env

MARKER_SCRIPT = 'echo {kind}>> "%~dp0{instance}-{kind}.txt"\r\n'


def section_of(wine, instance):
    """The instance's registry section as `wine reg query` prints it."""
    path = wine.log_dir / f"{instance}.reg.txt"
    with open(path, "wb") as out:
        subprocess.run(["wine", "reg", "query", rf"{SETTINGS_KEY}\{instance}"], stdout=out,
                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, env=wine_env(),
                       timeout=60)
    return path.read_text(errors="replace")


def test_five_instances_keep_to_themselves(wine, program_folder):
    instances = []
    for i in range(5):
        p = Program(wine, program_folder, f"MULTI{i}-{uuid.uuid4().hex[:6].upper()}",
                    built("KOVALT_EXE"), built("KOVALT_DRIVER"))
        watched = program_folder / f"watched{i}-{uuid.uuid4().hex[:6]}.exe"
        shutil.copy(built("KOVALT_SLEEPER"), watched)
        instances.append((p, watched))
    (program_folder / "BATS").mkdir()
    try:
        for p, watched in instances:
            for kind in ("RUNNING", "STOPPED"):
                p.script(kind).write_bytes(
                    MARKER_SCRIPT.format(kind=kind, instance=p.instance).encode("ascii"))
            p.settings({"PROCESS_NAME_TEXTBOX": watched.name, "ENABLED_TICKBOX": "1",
                        "AlwaysOnTop_TICKBOX": "0", "RUNNER_NAME_TEXTBOX": p.instance})
        scripts_before = {p.script(k): p.script(k).read_bytes()
                          for p, _ in instances for k in ("RUNNING", "STOPPED")}
        helpers = [wine.start(watched) for _, watched in instances]
        time.sleep(2)
        for p, _ in instances:
            p.start()
        sections_before = {p.instance: section_of(wine, p.instance) for p, _ in instances}
        time.sleep(4)

        def markers(p, kind):
            path = program_folder / "BATS" / f"{p.instance}-{kind}.txt"
            return path.read_text().split() if path.exists() else []

        assert all(markers(p, k) == [] for p, _ in instances for k in ("RUNNING", "STOPPED"))
        # Stop and restart the helpers one instance at a time.
        for i, (p, watched) in enumerate(instances):
            helpers[i].kill()
            helpers[i].wait(timeout=30)
            wait_for(lambda: markers(p, "STOPPED") == ["STOPPED"], 30, f"{p.instance} stopped")
            helpers[i] = wine.start(watched)
            wait_for(lambda: markers(p, "RUNNING") == ["RUNNING"], 30, f"{p.instance} running")
            for q, _ in instances[i + 1:]:
                assert markers(q, "STOPPED") == [] and markers(q, "RUNNING") == [], \
                    f"{q.instance} alerted for {p.instance}'s process"
        time.sleep(3)
        for p, _ in instances:
            assert markers(p, "STOPPED") == ["STOPPED"]
            assert markers(p, "RUNNING") == ["RUNNING"]
            assert section_of(wine, p.instance) == sections_before[p.instance]
        for path, content in scripts_before.items():
            assert path.read_bytes() == content
    finally:
        wine.stop_all()
        for p, _ in instances:
            wine.delete_section(p.instance)
