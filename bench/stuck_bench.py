"""Stuck checks: four renamed kovalt.exe side by side, each with one check that the running
program works (its log written, its address answering, its CPU time moving, its window taking
messages) and a short span through the hidden keys. The watched program works, then stops doing
that one thing while it runs on; each run times that moment to the STUCK script's cmd.exe
appearing in /proc, against the check's span plus one check interval. Then six strips at rest,
each watching a program that writes its log, with no check, each check alone and all four (the
window's spans): their CPU time.

    stuck_bench.py [runs = 5] [seconds at rest = 300]

Run as mail_bench.py is, with the stuck helper (tests/win/stuck_helper.cpp) in KOVALT_STUCK."""
import os
import random
import shutil
import statistics
import sys
import threading
import time

from chaos_bench import Silent
from harness import Sampler, free_port, wait_for
from mail_bench import Road
from restart_bench import at_rest, cpu_seconds, kill_watched, pids

WORK_MS = 6000  # how long the watched program works before it stops, plus 0-999 ms
SET_UP_MS = 600000  # while the strips are set up, one after the other
INTERVAL = 1  # s: the once-a-second check
# s: what the target allows beyond the span and one interval: the script's cmd.exe showing in
# /proc after the strip started it (about 15 ms, section 6), and its timer's lateness
SCRIPT_START = 0.1
GIVE_UP = 5 * INTERVAL  # s after the span and no STUCK script: none came for this run
HUNG = 5  # s: a window that has not asked for its messages this long is "not responding"
QUIET = 1.0  # s without a thread of the watched program running: it has stopped working
SCRIPT = "-PROCESS-STUCK-EMAIL.bat"


class Scripts(Sampler):
    """Every cmd.exe running a STUCK script, with its command line and when it first showed in
    /proc (looked for every 5 ms, in the background while in use)."""

    every = 0.005

    def __init__(self):
        super().__init__()
        self.seen, self.known = [], set()
        self.lock = threading.Lock()

    def sample(self):
        at = time.monotonic()
        for pid in pids(SCRIPT) - self.known:
            self.known.add(pid)
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    line = f.read().decode(errors="replace")
            except OSError:
                continue
            with self.lock:
                # Wine shows one start of a script now and then as two processes a few ms
                # apart (the mailer's log has one e-mail): one start.
                if not any(line == seen and at - when < 0.5 for when, seen in self.seen):
                    self.seen.append((at, line))

    def of(self, instance: str, after: float, before: float = float("inf")) -> list:
        """When the STUCK scripts of `instance` appeared after `after` (and before `before`)."""
        with self.lock:
            return [at for at, line in self.seen if after < at < before and instance in line]


def work_stopped(fragment: str) -> float:
    """The moment the running program of that name last ran before it stayed asleep for QUIET
    seconds: the run time of its threads, in /proc (schedstat)."""
    pid = max(pids(fragment))
    last, last_at = None, time.monotonic()
    while time.monotonic() - last_at < QUIET:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    total += int(f.read().split()[0])
            except OSError:
                pass
        if total != last:
            last, last_at = total, time.monotonic()
        time.sleep(0.005)
    return last_at


