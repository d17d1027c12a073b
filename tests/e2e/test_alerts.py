"""The built program watches a helper process that the test stops and starts."""
import time

from kovalt_harness import install_mailer, wait_for

MARKER_SCRIPT = 'echo {kind}>> "%~dp0{kind}.txt"\r\n'


def lines(path):
    return path.read_text().split() if path.exists() else []


def test_stop_and_start_each_run_their_script_once(wine, program, watched):
    bats = program.folder / "BATS"
    bats.mkdir()
    for kind in ("RUNNING", "STOPPED"):
        program.script(kind).write_bytes(MARKER_SCRIPT.format(kind=kind).encode("ascii"))
    stopped, running = bats / "STOPPED.txt", bats / "RUNNING.txt"
    program.settings({"PROCESS_NAME_TEXTBOX": watched.name, "ENABLED_TICKBOX": "1",
                      "AlwaysOnTop_TICKBOX": "0"})

    helper = wine.start(watched)
    time.sleep(2)  # the helper is up before the watchdog's first look
    strip = program.start()
    time.sleep(5)  # several ticks see the helper running: nothing is sent
    assert strip.poll() is None, "the program ended on its own"
    assert lines(stopped) == [] and lines(running) == []

    helper.kill()
    helper.wait(timeout=30)
    wait_for(lambda: lines(stopped) == ["STOPPED"], 30, "the stopped alert")
    wine.start(watched)
    wait_for(lambda: lines(running) == ["RUNNING"], 30, "the running alert")
    time.sleep(3)  # later ticks that see it running send nothing more
    assert lines(stopped) == ["STOPPED"]
    assert lines(running) == ["RUNNING"]
    assert strip.poll() is None


def test_alert_emails_reach_the_smtp_server(wine, program, watched, mail_server):
    """Settings given through the registry, confirmed through the windows; the real mailer
    sends both alerts to an SMTP server on loopback."""
    home = program.folder / "mailer home"
    install_mailer(home)
    program.settings({
        "PROCESS_NAME_TEXTBOX": watched.name, "ENABLED_TICKBOX": "1",
        "AlwaysOnTop_TICKBOX": "0", "RUNNER_NAME_TEXTBOX": "end to end",
        "SE_HOME_TEXTBOX": wine.windows_path(home),
        "SMTP_SERVER_ADDRESS_PORT_TEXTBOX": f"127.0.0.1:{mail_server.port}",
        "SEND_FROM_ADDRESS_TEXTBOX": "watchdog@example.org",
        "SEND_TO_ADDRESS_TEXTBOX": "me@example.org",
    })
    helper = wine.start(watched)
    time.sleep(2)
    program.start()
    program.confirm_email_settings()
    time.sleep(3)
    assert mail_server.subjects() == [], "nothing is sent while the process runs"

    helper.kill()
    helper.wait(timeout=30)
    stopped = f"KOV-ALT - {watched.name} - STOPPED"
    running = f"KOV-ALT - {watched.name} - RUNNING"
    wait_for(lambda: stopped in mail_server.subjects(), 60, "the stopped e-mail")
    wine.start(watched)
    wait_for(lambda: running in mail_server.subjects(), 60, "the running e-mail")
    time.sleep(3)
    assert mail_server.subjects() == [stopped, running]
    message = mail_server.messages[0]
    assert "<watchdog@example.org>" in message["From"]
    assert "me@example.org" in message["To"]
    log = program.log()
    assert log.exists() and log.stat().st_size > 0, "the mailer writes its log into LOGS"
