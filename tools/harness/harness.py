"""Runs the built program under Wine as a user would, for the end-to-end tests and the demo:
a renamed copy in a program folder, settings given through the registry, buttons pressed
through its windows, helper processes started and killed, and an SMTP server on loopback that
keeps the messages it receives. Wine runs with the environment it is given: the session of
scripts/wine-session.sh (prefix, debug channels, DLL overrides, display)."""
import asyncio
import os
import shutil
import socket
import subprocess
import threading
import time
from email import message_from_bytes
from email.header import decode_header, make_header
from pathlib import Path

SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\KOVALT"

# Window classes and the ids of the controls used from outside.
MAIN, TLV_BUTTON, RUN_LIGHT = "KOVALT_MAIN", 101, 103
SETTINGS, CREATE_FOLDERS, EMAIL_SETTINGS, SETTINGS_OK = "KOVALT_SETTINGS", 212, 218, 219
PROCESS_NAME, ENABLED, SETTINGS_STATUS = 208, 210, 213
EMAIL_MAIN, EMAIL_OK, EMAIL_CANCEL = "KOVALT_EMAIL_MAIN_SETTINGS", 301, 304
SEND_TEST, TEST_STATUS = 305, 306


class Wine:
    """Starts Windows programs; their output goes to files, never to pipes (Wine's helper
    processes inherit and outlive them)."""

    def __init__(self, log_dir: Path, driver: Path):
        self.log_dir, self.driver = Path(log_dir), driver
        self.log_dir.mkdir(parents=True, exist_ok=True)
        self.started = []

    def start(self, exe: Path, *args: str) -> subprocess.Popen:
        log = open(self.log_dir / f"{exe.name}.{len(self.started)}.log", "wb")
        proc = subprocess.Popen(["wine", str(exe), *args], stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, cwd=exe.parent)
        self.started.append(proc)
        return proc

    def run(self, *args: str, timeout: float = 60) -> int:
        with open(self.log_dir / "wine-run.log", "ab") as log:
            return subprocess.run(["wine", *args], stdout=log, stderr=subprocess.STDOUT,
                                  stdin=subprocess.DEVNULL,
                                  timeout=timeout).returncode

    def drive(self, *args: str) -> None:
        """Runs the driver (driver.cpp beside it), which waits up to 30 s for its condition."""
        if self.run(str(self.driver), *args) != 0:
            raise TimeoutError(f"the driver gave up: {' '.join(args)}")

    def start_watched(self, exe: Path, *args: str) -> subprocess.Popen:
        """Starts a program to watch (with `args`) and returns once Windows lists its process."""
        proc = self.start(exe, *args)
        self.drive("process", exe.name)
        return proc

    def windows_path(self, path: Path) -> str:
        out = subprocess.run(["winepath", "-w", str(path)], capture_output=True, text=True,
                             timeout=60, stdin=subprocess.DEVNULL)
        return out.stdout.strip()

    def set_setting(self, section: str, key: str, value: str) -> None:
        rc = self.run("reg", "add", rf"{SETTINGS_KEY}\{section}", "/v", key, "/t", "REG_SZ",
                      "/d", value, "/f")
        if rc != 0:
            raise RuntimeError(f"wine reg add {key} failed")

    def delete_section(self, section: str) -> None:
        self.run("reg", "delete", rf"{SETTINGS_KEY}\{section}", "/f")

    def stop_all(self) -> None:
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=30)


