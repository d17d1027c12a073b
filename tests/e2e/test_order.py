"""Alerts across a close and a change of name: a mailer on its way when the strip closes
finishes, and is judged at the next start, not sent twice; an alert owed about one program is
never mailed under another's name. (A slow, a silent and a refusing server against stops,
starts, closes and a flapping program are the chaos benchmark's.)"""
import time

from harness import (ENABLED, MAIN, PROCESS_NAME, SETTINGS, SETTINGS_OK, SETTINGS_STATUS, TLV_BUTTON,
                     MailServer, mailers_running, wait_for)


def kinds(server):
    return [s.rsplit(" - ", 1)[-1] for s in server.subjects()]


def test_a_mailer_on_its_way_when_the_strip_closes_is_let_finish_and_not_sent_twice(
        wine, instance, running):
    with MailServer(lambda s: 8 if s.endswith("STOPPED") else 0) as server:
        p, watched = instance("ORDER")
        process = running(p, watched, server.port)
        process.kill()
        wait_for(lambda: mailers_running() == 1, 30, "the STOPPED e-mail on its way")
        p.close()
        wait_for(lambda: server.messages, 30, "the e-mail, sent after the strip closed")
        p.start()
        p.wait_light("STOPPED")
        time.sleep(5)
        assert kinds(server) == ["STOPPED"]


def test_an_alert_owed_about_one_program_is_never_mailed_under_another_name(wine, instance, running):
    server = MailServer()  # not listening yet
    try:
        p, watched = instance("ORDER")
        process = running(p, watched, server.port, ALERT_RETRY_SECONDS="2")
        other = p.folder / "bee.exe"
        other.write_bytes(watched.read_bytes())
        bee = wine.start_watched(other)
        process.kill()
        p.wait_light("STOPPED !")
        # The user watches another program instead: switched off, renamed, switched on.
        p.press(MAIN, TLV_BUTTON, p.caption)
        p.press(SETTINGS, ENABLED)
        p.wait_text(SETTINGS, SETTINGS_STATUS, "The STOPPED alert not yet sent was dropped: *")
        p.type_text(SETTINGS, PROCESS_NAME, "bee.exe")
        p.press(SETTINGS, ENABLED)
        p.press(SETTINGS, SETTINGS_OK)
        p.wait_light("RUNNING")
        server.start()
        time.sleep(6)  # three tries' time: nothing is owed
        bee.kill()
        wait_for(lambda: server.messages, 30, "the stop of the program watched now")
        time.sleep(3)
        assert server.subjects() == ["KOV-ALT - bee.exe - STOPPED"]
    finally:
        server.stop()
