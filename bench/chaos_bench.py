"""Chaos: for a set time, a seeded random schedule does what a long night may do to a watched
program and its watchdog, with the real mailer and an SMTP server on loopback: the program
stopped and started (sometimes back within a second, sometimes while a mail is on its way), the
server refusing, silent or gone for a while, the mailer killed mid-try, the strip closed and
started again, the settings window opened and confirmed; the first half without "Restart when
stopped", the second half with it. What ran is read from the process list ten times a second;
what the mailbox says is read from the server. Then:

- e-mails whose state was not true at some moment since the e-mail before (must be 0);
- states never told: a stop or a run that no e-mail of its kind covers, in order (an e-mail
  covers the states of its kind that began since the one before it, unless an e-mail of the
  other kind, written after the state began, came first), each counted by its reason: too short
  for the once-a-second check, a restarted run that had not yet proved stable, while the strip
  was closed, while the cap held changes; any other is a fault (must be 0);
- the longest time the last e-mail received stayed false;
- the most mailers running at once (must be 1).

    chaos_bench.py [seconds = 1200] [seed = 28]

Run as mail_bench.py is."""
import random
import socket
import sys
import threading
import time

from harness import (MAIN, SETTINGS, SETTINGS_OK, TLV_BUTTON, MailerCount, mailers_running,
                     windows_processes)
from mail_bench import Road

RETRY, LIMIT, STABLE = 5, 20, 30  # s: the hidden keys this run sets
SEEN = 1.5  # s: a state shorter than this may fall between two checks


class Silent:
    """A listener on the server's port that accepts every connection and never answers."""

    def __init__(self, port):
        self.listener = socket.create_server(("127.0.0.1", port))
        self.listener.settimeout(0.2)
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._hold, daemon=True)
        self.thread.start()

    def _hold(self):
        held = []
        while not self.stopping.is_set():
            try:
                held.append(self.listener.accept()[0])
            except socket.timeout:
                continue
            except OSError:
                break
        for c in held:
            c.close()
        self.listener.close()

    def close(self):
        self.stopping.set()
        self.thread.join(timeout=10)


class Modes:
    """The SMTP server on one port: up, refusing every message, silent or gone."""

    def __init__(self, server):
        self.server, self.mode, self.silent = server, "up", None

    def set(self, mode):
        if mode == self.mode:
            return
        if self.silent:
            self.silent.close()
            self.silent = None
        if mode in ("silent", "gone"):
            self.server.stop()
        elif self.server.controller is None:
            for _ in range(50):  # the port may take a moment to be free again
                try:
                    self.server.start()
                    break
                except OSError:
                    self.server.controller = None
                    time.sleep(0.2)
        self.server.refusing = mode == "refuse"
        if mode == "silent":
            self.silent = Silent(self.server.port)
        self.mode = mode


class Truth:
    """Whether the watched program runs, read ten times a second: (time, running) at each
    change."""

    def __init__(self, name):
        self.name, self.changes, self.stopping = name, [], threading.Event()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while not self.stopping.wait(0.1):
            running = windows_processes(self.name) > 0
            if not self.changes or self.changes[-1][1] != running:
                self.changes.append((time.monotonic(), running))

    def at(self, t):
        state = None
        for when, running in self.changes:
            if when > t:
                break
            state = running
        return state


