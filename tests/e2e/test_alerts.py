"""The built program as a user runs it: a renamed copy set up through the registry and its own
windows mails a stop and a start of the program it watches through the real mailer to an SMTP
server on loopback, tries again an alert the server was not there for, and a second instance
in the same folder stays quiet; the first instance started again ends at once."""
import shutil
import subprocess

from harness import SETTINGS_KEY, MailServer, wait_for


def section(wine, instance):
    """The instance's registry section as `wine reg query` prints it."""
    path = wine.log_dir / f"{instance}.reg.txt"
    with open(path, "wb") as out:
        subprocess.run(["wine", "reg", "query", rf"{SETTINGS_KEY}\{instance}"], stdout=out,
                       timeout=60, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    return path.read_text(errors="replace")


def test_each_change_is_mailed_once_in_order_and_a_neighbour_stays_quiet(
        wine, instance, running):
    (one, one_watched), (two, two_watched) = instance("ONE"), instance("TWO")
    down, quiet = MailServer(), MailServer().start()  # the first is not listening yet
    try:
        running(two, two_watched, quiet.port, ALERT_RETRY_SECONDS="3")  # the neighbour first
        two_files = {p: p.read_bytes() for p in (two.script("RUNNING"), two.script("STOPPED"))}
        two_section = section(wine, two.instance)
        one_process = running(one, one_watched, down.port, ALERT_RETRY_SECONDS="3")
        assert b"~" in one.script("STOPPED").read_bytes()  # the folder's letter: short names
        # Started again, from another folder and with its name in other letters: the same
        # instance, so it ends, leaving the running copy alone to mail each change.
        again = one.folder / "again" / f"{one.instance.lower()}.exe"
        again.parent.mkdir()
        shutil.copy(one.exe, again)
        assert wine.start(again).wait(timeout=30) == 0

        one_process.kill()
        one_process.wait(timeout=30)
        one.wait_light("STOPPED !")  # the server is not there: not sent, and it shows
        down.start()
        stopped, running = (f"KOV-ALT - {one_watched.name} - {k}" for k in ("STOPPED", "RUNNING"))
        one.wait_light("STOPPED")  # tried again and sent: the mark goes
        assert down.subjects() == [stopped]
        wine.start_watched(one_watched)
        wait_for(lambda: len(down.subjects()) > 1, 60, "the running e-mail")
        one.wait_light("RUNNING")
        assert down.subjects() == [stopped, running], "each once, in order"
        message = down.messages[0]
        assert "<watchdog@example.org>" in message["From"] and "me@example.org" in message["To"]
        assert one.log().stat().st_size > 0, "the mailer writes its log into LOGS"

        two.wait_light("RUNNING")
        assert quiet.subjects() == []
        assert {p: p.read_bytes() for p in two_files} == two_files
        assert section(wine, two.instance) == two_section
    finally:
        down.stop()
        quiet.stop()
