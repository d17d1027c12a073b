"""Stop to e-mail: a renamed kovalt.exe, set up as a user sets it up, watches a copy of the
sleeper and mails each change through the real mailer to an SMTP server on loopback; each cycle
kills the sleeper and times the stopped e-mail's arrival, starts it again and times the running
e-mail's. Also the road the outage benchmark (outage_bench.py) uses.

    mail_bench.py [cycles = 20]

Run by scripts/bench.sh with tools/harness on PYTHONPATH and the built programs in
KOVALT_EXE, KOVALT_SLEEPER, KOVALT_DRIVER and KOVALT_MAILER."""
import os
import random
import shutil
import statistics
import sys
import time
import uuid
from pathlib import Path

from harness import MailServer, Program, Wine, install_mailer, wait_for


class Road:
    """The program in a scratch folder, its settings given through the registry and confirmed
    in its windows, watching a running copy of the sleeper, the server listening."""

    def __init__(self, label: str, extra: dict = None, started: bool = True):
        tag = uuid.uuid4().hex[:6].upper()
        self.folder = Path(os.environ.get("KOVALT_SCRATCH", "/tmp")) / f"kovalt bench {label} {tag}"
        self.folder.mkdir(parents=True)
        # Wine's and the programs' output beside the program folder, not in it: Windows names
        # ignore case, and a "logs" folder there would be the program's LOGS.
        self.wine = Wine(self.folder.parent / f"{label} logs", Path(os.environ["KOVALT_DRIVER"]))
        self.program = Program(self.wine, self.folder, f"KVB{label.upper()}-{tag}",
                               Path(os.environ["KOVALT_EXE"]))
        self.watched = self.folder / f"kvbench-{label}-{tag.lower()}.exe"
        shutil.copy(os.environ["KOVALT_SLEEPER"], self.watched)
        install_mailer(self.folder / "mailer home")
        self.server = MailServer().start()
        self.program.watch(self.watched, self.folder / "mailer home", self.server.port,
                           **(extra or {}))
        self.subject = f"KOV-ALT - {self.watched.name} - " + "{}"
        if started:
            self.begin()

    def begin(self, *args: str) -> None:
        """Starts the watched program (with `args`) and the program, and sets the program up in
        its windows."""
        self.process = self.wine.start_watched(self.watched, *args)
        self.program.start()
        self.program.confirm_email_settings()
        self.program.wait_light("RUNNING")

    def kill(self) -> float:
        """Kills the watched process; the moment just before."""
        killed = time.monotonic()
        self.process.kill()
        self.process.wait(timeout=30)
        return killed

    def mail(self, count: int, timeout: float) -> float:
        """Waits for e-mail number `count` (from 1); when it arrived."""
        wait_for(lambda: len(self.server.messages) >= count, timeout, f"e-mail {count}")
        return self.server.arrived[count - 1]

    def close(self) -> None:
        self.wine.stop_all()
        self.server.stop()
        self.wine.delete_section(self.program.instance)
        shutil.rmtree(self.folder, ignore_errors=True)


def stats(values: list) -> str:
    return (f"{statistics.median(values):.0f} ms | {min(values):.0f} ms | {max(values):.0f} ms | "
            f"{len(values)}")


def main(cycles: int) -> int:
    # Forty alerts in a few minutes: the cap on alerts at once would hold most of them.
    road = Road("mail", {"ALERT_LIMIT_WINDOW_SECONDS": "1"})
    try:
        phase = random.Random(1)
        stopped, started = [], []
        for c in range(cycles):
            time.sleep(0.3 + phase.randrange(1000) / 1000)
            killed = road.kill()
            stopped.append(1000 * (road.mail(2 * c + 1, 60) - killed))
            time.sleep(0.3 + phase.randrange(1000) / 1000)
            start = time.monotonic()
            road.process = road.wine.start_watched(road.watched)
            started.append(1000 * (road.mail(2 * c + 2, 60) - start))
            print(f"mail cycle {c + 1}: stopped e-mail after {stopped[-1]:.0f} ms, running "
                  f"e-mail after {started[-1]:.0f} ms", file=sys.stderr, flush=True)
        road.program.wait_light("RUNNING")  # and no " !": every alert known sent
        time.sleep(3)  # nothing more arrives
        expected = [road.subject.format(k) for _ in range(cycles) for k in ("STOPPED", "RUNNING")]
        in_order = road.server.subjects() == expected
    finally:
        road.close()

    print("## 7. Stop to e-mail\n")
    print("| What | Median | Min | Max | n |\n|---|---:|---:|---:|---:|")
    print(f"| kill -> stopped e-mail received by the server | {stats(stopped)} |")
    print(f"| sleeper started -> running e-mail received by the server | {stats(started)} |")
    print(f"\n- e-mails received: {len(road.server.messages)} of {2 * cycles}, each change once "
          f"and in order: {'yes' if in_order else 'no'}")
    print(f"\nTarget: every change mailed once, in order: **{'met' if in_order else 'missed'}**.\n")
    print(f"@summary | 7. Stop to e-mail | kill -> stopped e-mail received: median "
          f"{statistics.median(stopped):.0f} ms, max {max(stopped):.0f} ms (start -> running "
          f"e-mail: median {statistics.median(started):.0f}, max {max(started):.0f} ms); "
          f"{cycles} cycles, real mailer | each change mailed once, in order | "
          f"{'met' if in_order else 'missed'} |")
    return 0 if in_order else 2


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 20))
