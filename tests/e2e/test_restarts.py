"""Restarts: the watched program killed and brought back by the strip, both changes mailed; a
crash loop mailed once and given up, which opening the settings window does not undo; two
instances watching one program, which only one brings back while each mails what it saw; and
the strip itself closed while its STOPPED alert is owed, which it sends once when started
again."""
import time

from harness import (MAIN, SETTINGS, SETTINGS_OK, TLV_BUTTON, MailServer, install_mailer,
                     wait_for, windows_processes)


def restarting(wine, p, watched, port, command_args="", start=True, **more):
    """`p` set up watching `watched` (started first, unless it runs), mailing to `port`, with
    Restart when stopped on, once it reads RUNNING; the watched process it started."""
    folder = wine.windows_path(p.folder)
    p.watch(watched, home(p), port, RESTART_TICKBOX="1", RESTART_FOLDER_TEXTBOX=folder,
            RESTART_COMMAND_TEXTBOX=f'"{folder}\\{watched.name}"{command_args}', **more)
    process = wine.start_watched(watched) if start else None
    p.start()
    p.confirm_email_settings()
    p.wait_light("RUNNING")
    return process


def home(p):
    mailer = p.folder / "mailer home"
    if not (mailer / "SendEmail.exe").exists():
        install_mailer(mailer)
    return mailer


def test_a_killed_program_is_brought_back_and_both_changes_are_mailed(wine, instance):
    p, watched = instance("BACK")
    with MailServer() as server:
        process = restarting(wine, p, watched, server.port, RESTART_STABLE_SECONDS="3")
        process.kill()
        process.wait(timeout=30)
        wait_for(lambda: len(server.messages) >= 2, 60, "both e-mails")
        p.wait_light("RUNNING")  # the copy the strip started runs
        time.sleep(3)
        assert server.subjects() == [f"KOV-ALT - {watched.name} - {k}" for k in
                                     ("STOPPED", "RUNNING")]


def test_a_crash_loop_is_mailed_once_given_up_and_opening_settings_does_not_undo_it(
        wine, instance):
    p, watched = instance("LOOP")
    with MailServer() as server:
        process = restarting(wine, p, watched, server.port, " 2")  # its copies die in 2 s
        process.kill()
        process.wait(timeout=30)
        p.wait_light("STOPPED !")  # five restarts, then given up
        wait_for(lambda: windows_processes(watched.name) == 0, 30, "the last copy to die")
        time.sleep(3)
        stopped = f"KOV-ALT - {watched.name} - STOPPED"
        assert server.subjects() == [stopped], "one e-mail, and the last one true"
        # Opened while stopped: the stop is mailed once more, and nothing is restarted.
        p.press(MAIN, TLV_BUTTON, p.caption)
        p.press(SETTINGS, SETTINGS_OK)
        wait_for(lambda: len(server.messages) >= 2, 60, "the stop mailed again")
        time.sleep(5)
        assert windows_processes(watched.name) == 0
        assert server.subjects() == [stopped, stopped]


def test_two_instances_on_one_program_bring_back_one_copy_and_each_mails_what_it_saw(
        wine, instance):
    (one, watched), (two, _) = instance("FIRST"), instance("SECOND")
    with MailServer() as first, MailServer() as second:
        process = restarting(wine, one, watched, first.port, RESTART_STABLE_SECONDS="3")
        restarting(wine, two, watched, second.port, start=False, RESTART_STABLE_SECONDS="3")
        process.kill()
        process.wait(timeout=30)
        for server in (first, second):
            wait_for(lambda: len(server.messages) >= 2, 60, "a stop and a start from each")
        time.sleep(3)
        assert windows_processes(watched.name) == 1
        for server in (first, second):
            assert server.subjects() == [f"KOV-ALT - {watched.name} - {k}" for k in
                                         ("STOPPED", "RUNNING")]


def test_a_stopped_alert_owed_at_close_is_sent_once_at_the_next_start(wine, instance):
    p, watched = instance("OWED")
    server = MailServer()  # not listening yet
    try:
        p.watch(watched, home(p), server.port)
        process = wine.start_watched(watched)
        strip = p.start()
        p.confirm_email_settings()
        p.wait_light("RUNNING")
        process.kill()
        process.wait(timeout=30)
        p.wait_light("STOPPED !")
        p.close()
        strip.wait(timeout=30)
        server.start()
        p.start()
        wait_for(lambda: server.messages, 60, "the owed STOPPED e-mail")
        p.wait_light("STOPPED")  # sent: the mark goes, and no second one follows
        time.sleep(5)
        assert server.subjects() == [f"KOV-ALT - {watched.name} - STOPPED"]
    finally:
        server.stop()
