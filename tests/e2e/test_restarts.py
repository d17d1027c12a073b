"""Restarts: a crash loop mailed once and given up, which opening the settings window does not
undo; two instances watching one program, which only one brings back while each mails what it
saw (a stop and a start); and the strip itself closed while its STOPPED alert is owed, which it
sends once when started again."""
import time

from harness import MAIN, SETTINGS, SETTINGS_OK, TLV_BUTTON, MailServer, wait_for, windows_processes


def restart_keys(p, watched, command_args=""):
    """Restart when stopped on, with `watched` as its command and its folder to start in."""
    folder = p.wine.windows_path(p.folder)
    return dict(RESTART_TICKBOX="1", RESTART_FOLDER_TEXTBOX=folder,
                RESTART_COMMAND_TEXTBOX=f'"{folder}\\{watched.name}"{command_args}')


def test_a_crash_loop_is_mailed_once_given_up_and_opening_settings_does_not_undo_it(
        instance, running):
    p, watched = instance("LOOP")
    with MailServer() as server:
        # Its copies die in 2 s.
        process = running(p, watched, server.port, **restart_keys(p, watched, " 2"))
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
        instance, running):
    (one, watched), (two, _) = instance("FIRST"), instance("SECOND")
    with MailServer() as first, MailServer() as second:
        process = running(one, watched, first.port, RESTART_STABLE_SECONDS="3",
                          **restart_keys(one, watched))
        running(two, watched, second.port, start=False, RESTART_STABLE_SECONDS="3",
                **restart_keys(two, watched))
        process.kill()
        process.wait(timeout=30)
        for server in (first, second):
            wait_for(lambda: len(server.messages) >= 2, 60, "a stop and a start from each")
        time.sleep(3)
        assert windows_processes(watched.name) == 1
        for server in (first, second):
            assert server.subjects() == [f"KOV-ALT - {watched.name} - {k}" for k in
                                         ("STOPPED", "RUNNING")]


def test_a_stopped_alert_owed_at_close_is_sent_once_at_the_next_start(instance, running):
    p, watched = instance("OWED")
    server = MailServer()  # not listening yet
    try:
        process = running(p, watched, server.port)
        process.kill()
        process.wait(timeout=30)
        p.wait_light("STOPPED !")
        p.close()
        p.strip.wait(timeout=30)
        server.start()
        p.start()
        wait_for(lambda: server.messages, 60, "the owed STOPPED e-mail")
        p.wait_light("STOPPED")  # sent: the mark goes, and no second one follows
        time.sleep(5)
        assert server.subjects() == [f"KOV-ALT - {watched.name} - STOPPED"]
    finally:
        server.stop()
