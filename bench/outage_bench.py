"""Server away: the SMTP server goes away, the watched process is killed right after, and the
server comes back after `outage` seconds; the time from its return to the stopped e-mail's
arrival, against the bound the tries again give. The program keeps its default first wait.

    outage_bench.py [outage seconds = 90]

Run as mail_bench.py is."""
import sys
import time

from mail_bench import Road

FIRST_WAIT = 60  # s, the program's default
# Allowance of the bound, s: five one-second ticks (the check that sees the stop, the two that
# read each refused try's verdict, the two that start the tries again) and the mailer's three
# runs (two refused, one sent; each well under a second to two seconds, see section 7).
TICKS, MAILER = 5, 5


def main(outage: float) -> int:
    # A try again comes 1, 2, 4, 8, then 15 times the first wait after the failure before it:
    # with 60 s, at +60 s and +180 s after the first failure, which comes at about the kill.
    # After 90 s away the one at +60 s is refused too, and the one at +180 s, 90 s after the
    # return, is the first the server is there for.
    waits = [FIRST_WAIT * f for f in (1, 2, 4, 8, 15)]
    tries = [0]
    while tries[-1] < outage:
        tries.append(tries[-1] + waits[min(len(tries), 5) - 1])
    schedule = tries[-1] - outage
    bound = schedule + TICKS + MAILER
    road = Road("outage")
    errors = []  # when each refused try's line appeared in the mailer's log
    log = road.program.log()

    def watch_log(until) -> None:
        while not until():
            text = log.read_text(errors="replace") if log.exists() else ""
            errors.extend([time.monotonic()] * (text.count("ERROR =>") - len(errors)))
            time.sleep(0.05)

    try:
        road.server.stop()
        away = time.monotonic()
        killed = road.kill()
        watch_log(lambda: errors or time.monotonic() - killed > 60)
        road.program.wait_light("STOPPED !")
        watch_log(lambda: time.monotonic() - away >= outage)
        road.server.start()
        back = time.monotonic()
        watch_log(lambda: road.server.messages or time.monotonic() - back > bound + 60)
        delivered = road.server.arrived[0] if road.server.messages else None
        if delivered is not None:
            road.program.wait_light("STOPPED")
        subjects = road.server.subjects()
    finally:
        road.close()

    after = delivered - back if delivered is not None else None
    right = subjects == [road.subject.format("STOPPED")]
    met = after is not None and after <= bound and right
    rel = [e - killed for e in errors]

    at = ", ".join(f"+{e:.1f} s" for e in rel) or "none seen"
    print("## 8. Server away\n")
    print("| What | Seconds |\n|---|---:|")
    print(f"| server away -> watched process killed | {killed - away:.2f} |")
    for n, e in enumerate(rel, 1):
        print(f"| kill -> refused try {n} in the mailer's log | {e:.1f} |")
    print(f"| kill -> server back | {back - killed:.1f} |")
    if after is not None:
        print(f"| kill -> stopped e-mail received | {delivered - killed:.1f} |")
        if rel:
            print(f"| first refused try -> stopped e-mail received (the schedule: +{tries[-1]} s) "
                  f"| {delivered - killed - rel[0]:.1f} |")
        print(f"| **server back -> stopped e-mail received** | **{after:.1f}** |")
    print(f"\n- tries the schedule gives, after the first failure: "
          f"{', '.join(f'+{x} s' for x in tries)}; the first after the return at +{tries[-1]} s, "
          f"{schedule:.0f} s after it")
    print(f"- bound: {schedule:.0f} s + {TICKS} s of ticks + {MAILER} s for the mailer = "
          f"{bound:.0f} s")
    print(f"- e-mails received: {len(subjects)}, the stopped one once: {'yes' if right else 'no'}")
    print(f"\nTarget: the stopped e-mail within the bound after the server's return: "
          f"**{'met' if met else 'missed'}**.\n")
    print(f"@summary | 8. Server away {outage:.0f} s | server back -> stopped e-mail received: "
          + (f"{after:.1f} s" if after is not None else "never") +
          f" (refused tries at {at} after the kill) | <= {bound:.0f} s after the return "
          f"({schedule:.0f} s from the tries again, {TICKS + MAILER} s for ticks and mailer) | "
          f"{'met' if met else 'missed'} |")
    return 0 if met else 2


if __name__ == "__main__":
    sys.exit(main(float(sys.argv[1]) if len(sys.argv) > 1 else 90))
