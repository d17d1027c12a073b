"""A program that runs but no longer works: its log stops growing, the light reads STUCK and the
STUCK e-mail goes through the third script; the log moving again gives RUNNING. With Restart
when stuck, the stuck copy is ended and a new one started."""
import os
import shutil

from harness import MailServer, install_mailer, wait_for, windows_processes


def stuck_program(instance, name):
    """An instance watching a copy of the stuck helper, which writes its log for a while."""
    p, watched = instance(name)
    shutil.copy(os.environ["KOVALT_STUCK"], watched)
    home = p.folder / "mailer home"
    install_mailer(home)
    return p, watched, home


def kinds(server):
    return [s.rsplit(" - ", 1)[-1] for s in server.subjects()]


def test_a_log_that_stops_growing_is_stuck_and_running_again_once_it_moves(wine, instance):
    p, watched, home = stuck_program(instance, "STUCK")
    log = p.folder / "node.log"
    with MailServer() as server:
        p.watch(watched, home, server.port, STUCK_FILE_TEXTBOX=wine.windows_path(log),
                STUCK_FILE_SECONDS="3")
        wine.start(watched, "log", wine.windows_path(log), "4000")
        wine.drive("process", watched.name)
        p.start()
        p.confirm_email_settings()
        assert p.script("STUCK").exists(), "a check is set up: the third script is written"
        p.wait_light("STUCK")
        wait_for(lambda: kinds(server) == ["STUCK"], 30, "the STUCK e-mail")
        with open(log, "a") as more:  # it works again
            more.write("line again\n")
        p.wait_light("RUNNING")
        wait_for(lambda: kinds(server) == ["STUCK", "RUNNING"], 30, "the RUNNING e-mail")


def test_a_stuck_program_is_ended_and_a_new_copy_started(wine, instance):
    p, watched, home = stuck_program(instance, "UNSTUCK")
    log = p.folder / "node.log"
    folder = wine.windows_path(p.folder)
    with MailServer() as server:
        p.watch(watched, home, server.port, STUCK_FILE_TEXTBOX=wine.windows_path(log),
                STUCK_FILE_SECONDS="3", RESTART_TICKBOX="1", RESTART_STUCK_TICKBOX="1",
                RESTART_FOLDER_TEXTBOX=folder, RESTART_STABLE_SECONDS="3",
                RESTART_COMMAND_TEXTBOX=f'"{folder}\\{watched.name}" log "{wine.windows_path(log)}" 60000')
        first = wine.start(watched, "log", wine.windows_path(log), "3000")
        wine.drive("process", watched.name)
        p.start()
        p.confirm_email_settings()
        wait_for(lambda: first.poll() is not None, 60, "the stuck copy ended")
        wait_for(lambda: kinds(server) == ["STUCK", "STOPPED", "RUNNING"], 90,
                 "the stuck, stopped and running e-mails")
        assert windows_processes(watched.name) == 1, "the new copy runs"
        p.wait_light("RUNNING")
