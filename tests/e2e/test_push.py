"""Push and heartbeat: a stop and a start reach a loopback server as the chosen service's
requests, in order and once each, beside the e-mails; a server that refuses gets the alert late,
once, and one the strip closes on, at its next start; the heartbeat pings on time while the program runs, tells a stop within a second, is quiet
while it stays stopped and once the strip is killed, and resumes after a start."""
import json
import time

from harness import HttpServer, MailServer, wait_for


def test_a_stop_and_a_start_go_as_pushes_once_each_in_order_and_late_when_refused(
        wine, instance, running):
    with MailServer() as mail, HttpServer() as hook:
        # A plain URL, as an administrator's .reg file would put it: used as it stands.
        p, watched = instance("PUSH")
        process = running(p, watched, mail.port, ALERT_RETRY_SECONDS="2",
                          PUSH_SERVICE_COMBOBOX="Webhook", PUSH_URL_TEXTBOX=hook.url + "/hook")
        process.kill()
        wait_for(lambda: len(hook.seen()) == 1, 30, "the STOPPED push")
        process = wine.start_watched(watched)
        wait_for(lambda: len(hook.seen()) == 2, 30, "the RUNNING push")
        hook.status = 503  # the service is down ...
        process.kill()
        wait_for(lambda: len(hook.seen()) >= 2 + 2, 30, "a refused try and a try again")
        p.wait_light("STOPPED !")
        hook.status = 200  # ... and back
        p.wait_light("STOPPED")
        time.sleep(5)
        hook.delay, tries = 60, len(hook.seen())  # a push on its way when the strip closes ...
        wine.start_watched(watched)
        wait_for(lambda: len(hook.seen()) == tries + 1, 30, "the RUNNING push on its way")
        p.close()
        hook.delay = 0
        p.start()  # ... goes again at the next start
        wait_for(lambda: len(hook.seen()) == tries + 2, 30, "the RUNNING push owed at the close")
        wait_for(lambda: len(mail.subjects()) == 4, 30, "the e-mails beside the pushes")
        delivered = [json.loads(r["body"]) for r in hook.seen() if r["status"] == 200]
        assert [d["state"] for d in delivered] == ["STOPPED", "RUNNING", "STOPPED", "RUNNING"], \
            delivered
        assert delivered[0]["process"] == watched.name and delivered[0]["instance"] == p.instance
        assert delivered[0]["text"].startswith(f"KOV-ALT - {watched.name} - STOPPED")


def test_the_heartbeat_pings_while_running_fails_at_once_and_stops_with_the_strip(
        wine, instance, running):
    with MailServer() as mail, HttpServer() as beat:
        p, watched = instance("PUSH")
        process = running(p, watched, mail.port, HEARTBEAT_URL_TEXTBOX=beat.url + "/ping/abc",
                          HEARTBEAT_SECONDS="2")
        wait_for(lambda: len(beat.seen()) >= 3, 30, "pings while running")
        gaps = [b["at"] - a["at"] for a, b in zip(beat.seen(), beat.seen()[1:])]
        assert all(1.5 < g < 3.5 for g in gaps), gaps
        killed = time.monotonic()
        process.kill()
        wait_for(lambda: beat.seen()[-1]["path"] == "/ping/abc/fail", 10, "the failure ping")
        assert beat.seen()[-1]["at"] - killed < 1.5
        pings = len(beat.seen())
        time.sleep(6)
        assert len(beat.seen()) == pings, "none while stopped"
        wine.start_watched(watched)
        wait_for(lambda: len(beat.seen()) > pings, 10, "pings again after a start")
        assert beat.seen()[-1]["path"] == "/ping/abc"
        p.strip.kill()
        p.strip.wait(timeout=30)
        pings = len(beat.seen())
        time.sleep(6)
        assert len(beat.seen()) == pings, "none once the strip is gone"
