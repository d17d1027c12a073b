"""Push and heartbeat: two renamed kovalt.exe, each watching a copy of the sleeper with the push
road (the Webhook service, to an HTTP server on loopback) beside the e-mail road (the real
mailer to an SMTP server on loopback), one checking once a second, one with "Restart when
stopped" on, where the stop is seen at once through the process handle. Each kill times the
STOPPED push and the stopped e-mail arriving at their servers. Then four strips at rest, once a
second and restart on, each with a heartbeat every minute and without one: their CPU time.

    push_bench.py [kills = 20] [seconds at rest = 120]

Run as mail_bench.py is."""
import json
import random
import statistics
import sys
import time
from contextlib import ExitStack

from harness import HttpServer, wait_for
from restart_bench import at_rest, kill_watched, road

TARGET_MS = 150  # the STOPPED push, median, where the stop is seen at once


class Pushed:
    """A strip whose pushes go to its own HTTP server, and what arrived where."""

    def __init__(self, label: str, restart: bool, hook: HttpServer, more: dict = None):
        self.hook, self.restart = hook, restart
        settings = {"PUSH_SERVICE_COMBOBOX": "Webhook", "PUSH_URL_TEXTBOX": hook.url + "/hook",
                    **(more or {})}
        if restart:  # the restarted copy is told running once it has run a second
            settings["RESTART_STABLE_SECONDS"] = "1"
        self.road = road(label, restart, extra=settings)
        self.push_ms, self.mail_ms = [], []

    def pushes(self) -> list:
        return [json.loads(r["body"])["state"] for r in self.hook.seen("POST")]

    def kill(self) -> None:
        """Kills the watched program; times its STOPPED push and e-mail, then waits until it
        runs again (brought back by the strip, or started here) and both roads have told so."""
        n = len(self.road.server.messages)
        killed, _ = kill_watched(self.road)
        wait_for(lambda: len(self.hook.seen("POST")) > n, 60, "the STOPPED push")
        self.push_ms.append(1000 * (self.hook.seen("POST")[n]["at"] - killed))
        self.mail_ms.append(1000 * (self.road.mail(n + 1, 60) - killed))
        if not self.restart:
            self.road.process = self.road.wine.start_watched(self.road.watched)
        wait_for(lambda: len(self.hook.seen("POST")) > n + 1, 60, "the RUNNING push")
        self.road.mail(n + 2, 60)

    def in_order(self, kills: int) -> bool:
        expected = ["STOPPED", "RUNNING"] * kills
        return self.pushes() == expected and [
            s.rsplit(" - ", 1)[-1] for s in self.road.server.subjects()] == expected


def row(what: str, values: list) -> str:
    return (f"| {what} | {statistics.median(values):.0f} ms | {min(values):.0f} ms | "
            f"{max(values):.0f} ms | {len(values)} |")


def stops(kills: int) -> dict:
    with HttpServer() as plain_hook, HttpServer() as restart_hook:
        strips = {"plain": Pushed("pushplain", False, plain_hook),
                  "restart": Pushed("pushrestart", True, restart_hook)}
        try:
            phase = random.Random(1)
            for c in range(kills):
                for s in strips.values():
                    time.sleep(0.3 + phase.randrange(1000) / 1000)
                    s.kill()
                print(f"kill {c + 1}: STOPPED push after {strips['plain'].push_ms[-1]:.0f} ms "
                      f"(once a second), {strips['restart'].push_ms[-1]:.0f} ms (restart on)",
                      file=sys.stderr, flush=True)
            time.sleep(3)  # nothing more arrives
            for s in strips.values():
                s.ordered = s.in_order(kills)
        finally:
            for s in strips.values():
                s.road.close()
    return strips


def heartbeats(duration: float) -> dict:
    """Four strips at rest, each watching a running sleeper: once a second and restart on, each
    with a heartbeat every minute (the window's setting, 1 minute) and with none."""
    with ExitStack() as servers:
        beats, strips = {}, {}
        try:
            for restart in (False, True):
                for beat in (False, True):
                    label = f"{'restart' if restart else 'plain'}{'beat' if beat else ''}"
                    beats[label] = servers.enter_context(HttpServer())
                    more = ({"HEARTBEAT_URL_TEXTBOX": beats[label].url + "/ping",
                             "HEARTBEAT_MINUTES_TEXTBOX": "1"} if beat else {})
                    strips[label] = Pushed(label, restart, beats[label], more).road
            return at_rest(strips, duration, lambda k: len(beats[k].seen("GET")))
        finally:
            for r in strips.values():
                r.close()


def main(kills: int, quiet: float) -> int:
    strips = stops(kills)
    rest = heartbeats(quiet)
    plain, restart = strips["plain"], strips["restart"]

    print("## 12. Push and heartbeat\n")
    print("| Kill -> | Median | Min | Max | n |\n|---|---:|---:|---:|---:|")
    print(row("STOPPED push received, restart on (the stop seen at once)", restart.push_ms))
    print(row("stopped e-mail received, restart on", restart.mail_ms))
    print(row("STOPPED push received, checked once a second", plain.push_ms))
    print(row("stopped e-mail received, checked once a second", plain.mail_ms))
    for label, s in (("restart on", restart), ("once a second", plain)):
        print(f"\n- {label}: {len(s.pushes())} pushes and {len(s.road.server.messages)} e-mails "
              f"of {2 * kills} each, every change once and in order: "
              f"{'yes' if s.ordered else 'no'}")
    print(f"\n| At rest, {quiet:.0f} s, watched program running | Heartbeat pings per minute | "
          f"CPU time per hour |\n|---|---:|---:|")
    for label, what in (("plain", "checked once a second, no heartbeat"),
                        ("plainbeat", "checked once a second, heartbeat every minute"),
                        ("restart", "restart on, no heartbeat"),
                        ("restartbeat", "restart on, heartbeat every minute")):
        print(f"| {what} | {rest[label][0]:.1f} | {rest[label][1]:.1f} s |")
    median = statistics.median(restart.push_ms)
    met = median < TARGET_MS and plain.ordered and restart.ordered
    print(f"\nTarget: STOPPED push median under {TARGET_MS} ms with restart on, every change "
          f"pushed and mailed once, in order: **{'met' if met else 'missed'}**.\n")
    print(f"@summary | 12. Push and heartbeat | kill -> STOPPED push: median {median:.0f} ms, max "
          f"{max(restart.push_ms):.0f} ms with restart on; median "
          f"{statistics.median(plain.push_ms):.0f} ms once a second (kill -> e-mail: median "
          f"{statistics.median(restart.mail_ms):.0f} / {statistics.median(plain.mail_ms):.0f} "
          f"ms); {kills} kills; CPU s/hour, heartbeat every minute vs none: "
          f"{rest['plainbeat'][1]:.1f} vs {rest['plain'][1]:.1f} once a second, "
          f"{rest['restartbeat'][1]:.1f} vs {rest['restart'][1]:.1f} restart on | push median < "
          f"{TARGET_MS} ms with restart on; each change once, in order | "
          f"{'met' if met else 'missed'} |")
    return 0 if met else 2


if __name__ == "__main__":
    a = [float(x) for x in sys.argv[1:]]
    sys.exit(main(int(a[0]) if a else 20, a[1] if len(a) > 1 else 120))
