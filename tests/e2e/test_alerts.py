"""The built program as a user runs it: a renamed copy set up through the registry and its own
windows mails a stop and a start of the program it watches through the real mailer to an SMTP
server on loopback, while a second instance in the same folder stays quiet."""
import subprocess

from harness import SETTINGS_KEY, install_mailer, wait_for


def section(wine, instance):
    """The instance's registry section as `wine reg query` prints it."""
    path = wine.log_dir / f"{instance}.reg.txt"
    with open(path, "wb") as out:
        subprocess.run(["wine", "reg", "query", rf"{SETTINGS_KEY}\{instance}"], stdout=out, timeout=60,
                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    return path.read_text(errors="replace")


def test_each_change_is_mailed_once_and_a_neighbour_stays_quiet(wine, instance, mail_servers):
    (one, one_watched), (two, two_watched) = instance("ONE"), instance("TWO")
    home = one.folder / "mailer home"
    install_mailer(home)
    for p, watched, server in ((one, one_watched, mail_servers[0]), (two, two_watched, mail_servers[1])):
        p.settings({"PROCESS_NAME_TEXTBOX": watched.name, "ENABLED_TICKBOX": "1",
                    "AlwaysOnTop_TICKBOX": "0", "RUNNER_NAME_TEXTBOX": p.instance,
                    "SE_HOME_TEXTBOX": wine.windows_path(home),
                    "SMTP_SERVER_ADDRESS_PORT_TEXTBOX": f"127.0.0.1:{server.port}",
                    "SEND_FROM_ADDRESS_TEXTBOX": "watchdog@example.org",
                    "SEND_TO_ADDRESS_TEXTBOX": "me@example.org"})
    (one.folder / "BATS").mkdir()
    for kind in ("RUNNING", "STOPPED"):  # the neighbour's scripts, as its own OK wrote them
        two.script(kind).write_bytes(
            f'call "{wine.windows_path(home)}\\SendEmail.exe" -f "a@x" -t "b@x" -u "{kind}" '
            f'-s "127.0.0.1:{mail_servers[1].port}" -q\r\n'.encode())
    two_files = {p: p.read_bytes() for p in (two.script("RUNNING"), two.script("STOPPED"))}

    one_process = wine.start_watched(one_watched)
    wine.start_watched(two_watched)
    two.start()
    two.wait_light("RUNNING")
    two_section = section(wine, two.instance)
    one.start()
    one.confirm_email_settings()
    one.wait_light("RUNNING")
    assert mail_servers[0].subjects() == [], "nothing is sent while the program runs"

    one_process.kill()
    one_process.wait(timeout=30)
    stopped, running = (f"KOV-ALT - {one_watched.name} - {kind}" for kind in ("STOPPED", "RUNNING"))
    wait_for(mail_servers[0].subjects, 60, "the stopped e-mail")
    assert mail_servers[0].subjects() == [stopped]
    wine.start_watched(one_watched)
    wait_for(lambda: len(mail_servers[0].subjects()) > 1, 60, "the running e-mail")
    one.wait_light("RUNNING")
    assert mail_servers[0].subjects() == [stopped, running]
    message = mail_servers[0].messages[0]
    assert "<watchdog@example.org>" in message["From"] and "me@example.org" in message["To"]
    assert one.log().stat().st_size > 0, "the mailer writes its log into LOGS"

    two.wait_light("RUNNING")
    assert mail_servers[1].subjects() == []
    assert {p: p.read_bytes() for p in two_files} == two_files
    assert section(wine, two.instance) == two_section