class Check:
    """One strip with one check. `span`: what the check waits for once the program stops (the
    target adds one check interval)."""

    def __init__(self, label: str, what: str, span: float, settings: dict, helper: list = None):
        self.label, self.what, self.span, self.helper = label, what, span, helper
        # Many alerts in a few minutes: the cap on alerts at once would hold most of them.
        self.road = Road(label, {"ALERT_LIMIT_WINDOW_SECONDS": "1"}, started=False)
        if helper:
            shutil.copy(os.environ["KOVALT_STUCK"], self.road.watched)
        log = self.road.wine.windows_path(self.road.folder) + "\\node.log"
        self.road.program.settings({k: v.replace("{log}", log) for k, v in settings.items()})
        self.args = [a.replace("{log}", log) for a in helper or []]
        self.times, self.early, self.missed, self.calm = [], 0, 0, []
        self.failure = None
        # The stop comes at any moment between two checks (a fixed seed).
        self.phase = random.Random(label)

    def arguments(self, ms: int) -> list:
        return [a if a != "{ms}" else str(ms) for a in self.args]

    def work_ms(self) -> int:
        return WORK_MS + self.phase.randrange(1000)

    def set_up(self) -> None:
        """The strip set up in its windows (one strip at a time: the windows are found by their
        class), watching the program at work."""
        self.road.begin(*self.arguments(SET_UP_MS))

    def work(self) -> None:
        """The watched program starts and works; the strip sees it running."""
        self.road.process = self.road.wine.start_watched(self.road.watched,
                                                         *self.arguments(self.work_ms()))
        self.road.program.wait_light("RUNNING")

    def stop(self) -> float:
        """Waits until the program stops its work; that moment."""
        return work_stopped(self.road.watched.name)

    def end(self) -> None:
        """The stuck program is killed, and the strip has seen it stopped."""
        kill_watched(self.road)
        self.road.program.wait_light("STOPPED*")

    def measure(self, runs: int, scripts: Scripts) -> None:
        """Runs after the set-up: the program works, stops, and the STUCK script is waited for."""
        try:
            strip = min(pids(self.road.program.exe.name))
            self.end()
            for n in range(runs):
                began = time.monotonic()
                self.work()
                stopped = self.stop()
                self.early += len(scripts.of(self.road.program.instance, began, stopped)) > 0
                found = self.wait_stuck(scripts, stopped, strip)
                if found:
                    self.times.append(found - stopped)
                else:
                    self.missed += 1
                print(f"{self.label} run {n + 1}: STUCK script "
                      f"{f'{self.times[-1]:.2f} s' if found else 'never'} after the stop",
                      file=sys.stderr, flush=True)
                self.end()
            wait_for(lambda: self.stuck_mails() >= len(self.times), 60, "the STUCK e-mails")
        except Exception as e:  # told in the table, the other checks go on
            self.failure = f"{type(e).__name__}: {e}"
        finally:
            self.mails = self.stuck_mails()
            self.road.close()

    def wait_stuck(self, scripts: Scripts, stopped: float, strip: int):
        """When the first STUCK script after the stop appeared, or None once GIVE_UP has passed
        after the span; meanwhile, the longest the strip's own CPU time stood still."""
        cpu, since = cpu_seconds(strip), time.monotonic()
        self.calm.append(0.0)
        while time.monotonic() < stopped + self.span + GIVE_UP:
            found = scripts.of(self.road.program.instance, stopped)
            if found:
                return found[0]
            time.sleep(0.05)
            if cpu_seconds(strip) != cpu:
                cpu, since = cpu_seconds(strip), time.monotonic()
            self.calm[-1] = max(self.calm[-1], time.monotonic() - since)
        return None

    def stuck_mails(self) -> int:
        return sum(s.endswith(" - STUCK") for s in self.road.server.subjects())


class AddressCheck(Check):
    """The address is a listener of this benchmark on loopback, which accepts every connection
    until it is closed; the strip watches a copy of the sleeper."""

    def __init__(self, *a, port: int, **k):
        super().__init__(*a, **k)
        self.port, self.listener = port, None

    def set_up(self) -> None:
        self.listener = Silent(self.port)
        self.road.begin()

    def work(self) -> None:
        self.listener = self.listener or Silent(self.port)
        self.road.program.wait_light("RUNNING")
        time.sleep(self.work_ms() / 1000)

    def stop(self) -> float:
        self.listener.close()
        self.listener = None
        return time.monotonic()

    def end(self) -> None:
        pass

    def measure(self, runs: int, scripts: Scripts) -> None:
        try:
            super().measure(runs, scripts)
        finally:
            if self.listener:
                self.listener.close()


def checks() -> list:
    port = free_port()
    return [
        Check("stuckfile", "its log unchanged for 10 s", 10,
              {"STUCK_FILE_TEXTBOX": "{log}", "STUCK_FILE_SECONDS": "10"},
              ["log", "{log}", "{ms}"]),
        AddressCheck("stuckaddress", "its address refused 3 times, tried every 2 s", 3 * 2,
                     {"STUCK_ADDRESS_TEXTBOX": f"127.0.0.1:{port}", "STUCK_ADDRESS_SECONDS": "2",
                      "STUCK_ADDRESS_FAILURES_TEXTBOX": "3"}, port=port),
        Check("stuckcpu", "its CPU time unchanged for 10 s", 10,
              {"STUCK_CPU_MINUTES_TEXTBOX": "1", "STUCK_CPU_SECONDS": "10"}, ["cpu", "{ms}"]),
        Check("stuckwindow", f"its window not responding ({HUNG} s for the system, then 5 s)",
              HUNG + 5, {"STUCK_WINDOW_TICKBOX": "1", "STUCK_WINDOW_SECONDS": "5"},
              ["window", "{ms}"]),
    ]


def detection(runs: int) -> list:
    every = checks()
    for c in every:
        c.set_up()
    with Scripts() as scripts:
        threads = [threading.Thread(target=c.measure, args=(runs, scripts)) for c in every]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
    return every