def main(seconds: float, seed: int) -> int:
    road = Road("chaos", {"ALERT_RETRY_SECONDS": str(RETRY),
                          "ALERT_TIME_LIMIT_SECONDS": str(LIMIT),
                          "RESTART_STABLE_SECONDS": str(STABLE)})
    p, wine, rng = road.program, road.wine, random.Random(seed)
    folder = wine.windows_path(road.folder)
    modes, truth = Modes(road.server), Truth(road.watched.name)
    closed, done = [], {}  # (from, to) when the strip was closed; what was done, how often
    begin = time.monotonic()

    def did(what):
        done[what] = done.get(what, 0) + 1

    def flip():
        if not windows_processes(road.watched.name, kill=True):
            road.process = wine.start(road.watched)

    def restart_strip(restart_on):
        p.close()
        t = time.monotonic()
        time.sleep(rng.uniform(1, 8))
        if restart_on:
            p.settings({"RESTART_TICKBOX": "1", "RESTART_FOLDER_TEXTBOX": folder,
                        "RESTART_COMMAND_TEXTBOX": f'"{folder}\\{road.watched.name}"'})
        p.start()
        p.wait_light("*")
        closed.append((t, time.monotonic()))

    try:
        with MailerCount() as mailers:
            while time.monotonic() - begin < seconds:
                second_half = time.monotonic() - begin > seconds / 2
                if second_half and "restart on" not in done:
                    restart_strip(True)
                    did("restart on")
                r = rng.random()
                if r < 0.40:
                    flip(), did("stop or start")
                elif r < 0.50:
                    flip(), time.sleep(rng.uniform(0.2, 1.0)), flip(), did("back within a second")
                elif r < 0.60:
                    wait_until = time.monotonic() + 10
                    while not mailers_running() and time.monotonic() < wait_until:
                        time.sleep(0.05)
                    flip(), did("stop or start during a mail")
                elif r < 0.72:
                    modes.set(["refuse", "silent", "gone"][done.get("server away", 0) % 3])
                    did("server away")
                    did(f"server {modes.mode}")
                    time.sleep(rng.uniform(10, 45))
                    modes.set("up")
                elif r < 0.80:
                    modes.set("silent")  # a mailer that waits for an answer, to be killed
                    flip()
                    wait_until = time.monotonic() + 10
                    while not mailers_running() and time.monotonic() < wait_until:
                        time.sleep(0.05)
                    if windows_processes("SendEmail.exe", kill=True):
                        did("mailer killed mid-try")
                    modes.set("up")
                elif r < 0.88:
                    restart_strip(second_half)
                    did("strip closed and started again")
                else:
                    p.press(MAIN, TLV_BUTTON, p.caption)
                    p.press(SETTINGS, SETTINGS_OK)
                    did("settings window opened and confirmed")
                time.sleep(rng.uniform(0.5, 12))
            modes.set("up")
            # Settled: no e-mail and no mailer for 30 s (retries are due every 5 s at most).
            quiet = time.monotonic()
            seen = len(road.server.messages)
            while time.monotonic() - quiet < 30 and time.monotonic() - begin < seconds + 600:
                if len(road.server.messages) != seen or mailers_running():
                    quiet, seen = time.monotonic(), len(road.server.messages)
                time.sleep(0.5)
            end = time.monotonic()
            truth.stopping.set()
            most = mailers.most
    finally:
        road.close()

    mails = [(t, s.rsplit(" - ", 1)[-1] == "RUNNING")
             for t, s in zip(road.server.arrived, road.server.subjects())]
    changes = [c for c in truth.changes if c[0] >= begin]
    # States: (start, end, running).
    states = [(a, b, r) for (a, r), (b, _) in zip(changes, changes[1:] + [(end, None)])]
    false_mails = 0
    for i, (t, running) in enumerate(mails):
        since = mails[i - 1][0] if i else begin
        if not any(r == running and a <= t and b >= since for a, b, r in states):
            false_mails += 1
    reasons = {}
    for a, b, running in states[1:]:
        covered = False
        for t, kind in mails:
            if t >= a and kind == running:
                covered = True
                break
            if t >= a + LIMIT + 2 and kind != running:
                break  # a later state was told first
        if covered or end - a < 60:
            continue
        if b - a < SEEN:
            why = "too short to be seen"
        elif running and b - a < STABLE and a > begin + seconds / 2:
            why = "a restarted run not yet proved stable"
        elif any(c0 <= a <= c1 + 2 for c0, c1 in closed):
            why = "while the strip was closed"
        elif sum(1 for t, _ in mails if a - 600 <= t <= a) >= 10:
            why = "held by the cap"
        else:
            why = "other (a fault)"
        reasons[why] = reasons.get(why, 0) + 1
    longest, wrong_since = 0.0, None
    step = 0.1
    t = begin + 5
    while t < end:
        told = [k for m, k in mails if m <= t]
        wrong = bool(told) and truth.at(t) is not None and told[-1] != truth.at(t)
        if wrong and wrong_since is None:
            wrong_since = t
        if not wrong and wrong_since is not None:
            longest, wrong_since = max(longest, t - wrong_since), None
        t += step
    if wrong_since is not None:
        longest = max(longest, end - wrong_since)
    faults = reasons.get("other (a fault)", 0)
    met = false_mails == 0 and faults == 0 and most <= 1

    print("## 10. Chaos\n")
    print(f"Seed {seed}, {seconds:.0f} s, the second half with Restart when stopped on.\n")
    print("| What | Count |\n|---|---:|")
    for what, n in sorted(done.items()):
        print(f"| {what} | {n} |")
    print(f"| changes of the watched program | {len(states) - 1} |")
    print(f"| e-mails received | {len(mails)} |")
    print(f"| **e-mails whose state was not true since the e-mail before** | **{false_mails}** |")
    for why, n in sorted(reasons.items()):
        print(f"| states never told: {why} | {n} |")
    print(f"| longest time the last e-mail stayed false | {longest:.1f} s |")
    print(f"| **most mailers at once** | **{most}** |")
    print(f"\nTarget: no false e-mail, no state lost but by the reasons named, one mailer at a "
          f"time: **{'met' if met else 'missed'}**.\n")
    print(f"@summary | 10. Chaos, {seconds / 60:.0f} minutes, seed {seed} | {len(states) - 1} "
          f"changes, {len(mails)} e-mails, {false_mails} false, {faults} states lost, last "
          f"e-mail false at most {longest:.0f} s, {most} mailer(s) at once | 0 false, 0 lost, 1 "
          f"mailer | {'met' if met else 'missed'} |")
    return 0 if met else 2


if __name__ == "__main__":
    sys.exit(main(float(sys.argv[1]) if len(sys.argv) > 1 else 1200,
                  int(sys.argv[2]) if len(sys.argv) > 2 else 28))
