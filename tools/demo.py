"""The road of an alert, on this machine: an SMTP server and two HTTP servers on loopback, the
watchdog watching a sample process with its settings given through the registry and confirmed in
its windows, the process stopped and started again, and each alert printed as it was received:
the e-mail, the same alert as an ntfy push, and the heartbeat's pings with its "/fail" at the stop.

Run by scripts/run.sh, which builds the programs, prepares Wine and puts tools/harness on
PYTHONPATH; the arguments are the build tree's
kovalt.exe, a sample program to watch, the button-pressing helper and a scratch folder."""
import shutil
import sys
import time
from pathlib import Path

from harness import HttpServer, MailServer, Program, Wine, install_mailer, wait_for


def show(message) -> None:
    print("-" * 72)
    for header in ("From", "To", "Subject", "Date"):
        print(f"{header}: {message[header]}")
    print()
    for part in message.walk():
        if part.get_content_maintype() == "text":
            print((part.get_payload(decode=True) or b"").decode("utf-8", "replace").strip())
            break
    print("-" * 72, flush=True)


def show_push(request) -> None:
    """A push as the ntfy server would get it: the request, its title and priority, the text."""
    headers = {k.lower(): v for k, v in request["headers"].items()}
    print(f"Push received: {request['method']} {request['path']}"
          f"  (Title: {headers.get('title')}; Priority: {headers.get('priority')})")
    for line in request["body"].decode("utf-8", "replace").splitlines():
        print(f"  {line}")


def pings(beat: HttpServer, since: float) -> str:
    """The heartbeat's requests from `since` on, with their seconds after it."""
    return ", ".join(f"{r['method']} {r['path']} (+{r['at'] - since:.1f} s)"
                     for r in beat.seen() if r["at"] >= since)


def up_line(metrics: Path) -> str:
    """The kovalt_up line of the instance's metrics file, as Prometheus would read it."""
    for file in metrics.glob("*.prom"):
        for line in file.read_text(encoding="utf-8").splitlines():
            if line.startswith("kovalt_up{"):
                return line
    return ""


def main(exe: Path, sample: Path, driver: Path, folder: Path) -> int:
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    wine = Wine(folder.parent / "demo-logs", driver)
    program = Program(wine, folder, "WALLET-WATCH", exe)
    # A new instance each time: nothing owed from an earlier run is sent first.
    wine.delete_section(program.instance)
    watched = folder / "sample-wallet.exe"
    shutil.copy(sample, watched)
    home = folder / "SendEmail"
    install_mailer(home)
    metrics = folder / "metrics"
    metrics.mkdir()
    try:
        with MailServer() as server, HttpServer() as push, HttpServer() as beat:
            print(f"SMTP server listening on 127.0.0.1:{server.port}; a push service (ntfy) on "
                  f"{push.url}, a heartbeat service on {beat.url}")
            program.watch(watched, home, server.port, RUNNER_NAME_TEXTBOX="Sample wallet",
                          AlwaysOnTop_TICKBOX="1", SEND_TO_ADDRESS_TEXTBOX="owner@example.org",
                          ALERT_RETRY_SECONDS="10",  # a hidden key: the first try again after 10 s
                          METRICS_FOLDER_TEXTBOX=wine.windows_path(metrics),
                          PUSH_SERVICE_COMBOBOX="ntfy", PUSH_URL_TEXTBOX=push.url + "/wallet-rigs",
                          HEARTBEAT_URL_TEXTBOX=beat.url + "/ping/wallet-watch",
                          HEARTBEAT_SECONDS="5")  # hidden, in place of the minutes
            print(f"Starting {watched.name}, then {program.exe.name} watching it")
            sample_process = wine.start_watched(watched)
            launched = time.monotonic()
            program.start()
            print("Confirming the e-mail settings in the program's windows (CREATE FOLDERS, OK)")
            program.confirm_email_settings()
            print(f"Alert scripts written to {program.folder / 'BATS'}")
            program.wait_light("RUNNING")
            wait_for(lambda: up_line(metrics).endswith(" 1"), 30, "the metrics file")
            print(f"For Prometheus, in {metrics}: {up_line(metrics)}")
            wait_for(lambda: sum(not r["path"].endswith("/fail") for r in beat.seen()) >= 2, 30,
                     "two heartbeats")
            print(f"Heartbeat, counted from the strip's start: {pings(beat, launched)}")

            print(f"Stopping {watched.name} ...")
            stopped = time.monotonic()
            sample_process.kill()
            sample_process.wait(timeout=30)
            wait_for(lambda: len(server.messages) >= 1, 60, "the stopped e-mail")
            show(server.messages[0])
            wait_for(lambda: len(push.seen()) >= 1, 60, "the stopped push")
            show_push(push.seen()[0])
            wait_for(lambda: beat.seen()[-1]["path"].endswith("/fail"), 30, "the failure ping")
            print(f"Heartbeat, counted from the stop: {pings(beat, stopped)}")
            wait_for(lambda: up_line(metrics).endswith(" 0"), 30, "the metrics file")
            print(f"For Prometheus: {up_line(metrics)}")

            print(f"Starting {watched.name} again ...")
            started = time.monotonic()
            sample_process = wine.start_watched(watched)
            wait_for(lambda: len(server.messages) >= 2, 60, "the running e-mail")
            show(server.messages[1])
            wait_for(lambda: len(push.seen()) >= 2, 60, "the running push")
            show_push(push.seen()[1])
            program.wait_light("RUNNING")
            wait_for(lambda: any(r["at"] >= started for r in beat.seen()), 30, "a heartbeat")
            print(f"Heartbeat again, counted from the new start: {pings(beat, started)}")

            print("The SMTP server goes away, and the sample program stops again ...")
            server.stop()
            sample_process.kill()
            sample_process.wait(timeout=30)
            program.wait_light("STOPPED !")
            print('The strip reads "STOPPED !": the alert was not sent; its tooltip says why and')
            print("when it is tried again. The push road does not wait for the e-mail:")
            wait_for(lambda: len(push.seen()) >= 3, 60, "the third push")
            show_push(push.seen()[2])
            print("The SMTP server comes back ...")
            server.start()
            program.wait_light("STOPPED")
            wait_for(lambda: len(server.messages) >= 3, 60, "the stopped e-mail, tried again")
            print('Tried again and sent; the strip reads "STOPPED" once more:')
            show(server.messages[2])
            print(f"The mailer's log: {program.log()}")
    finally:
        wine.stop_all()
    return 0


if __name__ == "__main__":
    exe, sample, driver, folder = (Path(a) for a in sys.argv[1:5])
    sys.exit(main(exe, sample, driver, folder))
