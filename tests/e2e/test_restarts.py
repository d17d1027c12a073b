"""Restarts: the watched program killed and brought back by the strip, both changes mailed;
and the strip itself closed while its STOPPED alert is owed, which it sends once when started
again."""
import time

from harness import MailServer, install_mailer, wait_for


def test_a_killed_program_is_brought_back_and_both_changes_are_mailed(wine, instance):
    p, watched = instance("BACK")
    home = p.folder / "mailer home"
    install_mailer(home)
    with MailServer() as server:
        folder = wine.windows_path(p.folder)
        p.watch(watched, home, server.port, RESTART_TICKBOX="1",
                RESTART_COMMAND_TEXTBOX=f'"{folder}\\{watched.name}"',
                RESTART_FOLDER_TEXTBOX=folder)
        process = wine.start_watched(watched)
        p.start()
        p.confirm_email_settings()
        p.wait_light("RUNNING")
        process.kill()
        process.wait(timeout=30)
        wait_for(lambda: len(server.messages) >= 2, 60, "both e-mails")
        p.wait_light("RUNNING")  # the copy the strip started runs
        time.sleep(3)
        assert server.subjects() == [f"KOV-ALT - {watched.name} - {k}" for k in
                                     ("STOPPED", "RUNNING")]


def test_a_stopped_alert_owed_at_close_is_sent_once_at_the_next_start(wine, instance):
    p, watched = instance("OWED")
    home = p.folder / "mailer home"
    install_mailer(home)
    server = MailServer()  # not listening yet
    try:
        p.watch(watched, home, server.port)
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