class Program:
    """One instance: the built program copied as <instance>.exe into a program folder."""

    def __init__(self, wine: Wine, folder: Path, instance: str, exe: Path):
        self.wine, self.folder, self.instance = wine, Path(folder), instance
        self.exe = self.folder / f"{instance}.exe"
        self.caption = "KVA - "
        shutil.copy(exe, self.exe)

    def script(self, kind: str) -> Path:
        return self.folder / "BATS" / f"{self.instance}-PROCESS-{kind}-EMAIL.bat"

    def log(self) -> Path:
        return self.folder / "LOGS" / f"{self.instance}-SEND-EMAIL.LOG"

    def settings(self, values: dict) -> None:
        for key, value in values.items():
            self.wine.set_setting(self.instance, key, value)
        self.caption = "KVA - " + values.get("RUNNER_NAME_TEXTBOX", self.caption[6:])

    def watch(self, watched: Path, home: Path, port: int, **more: str) -> None:
        """The settings a user fills in to watch `watched` and mail each change through the
        mailer in `home` to the server on `port`; `more` adds or replaces keys."""
        self.settings({"PROCESS_NAME_TEXTBOX": watched.name, "ENABLED_TICKBOX": "1",
                       "AlwaysOnTop_TICKBOX": "0", "RUNNER_NAME_TEXTBOX": self.instance,
                       "SE_HOME_TEXTBOX": self.wine.windows_path(home),
                       "SMTP_SERVER_ADDRESS_PORT_TEXTBOX": f"127.0.0.1:{port}",
                       "SEND_FROM_ADDRESS_TEXTBOX": "watchdog@example.org",
                       "SEND_TO_ADDRESS_TEXTBOX": "me@example.org", **more})

    def start(self) -> subprocess.Popen:
        """Starts the strip; the last one started is also `self.strip`."""
        self.strip = self.wine.start(self.exe)
        return self.strip

    def press(self, window_class: str, control_id: int, caption: str = "*") -> None:
        """Clicks a button of the running program's window, waiting for that window."""
        self.wine.drive("click", window_class, caption, str(control_id))

    def close(self) -> None:
        """Closes the strip as its close box would."""
        self.wine.drive("close", MAIN, self.caption)

    def type_text(self, window_class: str, control_id: int, text: str) -> None:
        """Gives a text box of the program's window `text`, as typing it would."""
        self.wine.drive("settext", window_class, "*", str(control_id), text)

    def wait_text(self, window_class: str, control_id: int, text: str) -> None:
        """Waits until a control of the program's window shows `text` (ending in "*": text
        that begins so)."""
        self.wine.drive("text", window_class, "*", str(control_id), text)

    def wait_light(self, text: str) -> None:
        """Waits until this instance's run light reads `text`."""
        self.wine.drive("text", MAIN, self.caption, str(RUN_LIGHT), text)

    def confirm_email_settings(self) -> None:
        """Opens the settings and e-mail windows, makes the folders, presses OK in both: the
        way a user sets up an instance once its fields are filled in."""
        self.press(MAIN, TLV_BUTTON, self.caption)
        self.press(SETTINGS, CREATE_FOLDERS)
        self.press(SETTINGS, EMAIL_SETTINGS)
        self.press(EMAIL_MAIN, EMAIL_OK)
        wait_for(lambda: self.script("RUNNING").exists() and self.script("STOPPED").exists(),
                 60, "the alert scripts")
        self.press(SETTINGS, SETTINGS_OK)


def install_mailer(home: Path) -> None:
    """A mailer home folder whose SendEmail.exe runs Debian's sendemail and ends with its exit
    status: the built stand-in (KOVALT_MAILER, send_email.cpp) and its companion script."""
    home.mkdir(parents=True, exist_ok=True)
    shutil.copy(os.environ["KOVALT_MAILER"], home / "SendEmail.exe")
    script = home / "sendemail-run.sh"
    shutil.copy(Path(__file__).with_name("sendemail-run.sh"), script)
    script.chmod(0o755)


