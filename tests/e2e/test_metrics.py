"""The instance's state for Prometheus: the file the textfile collector reads, written whole at
every change. Debian's node_exporter (whose textfile collector reads the format windows_exporter's
reads) serves the folder and Prometheus scrapes it: a stop shows as kovalt_up 0 within 30 s, a
start as 1 again, the two pushes as sent, and promtool finds every version of the file sound."""
import json
import subprocess
import threading
import urllib.parse
import urllib.request

from harness import HttpServer, MailServer, free_port, wait_for


class Scraped:
    """node_exporter serving the *.prom files of `folder`, and Prometheus scraping it every
    second, both on loopback and ended at the close."""

    def __init__(self, folder, work):
        exporter, self.port = free_port(), free_port()
        config = work / "prometheus.yml"
        config.write_text("global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: pc\n"
                          f"    static_configs:\n      - targets: ['127.0.0.1:{exporter}']\n")
        log = open(work / "prometheus.log", "wb")
        self.processes = [
            subprocess.Popen(["prometheus-node-exporter", f"--web.listen-address=127.0.0.1:{exporter}",
                              "--collector.disable-defaults", "--collector.textfile",
                              f"--collector.textfile.directory={folder}"], stdout=log, stderr=log),
            subprocess.Popen(["prometheus", f"--config.file={config}",
                              f"--storage.tsdb.path={work / 'tsdb'}",
                              f"--web.listen-address=127.0.0.1:{self.port}"], stdout=log, stderr=log)]

    def value(self, expr):
        """The single value of `expr` now, or None."""
        url = f"http://127.0.0.1:{self.port}/api/v1/query?" + urllib.parse.urlencode({"query": expr})
        try:
            with urllib.request.urlopen(url, timeout=5) as answer:
                result = json.load(answer)["data"]["result"]
        except OSError:
            return None
        return float(result[0]["value"][1]) if len(result) == 1 else None

    def close(self):
        for process in self.processes:
            process.kill()
            process.wait(timeout=30)


def test_a_stop_and_a_start_reach_prometheus_and_every_file_written_is_sound(
        wine, instance, running, tmp_path):
    p, watched = instance("PROM")
    metrics = p.folder / "metrics"
    metrics.mkdir()
    versions, stopping = set(), threading.Event()

    def read_every_version():  # what a reader may see, as often as it may look
        while not stopping.wait(0.05):
            for file in metrics.glob("*.prom"):
                versions.add(file.read_bytes())

    with MailServer() as server, HttpServer() as hook:  # pushed too: a road of its own counted
        process = running(p, watched, server.port, METRICS_SECONDS="2",
                          METRICS_FOLDER_TEXTBOX=wine.windows_path(metrics),
                          PUSH_SERVICE_COMBOBOX="Webhook", PUSH_URL_TEXTBOX=hook.url + "/hook")
        reader = threading.Thread(target=read_every_version, daemon=True)
        reader.start()
        prometheus = Scraped(metrics, tmp_path)
        up = f'kovalt_up{{watch="{p.instance}"}}'
        try:
            wait_for(lambda: prometheus.value(up) == 1, 90, "kovalt_up 1 in Prometheus")
            process.kill()
            process.wait(timeout=30)
            wait_for(lambda: prometheus.value(up) == 0, 30, "kovalt_up 0 within 30 s of the stop")
            wine.start_watched(watched)
            wait_for(lambda: prometheus.value(up) == 1, 30, "kovalt_up 1 again")
            pushed = f'kovalt_alerts_total{{watch="{p.instance}",road="push",result="sent"}}'
            wait_for(lambda: prometheus.value(pushed) == 2, 30, "the stop and the start pushed")
        finally:
            prometheus.close()
            stopping.set()
            reader.join(timeout=10)
    assert len(versions) >= 3
    for text in versions:
        check = subprocess.run(["promtool", "check", "metrics"], input=text, capture_output=True,
                               timeout=60)
        assert check.returncode == 0 and text.endswith(b"\n"), (text, check.stdout, check.stderr)
