"""Metrics file under a reader: a renamed kovalt.exe, set up as mail_bench.py sets it up, writes
its state for Prometheus into a folder while its watched program stops or starts every second;
a reader on Linux reads the file every 5 ms, as a textfile collector would but far more often,
and parses every read. A read that sees half a file, or a file that does not parse, is a fault.

    metrics_bench.py [reads = 10000]

Run as mail_bench.py is."""
import re
import sys
import threading
import time

from mail_bench import Road

SAMPLE = re.compile(r'^[a-z_]+\{(?:[a-z_]+="(?:[^"\\\n]|\\.)*",?)+\} -?[0-9.e+]+$')
FAMILIES = ("kovalt_up", "kovalt_state", "kovalt_last_change_timestamp_seconds",
            "kovalt_last_check_timestamp_seconds", "kovalt_restarts_total",
            "kovalt_alerts_total", "kovalt_alerts_pending", "kovalt_info")


def sound(text: str) -> bool:
    """Whole and parseable: every line a comment or a sample, every family there, ending with a
    line feed, exactly one state set."""
    if not text.endswith("\n"):
        return False
    lines = text[:-1].split("\n")
    if not all(line.startswith("# ") or SAMPLE.match(line) for line in lines):
        return False
    names = {line.split("{")[0] for line in lines if not line.startswith("#")}
    states = [line for line in lines if line.startswith("kovalt_state{")]
    return names == set(FAMILIES) and sum(line.endswith(" 1") for line in states) == 1


def main(reads: int) -> int:
    road = Road("metrics", started=False)
    metrics = road.folder / "metrics"
    metrics.mkdir()
    road.program.settings({"METRICS_FOLDER_TEXTBOX": road.wine.windows_path(metrics),
                           "METRICS_SECONDS": "1"})
    road.begin()
    file = metrics / f"kovalt_{road.program.instance}.prom"
    stopping = threading.Event()

    def flip_every_second():
        while not stopping.wait(1):
            if road.process.poll() is None:
                road.kill()
            else:
                road.process = road.wine.start(road.watched)

    flipping = threading.Thread(target=flip_every_second, daemon=True)
    try:
        flipping.start()
        bad, versions, started = 0, set(), time.monotonic()
        for _ in range(reads):  # over a minute or so: many changes
            time.sleep(0.005)
            text = file.read_bytes().decode("utf-8", "replace")
            versions.add(text)
            bad += not sound(text)
        seconds = time.monotonic() - started
    finally:
        stopping.set()
        flipping.join(timeout=30)
        road.close()

    met = bad == 0 and len(versions) > 2
    print("## 11. Metrics file under a reader\n")
    print("| What | Count |\n|---|---:|")
    print(f"| reads of the file | {reads} |")
    print(f"| seconds they took | {seconds:.1f} |")
    print(f"| different contents seen | {len(versions)} |")
    print(f"| **reads of half a file or one that does not parse** | **{bad}** |")
    print(f"\nTarget: every read whole and sound: **{'met' if met else 'missed'}**.\n")
    print(f"@summary | 11. Metrics file under a reader | {reads} reads in {seconds:.0f} s, "
          f"{len(versions)} contents, {bad} partial or unparsable | 0 | "
          f"{'met' if met else 'missed'} |")
    return 0 if met else 2


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 10000))
