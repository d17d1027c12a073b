"""The e-mail window's test e-mail through the real mailer, sent and refused, and reminders
while the watched program stays stopped: two arrive in order, none once it runs again."""
import time

from harness import (EMAIL_CANCEL, EMAIL_MAIN, EMAIL_SETTINGS, MAIN, SEND_TEST, SETTINGS,
                     SETTINGS_OK, TEST_STATUS, TLV_BUTTON, MailServer, install_mailer, wait_for)


def test_a_test_email_then_two_reminders_while_stopped_and_none_once_running(wine, instance):
    p, watched = instance("REMIND")
    home = p.folder / "mailer home"
    install_mailer(home)
    subject = f"KOV-ALT - {watched.name} - " + "{}"
    with MailServer() as server:
        p.watch(watched, home, server.port, REMINDER_MINUTES_TEXTBOX="1", REMINDER_SECONDS="5")
        process = wine.start_watched(watched)
        p.start()
        p.confirm_email_settings()
        p.wait_light("RUNNING")

        p.press(MAIN, TLV_BUTTON, p.caption)
        p.press(SETTINGS, EMAIL_SETTINGS)
        p.press(EMAIL_MAIN, SEND_TEST)
        p.wait_text(EMAIL_MAIN, TEST_STATUS, "Test e-mail sent at *")
        assert server.subjects() == [subject.format("TEST")]
        server.stop()
        p.press(EMAIL_MAIN, SEND_TEST)
        p.wait_text(EMAIL_MAIN, TEST_STATUS, "Test e-mail not sent: ERROR => *")
        server.start()
        p.press(EMAIL_MAIN, EMAIL_CANCEL)
        p.press(SETTINGS, SETTINGS_OK)

        process.kill()
        process.wait(timeout=30)
        wait_for(lambda: len(server.messages) >= 4, 60, "the stopped e-mail and two reminders")
        spacing = [b - a for a, b in zip(server.arrived[1:4], server.arrived[2:4])]
        wine.start_watched(watched)
        wait_for(lambda: len(server.messages) >= 5, 60, "the running e-mail")
        time.sleep(12)  # two reminders' time: none comes
        assert server.subjects() == [subject.format(k) for k in
                                     ("TEST", "STOPPED", "STOPPED", "STOPPED", "RUNNING")]
        assert all(s > 4 for s in spacing), spacing