class MailServer:
    """An SMTP server on 127.0.0.1 that keeps every message it receives, and when it arrived
    (time.monotonic()); it can go away and come back on the same port. `delay(subject)` gives
    the seconds it waits before it answers a message's data (the message counts as received
    once answered); while `refusing`, it answers every message with a failure."""

    def __init__(self, delay=None):
        self.messages, self.arrived = [], []
        self.refusing = False  # every message answered with a failure
        self.lock = threading.Lock()
        self.port = free_port()
        self.controller = None
        self.delay = delay

    def start(self):
        from aiosmtpd.controller import Controller

        server = self

        class Handler:
            async def handle_DATA(self, _server, _session, envelope):
                if server.refusing:
                    return "554 Transaction failed"
                if server.delay:
                    subject = message_from_bytes(envelope.content)["Subject"] or ""
                    await asyncio.sleep(server.delay(str(make_header(decode_header(subject)))))
                with server.lock:
                    server.messages.append(message_from_bytes(envelope.content))
                    server.arrived.append(time.monotonic())
                return "250 OK"

        self.controller = Controller(Handler(), hostname="127.0.0.1", port=self.port)
        self.controller.start()
        return self

    def stop(self):
        if self.controller:
            self.controller.stop()
            self.controller = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def subjects(self):
        with self.lock:
            return [str(make_header(decode_header(m["Subject"]))) for m in self.messages]


class HttpServer:
    """An HTTP server on 127.0.0.1 that keeps every request it receives (method, path, headers,
    body, and when it came, time.monotonic()) and answers each with `status` (200 unless set)
    after `delay` seconds (0 unless set); a request whose client left first keeps status None."""

    def __init__(self):
        from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

        server = self
        self.requests, self.status, self.delay = [], 200, 0
        self.lock = threading.Lock()

        class Handler(BaseHTTPRequestHandler):
            def answer(self):
                length = int(self.headers.get("Content-Length") or 0)
                body = self.rfile.read(length) if length else b""
                seen = {"method": self.command, "path": self.path, "headers": dict(self.headers),
                        "body": body, "at": time.monotonic(), "status": None}
                with server.lock:
                    server.requests.append(seen)
                time.sleep(server.delay)
                try:
                    seen["status"] = server.status
                    self.send_response(seen["status"])
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    self.wfile.flush()
                except OSError:
                    seen["status"] = None

            do_GET = do_POST = answer

            def log_message(self, *args):
                pass

        self.httpd = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.url = f"http://127.0.0.1:{self.port}"

    def __enter__(self):
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()

    def seen(self, method=None):
        """The requests so far (of `method` only, when given)."""
        with self.lock:
            return [r for r in self.requests if method is None or r["method"] == method]


def windows_processes(exe_name: str, kill: bool = False) -> int:
    """How many Windows processes of that file name run under Wine now; with `kill`, ended
    (killing the Unix process of a Windows process ends it)."""
    count = 0
    for cmdline in Path("/proc").glob("[0-9]*/cmdline"):
        try:
            first = cmdline.read_bytes().split(b"\0")[0]
        except OSError:
            continue
        if first.replace(b"/", b"\\").rsplit(b"\\", 1)[-1].lower() == exe_name.lower().encode():
            count += 1
            if kill:
                try:
                    os.kill(int(cmdline.parent.name), 9)
                except OSError:
                    pass
    return count


def mailers_running() -> int:
    """How many of Debian's sendemail run now (each started by one SendEmail.exe)."""
    count = 0
    for cmdline in Path("/proc").glob("[0-9]*/cmdline"):
        try:
            words = cmdline.read_bytes().split(b"\0")
        except OSError:
            continue  # ended meanwhile
        # Once running, sendemail renames its process "sendemail ARGS" (one word); a zombie
        # has no words.
        program = words[0].split(b" ")[0]
        count += program.endswith(b"sendemail") or (
            program.endswith(b"perl") and b"/usr/bin/sendemail" in words)
    return count


class Sampler:
    """Calls `sample()` every `every` seconds in the background while in use."""

    every = 0.1

    def __init__(self):
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.thread.join(timeout=30)

    def _run(self):
        while not self.stopping.wait(self.every):
            self.sample()

    def sample(self):
        raise NotImplementedError


class MailerCount(Sampler):
    """Counts Debian's sendemail running, every 0.1 s in the background while in use; `most`
    is the highest count seen."""

    def __init__(self):
        super().__init__()
        self.most = 0

    def sample(self):
        self.most = max(self.most, mailers_running())


def free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, timeout: float, what: str):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return
        time.sleep(0.2)
    raise TimeoutError(f"timed out after {timeout:.0f} s waiting for {what}")
