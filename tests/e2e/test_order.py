"""Alerts while a mailer is still sending: a change waits behind the try on its way, a flapping
program is mailed no more than the cap allows, a server that never answers holds one mailer,
not many; a mailer on its way when the strip closes finishes, and is judged at the next start;
an alert owed about one program is never mailed under another's name."""
import random
import time

from harness import (ENABLED, MAIN, PROCESS_NAME, SETTINGS, SETTINGS_OK, SETTINGS_STATUS, TLV_BUTTON,
                     MailerCount, MailServer, SilentServer, install_mailer, mailers_running, wait_for)


def set_up(wine, instance, port, **more):
    """An instance watching its sleeper, running and set up through its windows."""
    p, watched = instance("ORDER")
    home = p.folder / "mailer home"
    install_mailer(home)
    p.watch(watched, home, port, **more)
    process = wine.start_watched(watched)
    p.start()
    p.confirm_email_settings()
    p.wait_light("RUNNING")
    return p, watched, process


def kinds(server):
    return [s.rsplit(" - ", 1)[-1] for s in server.subjects()]


def settled(server, last):
    """The e-mails once nothing has changed for 6 s: none sent, no mailer running. The last
    must be of kind `last`."""
    seen, since = None, time.monotonic()
    end = since + 120
    while time.monotonic() < end:
        now = (kinds(server), mailers_running())
        if now != seen:
            seen, since = now, time.monotonic()
        elif now[1] == 0 and time.monotonic() - since > 6:
            assert now[0][-1:] == [last], now[0]
            return now[0]
        time.sleep(0.2)
    raise TimeoutError(f"the alerts did not settle: {seen}")


def test_a_slow_stopped_holds_back_the_running_that_follows(wine, instance):
    slow = [8]  # the first stopped message is answered after 8 s, the rest at once
    with MailServer(lambda s: slow.pop() if slow and s.endswith("STOPPED") else 0) as server:
        p, watched, process = set_up(wine, instance, server.port)
        process.kill()
        process.wait(timeout=30)
        time.sleep(3)
        wine.start_watched(watched)
        p.wait_light("RUNNING")
        assert settled(server, "RUNNING") == ["STOPPED", "RUNNING"]


def test_a_flapping_program_gives_alternating_alerts_up_to_the_cap_ending_with_the_truth(
        wine, instance):
    delays = random.Random(24)
    with MailServer(lambda _s: delays.uniform(0.2, 4)) as server, MailerCount() as mailers:
        # At most 10 tries in 60 s: the flapping ends within them.
        p, watched, process = set_up(wine, instance, server.port, ALERT_RETRY_SECONDS="3",
                                     ALERT_LIMIT_WINDOW_SECONDS="60")
        end = time.monotonic() + 45
        while time.monotonic() < end:
            time.sleep(1)
            process.kill()
            process.wait(timeout=30)
            time.sleep(1)
            process = wine.start(watched)
        p.wait_light("RUNNING")
        sent = settled(server, "RUNNING")
    assert 4 <= len(sent) <= 11, sent
    assert all(a != b for a, b in zip(sent, sent[1:])), sent
    assert mailers.most == 1


def test_a_silent_server_and_a_crash_loop_hold_one_mailer_at_a_time(wine, instance):
    with SilentServer() as server, MailerCount() as mailers:
        p, watched, process = set_up(wine, instance, server.port, ALERT_TIME_LIMIT_SECONDS="6",
                                     ALERT_RETRY_SECONDS="2")
        process.kill()
        end = time.monotonic() + 30
        while time.monotonic() < end:  # a program that ends a second after each start
            wine.start(watched, "1").wait(timeout=30)
            time.sleep(0.5)
        p.wait_light("STOPPED !")
        wait_for(lambda: mailers_running() == 1, 90, "a try on its way")
        p.close()  # the try on its way goes on without the strip ...
        time.sleep(2)
        assert mailers_running() == 1
        p.start()  # ... until the next start takes it up and ends it at its time limit
        wait_for(lambda: mailers_running() == 0 and server.open == 0, 30, "no mailer left")
    assert server.most == 1 and mailers.most == 1, (server.most, mailers.most)


def test_a_mailer_on_its_way_when_the_strip_closes_is_let_finish_and_not_sent_twice(
        wine, instance):
    with MailServer(lambda s: 8 if s.endswith("STOPPED") else 0) as server:
        p, watched, process = set_up(wine, instance, server.port)
        process.kill()
        wait_for(lambda: mailers_running() == 1, 30, "the STOPPED e-mail on its way")
        p.close()
        wait_for(lambda: server.messages, 30, "the e-mail, sent after the strip closed")
        p.start()
        p.wait_light("STOPPED")
        time.sleep(5)
        assert kinds(server) == ["STOPPED"]


def test_an_alert_owed_about_one_program_is_never_mailed_under_another_name(wine, instance):
    server = MailServer()  # not listening yet
    try:
        p, watched, process = set_up(wine, instance, server.port, ALERT_RETRY_SECONDS="2")
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