def at_rest_with_checks(duration: float) -> dict:
    """Strips side by side, each watching a copy of the helper writing its log: no check, each
    check alone, all four, with the spans a user sets in the window (10 minutes, 3 tries 10 s
    apart, 10 minutes, 30 s); their CPU time per hour."""
    port = free_port()
    listener = Silent(port)
    alone = {"file": {"STUCK_FILE_TEXTBOX": "{log}"},
             "address": {"STUCK_ADDRESS_TEXTBOX": f"127.0.0.1:{port}"},
             "CPU": {"STUCK_CPU_MINUTES_TEXTBOX": "10"}, "window": {"STUCK_WINDOW_TICKBOX": "1"}}
    sets = {"none": {}, **alone, "all": {k: v for c in alone.values() for k, v in c.items()}}
    strips = {}
    try:
        for k, settings in sets.items():
            strips[k] = Check(f"rest{k}", "", 0, settings, ["log", "{log}", "{ms}"])
            strips[k].set_up()
        use = at_rest({k: c.road for k, c in strips.items()}, duration)
        # Still running and not stuck: the checks ran all along.
        for c in strips.values():
            c.road.program.wait_light("RUNNING")
        return {k: use[k][1] for k in use}
    finally:
        for c in strips.values():
            c.road.close()
        listener.close()


def detection_row(c: Check, runs: int) -> tuple:
    """A check's row, whether it met its target (None: not measurable) and its summary."""
    target = c.span + INTERVAL + SCRIPT_START
    if c.times and not c.failure:
        ok = max(c.times) <= target and not c.missed and not c.early
        return (f"| {c.what} | {statistics.median(c.times):.2f} s | {min(c.times):.2f} s | "
                f"{max(c.times):.2f} s | {len(c.times)} | {target:.1f} s | "
                f"{'met' if ok else 'missed'} |", ok,
                f"{c.label[5:]} max {max(c.times):.2f} s (target {target:.1f})")
    why = c.failure or (f"no STUCK script within {c.span + GIVE_UP:.0f} s of the stop in "
                        f"{c.missed} of {runs} runs")
    if c.label != "stuckcpu" or c.failure:
        return f"| {c.what} | failed: {why} | | | | {target:.1f} s | missed |", False, \
            f"{c.label[5:]} failed"
    why += (f"; this Wine gives GetProcessTimes of another process as the asking process's own "
            f"times, so the check follows the strip's own CPU time, which never stayed unchanged "
            f"longer than {max(c.calm):.1f} s meanwhile (in /proc)")
    return (f"| {c.what} | not measurable under Wine: {why} | | | | {target:.1f} s | |", None,
            "CPU not measurable under Wine")


def main(runs: int, quiet: float) -> int:
    every = detection(runs)
    rest = at_rest_with_checks(quiet)

    print("## 13. Stuck checks\n")
    print("| Stuck when | Stop -> STUCK script: median | Min | Max | n | Target | Met |\n"
          "|---|---:|---:|---:|---:|---:|---|")
    rows = [detection_row(c, runs) for c in every]
    for row, _, _ in rows:
        print(row)
    print()
    for c in every:
        print(f"- {c.what}: STUCK e-mails {c.mails}, STUCK scripts before the stop "
              f"{c.early}, runs with none in time {c.missed}")
    print(f"\n| At rest, {quiet:.0f} s, watched program writing its log | CPU time per hour | "
          f"More than none |\n|---|---:|---:|")
    for k, v in rest.items():
        what = {"none": "no check that it works", "all": "all four checks"}.get(k, f"{k} alone")
        print(f"| {what} | {v:.1f} s | {v - rest['none']:+.1f} s |")
    met = all(ok is not False for _, ok, _ in rows) and rest["all"] - rest["none"] < 5
    print(f"\nTarget: every check measurable here within its span plus one check interval (and "
          f"{SCRIPT_START:.1f} s for the script's start), no STUCK before the stop; all four "
          f"checks under 5 s more CPU per hour than none: "
          f"**{'met' if met else 'missed'}**.\n")
    print(f"@summary | 13. Stuck checks | stop -> STUCK script: "
          f"{', '.join(told for _, _, told in rows)}; {runs} runs each; CPU s/hour all four "
          f"checks {rest['all']:.1f} vs none {rest['none']:.1f} | within span + 1 s (+ "
          f"{SCRIPT_START:.1f} s script start); < 5 s/hour more | {'met' if met else 'missed'} |")
    return 0 if met else 2


if __name__ == "__main__":
    a = [float(x) for x in sys.argv[1:]]
    sys.exit(main(int(a[0]) if a else 5, a[1] if len(a) > 1 else 300))
