"""Reminders while the watched program stays stopped: two arrive in order, spaced as set, and
none once it runs again."""
import time

from harness import MailServer, wait_for


def test_two_reminders_while_stopped_and_none_once_running(wine, instance, running):
    p, watched = instance("REMIND")
    subject = f"KOV-ALT - {watched.name} - " + "{}"
    with MailServer() as server:
        process = running(p, watched, server.port, REMINDER_MINUTES_TEXTBOX="1",
                          REMINDER_SECONDS="5")
        process.kill()
        process.wait(timeout=30)
        wait_for(lambda: len(server.messages) >= 3, 60, "the stopped e-mail and two reminders")
        spacing = [b - a for a, b in zip(server.arrived[0:3], server.arrived[1:3])]
        wine.start_watched(watched)
        wait_for(lambda: len(server.messages) >= 4, 60, "the running e-mail")
        time.sleep(12)  # two reminders' time: none comes
        assert server.subjects() == [subject.format(k) for k in
                                     ("STOPPED", "STOPPED", "STOPPED", "RUNNING")]
        assert all(s > 4 for s in spacing), spacing
